// The shared body of lwconv's HMD export commands (to-lab, to-processed-lab,
// to-hmd): the same options, the same export as the viewer's commands.
#pragma once

#include <string>
#include <vector>

#include "psx/HmdExport.h"

namespace cli {

int RunHmdExport(const char* command, HmdExportKind kind, const std::vector<std::string>& arguments);

// The options every HMD command takes, for its help text.
#define LWCS_HMD_OPTIONS_HELP                                                           \
  "  --hmd-options N   the conversion flags, 0-127: 1 write textures, 2 flat shaded,\n" \
  "                    4 texture wrapped polys, 8/16/32 invert x/y/z, 64 invert\n"      \
  "                    winding (default 125, the options dialog's start-up state)\n"   \
  "  --scale S         one scale for all three axes; --scales X,Y,Z one per axis\n"     \
  "                    (default: the largest scale up to 1 that fits the mesh within\n" \
  "                    +-2 units)\n"                                                     \
  "  --texture-dir DIR where textures, and the TIM files beside them, are looked for;\n" \
  "  --flat and --no-surfaces as for to-x.\n"

}  // namespace cli
