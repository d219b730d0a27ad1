// Loads arbitrary bytes as an IFF file and dispatches every chunk to handlers
// that touch each byte they are given, so a chunk reaching past the body shows.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "diag/Dbug.h"
#include "lwlib/object/Iff.h"

namespace {

uint32_t Touch(uint32_t size, const uint8_t* data, void* user) {
  auto* sum = static_cast<uint32_t*>(user);
  for (uint32_t i = 0; i < size; ++i) *sum += data[i];
  return 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetDebugMode(DEBUG_MODE_SILENT);

  uint32_t sum = 0;
  for (const char* id : {"PNTS", "POLS", "SRFS", "SURF", "CRVS", "UVIM", "UVCV"})
    IffRegisterHandler(id, Touch, &sum);
  IffFile iff;
  if (IffLoadMemory(&iff, {data, size})) {
    IffDispatch(&iff);
    IffFree(&iff);
  }
  IffClearHandlers();
  if (ReportUnfreedMemory() != 0) std::abort();  // every block must come back
  return 0;
}
