#include <gtest/gtest.h>

#include "PsxTestUtil.h"
#include "TestSupport.h"
#include "writers/TimWriter.h"
#include "platform/Ui.h"
#include "psx/Hmd.h"
#include "psx/Lab.h"
#include "rm/Texture.h"

using namespace psxtest;
using namespace testsupport;

namespace {

class HmdImages : public ::testing::Test {
 protected:
  void Tim(const std::string& name, const TimLayout& layout) { WriteFile(dir.File(name + ".tim"), MakeTim(layout)); }
  void Group(MeshModel& model, const std::string& texture) {
    AddGroup(model, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{0, 1, 2}}, texture.empty() ? "" : dir.File(texture + ".bmp"));
  }
  // Converts with labels numbered as in the first conversion of a run and
  // compares the LAB text with its golden file.
  void ExpectGolden(MeshModel& model, const std::string& golden) {
    LabelCounter = 0;
    ASSERT_TRUE(Convert(model, dir, HMD_OPT_ALL).ok);
    const std::string lab = ReadText(dir.File("m.lab"));
    EXPECT_EQ(lab, Golden("psx/golden/" + golden, lab));
  }
  TempDir dir;
};

}  // namespace

// c, b, a: c owns the Image label and the x halves follow that order; two
// units of 15-bit pixels make one word; the palette blocks are labels only.
TEST_F(HmdImages, SharedTexturesAreWrittenOnceNewestFirst) {
  Tim("a", Tim15Bit(0, 0, 2, 1));
  Tim("b", Tim15Bit(64, 0, 2, 1));
  Tim("c", Tim15Bit(128, 0, 2, 1));
  MeshModel model;
  Group(model, "a"), Group(model, "b"), Group(model, "a"), Group(model, ""), Group(model, "c");
  ExpectGolden(model, "shared-textures.lab");
}

// 64 x 64 units of 4 bits make 2048 words; palette blocks follow each other
// without blank lines; the odd 3-unit image is padded to two words and its
// palette has 256 halves.
TEST_F(HmdImages, PaletteImagesCarryTheirClut) {
  Tim("four", Tim4Bit(0, 0, 64, 64, 0, 480));
  TimLayout eight = Tim8Bit(64, 0, 3, 1, 16, 481);
  eight.palettes[0].values.assign(256, 0x801F);  // flagged pure red
  Tim("eight", eight);
  MeshModel model;
  Group(model, "eight"), Group(model, "four");
  ExpectGolden(model, "palette-images.lab");
}

TEST_F(HmdImages, TexturesThatCannotBeWrittenFailTheConversion) {
  TimLayout mixed = Tim15Bit(0, 0, 1, 1), bare = Tim15Bit(0, 0, 1, 1);
  mixed.mode = 4;  // no pixel size
  bare.mode = 0;   // 4-bit without a palette
  Tim("mixed", mixed);
  Tim("bare", bare);
  for (const std::string name : {"mixed", "bare", "missing", ""}) {
    MeshModel model;
    Group(model, name.empty() ? "nameless" : name);
    if (name.empty()) model.groupMaterials[0].texture->SetName("");
    CapturedOutput quiet;
    const Conversion run = Convert(model, dir, HMD_OPT_ALL);
    EXPECT_FALSE(run.ok) << name;
    EXPECT_EQ(run.boxes,
              (std::vector<std::string>{"Error while writing texture map data", "Converison ended in an error"}))
        << name;
  }
}

TEST_F(HmdImages, AllocationFailuresLeakNothing) {
  Tim("a", Tim4Bit(0, 0, 2, 2));
  Tim("b", Tim15Bit(64, 0, 2, 2));
  MeshModel model;
  Group(model, "a"), Group(model, "b");
  ScriptedUi ui;
  SetUi(&ui);
  ScopedDebugMode quiet(DEBUG_MODE_SILENT);
  const auto result = InjectAllocationFailures(
      [&] { return ConvertToHmd(dir.File("m"), model, 1, 1, 1, HMD_OPT_ALL); }, /*mayStillSucceed=*/true);
  SetUi(nullptr);
  EXPECT_GT(result.runs, 20);
  EXPECT_EQ(result.leakedAt, 0);
}
