#include "writers/BmpWriter.h"

#include "writers/ByteWriter.h"

namespace writers {

std::vector<uint8_t> MakeBmp(const BmpDesc& desc) {
  const bool core = desc.headerSize == 12;
  // A 40-byte header is followed by the masks; larger ones hold them.
  const uint32_t extraMasks = desc.headerSize == 40 ? static_cast<uint32_t>(desc.masks.size()) * 4 : 0;
  const uint32_t paletteSize = static_cast<uint32_t>(desc.palette.size()) * (core ? 3 : 4);
  const uint32_t offBits = 14 + desc.headerSize + extraMasks + paletteSize;
  ByteWriter w;
  w.Text("BM").LeU4(offBits + static_cast<uint32_t>(desc.pixelData.size())).LeU4(0).LeU4(offBits);
  w.LeU4(desc.headerSize);
  if (core) {
    w.LeU2(static_cast<uint16_t>(desc.width)).LeU2(static_cast<uint16_t>(desc.height)).LeU2(1).LeU2(desc.bits);
  } else {
    w.LeI4(desc.width).LeI4(desc.height).LeU2(1).LeU2(desc.bits).LeU4(desc.compression);
    w.LeU4(static_cast<uint32_t>(desc.pixelData.size())).LeU4(2835).LeU4(2835).LeU4(desc.colorsUsed).LeU4(0);
    std::vector<uint32_t> masks = desc.masks;
    masks.resize(std::max<size_t>(4, masks.size()), 0);
    for (size_t at = 40, i = 0; at < desc.headerSize; at += 4, ++i) w.LeU4(i < 4 ? masks[i] : 0);  // then colour space
    for (size_t i = 0; i < extraMasks / 4; ++i) w.LeU4(masks[i]);
  }
  for (uint32_t c : desc.palette) {
    w.U1(static_cast<uint8_t>(c)).U1(static_cast<uint8_t>(c >> 8)).U1(static_cast<uint8_t>(c >> 16));
    if (!core) w.U1(0);
  }
  return w.Bytes(desc.pixelData).bytes();
}

std::vector<uint8_t> PackBmpRows(uint32_t width, uint32_t height, uint16_t bits, const std::vector<uint32_t>& values,
                                 bool topDown) {
  const uint32_t stride = (width * bits + 31) / 32 * 4;
  std::vector<uint8_t> out(static_cast<size_t>(stride) * height, 0);
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = out.data() + static_cast<size_t>(topDown ? y : height - 1 - y) * stride;
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t v = values[static_cast<size_t>(y) * width + x], bit = x * bits;
      if (bits < 8) row[bit / 8] |= static_cast<uint8_t>(v << (8 - bits - bit % 8));
      for (uint32_t i = 0; bits >= 8 && i < bits / 8u; ++i) row[bit / 8 + i] = static_cast<uint8_t>(v >> (8 * i));
    }
  }
  return out;
}

std::vector<uint8_t> RleEncode(uint32_t width, uint32_t height, bool fourBits, const std::vector<uint32_t>& values) {
  std::vector<uint8_t> out;
  for (uint32_t r = 0; r < height; ++r) {
    const uint32_t* row = values.data() + static_cast<size_t>(height - 1 - r) * width;
    for (uint32_t x = 0, n = 1; x < width; x += n, n = 1) {
      while (x + n < width && row[x + n] == row[x] && n < 255) ++n;
      out.push_back(static_cast<uint8_t>(n));
      out.push_back(static_cast<uint8_t>(fourBits ? (row[x] << 4 | row[x]) : row[x]));
    }
    out.insert(out.end(), {0, 0});
  }
  out.insert(out.end(), {0, 1});
  return out;
}

}  // namespace writers
