#include <cstdio>

#include "cli/Command.h"
#include "platform/Version.h"

namespace cli {
namespace {

int RunVersion(const std::vector<std::string>& args) {
  if (!args.empty()) return UsageError("version", "takes no arguments");
  std::printf("lwconv %s (%s)\n", kSuiteVersion, kSuiteName);
  return kSuccess;
}

const CommandRegistration registration({"version", "version", "  Prints the suite's version.\n", RunVersion});

}  // namespace
}  // namespace cli
