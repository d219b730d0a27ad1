// Builds TIM image files for tests: a palette block and an image block, each
// with any number of rectangles.
#pragma once

#include <cstdint>
#include <vector>

namespace writers {

struct TimRectDesc {
  uint16_t x = 0, y = 0, width = 0, height = 0;
  std::vector<uint16_t> values;  // width * height; filled with 0, 1, 2, ... when empty
};

struct TimLayout {
  uint32_t id = 0x10;
  uint32_t mode = 0;  // pixel mode, bits 0-2 of the flags
  std::vector<TimRectDesc> palettes;  // none: no palette block (unless forcePaletteBlock)
  std::vector<TimRectDesc> images;
  bool forcePaletteBlock = false;
};

std::vector<uint8_t> MakeTim(const TimLayout& layout);

// The common shapes: a 4-bit image with a 16-entry palette, an 8-bit one with
// 256 entries, and a 15-bit direct-colour one. Width is in 16-bit units.
TimLayout Tim4Bit(uint16_t x, uint16_t y, uint16_t width, uint16_t height, uint16_t palX = 0, uint16_t palY = 480);
TimLayout Tim8Bit(uint16_t x, uint16_t y, uint16_t width, uint16_t height, uint16_t palX = 0, uint16_t palY = 481);
TimLayout Tim15Bit(uint16_t x, uint16_t y, uint16_t width, uint16_t height);

}  // namespace writers
