// Decodes arbitrary bytes as a bitmap (and as a PPM, our other own decoder)
// and reads every pixel of what comes out, so a surface whose size does not
// match its pixels shows.
#include <cstdint>

#include "diag/Dbug.h"
#include "rm/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetDebugMode(DEBUG_MODE_SILENT);
  const std::span<const uint8_t> bytes(data, size);
  uint32_t sum = 0;
  for (const rm::SurfacePtr& s : {rm::DecodeBmp(bytes), rm::DecodePpm(bytes)}) {
    if (!s) continue;
    for (uint32_t y = 0; y < s->GetHeight(); ++y)
      for (uint32_t x = 0; x < s->GetWidth(); ++x) sum += s->GetColor(x, y);
  }
  return sum == 0xFFFFFFFFu ? 0 : 0;
}
