#include <gtest/gtest.h>

#include "PsxTestUtil.h"
#include "TestSupport.h"
#include "platform/Ui.h"
#include "psx/Hmd.h"
#include "psx/Lab.h"

using namespace psxtest;
using testsupport::TempDir;


TEST(LabEmitter, WorkedExampleLineForLine) {
  TempDir dir;
  LabelCounter = 0;  // the first conversion of a run
  MeshModel cube = Cube();
  const std::vector<std::string> lines = Convert(cube, dir).lines;
  const std::vector<std::string> head = {
      "/* LAB File produced by Vorlan Softworks LightWave Conversion Suite */",
      "",
      "#include<hmd\\hmd.def>",
      "",
      "/* Header section */",
      "",
      "\tHMD_VERSION;",
      "\t0x00000000;",
      "\tToken_PrimHdrSect_1 / 4;",
      "\t3;",
      "\t0x00000000;",
      "\tToken_PolyPrimSet_4 / 4;",
      "\t0x00000000;",
      "",
      "/* Coordinate section */",
      "",
      "Token_CoordSect_0:",
      "\t1;",
      "\t0x00000000;",
      "\tCOORDM(0, 0, 0, 0, 0, 0);",
      "\t0;",
      "",
      "/* Primitive header section */",
      "",
      "Token_PrimHdrSect_1:",
      "\t1;",
      "",
      "Token_PolyPrimHeader_2:",
      "\t4;",
      "\tM(Token_Poly_7 / 4);",
      "\tM(Token_Vert_5 / 4);",
      "\tM(Token_Norm_6 / 4);",
      "\tM(Token_CoordSect_0 / 4);",
      "",
      "/* Polygon primitive set */",
      "",
      "Token_PolyPrimSet_4:",
      "\tTERMINATE;",
      "\tToken_PolyPrimHeader_2 / 4;",
      "\tM(1);",
      "",
      "Token_PolyPrim_10:",
      "\tDEV_ID(SCE)|CTG(CTG_POLY)|DRV(INI)|PRIM_TYPE(QUAD|IIP);",
      "\tH(2);",
      "\tM(H(6));",
      "\t0x00000000;",
      "",
      "/* Vertex section */",
      "",
      "Token_Vert_5:",
  };
  ASSERT_GT(lines.size(), head.size());
  for (size_t i = 0; i < head.size(); ++i) EXPECT_EQ(lines[i], head[i]) << "line " << i + 1;

  size_t at = head.size();
  // The eight shared corners, in first-use order: the front side's first.
  EXPECT_EQ(lines[at], "\tSVECTOR(-2048, -2048, 2048);");
  for (int k = 0; k < 8; ++k) EXPECT_EQ(lines[at + k].rfind("\tSVECTOR(", 0), 0u) << lines[at + k];
  at += 8;
  const std::vector<std::string> normals = {"",
                                            "/* Normal section */",
                                            "",
                                            "Token_Norm_6:",
                                            "\tSVECTOR(0, 0, 4096);",
                                            "\tSVECTOR(0, 0, -4096);",
                                            "\tSVECTOR(4096, 0, 0);",
                                            "\tSVECTOR(-4096, 0, 0);",
                                            "\tSVECTOR(0, 4096, 0);",
                                            "\tSVECTOR(0, -4096, 0);",
                                            "",
                                            "Token_Poly_7:",
                                            "/* Writing group no 0 */",
                                            ""};
  for (size_t i = 0; i < normals.size(); ++i) EXPECT_EQ(lines[at + i], normals[i]) << "line " << at + i + 1;
  at += normals.size();
  // Six packets of 4 bytes and 8 halves, each followed by a blank line.
  const std::vector<std::string> firstPacket = {"\tB(255);", "\tB(127);", "\tB(0);",  "\tB(0x38);", "\tH(0);",
                                                "\tH(0);",   "\tH(0);",   "\tH(3);",  "\tH(0);",    "\tH(1);",
                                                "\tH(0);",   "\tH(2);",   ""};
  for (size_t i = 0; i < firstPacket.size(); ++i) EXPECT_EQ(lines[at + i], firstPacket[i]);
  at += 6 * 13;
  ASSERT_EQ(lines.size(), at + 1);
  EXPECT_EQ(lines[at], "/* End of file */");
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
