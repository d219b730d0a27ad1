// Helpers every test suite shares: captured debugger output, temporary
// folders, whole-file reads and writes, byte writers and leak checks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "writers/ByteWriter.h"

namespace testsupport {

// The shared file writers (bytes, LWOB, LWS, BMP) read as part of this namespace.
using namespace writers;

// Collects every text written to the debugger output channel while it lives,
// and puts the debugging mode in output mode (restored afterwards).
class CapturedOutput {
 public:
  explicit CapturedOutput(int32_t mode = 0);
  ~CapturedOutput();
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  const std::vector<std::string>& lines() const { return lines_; }
  std::string joined() const;
  bool Contains(std::string_view text) const;
  void Clear() { lines_.clear(); }

 private:
  std::vector<std::string> lines_;
  int32_t savedMode_;
};

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string File(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::string& path, std::string_view text);
std::vector<uint8_t> ReadFile(const std::string& path);
std::string ReadText(const std::string& path);
// A plain bitmap file; pixels top row first, 0xRRGGBB at 24 bits and indices
// into `palette` (written with its size as the colour count) below that.
void WriteBmp(const std::string& path, uint32_t width, uint32_t height, uint16_t bits,
              const std::vector<uint32_t>& pixels, const std::vector<uint32_t>& palette = {});

// Source tree root (for test data shipped with the sources).
std::string SourceDir();
// The text of a golden file (a path under tests/, such as "psx/golden/cube.lab"),
// for long expected outputs. With LWCS_UPDATE_GOLDEN=1 in the environment the
// file is first rewritten from `actual`; review the difference before committing.
std::string Golden(const std::string& path, const std::string& actual);

// Live tracked blocks right now (allocations made minus frees made), without
// printing the listing.
int32_t LiveTrackedBlocks();

// Runs `operation` once for every tracked allocation it makes, failing the
// first, then the second, and so on, until a run makes no more allocations
// than the failure point. After every run the number of live tracked blocks
// must be what it was before; returns the number of runs, or -1 with `leaks`
// set to the failing allocation number when a run leaked. `operation` returns
// whether it succeeded; a run with an injected failure must not succeed
// unless `mayStillSucceed` says so.
struct InjectionResult {
  int runs = 0;
  int leakedAt = 0;         // first failure point after which blocks leaked, or 0
  int succeededAt = 0;      // first failure point the operation wrongly survived, or 0
};
InjectionResult InjectAllocationFailures(const std::function<bool()>& operation, bool mayStillSucceed = false);

}  // namespace testsupport
