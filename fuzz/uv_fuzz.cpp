// Reads arbitrary bytes as a ".uv" file and reads back every pair it kept.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "diag/Dbug.h"
#include "platform/File.h"
#include "lwlib/object/Uv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetDebugMode(DEBUG_MODE_SILENT);
  {
    UvSet set;
    if (LoadUvBytes(set, {data, size})) {
      if (set.surfaceNames.size() != set.surfaceCount || set.imageNames.size() != set.surfaceCount) std::abort();
      float total = 0;
      for (uint32_t p = 0; p < set.polygonCount; ++p) {
        const UvList& list = set.polygonUvs[p];
        for (int32_t k = 0; k < list.vertexCount; ++k) {
          float u, v;
          if (!UvAt(set, p, static_cast<uint32_t>(k), u, v)) std::abort();
          total += u + v;
        }
      }
      (void)total;
    }
  }
  if (OpenFileCount() != 0) std::abort();
  if (ReportUnfreedMemory() != 0) std::abort();
  return 0;
}
