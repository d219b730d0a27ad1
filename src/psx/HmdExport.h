// The HMD export commands: LAB text only, LAB text run through the C
// preprocessor, or the binary HMD built by the preprocessor and labp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// One run of an external tool: its arguments (argv[0] the program), where its
// standard input comes from and its standard output goes (empty: none,
// inherited).
struct HmdToolStep {
  std::string what;  // "The C preprocessor", "labp"
  std::vector<std::string> argv;
  std::string stdinPath, stdoutPath;
};

// What is left to do once the LAB text is written: the tool runs in order,
// the temporary files to remove however it ends, and the output, removed
// unless every step succeeded.
struct HmdExportPlan {
  std::vector<HmdToolStep> steps;
  std::vector<std::string> temporaries;
  std::string output;
};

// Writes the LAB text and plans the tool runs; the tools are found first.
// False (shown in the "HMD Error" box, files removed) when that fails.
// Running the steps and FinishHmdExport are the caller's, so a window can run
// them without waiting.
bool PrepareHmdExport(HmdExportKind kind, const std::string& chosenPath, const HmdConverter& convert,
                      const std::string& startupDirectory, HmdExportPlan& plan);
// Removes the plan's temporary files, and its output unless it succeeded.
void FinishHmdExport(const HmdExportPlan& plan, bool succeeded);
// "<what> failed: <how>" in the "HMD Error" box; `errors` is what the tool
// said on standard error, if the caller kept it.
void ShowHmdStepFailure(const HmdToolStep& step, const std::string& how, const std::string& errors = {});
// Runs the plan's steps in order, waiting for each, stops at the first that
// fails (shown as ShowHmdStepFailure shows it), then finishes the plan.
bool RunHmdExportPlan(const HmdExportPlan& plan);

// Runs one export for the name the user chose. Every failure (conversion,
// missing tools, a tool that cannot start or ends with a failure) is shown in
// the "HMD Error" box and returns false; temporary files are removed on every
// path, and a failed step leaves no half-made output behind.
bool ExportHmd(HmdExportKind kind, const std::string& chosenPath, const HmdConverter& convert,
               const std::string& startupDirectory);
bool ExportHmd(HmdExportKind kind, const std::string& chosenPath, const rm::MeshPtr& mesh, float xScale,
               float yScale, float zScale, uint32_t options, const std::string& startupDirectory);
