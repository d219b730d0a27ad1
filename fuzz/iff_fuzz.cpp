// Loads arbitrary bytes as an IFF file and dispatches every chunk to handlers
// that touch each byte they are given, so a chunk reaching past the body shows.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "diag/Dbug.h"
#include "lwlib/Iff.h"

namespace {

uint32_t Touch(uint32_t size, const uint8_t* data, void* user) {
  auto* sum = static_cast<uint32_t*>(user);
  for (uint32_t i = 0; i < size; ++i) *sum += data[i];
  return 0;
}

std::string ScratchFile() {
  char name[] = "/tmp/iff_fuzz-XXXXXX";
  const int fd = mkstemp(name);
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

  uint32_t sum = 0;
  for (const char* id : {"PNTS", "POLS", "SRFS", "SURF", "CRVS", "UVIM", "UVCV"})
    IffRegisterHandler(id, Touch, &sum);
  IffFile iff;
  if (IffLoad(&iff, path.c_str())) {
    IffDispatch(&iff);
    IffFree(&iff);
  }
  IffClearHandlers();
  if (ReportUnfreedMemory() != 0) std::abort();  // every block must come back
  return 0;
}
