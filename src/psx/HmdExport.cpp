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

// Removes a file when the scope is left, unless kept.
class FileRemover {
 public:
  explicit FileRemover(std::string path = {}) : path_(std::move(path)) {}
  ~FileRemover() {
    if (!path_.empty()) {
      std::error_code ec;
      fs::remove(path_, ec);
    }
  }
  FileRemover(const FileRemover&) = delete;
  FileRemover& operator=(const FileRemover&) = delete;
  void Set(std::string path) { path_ = std::move(path); }
  void Keep() { path_.clear(); }

 private:
  std::string path_;
};

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

bool RunStep(const char* what, const std::vector<std::string>& argv, const std::string& in = {},
             const std::string& out = {}) {
  const ProcessResult result = RunProgram(argv, in, out);
  if (result.Succeeded()) return true;
  ShowHmdError(std::string(what) + " failed: " + result.Describe());
  return false;
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

bool ExportHmd(HmdExportKind kind, const std::string& chosenPath, const HmdConverter& convert,
               const std::string& startupDirectory) {
  std::string labPath;
  if (kind == HmdExportKind::UnprocessedLab) return convert(chosenPath, labPath);

  HmdToolchain tools;
  if (!FindHmdToolchain(startupDirectory, tools)) {
    ShowHmdError("Could not find labp and hmd\\hmd.def in " + WithSlash(startupDirectory) + " or " +
                 ExecutableDirectory());
    return false;
  }

  if (kind == HmdExportKind::ProcessedLab) {
    std::string path = chosenPath;
    StripLabExtension(path);
    FileRemover temporaryLab;
    const bool converted = convert(path + "_tmp", labPath);
    temporaryLab.Set(labPath);
    if (!converted) return false;
    const std::string output = path + ".lab";
    FileRemover partial(output);
    if (!RunStep("The C preprocessor", {tools.preprocessor, "-I", tools.includeDirectory, labPath, "-o", output}))
      return false;
    partial.Keep();
    return true;
  }

  std::string path = chosenPath;
  StripHmdExtension(path);
  FileRemover lab;
  const bool converted = convert(path, labPath);
  lab.Set(labPath);
  if (!converted) return false;
  const std::string preprocessed = TemporaryFile();
  if (preprocessed.empty()) {
    ShowHmdError("Could not make a temporary file for the preprocessed LAB text");
    return false;
  }
  FileRemover removePreprocessed(preprocessed);
  if (!RunStep("The C preprocessor",
               {tools.preprocessor, "-I", tools.includeDirectory, labPath, "-o", preprocessed}))
    return false;
  const std::string output = path + ".hmd";
  FileRemover partial(output);
  if (!RunStep("labp", {tools.labp}, preprocessed, output)) return false;
  partial.Keep();
  return true;
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
