#include "cli/Command.h"
#include "cli/HmdCommand.h"

namespace cli {
namespace {

int RunToProcessedLab(const std::vector<std::string>& args) { return RunHmdExport("to-processed-lab", HmdExportKind::ProcessedLab, args); }

const CommandRegistration registration(
    {"to-processed-lab", "to-processed-lab [--hmd-options N] [--scale S | --scales X,Y,Z] [--flat] [--no-surfaces] [--texture-dir DIR]... FILE OUT.lab",
     "  Writes the mesh of FILE (.lwo, .msh or .x) as LAB text run through the C\n"
     "  preprocessor (the Processed .LAB export).\n",
     RunToProcessedLab});

}  // namespace
}  // namespace cli
