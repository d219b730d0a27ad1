#include "writers/TimWriter.h"

#include "writers/ByteWriter.h"

namespace writers {

namespace {
std::vector<uint8_t> Block(const std::vector<TimRectDesc>& rects) {
  ByteWriter body;
  for (const TimRectDesc& r : rects) {
    body.LeU2(r.x).LeU2(r.y).LeU2(r.width).LeU2(r.height);
    for (size_t i = 0; i < size_t{r.width} * r.height; ++i)
      body.LeU2(r.values.empty() ? static_cast<uint16_t>(i) : r.values[i]);
  }
  ByteWriter block;
  block.LeU4(static_cast<uint32_t>(body.size() + 4)).Bytes(body.bytes());
  return block.bytes();
}
}  // namespace

std::vector<uint8_t> MakeTim(const TimLayout& layout) {
  const bool palette = !layout.palettes.empty() || layout.forcePaletteBlock;
  ByteWriter w;
  w.LeU4(layout.id).LeU4((layout.mode & 7) | (palette ? 8u : 0u));
  if (palette) w.Bytes(Block(layout.palettes));
  w.Bytes(Block(layout.images));
  return w.bytes();
}

// Widths are in 16-bit units; the palette is one row of 16 or 256 entries.
TimLayout Tim4Bit(uint16_t x, uint16_t y, uint16_t width, uint16_t height, uint16_t palX, uint16_t palY) {
  return {0x10, 0, {{palX, palY, 16, 1, {}}}, {{x, y, width, height, {}}}, false};
}
TimLayout Tim8Bit(uint16_t x, uint16_t y, uint16_t width, uint16_t height, uint16_t palX, uint16_t palY) {
  return {0x10, 1, {{palX, palY, 256, 1, {}}}, {{x, y, width, height, {}}}, false};
}
TimLayout Tim15Bit(uint16_t x, uint16_t y, uint16_t width, uint16_t height) {
  return {0x10, 2, {}, {{x, y, width, height, {}}}, false};
}

}  // namespace writers
