// The HMD export commands: LAB text only, LAB text run through the C
// preprocessor, or the binary HMD built by the preprocessor and labp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "rm/Types.h"

enum class HmdExportKind {
  Binary = 40020,          // "Binary .HMD"
  ProcessedLab = 40024,    // "Processed .LAB"
  UnprocessedLab = 40025,  // "Unprocessed .LAB"
};

// The external tools: the system C preprocessor and labp, and the directory
// that holds the HMD definitions (as "hmd\hmd.def", the name the LAB text
// includes). Programs are started directly, never through a shell.
struct HmdToolchain {
  std::string preprocessor = "cpp";  // searched on PATH
  std::string labp;
  std::string includeDirectory;
};

// Looks for labp and the definitions in the start-up directory first, then
// beside the running executable. False when neither holds both.
bool FindHmdToolchain(const std::string& startupDirectory, HmdToolchain& tools);

// Writes the LAB file for `base` (as ConvertToHmd does) and names it in labPath.
using HmdConverter = std::function<bool(const std::string& base, std::string& labPath)>;

// Runs one export for the name the user chose. Every failure (conversion,
// missing tools, a tool that cannot start or ends with a failure) is shown in
// the "HMD Error" box and returns false; temporary files are removed on every
// path, and a failed step leaves no half-made output behind.
bool ExportHmd(HmdExportKind kind, const std::string& chosenPath, const HmdConverter& convert,
               const std::string& startupDirectory);
bool ExportHmd(HmdExportKind kind, const std::string& chosenPath, const rm::MeshPtr& mesh, float xScale,
               float yScale, float zScale, uint32_t options, const std::string& startupDirectory);
