// Image files: Windows bitmaps (our own decoder, keeping depth and colour
// table), PPM, and PNG, JPEG and TGA. Every decoder checks sizes before it
// reads, reports why it refuses an image, and returns null then.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "rm/Surface.h"

namespace rm {

// A BMP (file header and an info header of 12, 40, 52, 56, 108 or 124 bytes)
// of 1, 4, 8, 16, 24 or 32 bits, with RLE4, RLE8 or bit fields, top-down or
// bottom-up. Indexed images give a palette-indexed surface of the same depth
// with the colour table as palette; others an RGB surface of the same depth
// with the masks of the file.
// Images beyond the size limits of rm/Surface.h are refused from their header.
SurfacePtr DecodeBmp(std::span<const uint8_t> data, Failure* why = nullptr);
// Binary (P6) or text (P3) PPM with a maximum value up to 65535: 24-bit RGB.
SurfacePtr DecodePpm(std::span<const uint8_t> data, Failure* why = nullptr);
// PNG, JPEG or TGA: 32-bit ARGB.
SurfacePtr DecodeStbImage(std::span<const uint8_t> data, Failure* why = nullptr);
// Chooses the decoder by the data's first bytes (BMP, PPM, else the others).
// Every decoder puts the reason of a refusal in *why when given.
SurfacePtr DecodeImage(std::span<const uint8_t> data, Failure* why = nullptr);
// Reads a whole file and decodes it; null (reported) when it cannot be read,
// with why, when given, saying why and naming the file.
SurfacePtr LoadImageFile(const std::string& path, Failure* why = nullptr);

}  // namespace rm
