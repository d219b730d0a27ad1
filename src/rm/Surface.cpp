#include "rm/Surface.h"

#include <algorithm>
#include <new>

#include "diag/Dbug.h"

namespace rm {

namespace {

uint32_t IndexedFlag(uint32_t bits) {
  switch (bits) {
    case 1: return PF_PALETTEINDEXED1;
    case 2: return PF_PALETTEINDEXED2;
    case 4: return PF_PALETTEINDEXED4;
    case 8: return PF_PALETTEINDEXED8;
    default: return 0;
  }
}

// Scales the bits of `value` under `mask` to 0..255.
uint32_t Channel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const uint32_t field = mask >> shift;
  const uint32_t v = (value & mask) >> shift;
  return static_cast<uint32_t>((static_cast<uint64_t>(v) * 255 + field / 2) / field);
}

}  // namespace

PixelFormat PixelFormat::Indexed(uint32_t bits) {
  PixelFormat f;
  f.flags = PF_RGB | IndexedFlag(bits);
  f.bitsPerPixel = bits;
  f.redMask = f.greenMask = f.blueMask = f.alphaMask = 0;
  return f;
}

PixelFormat PixelFormat::Rgb(uint32_t bits, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha) {
  PixelFormat f;
  f.flags = PF_RGB | (alpha ? PF_ALPHAPIXELS : 0);
  f.bitsPerPixel = bits;
  if (red == 0 && green == 0 && blue == 0) {
    if (bits == 16) {
      red = 0x7C00, green = 0x03E0, blue = 0x001F;
    } else {
      red = 0x00FF0000, green = 0x0000FF00, blue = 0x000000FF;
    }
  }
  f.redMask = red, f.greenMask = green, f.blueMask = blue, f.alphaMask = alpha;
  return f;
}

Palette::Palette(PaletteCaps caps, std::span<const PaletteEntry> entries)
    : caps_(caps), entries_(entries.begin(), entries.begin() + std::min<size_t>(entries.size(), 256)) {}

bool ImageSizeAllowed(int64_t width, int64_t height, Failure* why) {
  if (width <= 0 || height <= 0)
    return Fail(why, "an image of %s x %s pixels is empty", Thousands(width).c_str(), Thousands(height).c_str());
  if (width > MAX_IMAGE_SIDE || height > MAX_IMAGE_SIDE ||
      static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > MAX_IMAGE_PIXELS)
    return Fail(why, "an image of %s x %s pixels is larger than the %s pixels a side and %s pixels in all allowed",
                Thousands(width).c_str(), Thousands(height).c_str(), Thousands(MAX_IMAGE_SIDE).c_str(),
                Thousands(static_cast<int64_t>(MAX_IMAGE_PIXELS)).c_str());
  return true;
}

SurfacePtr Surface::Create(uint32_t width, uint32_t height, const PixelFormat& format) {
  const uint32_t bits = format.bitsPerPixel;
  const bool indexed = format.IsIndexed();
  if (indexed ? IndexedFlag(bits) == 0 : (bits != 16 && bits != 24 && bits != 32)) {
    ReportWarning(DebugFormat("Surface: %u bits per pixel are not supported", bits));
    return nullptr;
  }
  Failure why;
  if (!ImageSizeAllowed(width, height, &why)) {
    ReportWarning(DebugFormat("Surface: %s", why.what.c_str()));
    return nullptr;
  }
  const uint64_t pitch = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
  SurfacePtr s(new (std::nothrow) Surface());
  if (!s) return nullptr;
  try {
    s->pixels_.assign(static_cast<size_t>(pitch * height), 0);
  } catch (const std::bad_alloc&) {
    ReportWarning(DebugFormat("Surface: no memory for %u x %u", width, height));
    return nullptr;
  }
  s->width_ = width, s->height_ = height, s->pitch_ = static_cast<uint32_t>(pitch);
  s->format_ = format;
  return s;
}

uint32_t Surface::GetPixel(uint32_t x, uint32_t y) const {
  if (x >= width_ || y >= height_) return 0;
  const uint8_t* row = pixels_.data() + static_cast<size_t>(y) * pitch_;
  const uint32_t bits = format_.bitsPerPixel;
  switch (bits) {
    case 1:
    case 2:
    case 4: {
      const uint32_t bit = x * bits;
      const uint32_t shift = 8 - bits - bit % 8;
      return (row[bit / 8] >> shift) & ((1u << bits) - 1);
    }
    case 8: return row[x];
    case 16: return row[2 * x] | row[2 * x + 1] << 8;
    case 24: return row[3 * x] | row[3 * x + 1] << 8 | static_cast<uint32_t>(row[3 * x + 2]) << 16;
    default:
      return row[4 * x] | row[4 * x + 1] << 8 | row[4 * x + 2] << 16 | static_cast<uint32_t>(row[4 * x + 3]) << 24;
  }
}

void Surface::SetPixel(uint32_t x, uint32_t y, uint32_t value) {
  if (x >= width_ || y >= height_) return;
  uint8_t* row = pixels_.data() + static_cast<size_t>(y) * pitch_;
  const uint32_t bits = format_.bitsPerPixel;
  switch (bits) {
    case 1:
    case 2:
    case 4: {
      const uint32_t bit = x * bits;
      const uint32_t shift = 8 - bits - bit % 8;
      const uint32_t mask = ((1u << bits) - 1) << shift;
      row[bit / 8] = static_cast<uint8_t>((row[bit / 8] & ~mask) | ((value << shift) & mask));
      break;
    }
    case 8: row[x] = static_cast<uint8_t>(value); break;
    case 16:
      row[2 * x] = static_cast<uint8_t>(value), row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
      break;
    case 24:
      row[3 * x] = static_cast<uint8_t>(value), row[3 * x + 1] = static_cast<uint8_t>(value >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(value >> 16);
      break;
    default:
      for (int i = 0; i < 4; ++i) row[4 * x + i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

Color Surface::GetColor(uint32_t x, uint32_t y) const {
  const uint32_t value = GetPixel(x, y);
  if (format_.IsIndexed()) {
    if (!palette_ || value >= palette_->size()) return 0xFF000000u;
    const PaletteEntry& e = palette_->GetEntries()[value];
    return 0xFF000000u | static_cast<uint32_t>(e.red) << 16 | static_cast<uint32_t>(e.green) << 8 | e.blue;
  }
  const uint32_t alpha = format_.alphaMask ? Channel(value, format_.alphaMask) : 0xFF;
  return alpha << 24 | Channel(value, format_.redMask) << 16 | Channel(value, format_.greenMask) << 8 |
         Channel(value, format_.blueMask);
}

}  // namespace rm
