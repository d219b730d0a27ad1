#include <gtest/gtest.h>

#include "PsxTestUtil.h"
#include "TestSupport.h"
#include "platform/Ui.h"
#include "psx/Hmd.h"
#include "psx/Lab.h"

using namespace psxtest;
using testsupport::TempDir;

TEST(LabEmitter, WorkedExampleByteForByte) {
  TempDir dir;
  LabelCounter = 0;  // the first conversion of a run
  MeshModel cube = Cube();
  ASSERT_TRUE(Convert(cube, dir).ok);
  const std::string lab = testsupport::ReadText(dir.File("m.lab"));
  EXPECT_EQ(lab, testsupport::Golden("psx/golden/cube.lab", lab));
}

TEST(LabEmitter, LabelsGoOnAcrossConversionsOfARun) {
  TempDir dir;
  LabelCounter = 0;
  MeshModel cube = Cube();
  Convert(cube, dir);
  EXPECT_EQ(LabelCounter, 11u);
  const auto lines = Convert(cube, dir).lines;
  EXPECT_EQ(lines[8], "\tToken_PrimHdrSect_12 / 4;");
  EXPECT_TRUE(Has(lines, "Token_PolyPrim_21:"));
  LabLabel nameless = MakeLabel(nullptr);
  EXPECT_STREQ(nameless.data(), "Token_NULL_22");
}

TEST(LabEmitter, StripExtensionOnlyFromLongEnoughNames) {
  const auto lab = [](std::string s) { return StripLabExtension(s), s; };
  const auto hmd = [](std::string s) { return StripHmdExtension(s), s; };
  for (const auto& [name, want] : std::vector<std::pair<std::string, std::string>>{
           {"model.LaB", "model"}, {"a.lab", "a.lab"}, {"ab.lab", "ab"}, {"model.hmd", "model.hmd"},
           {"/d/x.lab.lab", "/d/x.lab"}})
    EXPECT_EQ(lab(name), want);
  EXPECT_EQ(hmd("model.HMD"), "model");
  EXPECT_EQ(hmd("a.hmd"), "a.hmd");
  EXPECT_EQ(hmd("model.lab"), "model.lab");
}
