// The shared body of lwconv's HMD export commands (to-lab, to-processed-lab,
// to-hmd): the same options, the same export as the viewer's commands.
#pragma once

#include <string>
#include <vector>

#include "psx/HmdExport.h"

namespace cli {

int RunHmdExport(const char* command, HmdExportKind kind, const std::vector<std::string>& arguments);

}  // namespace cli
