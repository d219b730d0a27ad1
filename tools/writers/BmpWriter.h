// Windows bitmap files: any header size, depth, compression and row order,
// with the pixel bytes packed or run-length coded here.
#pragma once

#include <cstdint>
#include <vector>

namespace writers {

struct BmpDesc {
  int32_t width = 0;
  int32_t height = 0;  // as stored: negative means top-down rows
  uint16_t bits = 24;
  uint32_t compression = 0;   // 0 RGB, 1 RLE8, 2 RLE4, 3 bit fields
  uint32_t headerSize = 40;   // 12, 40, 52, 56, 108 or 124
  uint32_t colorsUsed = 0;    // written as is
  std::vector<uint32_t> palette;  // 0x00RRGGBB entries
  std::vector<uint32_t> masks;    // red, green, blue(, alpha) for bit fields
  std::vector<uint8_t> pixelData; // from PackBmpRows or RleEncode, or by hand
};

// The whole file: file header, info header, masks, colour table, pixels.
std::vector<uint8_t> MakeBmp(const BmpDesc& desc);

// Packs pixel values given top row first (width x height values) into the
// file's padded rows, bottom row first unless topDown. 16- and 32-bit values
// are little-endian words; 24-bit values are 0xRRGGBB, stored blue first.
std::vector<uint8_t> PackBmpRows(uint32_t width, uint32_t height, uint16_t bits,
                                 const std::vector<uint32_t>& values, bool topDown = false);

// Run-length codes indices given top row first, bottom row first as the
// format wants: encoded runs of equal pixels, ending each row and the bitmap.
std::vector<uint8_t> RleEncode(uint32_t width, uint32_t height, bool fourBits, const std::vector<uint32_t>& values);

}  // namespace writers
