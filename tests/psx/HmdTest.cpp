#include <gtest/gtest.h>

#include "PsxTestUtil.h"
#include "TestSupport.h"
#include "writers/TimWriter.h"
#include "platform/Ui.h"
#include "psx/Hmd.h"
#include "psx/Lab.h"

using namespace psxtest;
using testsupport::CapturedOutput;
using testsupport::TempDir;

namespace {

// Each polygon block's type, count and offset lines.
std::vector<std::string> Headers(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (size_t i = 0; i + 4 < lines.size(); ++i)
    if (lines[i].rfind("Token_PolyPrim_", 0) == 0)
      out.push_back(lines[i + 1] + " " + lines[i + 3] + " " + lines[i + 4]);
  return out;
}

std::vector<V> Square(float z = 0) { return {{0, 0, z}, {1, 0, z}, {1, 1, z}, {0, 1, z}, {2, 0, z}, {2, 1, z}}; }

const std::string kTri = "\tDEV_ID(SCE)|CTG(CTG_POLY)|DRV(INI)|PRIM_TYPE(TRI|IIP); \tM(H(2)); \t0x00000000;";

}  // namespace

TEST(HmdConversion, TrianglesAndQuadsMakeTwoBlocksWithRunningOffsets) {
  TempDir dir;
  MeshModel model;
  AddGroup(model, Square(), {{0, 1, 2}, {0, 1, 3}, {0, 1, 2, 3}, {1, 4, 5, 2}, {0, 1, 2, 3}});
  AddGroup(model, Square(), {{0, 1, 2}});
  const Conversion run = Convert(model, dir);
  ASSERT_TRUE(run.ok);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(Headers(run.lines),
            (std::vector<std::string>{
                kTri, "\tDEV_ID(SCE)|CTG(CTG_POLY)|DRV(0)|PRIM_TYPE(QUAD|IIP); \tM(H(3)); \t0x00000008;",
                "\tDEV_ID(SCE)|CTG(CTG_POLY)|DRV(0)|PRIM_TYPE(TRI|IIP); \tM(H(1)); \t0x00000017;"}));
  EXPECT_TRUE(Has(run.lines, "\tM(3);"));
  EXPECT_EQ(Count(run.lines, "/* Writing group no 0 */"), 2u);
  EXPECT_EQ(Count(run.lines, "\tB(0x30);"), 3u);
  EXPECT_EQ(Count(run.lines, "\tB(0x38);"), 3u);
  // Equal positions of both groups share the six entries.
  EXPECT_EQ(Block(run.lines, "Token_Vert_" + std::to_string(LabelCounter - 8) + ":").size(), 7u);
}

TEST(HmdConversion, BadPolygonsAndEmptyGroupsAreSkippedWithTheirMessages) {
  TempDir dir;
  MeshModel model;
  AddGroup(model, Square(), {{0, 1, 4, 5, 3}, {0, 1, 2}, {0, 2, 3}});
  Conversion run = Convert(model, dir);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.boxes, (std::vector<std::string>{"Polygon data contains polygons with > 4 points - will skip bad data",
                                                 "Illegal polygons in face data"}));
  EXPECT_EQ(Headers(run.lines), std::vector<std::string>{kTri});

  // A group left without polygons gets no block.
  model = MeshModel{};
  AddGroup(model, Square(), {{0, 1, 2, 3, 4}});
  AddGroup(model, Square(), {{0, 1, 2, 3}});
  run = Convert(model, dir);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.boxes, (std::vector<std::string>{"Polygon data contains polygons with > 4 points - will skip bad data",
                                                 "Poly data contains no valid data - nothing to convert"}));
  EXPECT_TRUE(Has(run.lines, "\tM(1);"));
  EXPECT_FALSE(Has(run.lines, "/* Writing group no 0 */"));
  EXPECT_EQ(Headers(run.lines).size(), 1u);
}

TEST(HmdConversion, InversionsMirrorPositionsAndReverseEveryFace) {
  TempDir dir;
  MeshModel model;
  AddGroup(model, {{1, 2, 3, 0, 0, 1}, {-1, 0.5f, 0, 0, 0, 1}, {0, 0, -2, 0, 0, 1}}, {{0, 1, 2}});
  const Conversion run = Convert(model, dir, HMD_OPT_DEFAULT & ~HMD_OPT_WRITE_TEXTURES);
  ASSERT_TRUE(run.ok);
  // Reversed to 2, 1, 0, and triangles are written from their last vertex.
  EXPECT_EQ(Block(run.lines, "\tB(0x30);"),
            (std::vector<std::string>{"\tB(0x30);", "\tH(0);", "\tH(0);", "\tH(0);", "\tH(1);", "\tH(0);", "\tH(2);"}));
  for (const char* line : {"\tSVECTOR(0, 0, 8192);", "\tSVECTOR(4096, -2048, 0);", "\tSVECTOR(-4096, -8192, -12288);",
                           "\tSVECTOR(0, 0, 4096);"})  // normals are not negated
    EXPECT_TRUE(Has(run.lines, line)) << line;
}

TEST(HmdConversion, QuantisationScalingAndNormals) {
  // Positive halves round up; the low 16 bits are kept; NaN and infinity are 0.
  const std::pair<float, int16_t> cases[] = {{0.5f / 4096, 1}, {-0.5f / 4096, 0}, {-1.5f / 4096, -1},
                                             {1.0f, 4096},     {8.0f, -32768},    {16.0f + 1.0f / 4096, 1},
                                             {std::numeric_limits<float>::quiet_NaN(), 0},
                                             {std::numeric_limits<float>::infinity(), 0}};
  for (const auto& [value, want] : cases) EXPECT_EQ(QuantizeComponent(value), want) << value;

  TempDir dir;
  MeshModel model;
  AddGroup(model, {{1, 1, 1, 0, 3, 0}, {2, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0.5f}}, {{0, 1, 2}});
  const Conversion run = Convert(model, dir, 0, 0.25f);
  ASSERT_TRUE(run.ok);
  EXPECT_TRUE(Has(run.lines, "\tSVECTOR(1024, 1024, 1024);"));
  EXPECT_TRUE(Has(run.lines, "\tSVECTOR(2048, 0, 0);"));
  const auto norm = Block(run.lines, "Token_Norm_" + std::to_string(LabelCounter - 5) + ":");
  // Normals are normalised; the zero-length one stays zero.
  EXPECT_EQ(norm, (std::vector<std::string>{norm[0], "\tSVECTOR(0, 4096, 0);", "\tSVECTOR(0, 0, 0);",
                                             "\tSVECTOR(0, 0, 4096);"}));
}

TEST(HmdConversion, ProposedScaleAndTimNames) {
  EXPECT_FLOAT_EQ(ProposeHmdScale({-1, -1, -1, 1, 1, 1}), 1.0f);  // shrinks only to fit two units
  EXPECT_FLOAT_EQ(ProposeHmdScale({-8, 0, 0, 4, 1, 1}), 0.25f);
  EXPECT_FLOAT_EQ(ProposeHmdScale({0, 0, -1, 1, 10, 5}), 0.2f);
  MeshModel cube = Cube(3);
  EXPECT_FLOAT_EQ(ProposeHmdScale(MeshModelBox(cube)), 2.0f / 3);
  // Everything from the first dot is replaced.
  for (const auto& [texture, tim] : std::vector<std::pair<std::string, std::string>>{
           {"wood.bmp", "wood.tim"}, {"wood", "wood.tim"}, {"a.b.bmp", "a.tim"}, {".bmp", ".bmp.tim"}})
    EXPECT_EQ(TimNameForTexture(texture), tim);
}

TEST(HmdConversion, PacketsCarryPlacementAndTexelsWithoutImagesWhenTexturesAreOff) {
  // 4-bit, 16 units wide (64 texels) at x 320, y 256: page 5 + 16; palette at 32, 480.
  TempDir dir;
  testsupport::WriteFile(dir.File("wood.tim"), testsupport::MakeTim(testsupport::Tim4Bit(320, 256, 16, 64, 32, 480)));
  MeshModel model;
  AddGroup(model, {{0, 0, 0, 0, 0, 1, 1.0f, 0.5f}, {1, 0, 0, 0, 0, 1, 0, 1}, {1, 1, 0, 0, 0, 1, 0.25f, 0}},
           {{0, 1, 2}}, dir.File("wood.bmp"));
  CapturedOutput out;
  const Conversion run = Convert(model, dir);
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
      "\tH(0);", "\tH(2);", "\tH(0);", "\tH(1);", "\tH(0);", "\tH(0);"};
  EXPECT_EQ(Block(run.lines, windowLine), packet);
}

TEST(HmdConversion, TexelsAbove255AndMissingTims) {
  TempDir dir;
  testsupport::WriteFile(dir.File("big.tim"), testsupport::MakeTim(testsupport::Tim8Bit(0, 0, 128, 4)));
  MeshModel model;
  AddGroup(model, {{0, 0, 0, 0, 0, 1, 1, 0}, {1, 0, 0, 0, 0, 1, 0, 0}, {1, 1, 0, 0, 0, 1, 0, 0}}, {{0, 1, 2}},
           dir.File("big.x.bmp"));
  CapturedOutput out;
  Conversion run = Convert(model, dir);
  ASSERT_TRUE(run.ok);
  EXPECT_TRUE(Has(run.lines, "\tB(256);"));  // counted and written as it is
  EXPECT_TRUE(out.Contains("Warning: 1 texture coordinates were out of range"));

  // A TIM that does not load is reported and its fields are zero.
  model = MeshModel{};
  AddGroup(model, Square(), {{0, 1, 2, 3}}, dir.File("gone.bmp"));
  run = Convert(model, dir);
  ASSERT_TRUE(run.ok);
  EXPECT_TRUE(out.Contains("Could not load texture " + dir.File("gone.tim")));
  EXPECT_TRUE(Has(run.lines, "\t0xe2000000;"));
  EXPECT_NE(Headers(run.lines)[0].find("PRIM_TYPE(QUAD|IIP|TME|TILE)"), std::string::npos);
}

// Running out of memory is swept through the viewer's exports.
TEST(HmdConversion, AFailureEndsWithItsMessage) {
  ScriptedUi ui;
  SetUi(&ui);
  MeshModel model = Cube();
  CapturedOutput out;
  EXPECT_FALSE(ConvertToHmd("/no/such/dir/m", model, 1, 1, 1, 0));
  SetUi(nullptr);
  ASSERT_FALSE(ui.asked().empty());
  EXPECT_EQ(ui.asked().back().text, "Converison ended in an error");
}
