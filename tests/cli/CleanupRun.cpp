// One process, a fixed set of inputs, every conversion that needs no outside
// program: afterwards every tracked block must be back and no file open. The
// commands run through lwconv's own entry point, compiled into this program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "diag/Dbug.h"
#include "platform/File.h"
#include "writers/LwsWriter.h"

int lwconv_main(int argc, char** argv);

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

int OpenDescriptors() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++n;
  return n;  // includes the iterator's own, the same every time
}

int Lwconv(std::vector<std::string> args) {
  args.insert(args.begin(), {"lwconv", "--quiet"});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return lwconv_main(static_cast<int>(args.size()), argv.data());
}

// Copies every seed of a corpus into `dir` under `extension`, as the
// commands choose the reader by it.
void AddSeeds(const TempDir& dir, const char* corpus, const char* extension, std::vector<std::string>& out) {
  std::vector<fs::path> seeds;
  for (const auto& e : fs::directory_iterator(fs::path(testsupport::SourceDir()) / "fuzz/corpus" / corpus))
    seeds.push_back(e.path());
  std::sort(seeds.begin(), seeds.end());
  for (const fs::path& seed : seeds) {
    const std::string to = dir.File(std::string(corpus) + "-" + seed.stem().string() + extension);
    fs::copy_file(seed, to, fs::copy_options::overwrite_existing);
    out.push_back(to);
  }
}

TEST(CleanupRun, EveryConversionOfEverySeedGivesBackWhatItTook) {
  SetDebugMode(DEBUG_MODE_SILENT);
  const TempDir dir;
  std::vector<std::string> meshes, scenes;
  AddSeeds(dir, "object_fuzz", ".lwo", meshes);
  AddSeeds(dir, "iff_fuzz", ".lwo", meshes);
  AddSeeds(dir, "msh_fuzz", ".msh", meshes);
  AddSeeds(dir, "x_fuzz", ".x", meshes);
  AddSeeds(dir, "scene_fuzz", ".lws", scenes);
  // A scene whose object (a seed with a texture that is nowhere) loads.
  const std::string scene = dir.File("written.lws");
  testsupport::WriteText(scene, testsupport::LwsWriter()
                                    .Header(0, 30)
                                    .Line("LoadObject object_fuzz-planar.lwo")
                                    .Motion("ObjectMotion", {{}, {.x = 1, .h = 90, .frame = 30}})
                                    .text());
  scenes.push_back(scene);

  // Reports are silent, but the commands print their results: keep them out
  // of the test log.
  std::fflush(stdout);
  const int savedOut = dup(1);
  FILE* sink = std::freopen("/dev/null", "w", stdout);
  ASSERT_NE(sink, nullptr);

  const int32_t blocks = TrackedAllocationBalance(), files = OpenFileCount();
  const int descriptors = OpenDescriptors();
  int runs = 0, succeeded = 0;
  std::vector<std::string> kept;  // commands that kept tracked blocks
  auto run = [&](const std::vector<std::string>& c, const std::string& in) {
    const int32_t before = TrackedAllocationBalance();
    ++runs, succeeded += Lwconv(c) == 0;
    if (TrackedAllocationBalance() != before) kept.push_back(c[0] + " " + in);
  };
  for (const std::string& in : meshes) {
    const std::vector<std::vector<std::string>> commands = {
        {"info", in}, {"info", "--json", "--flat", in}, {"to-x", in, dir.File("out.x")},
        {"to-msh", in, dir.File("out.msh")}, {"to-lab", in, dir.File("out.lab")}, {"bsp", "--json", in}};
    for (const auto& c : commands) run(c, in);
  }
  for (const std::string& in : scenes)
    for (const auto& c : std::vector<std::vector<std::string>>{{"scene", in, "--time", "0", "--time", "12.5"},
                                                               {"scene", "--json", in}})
      run(c, in);
  const int32_t blocksAfter = TrackedAllocationBalance(), filesAfter = OpenFileCount();
  const int descriptorsAfter = OpenDescriptors();

  std::fflush(stdout);
  dup2(savedOut, 1);
  close(savedOut);

  EXPECT_EQ(blocksAfter, blocks);
  EXPECT_TRUE(kept.empty()) << kept.front();
  EXPECT_EQ(filesAfter, files);
  EXPECT_EQ(descriptorsAfter, descriptors);
  // Good and bad inputs both ran: the seeds hold both kinds.
  EXPECT_GT(succeeded, runs / 3) << runs << " runs";
  EXPECT_LT(succeeded, runs) << runs << " runs";
}

}  // namespace

// The .X reader library keeps zlib's state and a buffer of its own when a
// compressed file is broken (one seed is such a file); the suite's own blocks
// are counted above by the tracked allocator.
extern "C" const char* __lsan_default_suppressions() { return "leak:libassimp.so\nleak:inflateInit2_\n"; }
