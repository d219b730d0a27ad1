#include <gtest/gtest.h>

#include "PsxTestUtil.h"
#include "TestSupport.h"
#include "TimWriter.h"
#include "platform/Ui.h"
#include "psx/Hmd.h"
#include "psx/Lab.h"

using namespace psxtest;
using testsupport::CapturedOutput;
using testsupport::TempDir;

namespace {

struct Result {
  bool ok = false;
  std::vector<std::string> lines;
  std::vector<std::string> boxes;  // texts shown in the HMD Error box
};

Result Convert(MeshModel& model, uint32_t options, const std::string& out, float scale = 1.0f) {
  ScriptedUi ui;
  SetUi(&ui);
  Result run;
  run.ok = ConvertToHmd(out, model, scale, scale, scale, options);
  SetUi(nullptr);
  for (const auto& a : ui.asked()) {
    EXPECT_EQ(a.caption, "HMD Error");
    run.boxes.push_back(a.text);
  }
  std::string lab = out;
  StripLabExtension(lab);
  run.lines = ReadLines(lab + ".lab");
  return run;
}

std::vector<std::string> Headers(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (size_t i = 0; i + 4 < lines.size(); ++i)
    if (lines[i].rfind("Token_PolyPrim_", 0) == 0)
      out.push_back(lines[i + 1] + " " + lines[i + 3] + " " + lines[i + 4]);
  return out;
}

std::vector<V> Square(float z = 0) {
  return {{0, 0, z}, {1, 0, z}, {1, 1, z}, {0, 1, z}, {2, 0, z}, {2, 1, z}};
}

}  // namespace

TEST(HmdConversion, TrianglesAndQuadsMakeTwoBlocksWithRunningOffsets) {
  TempDir dir;
  MeshModel model;
  const std::vector<V> v = Square();
  AddGroup(model, v, {{0, 1, 2}, {0, 1, 3}, {0, 1, 2, 3}, {1, 4, 5, 2}, {0, 1, 2, 3}});
  AddGroup(model, v, {{0, 1, 2}});
  const Result run = Convert(model, 0, dir.File("m"));
  ASSERT_TRUE(run.ok);
  EXPECT_TRUE(run.boxes.empty());
  const std::vector<std::string> expected = {
      "\tDEV_ID(SCE)|CTG(CTG_POLY)|DRV(INI)|PRIM_TYPE(TRI|IIP); \tM(H(2)); \t0x00000000;",
      "\tDEV_ID(SCE)|CTG(CTG_POLY)|DRV(0)|PRIM_TYPE(QUAD|IIP); \tM(H(3)); \t0x00000008;",
      "\tDEV_ID(SCE)|CTG(CTG_POLY)|DRV(0)|PRIM_TYPE(TRI|IIP); \tM(H(1)); \t0x00000017;",
  };
  EXPECT_EQ(Headers(run.lines), expected);
  EXPECT_TRUE(Has(run.lines, "\tM(3);"));
  EXPECT_EQ(Count(run.lines, "/* Writing group no 0 */"), 2u);
  EXPECT_EQ(Count(run.lines, "\tB(0x30);"), 3u);
  EXPECT_EQ(Count(run.lines, "\tB(0x38);"), 3u);
  // Equal positions of both groups share the six entries.
  EXPECT_EQ(Block(run.lines, "Token_Vert_" + std::to_string(LabelCounter - 8) + ":").size(), 7u);
}

TEST(HmdConversion, PentagonIsSkippedWithItsMessages) {
  TempDir dir;
  MeshModel model;
  AddGroup(model, Square(), {{0, 1, 4, 5, 3}, {0, 1, 2}, {0, 2, 3}, {0, 1, 9}});
  const Result run = Convert(model, 0, dir.File("m"));
  ASSERT_TRUE(run.ok);
  const std::vector<std::string> boxes = {"Polygon data contains polygons with > 4 points - will skip bad data",
                                          "Illegal polygons in face data", "Illegal polygons in face data"};
  EXPECT_EQ(run.boxes, boxes);  // the pentagon, and a triangle naming a vertex the group lacks
  ASSERT_EQ(Headers(run.lines).size(), 1u);
  EXPECT_EQ(Headers(run.lines)[0], "\tDEV_ID(SCE)|CTG(CTG_POLY)|DRV(INI)|PRIM_TYPE(TRI|IIP); \tM(H(2)); \t0x00000000;");
}

TEST(HmdConversion, GroupsWithoutPolygonsAreLeftOut) {
  TempDir dir;
  MeshModel model;
  AddGroup(model, Square(), {{0, 1}});
  AddGroup(model, Square(), {{0, 1, 2, 3}});
  const Result run = Convert(model, 0, dir.File("m"));
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.boxes, (std::vector<std::string>{"Polygon data contains polygons with > 4 points - will skip bad data",
                                                 "Poly data contains no valid data - nothing to convert"}));
  EXPECT_TRUE(Has(run.lines, "\tM(1);"));
  EXPECT_FALSE(Has(run.lines, "/* Writing group no 0 */"));
  EXPECT_TRUE(Has(run.lines, "/* Writing group no 1 */"));
  ASSERT_EQ(Headers(run.lines).size(), 1u);
}

TEST(HmdConversion, InversionsMirrorPositionsAndReverseEveryFace) {
  TempDir dir;
  MeshModel model;
  AddGroup(model, {{1, 2, 3, 0, 0, 1}, {-1, 0.5f, 0, 0, 0, 1}, {0, 0, -2, 0, 0, 1}}, {{0, 1, 2}});
  const Result run = Convert(model, HMD_OPT_DEFAULT & ~HMD_OPT_WRITE_TEXTURES, dir.File("m"));
  ASSERT_TRUE(run.ok);
  // Reversed to 2, 1, 0, and triangles are written from their last vertex.
  const auto packet = Block(run.lines, "\tB(0x30);");
  const std::vector<std::string> expected = {"\tB(0x30);", "\tH(0);", "\tH(0);", "\tH(0);",
                                             "\tH(1);",    "\tH(0);", "\tH(2);"};
  EXPECT_EQ(packet, expected);
  EXPECT_TRUE(Has(run.lines, "\tSVECTOR(0, 0, 8192);"));
  EXPECT_TRUE(Has(run.lines, "\tSVECTOR(4096, -2048, 0);"));
  EXPECT_TRUE(Has(run.lines, "\tSVECTOR(-4096, -8192, -12288);"));
  EXPECT_TRUE(Has(run.lines, "\tSVECTOR(0, 0, 4096);"));  // normals are not negated
}

TEST(HmdConversion, QuantisationRoundsPositiveHalvesUpAndKeepsLow16Bits) {
  EXPECT_EQ(QuantizeComponent(0.5f / 4096), 1);
  EXPECT_EQ(QuantizeComponent(-0.5f / 4096), 0);
  EXPECT_EQ(QuantizeComponent(-1.5f / 4096), -1);
  EXPECT_EQ(QuantizeComponent(1.0f), 4096);
  EXPECT_EQ(QuantizeComponent(8.0f), -32768);
  EXPECT_EQ(QuantizeComponent(16.0f + 1.0f / 4096), 1);
  EXPECT_EQ(QuantizeComponent(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(QuantizeComponent(std::numeric_limits<float>::infinity()), 0);
}

TEST(HmdConversion, ScalesPositionsAndNormalisesNormals) {
  TempDir dir;
  MeshModel model;
  AddGroup(model, {{1, 1, 1, 0, 3, 0}, {2, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0.5f}}, {{0, 1, 2}});
  const Result run = Convert(model, 0, dir.File("m"), 0.25f);
  ASSERT_TRUE(run.ok);
  EXPECT_TRUE(Has(run.lines, "\tSVECTOR(1024, 1024, 1024);"));
  EXPECT_TRUE(Has(run.lines, "\tSVECTOR(2048, 0, 0);"));
  const auto norm = Block(run.lines, "Token_Norm_" + std::to_string(LabelCounter - 5) + ":");
  // The zero-length normal stays zero.
  EXPECT_EQ(norm, (std::vector<std::string>{norm[0], "\tSVECTOR(0, 4096, 0);", "\tSVECTOR(0, 0, 0);",
                                             "\tSVECTOR(0, 0, 4096);"}));
}

TEST(HmdConversion, ProposedScaleShrinksOnlyToFitTwoUnits) {
  EXPECT_FLOAT_EQ(ProposeHmdScale({-1, -1, -1, 1, 1, 1}), 1.0f);
  EXPECT_FLOAT_EQ(ProposeHmdScale({-8, 0, 0, 4, 1, 1}), 0.25f);
  EXPECT_FLOAT_EQ(ProposeHmdScale({0, 0, -1, 1, 10, 5}), 0.2f);
  MeshModel cube = Cube(3);
  const HmdBox box = MeshModelBox(cube);
  EXPECT_FLOAT_EQ(box.minX, -3);
  EXPECT_FLOAT_EQ(box.maxZ, 3);
  EXPECT_FLOAT_EQ(ProposeHmdScale(box), 2.0f / 3);
}

TEST(HmdConversion, TimNamesReplaceEverythingFromTheFirstDot) {
  EXPECT_EQ(TimNameForTexture("wood.bmp"), "wood.tim");
  EXPECT_EQ(TimNameForTexture("wood"), "wood.tim");
  EXPECT_EQ(TimNameForTexture("a.b.bmp"), "a.tim");
  EXPECT_EQ(TimNameForTexture(".bmp"), ".bmp.tim");
}

class TexturedConversion : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(TexturedConversion, PacketsCarryPlacementAndTexelsWithoutImagesWhenTexturesAreOff) {
  // 4-bit, 16 units wide (64 texels) at x 320, y 256: page 5 + 16; palette at 32, 480.
  testsupport::WriteFile(dir.File("wood.tim"), testsupport::MakeTim(testsupport::Tim4Bit(320, 256, 16, 64, 32, 480)));
  MeshModel model;
  AddGroup(model,
           {{0, 0, 0, 0, 0, 1, 1.0f, 0.5f}, {1, 0, 0, 0, 0, 1, 0, 1}, {1, 1, 0, 0, 0, 1, 0.25f, 0}},
           {{0, 1, 2}}, dir.File("wood.bmp"));
  CapturedOutput out;
  const Result run = Convert(model, 0, dir.File("m"));
  ASSERT_TRUE(run.ok);
  EXPECT_FALSE(out.Contains("out of range"));
  EXPECT_EQ(run.lines[10], "\t0x00000000;");  // no image block
  EXPECT_EQ(Count(run.lines, "\tTERMINATE;"), 1u);
  ASSERT_EQ(Headers(run.lines).size(), 1u);
  EXPECT_NE(Headers(run.lines)[0].find("PRIM_TYPE(TRI|IIP|TME|TILE)"), std::string::npos);
  const uint32_t window = 0xE2000000u | ((0u - 64) & 255) >> 3 | ((0u - 64) & 248) << 2;
  char windowLine[32];
  std::snprintf(windowLine, sizeof windowLine, "\t0x%.8x;", window);
  const std::vector<std::string> packet = {
      windowLine, "\tB(16);", "\tB(0);", "\tH(" + std::to_string(2 | 480 << 6) + ");",  // vertex 2, palette
      "\tB(0);", "\tB(64);", "\tH(21);",                                               // vertex 1, page
      "\tB(64);", "\tB(32);", "\tH(0);",                                                // vertex 0
      "\tH(0);", "\tH(2);", "\tH(0);", "\tH(1);", "\tH(0);", "\tH(0);", ""};
  const auto it = std::find(run.lines.begin(), run.lines.end(), windowLine);
  ASSERT_NE(it, run.lines.end());
  EXPECT_EQ(std::vector<std::string>(it, it + static_cast<long>(packet.size())), packet);
}

TEST_F(TexturedConversion, TexelsAbove255AreCountedAndWrittenAsTheyAre) {
  testsupport::WriteFile(dir.File("big.tim"), testsupport::MakeTim(testsupport::Tim8Bit(0, 0, 128, 4)));
  MeshModel model;
  AddGroup(model, {{0, 0, 0, 0, 0, 1, 1, 0}, {1, 0, 0, 0, 0, 1, 0, 0}, {1, 1, 0, 0, 0, 1, 0, 0}}, {{0, 1, 2}},
           dir.File("big.x.bmp"));
  CapturedOutput out;
  const Result run = Convert(model, 0, dir.File("m"));
  ASSERT_TRUE(run.ok);
  EXPECT_TRUE(Has(run.lines, "\tB(256);"));
  EXPECT_TRUE(out.Contains("Warning: 1 texture coordinates were out of range"));
}

TEST_F(TexturedConversion, MissingTimIsReportedAndItsFieldsAreZero) {
  MeshModel model;
  AddGroup(model, Square(), {{0, 1, 2, 3}}, dir.File("gone.bmp"));
  CapturedOutput out;
  const Result run = Convert(model, 0, dir.File("m"));
  ASSERT_TRUE(run.ok);
  EXPECT_TRUE(out.Contains("Could not load texture " + dir.File("gone.tim")));
  EXPECT_TRUE(Has(run.lines, "\t0xe2000000;"));
  EXPECT_NE(Headers(run.lines)[0].find("PRIM_TYPE(QUAD|IIP|TME|TILE)"), std::string::npos);
}

TEST(HmdConversion, EveryAllocationFailureEndsCleanly) {
  TempDir dir;
  ScriptedUi ui;
  SetUi(&ui);
  MeshModel model = Cube();
  AddGroup(model, Square(), {{0, 1, 2}});
  const auto result = testsupport::InjectAllocationFailures([&] {
    ui.ClearAsked();
    const bool ok = ConvertToHmd(dir.File("m"), model, 1, 1, 1, 0);
    if (!ok) {
      EXPECT_FALSE(ui.asked().empty());
      if (!ui.asked().empty()) {
        EXPECT_EQ(ui.asked().back().text, "Converison ended in an error");
      }
    }
    return ok;
  }, /*mayStillSucceed=*/true);  // the image labels are not needed without textures
  SetUi(nullptr);
  EXPECT_GT(result.runs, 15);
  EXPECT_EQ(result.leakedAt, 0);
}

TEST(HmdConversion, UnwritableOutputFails) {
  MeshModel model = Cube();
  ScriptedUi ui;
  SetUi(&ui);
  CapturedOutput out;
  EXPECT_FALSE(ConvertToHmd("/no/such/dir/m", model, 1, 1, 1, 0));
  SetUi(nullptr);
  ASSERT_FALSE(ui.asked().empty());
  EXPECT_EQ(ui.asked().back().text, "Converison ended in an error");
}
