// Any text as preprocessed LAB: the assembler must refuse it with a message
// or produce whole words, and never crash or run away.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "LabAssembler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out;
  std::string error;
  const bool ok = AssembleLab(std::string_view(reinterpret_cast<const char*>(data), size), out, error);
  if (ok ? out.size() % 4 != 0 || !error.empty() : error.empty() || !out.empty()) std::abort();
  return 0;
}
