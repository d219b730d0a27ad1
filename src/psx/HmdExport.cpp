#include "psx/HmdExport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/Process.h"
#include "psx/Hmd.h"
#include "psx/Lab.h"

namespace {

namespace fs = std::filesystem;

bool IsFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::string WithSlash(std::string directory) {
  if (directory.empty()) return "./";
  if (directory.back() != '/') directory += '/';
  return directory;
}

bool ToolchainIn(const std::string& directory, HmdToolchain& tools) {
  const std::string dir = WithSlash(directory);
  if (!IsFile(dir + "labp") || access((dir + "labp").c_str(), X_OK) != 0) return false;
  if (!IsFile(dir + "hmd\\hmd.def")) return false;
  tools.labp = dir + "labp";
  tools.includeDirectory = directory.empty() ? "." : directory;
  return true;
}

// A fresh file for the preprocessed text on its way to labp (the pipe of a shell).
std::string TemporaryFile() {
  std::string pattern = (fs::temp_directory_path() / "lwcs-hmd-XXXXXX").string();
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return {};
  close(fd);
  return pattern;
}

}  // namespace

bool FindHmdToolchain(const std::string& startupDirectory, HmdToolchain& tools) {
  return ToolchainIn(startupDirectory, tools) || ToolchainIn(ExecutableDirectory(), tools);
}

void ShowHmdStepFailure(const HmdToolStep& step, const std::string& how, const std::string& errors) {
  std::string text = step.what + " failed: " + how;
  if (!errors.empty()) text += "\n" + errors;
  ShowHmdError(text);
}

void FinishHmdExport(const HmdExportPlan& plan, bool succeeded) {
  std::error_code ec;
  for (const std::string& path : plan.temporaries) fs::remove(path, ec);
  if (!succeeded && !plan.output.empty()) fs::remove(plan.output, ec);
}

bool PrepareHmdExport(HmdExportKind kind, const std::string& chosenPath, const HmdConverter& convert,
                      const std::string& startupDirectory, HmdExportPlan& plan) {
  plan = {};
  std::string labPath;
  if (kind == HmdExportKind::UnprocessedLab) return convert(chosenPath, labPath);

  HmdToolchain tools;
  if (!FindHmdToolchain(startupDirectory, tools)) {
    ShowHmdError("Could not find labp and hmd\\hmd.def in " + WithSlash(startupDirectory) + " or " +
                 ExecutableDirectory());
    return false;
  }

  std::string path = chosenPath;
  if (kind == HmdExportKind::ProcessedLab) {
    StripLabExtension(path);
    const bool converted = convert(path + "_tmp", labPath);
    if (!labPath.empty()) plan.temporaries.push_back(labPath);
    if (!converted) {
      FinishHmdExport(plan, false);
      return false;
    }
    plan.output = path + ".lab";
    plan.steps.push_back({"The C preprocessor",
                          {tools.preprocessor, "-I", tools.includeDirectory, labPath, "-o", plan.output}, {}, {}});
    return true;
  }

  StripHmdExtension(path);
  const bool converted = convert(path, labPath);
  if (!labPath.empty()) plan.temporaries.push_back(labPath);
  if (!converted) {
    FinishHmdExport(plan, false);
    return false;
  }
  const std::string preprocessed = TemporaryFile();
  if (preprocessed.empty()) {
    ShowHmdError("Could not make a temporary file for the preprocessed LAB text");
    FinishHmdExport(plan, false);
    return false;
  }
  plan.temporaries.push_back(preprocessed);
  plan.output = path + ".hmd";
  plan.steps.push_back({"The C preprocessor",
                        {tools.preprocessor, "-I", tools.includeDirectory, labPath, "-o", preprocessed}, {}, {}});
  plan.steps.push_back({"labp", {tools.labp}, preprocessed, plan.output});
  return true;
}

bool ExportHmd(HmdExportKind kind, const std::string& chosenPath, const HmdConverter& convert,
               const std::string& startupDirectory) {
  HmdExportPlan plan;
  if (!PrepareHmdExport(kind, chosenPath, convert, startupDirectory, plan)) return false;
  return RunHmdExportPlan(plan);
}

bool RunHmdExportPlan(const HmdExportPlan& plan) {
  bool succeeded = true;
  for (const HmdToolStep& step : plan.steps) {
    const ProcessResult result = RunProgram(step.argv, step.stdinPath, step.stdoutPath);
    if (!result.Succeeded()) {
      ShowHmdStepFailure(step, result.Describe());
      succeeded = false;
      break;
    }
  }
  FinishHmdExport(plan, succeeded);
  return succeeded;
}

bool ExportHmd(HmdExportKind kind, const std::string& chosenPath, const rm::MeshPtr& mesh, float xScale,
               float yScale, float zScale, uint32_t options, const std::string& startupDirectory) {
  return ExportHmd(
      kind, chosenPath,
      [&](const std::string& base, std::string& labPath) {
        return ConvertToHmd(base, mesh, xScale, yScale, zScale, options, &labPath);
      },
      startupDirectory);
}
