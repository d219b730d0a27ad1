// Reads arbitrary bytes as a ".uv" file and reads back every pair it kept.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "diag/Dbug.h"
#include "lwlib/File.h"
#include "lwlib/Uv.h"

namespace {
std::string ScratchFile() {
  char name[] = "/tmp/uv_fuzz-XXXXXX.uv";
  const int fd = mkstemps(name, 3);
  if (fd >= 0) close(fd);
  return name;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchFile();
  SetDebugMode(DEBUG_MODE_SILENT);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  {
    UvSet set;
    if (LoadUvFile(set, path.c_str())) {
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
