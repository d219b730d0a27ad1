// IFF files of form LWOB or LWO2: the whole body in memory, cut into chunks that are
// handed to handlers registered by chunk identifier.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

#include "diag/Failure.h"

struct IffChunk {
  uint32_t size;         // from the chunk header
  const uint8_t* data;   // first byte after the 8-byte header, inside the body
  char id[4];            // as in the file, no terminator
  IffChunk* next;
};

struct IffFile {
  uint32_t bodyLength;   // FORM size minus the 4 bytes of the form type
  IffChunk* chunks;      // last chunk of the file first
  uint8_t* body;         // everything after the 12-byte header
  char form[4];          // "LWOB" or "LWO2"
};

// size, data, user data; the result is not looked at.
using IffHandler = uint32_t (*)(uint32_t size, const uint8_t* data, void* userData);

struct IffHandlerEntry {
  char id[4];
  IffHandler handler;
  void* userData;
  IffHandlerEntry* next;
};

// Fills iff from the named file. On failure nothing is left allocated and the
// caller must not call IffFree. A chunk whose header or declared size runs
// past the end of the body ends the walk; it and anything after it are
// dropped, so a handler never sees data beyond the body.
// why, when given, says what was refused and where (fileName is left to the
// caller).
bool IffLoad(IffFile* iff, const char* fileName, Failure* why = nullptr);
// The same over a whole file's bytes in memory; the body is a copy.
bool IffLoadMemory(IffFile* iff, std::span<const uint8_t> bytes, Failure* why = nullptr);
void IffFree(IffFile* iff);

bool IffRegisterHandler(const char* id, IffHandler handler, void* userData);
void IffDispatch(IffFile* iff);
void IffClearHandlers();
const IffHandlerEntry* IffFindHandler(const char* id, const IffHandlerEntry* registry);
const IffHandlerEntry* IffHandlerRegistry();

// Big-endian readers over file data; they do not check bounds. Inline: they
// run once per value of objects of millions of values.
inline uint32_t ReadU4(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
         p[3];
}
inline uint16_t ReadU2(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline int16_t ReadI2(const uint8_t* p) { return static_cast<int16_t>(ReadU2(p)); }
inline float ReadF4(const uint8_t* p) {
  const uint32_t bits = ReadU4(p);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}
inline void ReadVec(const uint8_t* p, float v[3]) {
  v[0] = ReadF4(p);
  v[1] = ReadF4(p + 4);
  v[2] = ReadF4(p + 8);
}
// The zero-terminated string at p (not copied) and its padded length: length
// plus terminator, rounded up to even. The bounded form returns null when no
// terminator comes before end.
const char* ReadName(const uint8_t* p, uint32_t* paddedLength);
const char* ReadName(const uint8_t* p, const uint8_t* end, uint32_t* paddedLength);
