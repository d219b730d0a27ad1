#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "writers/LwobWriter.h"
#include "TestSupport.h"
#include "lwlib/object/Iff.h"
#include "lwlib/object/Lwo.h"

using testsupport::LwobPolygon;
using testsupport::LwobSurface;
using testsupport::LwobWriter;

namespace {

class LwoParseTest : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(IffHandlerRegistry(), nullptr);
    EXPECT_EQ(testsupport::LiveTrackedBlocks(), live_);
  }
  static std::vector<uint8_t> Save(const LwobWriter& w) { return w.Bytes(); }
  static LwobWriter Cube() {
    LwobWriter w;
    w.Points(testsupport::CubePoints()).SurfaceNames({"Default"}).Polygons(testsupport::CubeFaces());
    return w;
  }
  static bool Parse(const std::vector<uint8_t>& bytes) {
    LwoObject o;
    return ParseLightWaveObjectBytes(bytes, o);
  }
  testsupport::TempDir dir_;
  int32_t live_ = testsupport::LiveTrackedBlocks();
};

TEST_F(LwoParseTest, TheExtensionIsTakenOffOnlyWhenANameRemains) {
  // Too short to carry the extension: it stays part of the name. (Loading
  // cube, cube.lwo and cube.LWO is checked with the mesh they give.)
  EXPECT_EQ(LightWaveFileNames("a.lwo").objectFile, "a.lwo.lwo");
  EXPECT_EQ(LightWaveFileNames("a.lwo").uvFile, "a.lwo.uv");
  EXPECT_EQ(LightWaveFileNames("ab.lwo").objectFile, "ab.lwo");
  EXPECT_EQ(LightWaveFileNames("C:\\x\\ab.LwO").uvFile, "C:\\x\\ab.uv");
}

TEST_F(LwoParseTest, PointChunksThatCannotBeWholePointsAreRefused) {
  EXPECT_FALSE(Parse(Save(LwobWriter().Points({{0, 0, 0}}).Points({{1, 1, 1}}))));
  EXPECT_FALSE(Parse(Save(LwobWriter().Chunk("PNTS", std::vector<uint8_t>(13)))));
  LwoObject o;
  ASSERT_TRUE(ParseLightWaveObjectBytes(Save(LwobWriter().Chunk("PNTS", std::vector<uint8_t>(14))), o));
  EXPECT_EQ(o.points.pointCount, 1u);
}

TEST_F(LwoParseTest, OddPolygonAndCurveChunksAreRefusedEvenCurvesIgnored) {
  EXPECT_FALSE(Parse(Save(Cube().Chunk("POLS", {0, 1, 0}))));
  EXPECT_FALSE(Parse(Save(Cube().Chunk("CRVS", {0, 1, 0}))));
  LwoObject o;
  ASSERT_TRUE(ParseLightWaveObjectBytes(Save(Cube().Curves({{{0, 1, 2}, 1}, {{3, 4}, 1}})), o));
  EXPECT_EQ(o.curves.curveCount, 2u);
  EXPECT_EQ(o.polygons.polygonCount, 6u);
  // A refused object leaves nothing registered, so the next one loads.
  EXPECT_TRUE(Parse(Save(Cube())));
}

TEST_F(LwoParseTest, OnlyTheFirstPolygonChunkCounts) {
  LwobWriter w;
  w.Points(testsupport::CubePoints()).SurfaceNames({"A"});
  w.Polygons({{{0, 1, 2}, 1}}).Polygons({{{4, 5, 6, 7}, 1}, {{0, 1, 2, 3}, 1}});
  LwoObject o;
  ASSERT_TRUE(ParseLightWaveObjectBytes(Save(w), o));
  EXPECT_EQ(o.polygons.polygonCount, 1u);
  EXPECT_EQ(o.polygons.indexWordCount, 4u);
  EXPECT_EQ(o.polygons.Word(1), 0);
  EXPECT_EQ(o.polygons.Word(3), 2);
}

TEST_F(LwoParseTest, SurfaceNamesNumberAcrossChunksAndFirstSurfaceOfANameWins) {
  LwobWriter w = Cube();
  w.SurfaceNames({"Odd", "Even", "X"});  // a pad byte after "Even\0" only
  w.Surface(LwobSurface("Odd").Colour(255, 0, 0).U2("SPEC", 128));
  w.Surface(LwobSurface("Odd").Colour(0, 255, 0));
  LwoObject o;
  ASSERT_TRUE(ParseLightWaveObjectBytes(Save(w), o));
  // Chunks arrive last-first: the last SRFS chunk's names come first.
  for (const auto& [i, name] : {std::pair{1, "Odd"}, {2, "Even"}, {3, "X"}, {4, "Default"}})
    EXPECT_STREQ(SurfaceNameByIndex(o.surfaceNames, i), name);
  EXPECT_EQ(SurfaceNameByIndex(o.surfaceNames, 5), nullptr);
  const LwoSurface* s = FindSurface(o.surfaces, "Odd");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->colour, 0xFF000000u);
  EXPECT_EQ(s->present, LWO_COLR | LWO_SPEC);
  EXPECT_EQ(s->specular, 128);
  EXPECT_EQ(o.surfaces.surfaceCount, 2u);
  EXPECT_EQ(FindSurface(o.surfaces, "odd"), nullptr);
}

TEST_F(LwoParseTest, TextureSubChunksFillTheRunWideCurrentSlot) {
  SetLwoCurrentTextureSlot(LWO_SLOT_NONE);
  LwoObject first;
  ASSERT_TRUE(ParseLightWaveObjectBytes(
      Save(Cube().Surface(LwobSurface("Default").Name("TIMG", "early.bmp").U2("TFLG", 2))), first));
  EXPECT_EQ(FindSurface(first.surfaces, "Default")->textures[0].present, 0u);

  LwoObject second;
  ASSERT_TRUE(ParseLightWaveObjectBytes(
      Save(Cube().Surface(LwobSurface("Default").Name("DTEX", "Planar Image Map"))), second));
  EXPECT_EQ(LwoCurrentTextureSlot(), LWO_SLOT_DIFFUSE);
  SetLwoCurrentTextureSlot(LWO_SLOT_COLOUR);  // as a CTEX of an earlier object leaves it
  LwoObject third;
  ASSERT_TRUE(ParseLightWaveObjectBytes(Save(Cube().Surface(LwobSurface("Default")
                                                           .Name("TIMG", "images\\wood.bmp")
                                                           .U2("TFLG", 3)
                                                           .Vec("TSIZ", 1, 2, 3)
                                                           .Sub("TCTR", {1, 2})  // too short: ignored
                                                           .Sub("XXXX", {1, 2, 3})))
                                        ,
                                    third));
  const LwoTexture& t = FindSurface(third.surfaces, "Default")->textures[0];
  EXPECT_EQ(t.present, LWO_TIMG | LWO_TFLG | LWO_TSIZ);
  EXPECT_STREQ(t.imageName, "images\\wood.bmp");
  EXPECT_EQ(t.textureFlags, 3);
  EXPECT_EQ(t.size[2], 3.0f);
  SetLwoCurrentTextureSlot(LWO_SLOT_NONE);
}

TEST_F(LwoParseTest, UvChunksNeedEachOtherElseTheUvFileIsUsed) {
  LwobWriter both = Cube();
  both.SurfaceNames({"Second"}).UvImages({"wood.bmp", "NULL"});
  both.UvCoordinates({{{0.5f, 0.25f}, {1, 1}, {0, 1}, {2, 3}}, {{7, 8}}});
  LwoObject o;
  ASSERT_TRUE(ParseLightWaveObjectBytes(Save(both), o));
  ASSERT_TRUE(o.hasUvSet);
  EXPECT_EQ(o.uvSet.kind, 2);
  ASSERT_EQ(o.uvSet.surfaceCount, 2u);
  EXPECT_EQ(o.uvSet.imageNames, (std::vector<std::string>{"wood.bmp", "NULL"}));
  EXPECT_EQ(o.uvSet.surfaceNames, (std::vector<std::string>{"Second", "Default"}));
  float u, v;
  for (const auto& [polygon, corner, uu, vv] : {std::tuple{0, 0, 0.5f, 0.25f}, {0, 3, 2.0f, 3.0f}, {1, 0, 7.0f, 8.0f}}) {
    EXPECT_TRUE(UvAt(o.uvSet, polygon, corner, u, v));
    EXPECT_EQ(u, uu);
    EXPECT_EQ(v, vv);
  }
  // The entry count (size / 16) runs past the data: those entries stay empty.
  EXPECT_FALSE(UvAt(o.uvSet, 2, 0, u, v));
  EXPECT_FALSE(UvAt(o.uvSet, 1, 1, u, v));

  const std::string path = dir_.File("halves.lwo");
  Cube().UvImages({"dropped.bmp"}).Save(path);
  LwoObject noFile;
  ASSERT_TRUE(ParseLightWaveObject(path.c_str(), noFile));
  EXPECT_FALSE(noFile.hasUvSet);
  EXPECT_TRUE(noFile.uvSet.imageNames.empty());
  testsupport::WriteText(dir_.File("halves.uv"),
                         testsupport::UvFileText(7, {"Default"}, {"file.bmp"}, {{0, {{0.75f, 0.5f}}}}));
  LwoObject withFile;
  ASSERT_TRUE(ParseLightWaveObject(path.c_str(), withFile));
  ASSERT_TRUE(withFile.hasUvSet);
  EXPECT_EQ(withFile.uvSet.kind, 7);
  EXPECT_EQ(withFile.uvSet.imageNames[0], "file.bmp");
}

TEST_F(LwoParseTest, HostilePolygonsAreRefused) {
  // A point index at the point count.
  EXPECT_FALSE(Parse(Save(LwobWriter().Points(testsupport::CubePoints()).Polygons({{{0, 1, 8}, 1}}))));
  // A polygon that claims more points than its chunk holds.
  testsupport::ByteWriter b;
  b.BeU2(40).BeU2(0).BeU2(1);
  EXPECT_FALSE(Parse(Save(LwobWriter().Points(testsupport::CubePoints()).Chunk("POLS", b.bytes()))));
  // A SURF chunk with an unterminated name or a sub-chunk running past its end.
  EXPECT_TRUE(Parse(Save(Cube().Chunk("SURF", {'a', 'b'}))));
  testsupport::ByteWriter s;
  s.Text("Default").U1(0).Text("COLR").BeU2(200).U1(1);
  LwoObject o;
  ASSERT_TRUE(ParseLightWaveObjectBytes(Save(Cube().Chunk("SURF", s.bytes())), o));
  EXPECT_EQ(FindSurface(o.surfaces, "Default")->present, 0u);
}

TEST_F(LwoParseTest, DetailPolygonsReadAsPolygonsOfTheirOwnSurfaces) {
  testsupport::ByteWriter b;
  b.BeU2(4).BeU2(0).BeU2(1).BeU2(2).BeU2(3).BeI2(-1).BeU2(1);  // parent, one detail polygon
  b.BeU2(3).BeU2(4).BeU2(5).BeU2(6).BeI2(2);                   // the detail polygon
  b.BeU2(3).BeU2(0).BeU2(4).BeU2(7).BeI2(1);
  LwoObject o;
  ASSERT_TRUE(ParseLightWaveObjectBytes(
      Save(LwobWriter().Points(testsupport::CubePoints()).SurfaceNames({"A", "B"}).Chunk("POLS", b.bytes())),
      o));
  ASSERT_EQ(o.polygons.polygonCount, 3u);
  EXPECT_EQ(o.polygons.indexWordCount, 5u + 4u + 4u);
  std::vector<uint16_t> words;
  for (uint32_t i = 0; i < o.polygons.wordCount; ++i) words.push_back(o.polygons.Word(i));
  EXPECT_EQ(words, (std::vector<uint16_t>{4, 0, 1, 2, 3, 1, 3, 4, 5, 6, 2, 3, 0, 4, 7, 1}));
}

}  // namespace
