// The allocation table keeps the documented rules (50,000 slots, lowest free
// slot first, listing in slot order) but finds slots and blocks through an
// index instead of scanning the table on every call.
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>

#include "diag/Dbug.h"

namespace {

struct AllocationRecord {
  uint8_t inUse;
  void* block;
  const char* module;
  int32_t line;
  uint32_t size;
};

constexpr uint32_t kWords = (TRACKED_ALLOCATION_SLOTS + 63) / 64;
constexpr uint32_t kSummaryWords = (kWords + 63) / 64;

struct AllocationTable {
  std::array<AllocationRecord, TRACKED_ALLOCATION_SLOTS> slots{};
  // A set bit marks a free slot; a summary bit marks a word with a free slot.
  std::array<uint64_t, kWords> freeBits{};
  std::array<uint64_t, kSummaryWords> summary{};
  std::unordered_map<void*, uint32_t> slotOfBlock;
  uint32_t allocations = 0;
  uint32_t frees = 0;
  uint32_t failCountdown = 0;
  uint64_t calls = 0;
  std::mutex lock;

  AllocationTable() {
    for (uint32_t slot = 0; slot < TRACKED_ALLOCATION_SLOTS; ++slot) MarkFree(slot);
  }

  void MarkFree(uint32_t slot) {
    freeBits[slot / 64] |= uint64_t{1} << (slot % 64);
    summary[slot / 4096] |= uint64_t{1} << ((slot / 64) % 64);
  }

  void MarkUsed(uint32_t slot) {
    uint64_t& word = freeBits[slot / 64];
    word &= ~(uint64_t{1} << (slot % 64));
    if (word == 0) summary[slot / 4096] &= ~(uint64_t{1} << ((slot / 64) % 64));
  }

  // Lowest free slot, or TRACKED_ALLOCATION_SLOTS when all are in use.
  uint32_t LowestFree() const {
    for (uint32_t s = 0; s < kSummaryWords; ++s) {
      if (summary[s] == 0) continue;
      const uint32_t word = s * 64 + static_cast<uint32_t>(std::countr_zero(summary[s]));
      return word * 64 + static_cast<uint32_t>(std::countr_zero(freeBits[word]));
    }
    return TRACKED_ALLOCATION_SLOTS;
  }
};

AllocationTable& Table() {
  static AllocationTable* table = new AllocationTable;  // outlives every static user
  return *table;
}

}  // namespace

void* TrackedAlloc(uint32_t size, const char* module, int32_t line) {
  AllocationTable& t = Table();
  std::lock_guard guard(t.lock);
  ++t.calls;
  if (t.failCountdown != 0 && --t.failCountdown == 0) return nullptr;
  const uint32_t slot = t.LowestFree();
  if (slot >= TRACKED_ALLOCATION_SLOTS) return nullptr;
  void* block = std::malloc(size == 0 ? 1 : size);
  if (!block) return nullptr;
  // The index first: when it cannot grow, nothing has been marked yet.
  try {
    t.slotOfBlock.emplace(block, slot);
  } catch (const std::bad_alloc&) {
    std::free(block);
    return nullptr;
  }
  t.slots[slot] = {1, block, module, line, size};
  t.MarkUsed(slot);
  ++t.allocations;
  return block;
}

void TrackedFree(void* block, const char* module, int32_t line) {
  if (!block) return;
  AllocationTable& t = Table();
  {
    std::lock_guard guard(t.lock);
    auto found = t.slotOfBlock.find(block);
    if (found != t.slotOfBlock.end()) {
      const uint32_t slot = found->second;
      t.slotOfBlock.erase(found);
      t.slots[slot].inUse = 0;
      t.MarkFree(slot);
      ++t.frees;
      std::free(block);
      return;
    }
  }
  char text[DEBUG_FREE_BUFFER_SIZE];
  std::snprintf(text, sizeof text, "%s(%i): Attempt to free corrupt pointer\n", module ? module : "",
                static_cast<int>(line));
  OutputDebugText(text);
}

int32_t ReportUnfreedMemory() {
  AllocationTable& t = Table();
  std::unique_lock guard(t.lock);
  for (uint32_t word = 0; word < kWords; ++word) {
    // Only words with a live slot need looking at.
    uint64_t used = ~t.freeBits[word];
    if (word == kWords - 1 && TRACKED_ALLOCATION_SLOTS % 64 != 0)
      used &= (uint64_t{1} << (TRACKED_ALLOCATION_SLOTS % 64)) - 1;
    while (used != 0) {
      const uint32_t slot = word * 64 + static_cast<uint32_t>(std::countr_zero(used));
      used &= used - 1;
      const AllocationRecord& r = t.slots[slot];
      char text[DEBUG_FREE_BUFFER_SIZE];
      std::snprintf(text, sizeof text, "%s(%i) : %i bytes of unfreed memory\n", r.module ? r.module : "",
                    static_cast<int>(r.line), static_cast<int>(r.size));
      guard.unlock();
      OutputDebugText(text);
      guard.lock();
    }
  }
  return static_cast<int32_t>(t.allocations - t.frees);
}

int32_t TrackedAllocationBalance() {
  AllocationTable& t = Table();
  std::lock_guard guard(t.lock);
  return static_cast<int32_t>(t.allocations - t.frees);
}

void FailTrackedAllocAfter(uint32_t n) {
  AllocationTable& t = Table();
  std::lock_guard guard(t.lock);
  t.failCountdown = n;
}

uint64_t TrackedAllocCalls() {
  AllocationTable& t = Table();
  std::lock_guard guard(t.lock);
  return t.calls;
}
