// Surfaces and palettes: images in memory with a pixel format, as textures,
// bitmap loaders and the texture dialogs use them.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "diag/Failure.h"
#include "rm/Types.h"

namespace rm {

// Pixel format flags (the values of the display API they replace).
using PixelFormatFlags = uint32_t;
constexpr PixelFormatFlags PF_ALPHAPIXELS = 0x1;
constexpr PixelFormatFlags PF_PALETTEINDEXED4 = 0x8;
constexpr PixelFormatFlags PF_PALETTEINDEXED8 = 0x20;
constexpr PixelFormatFlags PF_RGB = 0x40;
constexpr PixelFormatFlags PF_PALETTEINDEXED1 = 0x800;
constexpr PixelFormatFlags PF_PALETTEINDEXED2 = 0x1000;
constexpr PixelFormatFlags PF_PALETTEINDEXED_ANY =
    PF_PALETTEINDEXED1 | PF_PALETTEINDEXED2 | PF_PALETTEINDEXED4 | PF_PALETTEINDEXED8;

struct PixelFormat {
  PixelFormatFlags flags = PF_RGB;
  uint32_t bitsPerPixel = 32;
  uint32_t redMask = 0x00FF0000, greenMask = 0x0000FF00, blueMask = 0x000000FF, alphaMask = 0;

  // RGB of 1, 2, 4 or 8 bits with the matching palette-indexed flag.
  static PixelFormat Indexed(uint32_t bits);
  // RGB of 16 (5-5-5 unless masks are given), 24 or 32 bits.
  static PixelFormat Rgb(uint32_t bits, uint32_t red = 0, uint32_t green = 0, uint32_t blue = 0, uint32_t alpha = 0);
  bool IsIndexed() const { return (flags & PF_PALETTEINDEXED_ANY) != 0; }
};

// Palette capability flags and entry flags.
using PaletteCaps = uint32_t;
constexpr PaletteCaps PCAPS_4BIT = 0x1;
constexpr PaletteCaps PCAPS_8BIT = 0x4;
constexpr PaletteCaps PCAPS_1BIT = 0x100;
constexpr PaletteCaps PCAPS_2BIT = 0x200;
constexpr uint8_t PALETTE_ENTRY_RESERVED = 0x01;
constexpr uint8_t PALETTE_ENTRY_READONLY = 0x40;

struct PaletteEntry {
  uint8_t red = 0, green = 0, blue = 0, flags = 0;
};

class Palette {
 public:
  // At most 256 entries are kept.
  Palette(PaletteCaps caps, std::span<const PaletteEntry> entries);
  PaletteCaps GetCaps() const { return caps_; }
  const std::vector<PaletteEntry>& GetEntries() const { return entries_; }
  uint32_t size() const { return static_cast<uint32_t>(entries_.size()); }
  // Caps for a colour table of `count` entries: 8-bit above 16, 4-bit otherwise.
  static PaletteCaps CapsForCount(uint32_t count) { return count > 16 ? PCAPS_8BIT : PCAPS_4BIT; }

 private:
  PaletteCaps caps_;
  std::vector<PaletteEntry> entries_;
};

// The largest image any reader takes in. Textures end up on the graphics
// card, but the converter has no OpenGL context to ask, and a small file may
// declare a huge image: 16,384 a side is what every current card takes, and
// 64 mebipixels (256 MB at 32 bits) bounds the memory one image can claim.
constexpr uint32_t MAX_IMAGE_SIDE = 16384;
constexpr uint64_t MAX_IMAGE_PIXELS = uint64_t{1} << 26;
// False, with the reason in *why (when given), for an image of a zero side or
// beyond the limits above.
bool ImageSizeAllowed(int64_t width, int64_t height, Failure* why = nullptr);

// Pixels are stored top row first, each row `pitch` bytes (rows padded to 4
// bytes). Sub-byte pixels are packed with the leftmost pixel in the highest
// bits; 16- and 32-bit pixels are little-endian words; 24-bit pixels are
// blue, green, red bytes.
class Surface {
 public:
  // Null (reported) for a size ImageSizeAllowed refuses or a format without
  // a usable depth.
  static SurfacePtr Create(uint32_t width, uint32_t height, const PixelFormat& format);

  uint32_t GetWidth() const { return width_; }
  uint32_t GetHeight() const { return height_; }
  uint32_t GetPitch() const { return pitch_; }
  const PixelFormat& GetPixelFormat() const { return format_; }
  std::span<uint8_t> Row(uint32_t y) { return {pixels_.data() + static_cast<size_t>(y) * pitch_, pitch_}; }
  std::span<const uint8_t> Row(uint32_t y) const {
    return {pixels_.data() + static_cast<size_t>(y) * pitch_, pitch_};
  }
  std::span<uint8_t> Pixels() { return pixels_; }
  std::span<const uint8_t> Pixels() const { return pixels_; }

  const PalettePtr& GetPalette() const { return palette_; }
  void SetPalette(PalettePtr palette) { palette_ = std::move(palette); }

  // The raw pixel value (palette index or packed colour); 0 outside.
  uint32_t GetPixel(uint32_t x, uint32_t y) const;
  void SetPixel(uint32_t x, uint32_t y, uint32_t value);
  // The pixel as 0xAARRGGBB through the palette or the masks; alpha is 0xFF
  // without an alpha mask; an index beyond the palette gives opaque black.
  Color GetColor(uint32_t x, uint32_t y) const;

 private:
  Surface() = default;
  uint32_t width_ = 0, height_ = 0, pitch_ = 0;
  PixelFormat format_;
  std::vector<uint8_t> pixels_;
  PalettePtr palette_;
};

}  // namespace rm
