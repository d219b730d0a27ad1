// Which layer may include which: the one table of the suite's layering, and a
// checker that reads every #include line of a source tree against it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// One line per include that crosses the layering, as
// "src/rm/Frame.h:12: rm may not include lwlib/object/Iff.h" (paths relative
// to root, sorted); empty when the tree keeps to the table.
std::vector<std::string> CheckLayers(const std::filesystem::path& root);
