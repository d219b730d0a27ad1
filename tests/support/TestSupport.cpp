#include "TestSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "diag/Dbug.h"
#include "writers/BmpWriter.h"

namespace testsupport {

CapturedOutput::CapturedOutput(int32_t mode) : savedMode_(GetDebugMode()) {
  SetDebugOutputSink([this](const char* text) { lines_.emplace_back(text); });
  SetDebugMode(mode);
}

CapturedOutput::~CapturedOutput() {
  SetDebugMode(savedMode_);
  SetDebugOutputSink(nullptr);
}

std::string CapturedOutput::joined() const {
  std::string all;
  for (const auto& l : lines_) all += l + "\n";
  return all;
}

bool CapturedOutput::Contains(std::string_view text) const {
  for (const auto& l : lines_)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lwcs-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteText(const std::string& path, std::string_view text) {
  WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::string& path) {
  const auto bytes = ReadFile(path);
  return {bytes.begin(), bytes.end()};
}

void WriteBmp(const std::string& path, uint32_t width, uint32_t height, uint16_t bits,
              const std::vector<uint32_t>& pixels, const std::vector<uint32_t>& palette) {
  BmpDesc desc;
  desc.width = static_cast<int32_t>(width), desc.height = static_cast<int32_t>(height), desc.bits = bits;
  desc.colorsUsed = static_cast<uint32_t>(palette.size()), desc.palette = palette;
  desc.pixelData = PackBmpRows(width, height, bits, pixels);
  WriteFile(path, MakeBmp(desc));
}

std::string SourceDir() {
  const char* dir = std::getenv("LWCS_SOURCE_DIR");
  return dir ? dir : ".";
}

std::string Golden(const std::string& path, const std::string& actual) {
  const std::string file = SourceDir() + "/tests/" + path;
  const char* update = std::getenv("LWCS_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") WriteText(file, actual);
  return ReadText(file);
}

int32_t LiveTrackedBlocks() { return TrackedAllocationBalance(); }

InjectionResult InjectAllocationFailures(const std::function<bool()>& operation, bool mayStillSucceed) {
  InjectionResult result;
  for (int n = 1;; ++n) {
    const int32_t before = LiveTrackedBlocks();
    const uint64_t callsBefore = TrackedAllocCalls();
    FailTrackedAllocAfter(static_cast<uint32_t>(n));
    const bool ok = operation();
    FailTrackedAllocAfter(0);
    const uint64_t calls = TrackedAllocCalls() - callsBefore;
    ++result.runs;
    if (LiveTrackedBlocks() != before && result.leakedAt == 0) result.leakedAt = n;
    if (calls < static_cast<uint64_t>(n)) break;  // the failure point was never reached
    if (ok && !mayStillSucceed && result.succeededAt == 0) result.succeededAt = n;
  }
  return result;
}

}  // namespace testsupport
