// Any bytes as a TIM file: the parser must refuse or describe them without
// reading outside them, and give back every block it took.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "psx/Tim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TimImage tim;
  if (ParseTim(tim, std::span<const uint8_t>(data, size))) {
    uint32_t sum = static_cast<uint32_t>(TimBitsPerPixel(tim, 0));
    for (uint32_t i = 0; i < tim.imageCount; ++i) {
      const uint8_t* p = TimImagePixels(tim, i);
      const size_t bytes = size_t{TimImageWidth(tim, i)} * TimImageHeight(tim, i) * 2;
      if (p < data || p + bytes > data + size) std::abort();
      for (size_t b = 0; b < bytes; ++b) sum += p[b];
    }
    for (uint32_t i = 0; i < tim.paletteCount; ++i)
      for (uint32_t j = 0; j < TimPaletteEntryCount(tim, i); ++j) sum += TimPaletteRed(tim, i, j);
    (void)sum;
  }
  FreeTim(tim);
  return 0;
}
