// The texts here are the program's own and are kept as users and scripts
// know them, misspellings ("Creationm") included, on purpose.
#include "immediate/D3DTexture.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "diag/Dbug.h"
#include "lwlib/object/Bitmap.h"
#include "platform/File.h"
#include "rm/Image.h"

namespace {

// One trace: "TEXTURE: ", the text (at most 127 characters), CR LF.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Trace(const char* format, ...) {
  char text[128];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  OutputDebugText("TEXTURE: ");
  OutputDebugText(text);
  OutputDebugText("\r\n");
}

bool HasAlpha(const rm::PixelFormat& f) { return (f.flags & (rm::PF_ALPHAPIXELS | rm::PF_ALPHA)) != 0; }
bool IsPalettised(const rm::PixelFormat& f) {
  return (f.flags & (rm::PF_PALETTEINDEXED8 | rm::PF_PALETTEINDEXED4)) != 0;
}

void TraceFormat(const char* what, const rm::PixelFormat& f) {
  Trace("%s: %d %s%s%s %08X %08X %08X %08X", what, static_cast<int>(f.bitsPerPixel), HasAlpha(f) ? "ALPHA " : "",
        (f.flags & rm::PF_RGB) ? "RGB " : "", IsPalettised(f) ? "PAL " : "", f.redMask, f.greenMask, f.blueMask,
        f.alphaMask);
}

const char* GetDCErrorName(rm::HRESULT code) {
  switch (code) {
    case rm::DDERR_DCALREADYCREATED: return "DDERR_DCALREADYCREATED\n";
    case rm::DDERR_GENERIC: return "DDERR_GENERIC\n";
    case rm::DDERR_INVALIDOBJECT: return "DDERR_INVALIDOBJECT\n";
    case rm::DDERR_INVALIDPARAMS: return "DDERR_INVALIDPARAMS\n";
    case rm::DDERR_INVALIDSURFACETYPE: return "DDERR_INVALIDSURFACETYPE\n";
    case rm::DDERR_SURFACELOST: return "DDERR_SURFACELOST\n";
    case rm::DDERR_UNSUPPORTED: return "DDERR_UNSUPPORTED\n";
    case rm::DDERR_WASSTILLDRAWING: return "DDERR_WASSTILLDRAWING\n";
    default: return "Unspecified error\n";
  }
}

}  // namespace

void ReportSurfaceError(rm::HRESULT code) {
  static const struct {
    rm::HRESULT code;
    const char* name;
  } kNames[] = {
      {rm::DDERR_INCOMPATIBLEPRIMARY, "DDERR_INCOMPATIBLEPRIMARY"},
      {rm::DDERR_INVALIDCAPS, "DDERR_INVALIDCAPS"},
      {rm::DDERR_INVALIDOBJECT, "DDERR_INVALIDOBJECT"},
      {rm::DDERR_INVALIDPARAMS, "DDERR_INVALIDPARAMS"},
      {rm::DDERR_INVALIDPIXELFORMAT, "DDERR_INVALIDPIXELFORMAT"},
      {rm::DDERR_NOALPHAHW, "DDERR_NOALPHAHW"},
      {rm::DDERR_NOCOOPERATIVELEVELSET, "DDERR_NOCOOPERATIVELEVELSET"},
      {rm::DDERR_NODIRECTDRAWHW, "DDERR_NODIRECTDRAWHW"},
      {rm::DDERR_NOEMULATION, "DDERR_NOEMULATION"},
      {rm::DDERR_NOEXCLUSIVEMODE, "DDERR_NOEXCLUSIVEMODE"},
      {rm::DDERR_NOFLIPHW, "DDERR_NOFLIPHW"},
      {rm::DDERR_NOMIPMAPHW, "DDERR_NOMIPMAPHW"},
      {rm::DDERR_NOOVERLAYHW, "DDERR_NOOVERLAYHW"},
      {rm::DDERR_NOZBUFFERHW, "DDERR_NOZBUFFERHW"},
      {rm::DDERR_OUTOFMEMORY, "DDERR_OUTOFMEMORY"},
      {rm::DDERR_OUTOFVIDEOMEMORY, "DDERR_OUTOFVIDEOMEMORY"},
      {rm::DDERR_PRIMARYSURFACEALREADYEXISTS, "DDERR_PRIMARYSURFACEALREADYEXISTS"},
      {rm::DDERR_UNSUPPORTEDMODE, "DDERR_UNSUPPORTEDMODE"},
  };
  for (const auto& entry : kNames)
    if (entry.code == code) {
      OutputDebugText((std::string("Surface Creationm error : ") + entry.name).c_str());
      return;
    }
  OutputDebugText("Unknown surface creation error");
}

rm::HRESULT FindTexture(const rm::SurfaceDesc& desc, TextureChoice* choice) {
  const rm::PixelFormat& f = desc.format;
  TraceFormat("FindTexture", f);
  if (!choice || HasAlpha(f)) return 1;
  const uint32_t b = f.bitsPerPixel;
  if (b <= 8 && !IsPalettised(f)) return 1;
  if (b > 8 && !(f.flags & rm::PF_RGB)) return 1;
  if (b < 8) return 1;
  const uint32_t w = choice->wanted, chosen = choice->chosen.bitsPerPixel;
  if (chosen == 0 || (b >= w && b - w < chosen - w)) choice->chosen = f;
  return 1;
}

void ChooseTexture(rm::ImDevice& device, uint32_t wanted, rm::PixelFormat* out) {
  TextureChoice choice;
  choice.wanted = wanted;
  device.EnumTextureFormats([&choice](const rm::SurfaceDesc& desc) { return FindTexture(desc, &choice); });
  if (out) *out = choice.chosen;
  TraceFormat("ChooseTexture", choice.chosen);
}

bool D3DTexture::Load(rm::ImDevice& device, const char* name) {
  *this = D3DTexture{};
  if (!name) return false;
  Trace("D3DTexture::Load(%s)", name);
  // Windows bitmaps keep their depth and colour table; other images the
  // engine reads come as true colour.
  rm::SurfacePtr bitmap = LoadBitmapSurface(name, 0, 0);
  if (!bitmap && FileExists(name)) bitmap = rm::LoadImageFile(name);
  if (!bitmap) return false;
  return LoadBitmap(device, name, bitmap);
}

bool D3DTexture::LoadBitmap(rm::ImDevice& device, const char* name, const rm::SurfacePtr& bitmap) {
  *this = D3DTexture{};
  if (!bitmap) return false;
  rm::DDSurfacePtr target;
  if (device.GetRenderTarget(&target) != rm::DD_OK || !target) return false;
  const rm::DirectDrawPtr draw = target->GetDDInterface();
  if (!draw) return false;
  auto fail = [this] {
    Release();
    return false;
  };

  rm::SurfaceDesc desc;
  ChooseTexture(device, bitmap->GetPixelFormat().bitsPerPixel, &desc.format);
  if (desc.format.bitsPerPixel == 0) {
    ReportWarning(DebugFormat("The 3D device offers no texture format for %s", name ? name : "a bitmap"));
    return fail();
  }
  desc.flags = rm::SD_CAPS | rm::SD_HEIGHT | rm::SD_WIDTH | rm::SD_PIXELFORMAT;
  desc.width = bitmap->GetWidth();
  desc.height = bitmap->GetHeight();
  rm::DeviceDesc hardware, software;
  device.GetCaps(&hardware, &software);
  const bool onDevice = hardware.colorModel != 0;
  desc.caps = onDevice ? rm::SCAPS_TEXTURE | rm::SCAPS_VIDEOMEMORY | rm::SCAPS_ALLOCONLOAD
                       : rm::SCAPS_TEXTURE | rm::SCAPS_SYSTEMMEMORY;
  if (const rm::HRESULT code = draw->CreateSurface(desc, &deviceSurface_); code != rm::DD_OK) {
    ReportSurfaceError(code);
    return fail();
  }
  if (onDevice) {
    desc.caps = rm::SCAPS_TEXTURE | rm::SCAPS_SYSTEMMEMORY;
    if (const rm::HRESULT code = draw->CreateSurface(desc, &memorySurface_); code != rm::DD_OK) {
      ReportSurfaceError(code);
      return fail();
    }
  } else {
    memorySurface_ = deviceSurface_;
  }

  if (desc.format.bitsPerPixel <= 8) {
    // The bitmap's colour table, up to 256 entries; a table of up to 16
    // makes a 4-bit palette.
    const rm::PalettePtr& table = bitmap->GetPalette();
    std::vector<rm::PaletteEntry> entries;
    if (table) entries.assign(table->GetEntries().begin(), table->GetEntries().end());
    if (entries.size() > 256) entries.resize(256);
    for (rm::PaletteEntry& e : entries) e.flags = 0;
    const uint32_t count = static_cast<uint32_t>(entries.size());
    if (draw->CreatePalette(count > 16 ? rm::PCAPS_8BIT : rm::PCAPS_4BIT, entries, &palette_) != rm::DD_OK ||
        memorySurface_->SetPalette(palette_) != rm::DD_OK || deviceSurface_->SetPalette(palette_) != rm::DD_OK)
      return fail();
  }

  if (!Copy(bitmap) || deviceSurface_->GetHandle(device, &handle_) != rm::DD_OK) return fail();
  return true;
}

bool D3DTexture::Copy(const rm::SurfacePtr& bitmap) {
  Trace("D3DTexture::Copy");
  if (!memorySurface_ || !bitmap) return false;
  rm::SurfacePtr pixels;
  if (const rm::HRESULT code = memorySurface_->GetDC(&pixels); code != rm::DD_OK) {
    OutputDebugText(GetDCErrorName(code));
    return false;
  }
  bool copied = true;
  if (pixels->GetPixelFormat().IsIndexed() && bitmap->GetPixelFormat().IsIndexed()) {
    // Both index the same colour table: the indices go across as they are.
    const uint32_t w = std::min(pixels->GetWidth(), bitmap->GetWidth());
    const uint32_t h = std::min(pixels->GetHeight(), bitmap->GetHeight());
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x) pixels->SetPixel(x, y, bitmap->GetPixel(x, y));
  } else {
    copied = CopyBitmapToSurface(pixels, bitmap, 0, 0, 0, 0) == 0;
  }
  memorySurface_->ReleaseDC();
  if (!copied) {
    ReportWarning("A true-colour bitmap cannot be copied into a palettised texture");
    return false;
  }
  return Restore();
}

bool D3DTexture::Restore() {
  Trace("D3DTexture::Restore");
  if (!memorySurface_ || !deviceSurface_) return false;
  if (memorySurface_ == deviceSurface_) return true;
  if (deviceSurface_->Restore() != rm::DD_OK) return false;
  return deviceSurface_->Load(*memorySurface_) == rm::DD_OK;
}

void D3DTexture::Release() {
  Trace("D3DTexture::Release");
  memorySurface_.reset();
  deviceSurface_.reset();
  palette_.reset();
  handle_ = 0;
  (void)unused_;
}
