#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "TestSupport.h"
#include "diag/Dbug.h"
#include "diag/TrackedBuffer.h"

using testsupport::CapturedOutput;
using testsupport::LiveTrackedBlocks;

// This program's operator new can be told to fail its n-th call from now.
namespace {
std::atomic<int> g_failNewIn{0};
}
void* operator new(std::size_t size) {
  if (g_failNewIn.load() > 0 && --g_failNewIn == 0) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

TEST(TrackedAlloc, AFailedIndexInsertLosesNeitherBlockNorSlot) {
  CapturedOutput out(DEBUG_MODE_OUTPUT);
  const int32_t live = LiveTrackedBlocks();
  g_failNewIn = 1;
  void* lost = nullptr;
  EXPECT_NO_THROW(lost = TrackedAlloc(16, "lost.cpp", 7));
  g_failNewIn = 0;
  EXPECT_EQ(lost, nullptr);
  EXPECT_EQ(LiveTrackedBlocks(), live);
  ReportUnfreedMemory();
  EXPECT_FALSE(out.Contains("lost.cpp(7)")) << out.joined();
}

TEST(TrackedAlloc, DoubleFreeIsReportedWithTheSecondCallsPlace) {
  CapturedOutput out(DEBUG_MODE_SILENT);  // reported whatever the mode
  void* block = TrackedAlloc(16, "alloc.cpp", 10);
  ASSERT_NE(block, nullptr);
  TrackedFree(block, "first.cpp", 20);
  EXPECT_TRUE(out.lines().empty());
  TrackedFree(block, "second.cpp", 30);
  ASSERT_EQ(out.lines().size(), 1u);
  EXPECT_EQ(out.lines()[0], "second.cpp(30): Attempt to free corrupt pointer\n");
  int local = 0;
  TrackedFree(&local, "third.cpp", 40);
  EXPECT_EQ(out.lines().size(), 2u);
  TrackedFree(nullptr, "null.cpp", 1);
  EXPECT_EQ(out.lines().size(), 2u);
}

TEST(TrackedAlloc, LeaksAreListedInSlotOrderAndCounted) {
  CapturedOutput out(DEBUG_MODE_OUTPUT);
  const int32_t before = ReportUnfreedMemory();
  out.Clear();
  void* a = TrackedAlloc(10, "a.cpp", 1);
  void* b = TrackedAlloc(20, "b.cpp", 2);
  void* c = TrackedAlloc(30, "c.cpp", 3);
  TrackedFree(a, "x", 0);
  void* d = TrackedAlloc(40, "d.cpp", 4);  // takes a's slot, so it lists first
  EXPECT_EQ(ReportUnfreedMemory(), before + 3);
  std::vector<std::string> mine;
  for (const auto& l : out.lines())
    if (l.find(".cpp(") != std::string::npos && l[0] >= 'a' && l[0] <= 'd' && l[1] == '.') mine.push_back(l);
  ASSERT_EQ(mine.size(), 3u);
  EXPECT_EQ(mine[0], "d.cpp(4) : 40 bytes of unfreed memory\n");
  EXPECT_EQ(mine[1], "b.cpp(2) : 20 bytes of unfreed memory\n");
  EXPECT_EQ(mine[2], "c.cpp(3) : 30 bytes of unfreed memory\n");
  TrackedFree(b, "x", 0);
  TrackedFree(c, "x", 0);
  TrackedFree(d, "x", 0);
  EXPECT_EQ(LiveTrackedBlocks(), before);
}

TEST(TrackedAlloc, TableHoldsFiftyThousandBlocksAndReusesTheLowestSlot) {
  const int32_t before = LiveTrackedBlocks();
  std::vector<void*> blocks;
  for (;;) {
    void* b = TrackedAlloc(1, "fill.cpp", 1);
    if (!b) break;
    blocks.push_back(b);
  }
  EXPECT_EQ(blocks.size() + static_cast<size_t>(before), TRACKED_ALLOCATION_SLOTS);
  EXPECT_EQ(TrackedAlloc(1, "over.cpp", 1), nullptr);
  EXPECT_EQ(LiveTrackedBlocks(), static_cast<int32_t>(TRACKED_ALLOCATION_SLOTS));

  // Free one in the middle: the next allocation takes exactly that slot,
  // which shows as its place in the slot-ordered listing.
  const size_t middle = blocks.size() / 2;
  TrackedFree(blocks[middle], "x", 0);
  void* again = TrackedAlloc(1, "again.cpp", 99);
  ASSERT_NE(again, nullptr);
  blocks[middle] = again;
  {
    CapturedOutput out(DEBUG_MODE_OUTPUT);
    ReportUnfreedMemory();
    size_t position = 0;
    for (size_t i = 0; i < out.lines().size(); ++i)
      if (out.lines()[i].rfind("again.cpp(99)", 0) == 0) position = i;
    EXPECT_EQ(position, middle + static_cast<size_t>(before));
  }
  for (void* b : blocks) TrackedFree(b, "x", 0);
  EXPECT_EQ(LiveTrackedBlocks(), before);
}

TEST(TrackedAlloc, InjectedFailureHitsTheNthAllocationOnly) {
  FailTrackedAllocAfter(2);
  void* const blocks[3] = {TrackedAlloc(8), TrackedAlloc(8), TrackedAlloc(8)};
  EXPECT_TRUE(blocks[0] && !blocks[1] && blocks[2]);
  for (void* b : blocks) TrackedFree(b);
}

TEST(TrackedBuffer, ZeroFillsAndFreesOnEveryPath) {
  const int32_t before = LiveTrackedBlocks();
  {
    TrackedBuffer<uint32_t> words;
    ASSERT_TRUE(words.Allocate(100));
    EXPECT_EQ(words.size(), 100u);
    for (uint32_t w : words) EXPECT_EQ(w, 0u);
    TrackedBuffer<uint32_t> moved = std::move(words);
    EXPECT_TRUE(words.empty());
    EXPECT_EQ(LiveTrackedBlocks(), before + 1);
  }
  EXPECT_EQ(LiveTrackedBlocks(), before);
  TrackedBuffer<uint8_t> huge;
  EXPECT_FALSE(huge.Allocate(size_t{1} << 40));  // more than the allocator's 32-bit sizes
  FailTrackedAllocAfter(1);
  EXPECT_FALSE(huge.Allocate(4));
  EXPECT_EQ(LiveTrackedBlocks(), before);
}
