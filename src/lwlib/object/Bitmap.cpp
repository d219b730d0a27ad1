#include "lwlib/object/Bitmap.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <vector>

#include "diag/Dbug.h"
#include "diag/TrackedBuffer.h"
#include "platform/File.h"
#include "rm/Image.h"
#include "rm/Surface.h"

namespace {

// Puts an 8-bit channel into the bits of mask.
uint32_t Channel(uint32_t value8, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const uint32_t max = mask >> shift;
  return ((value8 * max + 127) / 255) << shift & mask;
}

uint32_t Encode(rm::Color c, const rm::PixelFormat& f) {
  uint32_t red = f.redMask, green = f.greenMask, blue = f.blueMask;
  if (red == 0 && green == 0 && blue == 0) {
    if (f.bitsPerPixel == 16) {
      red = 0x7C00, green = 0x03E0, blue = 0x001F;
    } else {
      red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF;
    }
  }
  return Channel((c >> 16) & 0xFF, red) | Channel((c >> 8) & 0xFF, green) | Channel(c & 0xFF, blue) |
         Channel(c >> 24, f.alphaMask);
}

bool SameFormat(const rm::PixelFormat& a, const rm::PixelFormat& b) {
  return a.flags == b.flags && a.bitsPerPixel == b.bitsPerPixel && a.redMask == b.redMask &&
         a.greenMask == b.greenMask && a.blueMask == b.blueMask && a.alphaMask == b.alphaMask;
}

}  // namespace

rm::SurfacePtr LoadBitmapSurface(const char* name, uint32_t width, uint32_t height) {
  // A name that is not a file is simply not a bitmap: nothing to report.
  if (!name || !FileExists(name)) return nullptr;
  ScopedFile file(FileOpen(name, "rb"));
  if (!file) return nullptr;
  const int64_t length = FileLength(file.get());
  if (length <= 0 || static_cast<uint64_t>(length) > UINT32_MAX) return nullptr;
  TrackedBuffer<uint8_t> bytes;
  if (!bytes.Allocate(static_cast<size_t>(length))) return nullptr;
  if (FileRead(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return nullptr;
  file.Close();
  rm::SurfacePtr bitmap = rm::DecodeBmp(bytes.span());
  bytes.Reset();
  if (!bitmap) return nullptr;

  const rm::PixelFormat& source = bitmap->GetPixelFormat();
  const uint32_t w = width ? width : bitmap->GetWidth();
  const uint32_t h = height ? height : bitmap->GetHeight();
  rm::SurfacePtr surface = rm::Surface::Create(w, h, source);
  if (!surface) {
    ReportWarning("Unknown surface creation error");
    return nullptr;
  }
  if (source.IsIndexed() && bitmap->GetPalette()) {
    const std::vector<rm::PaletteEntry>& table = bitmap->GetPalette()->GetEntries();
    std::vector<rm::PaletteEntry> entries(table.begin(), table.begin() + std::min<size_t>(table.size(), 256));
    for (rm::PaletteEntry& e : entries) e.flags = 0;
    surface->SetPalette(std::make_shared<rm::Palette>(rm::Palette::CapsForCount(static_cast<uint32_t>(entries.size())),
                                                      entries));
  }
  if (CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0) != 0) return nullptr;
  return surface;
}

int32_t CopyBitmapToSurface(const rm::SurfacePtr& surface, const rm::SurfacePtr& bitmap, uint32_t x, uint32_t y,
                            uint32_t width, uint32_t height) {
  if (!surface || !bitmap) return BITMAP_E_FAIL;
  const rm::PixelFormat& to = surface->GetPixelFormat();
  const rm::PixelFormat& from = bitmap->GetPixelFormat();
  const bool raw = SameFormat(to, from);
  if (!raw && to.IsIndexed()) return BITMAP_E_FAIL;  // no colour matching into a palette
  const uint64_t w = width ? width : bitmap->GetWidth();
  const uint64_t h = height ? height : bitmap->GetHeight();
  const uint32_t W = surface->GetWidth(), H = surface->GetHeight();
  for (uint32_t dy = 0; dy < H; ++dy) {
    const uint64_t sy = y + dy * h / H;
    if (sy >= bitmap->GetHeight()) continue;  // outside the bitmap: left as it is
    for (uint32_t dx = 0; dx < W; ++dx) {
      const uint64_t sx = x + dx * w / W;
      if (sx >= bitmap->GetWidth()) continue;
      const uint32_t px = static_cast<uint32_t>(sx), py = static_cast<uint32_t>(sy);
      surface->SetPixel(dx, dy, raw ? bitmap->GetPixel(px, py) : Encode(bitmap->GetColor(px, py), to));
    }
  }
  return 0;
}
