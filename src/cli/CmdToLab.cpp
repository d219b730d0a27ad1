#include "cli/Command.h"
#include "cli/HmdCommand.h"

namespace cli {
namespace {

int RunToLab(const std::vector<std::string>& args) { return RunHmdExport("to-lab", HmdExportKind::UnprocessedLab, args); }

const CommandRegistration registration(
    {"to-lab", "to-lab [--hmd-options N] [--scale S | --scales X,Y,Z] [--flat] [--no-surfaces] [--texture-dir DIR]... FILE OUT.lab",
     "  Writes the mesh of FILE (.lwo, .msh or .x) as LAB text (the Unprocessed .LAB\n"
     "  export).\n",
     RunToLab});

}  // namespace
}  // namespace cli
