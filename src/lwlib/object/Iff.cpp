#include "lwlib/object/Iff.h"

#include <cstring>

#include "diag/Dbug.h"
#include "platform/File.h"
#include "platform/Memory.h"

namespace {
IffHandlerEntry* g_registry = nullptr;
}

namespace {

// The 12-byte header of a form LWOB, against the bytes that follow it; the
// body length on success.
bool CheckHeader(const uint8_t* header, size_t available, int64_t fileLength, uint32_t& bodyLength, Failure* why) {
  if (available < 12)
    return FailAt(why, "FORM", 0, "the file ends after %s bytes, inside the 12-byte header",
                  Thousands(static_cast<int64_t>(available)).c_str());
  if (std::memcmp(header, "FORM", 4) != 0 ||
      (std::memcmp(header + 8, "LWOB", 4) != 0 && std::memcmp(header + 8, "LWO2", 4) != 0))
    return FailAt(why, "FORM", 0, "not an IFF file of form LWOB or LWO2");
  const uint32_t formSize = ReadU4(header + 4);
  if (formSize < 4) return FailAt(why, "FORM", 0, "form size %u leaves no room for the form type", formSize);
  bodyLength = formSize - 4;
  // A body longer than the file cannot be read: refuse it before allocating.
  if (fileLength < 12 || static_cast<uint64_t>(bodyLength) > static_cast<uint64_t>(fileLength - 12))
    return FailAt(why, "FORM", 0, "the form needs %s bytes but the file ends after %s",
                  Thousands(static_cast<int64_t>(formSize) + 8).c_str(), Thousands(fileLength).c_str());
  return true;
}

// Cuts the body into chunks.
bool CutChunks(IffFile* iff, Failure* why) {
  const uint32_t bodyLength = iff->bodyLength;
  const uint8_t* body = iff->body;
  uint32_t offset = 0;
  while (offset < bodyLength) {
    if (bodyLength - offset < 8) break;
    const uint32_t size = ReadU4(body + offset + 4);
    if (size > bodyLength - offset - 8) break;
    auto* chunk = static_cast<IffChunk*>(TrackedAlloc(sizeof(IffChunk)));
    if (!chunk) {
      IffFree(iff);
      return Fail(why, "out of memory");
    }
    std::memcpy(chunk->id, body + offset, 4);
    chunk->size = size;
    chunk->data = body + offset + 8;
    chunk->next = iff->chunks;
    iff->chunks = chunk;
    offset += size + 8;  // no pad byte after an odd-sized chunk
  }
  return true;
}

}  // namespace

bool IffLoad(IffFile* iff, const char* fileName, Failure* why) {
  std::memset(iff, 0, sizeof *iff);
  FILE* file = FileOpen(fileName, "rb");
  if (!file) return Fail(why, "cannot be opened");
  ScopedFile closer(file);

  uint8_t header[12];
  const size_t got = FileRead(header, 1, 12, file);
  uint32_t bodyLength = 0;
  if (!CheckHeader(header, got, FileLength(file), bodyLength, why)) return false;
  std::memcpy(iff->form, header + 8, 4);

  auto* body = static_cast<uint8_t*>(TrackedAlloc(bodyLength));
  if (!body) return Fail(why, "out of memory for a body of %s bytes", Thousands(bodyLength).c_str());
  PrefaultForWriting(body, bodyLength);
  if (FileRead(body, 1, bodyLength, file) != bodyLength) {
    TrackedFree(body);
    return Fail(why, "cannot be read");
  }
  iff->bodyLength = bodyLength;
  iff->body = body;
  return CutChunks(iff, why);
}

bool IffLoadMemory(IffFile* iff, std::span<const uint8_t> bytes, Failure* why) {
  std::memset(iff, 0, sizeof *iff);
  uint32_t bodyLength = 0;
  if (!CheckHeader(bytes.data(), bytes.size(), static_cast<int64_t>(bytes.size()), bodyLength, why)) return false;
  std::memcpy(iff->form, bytes.data() + 8, 4);
  auto* body = static_cast<uint8_t*>(TrackedAlloc(bodyLength));
  if (!body) return Fail(why, "out of memory for a body of %s bytes", Thousands(bodyLength).c_str());
  PrefaultForWriting(body, bodyLength);
  if (bodyLength) std::memcpy(body, bytes.data() + 12, bodyLength);
  iff->bodyLength = bodyLength;
  iff->body = body;
  return CutChunks(iff, why);
}

void IffFree(IffFile* iff) {
  if (!iff) return;
  IffChunk* chunk = iff->chunks;
  while (chunk) {
    IffChunk* next = chunk->next;
    TrackedFree(chunk);
    chunk = next;
  }
  TrackedFree(iff->body);
  std::memset(iff, 0, sizeof *iff);
}

bool IffRegisterHandler(const char* id, IffHandler handler, void* userData) {
  if (IffFindHandler(id, g_registry)) return false;
  auto* entry = static_cast<IffHandlerEntry*>(TrackedAlloc(sizeof(IffHandlerEntry)));
  if (!entry) return false;
  std::memcpy(entry->id, id, 4);
  entry->handler = handler;
  entry->userData = userData;
  entry->next = g_registry;
  g_registry = entry;
  return true;
}

void IffDispatch(IffFile* iff) {
  if (!iff) return;
  for (IffChunk* chunk = iff->chunks; chunk; chunk = chunk->next) {
    const IffHandlerEntry* entry = IffFindHandler(chunk->id, g_registry);
    if (entry) entry->handler(chunk->size, chunk->data, entry->userData);
  }
}

void IffClearHandlers() {
  while (g_registry) {
    IffHandlerEntry* next = g_registry->next;
    TrackedFree(g_registry);
    g_registry = next;
  }
}

const IffHandlerEntry* IffFindHandler(const char* id, const IffHandlerEntry* registry) {
  for (const IffHandlerEntry* e = registry; e; e = e->next)
    if (std::memcmp(e->id, id, 4) == 0) return e;
  return nullptr;
}

const IffHandlerEntry* IffHandlerRegistry() { return g_registry; }

const char* ReadName(const uint8_t* p, uint32_t* paddedLength) {
  const uint32_t length = static_cast<uint32_t>(std::strlen(reinterpret_cast<const char*>(p))) + 1;
  if (paddedLength) *paddedLength = (length + 1) & ~1u;
  return reinterpret_cast<const char*>(p);
}

const char* ReadName(const uint8_t* p, const uint8_t* end, uint32_t* paddedLength) {
  if (!p || p >= end) return nullptr;
  const void* zero = std::memchr(p, 0, static_cast<size_t>(end - p));
  if (!zero) return nullptr;
  const uint32_t length = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - p) + 1;
  if (paddedLength) *paddedLength = (length + 1) & ~1u;
  return reinterpret_cast<const char*>(p);
}
