// Immediate-mode textures made from bitmaps, the choice of the device's
// texture format for a bitmap's depth, and the texts of surface-creation
// errors. Traces go to the debugger output, each "TEXTURE: " text CR LF.
#pragma once

#include <cstdint>

#include "rm/ImmediateDevice.h"

class D3DTexture {
 public:
  // Reads the bitmap file `name` (a Windows bitmap, or any image the engine
  // reads) and makes it a texture of the device. False, with nothing kept,
  // when the file is not an image or the device cannot take it.
  bool Load(rm::ImDevice& device, const char* name);
  // The same from a bitmap already in memory (traced under `name`).
  bool LoadBitmap(rm::ImDevice& device, const char* name, const rm::SurfacePtr& bitmap);
  // Puts the bitmap into the memory surface and the device surface.
  bool Copy(const rm::SurfacePtr& bitmap);
  // Loads the device surface from the memory surface; true at once when
  // they are one surface.
  bool Restore();
  void Release();

  rm::TextureHandle handle() const { return handle_; }
  const rm::DDSurfacePtr& memorySurface() const { return memorySurface_; }
  const rm::DDSurfacePtr& deviceSurface() const { return deviceSurface_; }
  const rm::PalettePtr& palette() const { return palette_; }

 private:
  uint32_t unused_ = 0;
  rm::DDSurfacePtr memorySurface_;
  rm::DDSurfacePtr deviceSurface_;
  rm::PalettePtr palette_;
  rm::TextureHandle handle_ = 0;
};

// What ChooseTexture looks for and what it has found so far (a zero format:
// nothing yet).
struct TextureChoice {
  uint32_t wanted = 0;
  rm::PixelFormat chosen{0, 0, 0, 0, 0, 0};
};

// The device's texture format closest to `wanted` bits per pixel (see
// FindTexture); a zero format when none will do.
void ChooseTexture(rm::ImDevice& device, uint32_t wanted, rm::PixelFormat* out);
// Looks at one offered format. Formats with alpha, palette-less formats of 8
// bits or fewer, non-RGB formats above 8 bits and formats below 8 bits are
// skipped. Otherwise the first eligible format is taken, and a later one
// replaces it when it is at least the wanted depth and nearer to it (the
// distance of the chosen one is taken unsigned, so any format at or above the
// wanted depth beats one below it). Always 1: the enumeration goes on.
rm::HRESULT FindTexture(const rm::SurfaceDesc& desc, TextureChoice* choice);

// Names a surface-creation error on the debugger output (no newline).
void ReportSurfaceError(rm::HRESULT code);
