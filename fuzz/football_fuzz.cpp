// Reads arbitrary bytes as a footballer configuration. Only the text is read:
// the files it names are never opened. Nothing may read out of bounds, hang
// or keep tracked blocks.
#include <cstdint>
#include <cstdlib>

#include "diag/Dbug.h"
#include "football/Footballer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetDebugMode(DEBUG_MODE_SILENT);
  {
    FootballerConfig config;
    Failure why;
    if (ParseFootballerConfig(reinterpret_cast<const char*>(data), size, config, &why)) {
      AddShortsColour(config, {1, 1, 1});
      AddCustomFace(config, nullptr, "face");
    } else if (why.empty()) {
      std::abort();  // every failure says why
    }
  }
  if (ReportUnfreedMemory() != 0) std::abort();
  return 0;
}
