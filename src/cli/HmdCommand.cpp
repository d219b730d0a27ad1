#include "cli/HmdCommand.h"

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <limits>

#include "cli/Command.h"
#include "cli/MeshInput.h"
#include "psx/Hmd.h"

namespace cli {

namespace {

bool ParseFloat(const std::string& text, float& value) {
  const char* end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && p == end && std::isfinite(value);
}

}  // namespace

int RunHmdExport(const char* command, HmdExportKind kind, const std::vector<std::string>& arguments) {
  uint32_t options = HMD_OPT_DEFAULT;
  float scales[3] = {0, 0, 0};
  bool scaled = false;
  std::vector<std::string> args;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    const bool takesValue = a == "--hmd-options" || a == "--scale" || a == "--scales";
    if (!takesValue) {
      args.push_back(a);
      continue;
    }
    if (i + 1 >= arguments.size()) return UsageError(command, a + " needs a value");
    const std::string& value = arguments[++i];
    if (a == "--hmd-options") {
      const char* end = value.data() + value.size();
      const auto [p, ec] = std::from_chars(value.data(), end, options);
      if (ec != std::errc() || p != end || options > HMD_OPT_ALL)
        return UsageError(command, "--hmd-options takes a number from 0 to 127");
    } else if (a == "--scale") {
      if (!ParseFloat(value, scales[0])) return UsageError(command, "--scale takes a number");
      scales[1] = scales[2] = scales[0];
      scaled = true;
    } else {
      const size_t c1 = value.find(','), c2 = c1 == std::string::npos ? c1 : value.find(',', c1 + 1);
      if (c2 == std::string::npos || value.find(',', c2 + 1) != std::string::npos ||
          !ParseFloat(value.substr(0, c1), scales[0]) || !ParseFloat(value.substr(c1 + 1, c2 - c1 - 1), scales[1]) ||
          !ParseFloat(value.substr(c2 + 1), scales[2]))
        return UsageError(command, "--scales takes three numbers: X,Y,Z");
      scaled = true;
    }
  }
  MeshInputOptions input;
  std::string error;
  if (!ParseMeshInputOptions(args, input, false, error)) return UsageError(command, error);
  if (args.size() != 2) return UsageError(command, "takes FILE and the output file");

  LoadedMesh loaded;
  if (!LoadMeshInput(args[0], input, loaded, error)) return Fail(error);
  if (!scaled) scales[0] = scales[1] = scales[2] = ProposeHmdScale(MeshBox(loaded.mesh));
  SetHmdTimDirectories(input.textureDirs);

  // The start-up directory is where the tools are looked for first, as in the viewer.
  std::string startup = ".";
  std::vector<char> cwd(4096);
  if (getcwd(cwd.data(), cwd.size())) startup = cwd.data();
  if (!ExportHmd(kind, args[1], loaded.mesh, scales[0], scales[1], scales[2], options, startup))
    return Fail(args[1] + ": the HMD export failed");
  return kSuccess;
}

}  // namespace cli
