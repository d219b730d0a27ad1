#include "cli/Command.h"
#include "cli/HmdCommand.h"

namespace cli {
namespace {

int RunToHmd(const std::vector<std::string>& args) { return RunHmdExport("to-hmd", HmdExportKind::Binary, args); }

const CommandRegistration registration(
    {"to-hmd", "to-hmd [--hmd-options N] [--scale S | --scales X,Y,Z] [--flat] [--no-surfaces] [--texture-dir DIR]... FILE OUT.hmd",
     "  Writes the mesh of FILE (.lwo, .msh or .x) as a binary PlayStation HMD model,\n"
     "  built by the C preprocessor and labp (the Binary .HMD export). labp and\n"
     "  hmd/hmd.def are looked for in the current directory, then beside lwconv.\n",
     RunToHmd});

}  // namespace
}  // namespace cli
