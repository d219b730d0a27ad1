// Windows bitmaps as engine surfaces: indexed bitmaps keep their depth and get
// their colour table as palette, others keep their own depth.
#pragma once

#include <cstdint>

#include "rm/Types.h"

constexpr int32_t BITMAP_E_FAIL = static_cast<int32_t>(0x80004005u);

// The bitmap file `name` as a surface of width x height (0 keeps the bitmap's
// own size; other sizes stretch it). Null, without a message, when the file
// is missing or not a bitmap.
rm::SurfacePtr LoadBitmapSurface(const char* name, uint32_t width, uint32_t height);

// Stretches the rectangle (x, y, width, height) of bitmap (0 for the
// bitmap's own width or height) over the whole surface. 0 on success;
// BITMAP_E_FAIL for a missing surface or bitmap or pixel formats that cannot
// be copied between.
int32_t CopyBitmapToSurface(const rm::SurfacePtr& surface, const rm::SurfacePtr& bitmap, uint32_t x, uint32_t y,
                            uint32_t width, uint32_t height);
