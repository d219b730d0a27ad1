#include <gtest/gtest.h>

#include "PsxTestUtil.h"
#include "TestSupport.h"
#include "writers/TimWriter.h"
#include "psx/Hmd.h"
#include "psx/Lab.h"

using namespace psxtest;
using testsupport::CapturedOutput;
using testsupport::TempDir;

namespace {

std::vector<V> Square(float z = 0) { return {{0, 0, z}, {1, 0, z}, {1, 1, z}, {0, 1, z}, {2, 0, z}, {2, 1, z}}; }

// Converts with labels numbered as in the first conversion of a run, and
// compares the LAB text with its golden file.
Conversion ConvertAsGolden(MeshModel& model, const TempDir& dir, const std::string& golden, uint32_t options = 0,
                           float scale = 1) {
  LabelCounter = 0;
  Conversion run = Convert(model, dir, options, scale);
  const std::string lab = testsupport::ReadText(dir.File("m.lab"));
  EXPECT_EQ(lab, testsupport::Golden("psx/golden/" + golden, lab));
  return run;
}

}  // namespace

// Two blocks with running offsets; equal positions of both groups share
// their entries.
TEST(HmdConversion, TrianglesAndQuadsMakeTwoBlocksWithRunningOffsets) {
  TempDir dir;
  MeshModel model;
  AddGroup(model, Square(), {{0, 1, 2}, {0, 1, 3}, {0, 1, 2, 3}, {1, 4, 5, 2}, {0, 1, 2, 3}});
  AddGroup(model, Square(), {{0, 1, 2}});
  const Conversion run = ConvertAsGolden(model, dir, "blocks.lab");
  ASSERT_TRUE(run.ok);
  EXPECT_TRUE(run.boxes.empty());
}

// Bad polygons are skipped; a group left without polygons gets no block.
TEST(HmdConversion, BadPolygonsAndEmptyGroupsAreSkippedWithTheirMessages) {
  TempDir dir;
  MeshModel model;
  AddGroup(model, Square(), {{0, 1, 4, 5, 3}, {0, 1, 2}, {0, 2, 3}});
  Conversion run = ConvertAsGolden(model, dir, "bad-polygons.lab");
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.boxes, (std::vector<std::string>{"Polygon data contains polygons with > 4 points - will skip bad data",
                                                 "Illegal polygons in face data"}));
  model = MeshModel{};
  AddGroup(model, Square(), {{0, 1, 2, 3, 4}});
  AddGroup(model, Square(), {{0, 1, 2, 3}});
  run = ConvertAsGolden(model, dir, "empty-group.lab");
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.boxes, (std::vector<std::string>{"Polygon data contains polygons with > 4 points - will skip bad data",
                                                 "Poly data contains no valid data - nothing to convert"}));
}

// Positions are mirrored and every face reversed (triangles are written from
// their last vertex); normals are not negated.
TEST(HmdConversion, InversionsMirrorPositionsAndReverseEveryFace) {
  TempDir dir;
  MeshModel model;
  AddGroup(model, {{1, 2, 3, 0, 0, 1}, {-1, 0.5f, 0, 0, 0, 1}, {0, 0, -2, 0, 0, 1}}, {{0, 1, 2}});
  ASSERT_TRUE(ConvertAsGolden(model, dir, "inverted.lab", HMD_OPT_DEFAULT & ~HMD_OPT_WRITE_TEXTURES).ok);
}

TEST(HmdConversion, QuantisationScalingAndNormals) {
  // Positive halves round up; the low 16 bits are kept; NaN and infinity are 0.
  const std::pair<float, int16_t> cases[] = {{0.5f / 4096, 1}, {-0.5f / 4096, 0}, {-1.5f / 4096, -1},
                                             {1.0f, 4096},     {8.0f, -32768},    {16.0f + 1.0f / 4096, 1},
                                             {std::numeric_limits<float>::quiet_NaN(), 0},
                                             {std::numeric_limits<float>::infinity(), 0}};
  for (const auto& [value, want] : cases) EXPECT_EQ(QuantizeComponent(value), want) << value;

  // Scaled by a quarter; normals are normalised and the zero-length one stays zero.
  TempDir dir;
  MeshModel model;
  AddGroup(model, {{1, 1, 1, 0, 3, 0}, {2, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0.5f}}, {{0, 1, 2}});
  ASSERT_TRUE(ConvertAsGolden(model, dir, "scaled.lab", 0, 0.25f).ok);
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
  // No image block, one TERMINATE; the texture window, then per vertex its
  // texel, palette (vertex 2) and page (vertex 1).
  ASSERT_TRUE(ConvertAsGolden(model, dir, "texels.lab").ok);
  EXPECT_FALSE(out.Contains("out of range"));
}

TEST(HmdConversion, TexelsAbove255AndMissingTims) {
  TempDir dir;
  testsupport::WriteFile(dir.File("big.tim"), testsupport::MakeTim(testsupport::Tim8Bit(0, 0, 128, 4)));
  MeshModel model;
  AddGroup(model, {{0, 0, 0, 0, 0, 1, 1, 0}, {1, 0, 0, 0, 0, 1, 0, 0}, {1, 1, 0, 0, 0, 1, 0, 0}}, {{0, 1, 2}},
           dir.File("big.x.bmp"));
  CapturedOutput out;
  ASSERT_TRUE(ConvertAsGolden(model, dir, "texel-256.lab").ok);  // counted and written as it is
  EXPECT_TRUE(out.Contains("Warning: 1 texture coordinates were out of range"));

  // A TIM that does not load is reported and its fields are zero.
  model = MeshModel{};
  AddGroup(model, Square(), {{0, 1, 2, 3}}, dir.File("gone.bmp"));
  ASSERT_TRUE(ConvertAsGolden(model, dir, "missing-tim.lab").ok);
  EXPECT_TRUE(out.Contains("Could not load texture " + dir.File("gone.tim")));
}
