// Replays a fuzz target's seed corpus in ordinary builds, so every seed runs
// as a regression test. Arguments are files or directories of files.
//
// With --sweep first, every seed also runs cut short at every length and with
// each of its tracked allocations failing in turn: the one sweep that shows
// every parser gives back what it took and closes what it opened however its
// input ends or its memory runs out. The targets check their own invariants;
// the sweep checks that nothing tracked or opened outlives a run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "diag/Dbug.h"
#include "platform/File.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

bool Read(const fs::path& path, std::vector<uint8_t>& data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// Runs one input and says whether it left blocks or files behind.
bool Clean(const std::vector<uint8_t>& data, size_t size, int32_t blocks, int32_t files) {
  LLVMFuzzerTestOneInput(data.data(), size);
  return TrackedAllocationBalance() == blocks && OpenFileCount() == files;
}

bool Sweep(const fs::path& path, const std::vector<uint8_t>& data) {
  // The first run may set up what a target keeps for the whole process.
  LLVMFuzzerTestOneInput(data.data(), data.size());
  const int32_t blocks = TrackedAllocationBalance(), files = OpenFileCount();
  for (size_t n = 0; n < data.size(); ++n) {
    if (!Clean(data, n, blocks, files)) {
      std::fprintf(stderr, "%s cut to %zu bytes leaves blocks or files behind\n", path.c_str(), n);
      return false;
    }
  }
  for (uint32_t fail = 1;; ++fail) {
    const uint64_t calls = TrackedAllocCalls();
    FailTrackedAllocAfter(fail);
    const bool clean = Clean(data, data.size(), blocks, files);
    FailTrackedAllocAfter(0);
    if (!clean) {
      std::fprintf(stderr, "%s with allocation %u failing leaves blocks or files behind\n", path.c_str(), fail);
      return false;
    }
    if (TrackedAllocCalls() - calls < fail) return true;  // every allocation has failed once
  }
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 0;
  bool ok = true;
  const bool sweep = argc > 1 && std::strcmp(argv[1], "--sweep") == 0;
  std::vector<fs::path> files;
  for (int i = sweep ? 2 : 1; i < argc; ++i) {
    const fs::path arg = argv[i];
    if (fs::is_directory(arg)) {
      std::vector<fs::path> inDir;
      for (const auto& entry : fs::directory_iterator(arg))
        if (entry.is_regular_file()) inDir.push_back(entry.path());
      std::sort(inDir.begin(), inDir.end());
      files.insert(files.end(), inDir.begin(), inDir.end());
    } else {
      files.push_back(arg);
    }
  }
  for (const fs::path& file : files) {
    std::vector<uint8_t> data;
    if (!Read(file, data)) {
      ok = false;
      continue;
    }
    ++runs;
    if (sweep)
      ok = Sweep(file, data) && ok;
    else
      LLVMFuzzerTestOneInput(data.data(), data.size());
  }
  std::printf("%s %d inputs\n", sweep ? "swept" : "replayed", runs);
  return ok && runs > 0 ? 0 : 1;
}
