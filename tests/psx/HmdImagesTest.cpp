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
  std::vector<std::string> Lines(MeshModel& model) {
    const Conversion run = Convert(model, dir, HMD_OPT_ALL);
    EXPECT_TRUE(run.ok);
    return run.lines;
  }
  static std::string Label(const std::vector<std::string>& lines, const std::string& prefix, size_t nth = 0) {
    for (const std::string& l : lines)
      if (l.rfind(prefix, 0) == 0 && l.back() == ':' && nth-- == 0) return l.substr(0, l.size() - 1);
    return {};
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
  LabelCounter = 0;  // labels as in the first conversion of a run
  ASSERT_TRUE(Convert(model, dir, HMD_OPT_ALL).ok);
  const std::string lab = ReadText(dir.File("m.lab"));
  EXPECT_EQ(lab, Golden("psx/golden/shared-textures.lab", lab));
}

TEST_F(HmdImages, PaletteImagesCarryTheirClut) {
  Tim("four", Tim4Bit(0, 0, 64, 64, 0, 480));
  TimLayout eight = Tim8Bit(64, 0, 3, 1, 16, 481);
  eight.palettes[0].values.assign(256, 0x801F);  // flagged pure red
  Tim("eight", eight);
  MeshModel model;
  Group(model, "eight"), Group(model, "four");
  const std::vector<std::string> lines = Lines(model);
  const std::string image = Label(lines, "Token_Image_"), clut = Label(lines, "Token_Clut_");
  const std::vector<std::string> four = {"\tDEV_ID(SCE) | CTG(CTG_IMAGE) | DRV(0) | PRIM_TYPE(WITHCLUT);",
                                         "\tH(7);", "\tM(H(1));", "\tH(0);", "\tH(0);", "\tH(64);", "\tH(64);",
                                         "\t(" + image + " - " + image + ") / 4;", "\tH(0);", "\tH(480);",
                                         "\tH(16);", "\tH(1);", "\t(" + clut + " - " + clut + ") / 4;"};
  EXPECT_EQ(Block(lines, four[0]), four);
  // 64 x 64 units: 2048 words.
  EXPECT_EQ(Block(lines, image + ":").size(), 1u + 2048u);
  EXPECT_EQ(Block(lines, image + ":")[1], "\t0x00010000;");
  // Palette blocks follow each other without blank lines.
  const auto c4 = Block(lines, clut + ":");
  ASSERT_GT(c4.size(), 18u);
  EXPECT_EQ(c4[2], "\tH(0x1);");
  EXPECT_EQ(c4[17], Label(lines, "Token_ClutData_") + ":");
  // The odd 3-unit image is padded to two words; its palette has 256 halves.
  const std::string data1 = Label(lines, "Token_ImageData_");
  EXPECT_EQ(Block(lines, data1 + ":"), (std::vector<std::string>{data1 + ":", "\t0x00010000;", "\t0x00000002;"}));
  const std::string clut1 = Label(lines, "Token_ClutData_");
  const auto c8 = Block(lines, clut1 + ":");
  EXPECT_EQ(c8.size(), 1u + 256u + 1u);  // runs on into the closing comment
  EXPECT_EQ(c8[1], "\tH(0x801f);");
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
