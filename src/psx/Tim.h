// TIM images: the console's frame-buffer image files that lie beside the
// texture bitmaps. Read only; the suite never writes them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "diag/Failure.h"
#include "diag/TrackedBuffer.h"

// One image rectangle; pixels point into the owning TimImage's file bytes.
struct TimRect {
  const uint8_t* pixels = nullptr;  // width * height little-endian 16-bit units
  uint16_t x = 0, width = 0, y = 0, height = 0;
};

struct TimPalette {
  uint16_t x = 0, y = 0, width = 0, height = 0;
  TrackedBuffer<uint32_t> colours;  // width * height, converted by ConvertTimColour
};

struct TimImage {
  uint32_t id = 0, flags = 0;
  TrackedBuffer<TimRect> images;
  std::vector<TimPalette> palettes;
  uint32_t imageCount = 0, paletteCount = 0;
  TrackedBuffer<uint8_t> bytes;  // the whole file when loaded with LoadTim
};

constexpr uint32_t TIM_FLAG_PALETTE = 8;

// From TIM's 5:5:5 + semi-transparency layout to flag in bit 0, red 1-5,
// green 6-10, blue 11-15.
constexpr uint32_t ConvertTimColour(uint16_t c) {
  return (c >> 15 & 1u) | (c & 31u) << 1 | (c >> 5 & 31u) << 6 | (c >> 10 & 31u) << 11;
}
constexpr uint32_t TimColourRed(uint32_t c) { return c >> 1 & 31; }
constexpr uint32_t TimColourGreen(uint32_t c) { return c >> 6 & 31; }
constexpr uint32_t TimColourBlue(uint32_t c) { return c >> 11 & 31; }
constexpr uint32_t TimColourFlag(uint32_t c) { return c & 1; }

// Reads and parses a whole file; false (record empty) when it cannot be read,
// is malformed or memory runs out. Reports nothing: the caller names the file.
// why, when given, says why and where and names the file.
bool LoadTim(TimImage& tim, const char* path, Failure* why = nullptr);
// Parses bytes that stay owned by the caller and must outlive the record.
// Refuses a block length that runs past the data, a record that runs past its
// block, leftover bytes that make no record, and a file without an image.
bool ParseTim(TimImage& tim, std::span<const uint8_t> bytes, Failure* why = nullptr);
void FreeTim(TimImage& tim);

// 4, 8, 15 or 24; 0 for mixed mode; -1 when it cannot be told.
int32_t TimBitsPerPixel(const TimImage& tim, uint32_t index);

// Accessors give 0 (or null) for an index the file does not have.
uint32_t TimImageX(const TimImage& tim, uint32_t i);
uint32_t TimImageY(const TimImage& tim, uint32_t i);
uint32_t TimImageWidth(const TimImage& tim, uint32_t i);
uint32_t TimImageHeight(const TimImage& tim, uint32_t i);
const uint8_t* TimImagePixels(const TimImage& tim, uint32_t i);
uint32_t TimPaletteX(const TimImage& tim, uint32_t i);
uint32_t TimPaletteY(const TimImage& tim, uint32_t i);
uint32_t TimPaletteWidth(const TimImage& tim, uint32_t i);
uint32_t TimPaletteHeight(const TimImage& tim, uint32_t i);
uint32_t TimPaletteEntryCount(const TimImage& tim, uint32_t i);
uint32_t TimPaletteRed(const TimImage& tim, uint32_t i, uint32_t j);
uint32_t TimPaletteGreen(const TimImage& tim, uint32_t i, uint32_t j);
uint32_t TimPaletteBlue(const TimImage& tim, uint32_t i, uint32_t j);
uint32_t TimPaletteFlag(const TimImage& tim, uint32_t i, uint32_t j);
