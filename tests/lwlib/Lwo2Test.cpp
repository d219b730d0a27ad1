#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "TestSupport.h"
#include "writers/Lwo2Writer.h"
#include "writers/LwobWriter.h"
#include "lwlib/object/Iff.h"
#include "lwlib/object/ObjectMesh.h"
#include "rm/Mesh.h"
#include "rm/Rm.h"

using writers::Lwo2ImageMap;
using writers::Lwo2Polygon;
using writers::Lwo2Surface;
using writers::Lwo2UvEntry;
using writers::Lwo2Writer;

namespace {

std::vector<Lwo2Polygon> CubeFaces(uint16_t tag = 0) {
  std::vector<Lwo2Polygon> faces;
  for (const auto& f : writers::CubeFaces())
    faces.push_back({std::vector<uint32_t>(f.points.begin(), f.points.end()), tag});
  return faces;
}

class Lwo2Test : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(IffHandlerRegistry(), nullptr);
    EXPECT_EQ(testsupport::LiveTrackedBlocks(), live_);
  }
  rm::MeshPtr Load(const Lwo2Writer& w, Failure* why = nullptr) {
    const std::string path = dir_.File("object.lwo");
    w.Save(path);
    return LoadLightWaveObject(path.c_str(), engine_, nullptr, nullptr, 0, why);
  }
  // Surfaces of these names smoothing at `angle`.
  static void SmoothSurfaces(Lwo2Writer& w, std::initializer_list<const char*> names, float angle) {
    for (const char* name : names) {
      Lwo2Surface surface{name};
      surface.smoothingAngle = angle;
      w.Surface(surface);
    }
  }
  // The first corner of every face of a group, as (u, v) of its vertices.
  static std::vector<std::vector<std::array<float, 2>>> FaceUvs(const rm::Mesh& mesh, uint32_t group) {
    const rm::MeshGroupData* g = mesh.Group(group);
    std::vector<std::vector<std::array<float, 2>>> out;
    for (size_t at = 0; at < g->faceData.size();) {
      const uint32_t n = g->faceData[at++];
      auto& face = out.emplace_back();
      for (uint32_t k = 0; k < n; ++k, ++at) face.push_back({g->vertices[g->faceData[at]].tu, g->vertices[g->faceData[at]].tv});
    }
    return out;
  }
  testsupport::TempDir dir_;
  rm::EnginePtr engine_ = rm::Engine::Create();
  int32_t live_ = testsupport::LiveTrackedBlocks();
};

// Layers, the second with a pivot that must not move its points, a patch
// cage loaded as faces, a curve skipped, a polygon tagged twice (the last
// tag holds), polygons no PTAG reaches (surface Default), and surface values
// read as LWO2 keeps them.
TEST_F(Lwo2Test, LayersTagsAndSurfacesMakeOneObject) {
  Lwo2Surface red{"Red"};
  red.colour = {1, 0, 0};
  red.luminosity = 0.5f;
  Lwo2Writer w;
  w.Tags({"Red", "Blue", "Part"})
      .Layer(0)
      .Points(writers::CubePoints())
      .BoundingBox({-1, -1, -1}, {1, 1, 1})
      .Polygons(CubeFaces(0))
      .Chunk("PTAG", {'S', 'U', 'R', 'F', 0, 0, 0, 1})
      .Polygons({{{0, 1, 2}, 0}}, "CURV")
      .Layer(1, {5, 5, 5})
      .Points({{10, 0, 0}, {11, 0, 0}, {11, 1, 0}})
      .Polygons({{{0, 1, 2}, 1}}, "PTCH")
      .Chunk("XXXX", {1, 2, 3})
      .Layer(2)
      .Points({{20, 0, 0}, {21, 0, 0}, {21, 1, 0}})
      .Chunk("POLS", {'F', 'A', 'C', 'E', 0, 3, 0, 0, 0, 1, 0, 2})
      .Surface(red)
      .Surface(Lwo2Surface{"Blue"});
  Failure why;
  rm::MeshPtr mesh = Load(w, &why);
  ASSERT_TRUE(mesh) << why.Text();
  ASSERT_EQ(mesh->GetGroupCount(), 3u);
  EXPECT_EQ(mesh->Group(0)->faceCount, 5u);
  EXPECT_EQ(mesh->Group(0)->vertices.size(), 20u);  // no smoothing angle: flat faces
  EXPECT_EQ(mesh->Group(0)->color, rm::ColorRGB(1, 0, 0));
  ASSERT_EQ(mesh->Group(1)->faceCount, 2u);  // the cube's first face, then the cage
  EXPECT_FLOAT_EQ(mesh->Group(1)->vertices[4].position.x, 10);
  EXPECT_FLOAT_EQ(mesh->Group(1)->vertices[4].position.y, 0);
  ASSERT_EQ(mesh->Group(2)->faceCount, 1u);
  EXPECT_FLOAT_EQ(mesh->Group(2)->vertices[0].position.x, 20);
}

// A polygon tagged again belongs to its last tag's surface, also when every
// surface smooths and the groups come straight from the counts. (Two-point
// polygons make no faces: a face counted twice would still fit the polygons.)
TEST_F(Lwo2Test, APolygonTaggedAgainMovesToItsLastSurface) {
  Lwo2Writer w;
  w.Tags({"A", "B"})
      .Layer(0)
      .Points({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}, {3, 1, 0}})
      .Polygons({{{0, 4, 5, 1}, 0}, {{1, 5, 6, 2}, 0}, {{2, 6, 7, 3}, 0}, {{0, 1}, 0}, {{2, 3}, 1}})
      .Chunk("PTAG", {'S', 'U', 'R', 'F', 0, 1, 0, 1})   // out of order
      .Chunk("PTAG", {'S', 'U', 'R', 'F', 0, 0, 0, 1});  // in order
  SmoothSurfaces(w, {"A", "B"}, 1.0f);
  rm::MeshPtr mesh = Load(w);
  ASSERT_TRUE(mesh);
  ASSERT_EQ(mesh->GetGroupCount(), 2u);
  EXPECT_EQ(mesh->Group(0)->faceData, (std::vector<uint32_t>{4, 0, 1, 2, 3}));
  EXPECT_EQ(mesh->Group(1)->faceData, (std::vector<uint32_t>{4, 0, 1, 2, 3, 4, 3, 2, 4, 5}));
}

// A cube's faces meet at right angles: a smoothing angle below that leaves
// every face flat (four vertices each), one above it shares each corner. Two
// quads folded by 11.3 degrees share their edge's normals only above that.
TEST_F(Lwo2Test, SmoothingAngleDecidesSharedNormals) {
  const std::vector<std::array<float, 3>> fold{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0.2f}, {2, 1, 0.2f}};
  const std::vector<Lwo2Polygon> folded{{{0, 1, 2, 3}, 0}, {{1, 4, 5, 2}, 0}};
  const struct {
    bool cube;
    float angle;
    uint32_t vertices;
  } cases[] = {{true, 1.5f, 24}, {true, 1.7f, 8}, {false, 0.1f, 8}, {false, 0.5f, 6}};
  for (const auto& c : cases) {
    Lwo2Surface s{"S"};
    s.smoothingAngle = c.angle;
    Lwo2Writer w;
    w.Tags({"S"}).Layer(0).Points(c.cube ? writers::CubePoints() : fold).Polygons(c.cube ? CubeFaces() : folded).Surface(s);
    rm::MeshPtr mesh = Load(w);
    ASSERT_TRUE(mesh);
    const rm::MeshGroupData* g = mesh->Group(0);
    EXPECT_EQ(g->vertices.size(), c.vertices) << c.angle;
    for (const rm::Vertex& v : g->vertices) {
      EXPECT_NEAR(v.normal.x * v.normal.x + v.normal.y * v.normal.y + v.normal.z * v.normal.z, 1.0f, 1e-5f);
      // On the fold's shared edge a shared normal leans halfway.
      if (!c.cube && c.vertices == 6 && v.position.x == 1) {
        EXPECT_NEAR(v.normal.x, -0.0985f, 1e-3f);
      }
    }
  }
}

// Objects large enough for their smoothing (and the groups it makes on the
// way) to run on two threads get the groups a plain walk gives: faces in file
// order, vertices numbered by first use, each with its point's position and
// its surface's normal there.
TEST_F(Lwo2Test, LargeObjectsGetTheGroupsOfAPlainWalk) {
  constexpr uint32_t kSide = 40, kQuads = 70000;
  std::vector<std::array<float, 3>> points;
  for (uint32_t y = 0; y < kSide; ++y)
    for (uint32_t x = 0; x < kSide; ++x) points.push_back({float(x), 0.2f * std::sin(0.3f * float(x + 2 * y)), float(y)});
  std::vector<Lwo2Polygon> quads;
  for (uint32_t q = 0; q < kQuads; ++q) {
    const uint32_t cell = (q * 7) % ((kSide - 1) * (kSide - 1)), x = cell % (kSide - 1), y = cell / (kSide - 1);
    const uint32_t a = y * kSide + x;
    // Surfaces in runs of unequal length, so the faces split within the list.
    quads.push_back({{a, a + kSide, a + kSide + 1, a + 1}, static_cast<uint16_t>(q < 50000 ? 0 : 1 + q % 2)});
  }
  Lwo2Writer w;
  w.Tags({"A", "B", "C"}).Layer(0).Points(points).Polygons(quads);
  SmoothSurfaces(w, {"A", "B", "C"}, 1.5f);
  rm::MeshPtr mesh = Load(w);
  ASSERT_TRUE(mesh);
  ASSERT_EQ(mesh->GetGroupCount(), 3u);
  for (uint32_t g = 0; g < 3; ++g) {
    std::vector<uint32_t> faceData;
    std::vector<int32_t> vertexOf(points.size(), -1);
    std::vector<uint32_t> pointOf;
    std::vector<rm::Vector> sums(points.size());
    for (const Lwo2Polygon& quad : quads) {
      if (quad.tag != g) continue;
      faceData.push_back(4);
      for (uint32_t p : quad.points) {
        if (vertexOf[p] < 0) vertexOf[p] = static_cast<int32_t>(pointOf.size()), pointOf.push_back(p);
        faceData.push_back(static_cast<uint32_t>(vertexOf[p]));
      }
      const auto& p0 = points[quad.points[0]], &p1 = points[quad.points[1]], &p2 = points[quad.points[2]];
      const rm::Vector a = rm::Normalize({p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]});
      const rm::Vector c = rm::Normalize({p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]});
      const rm::Vector n = rm::Cross(a, c);
      for (uint32_t p : quad.points) sums[p] = sums[p] + n;
    }
    const rm::MeshGroupData* group = mesh->Group(g);
    ASSERT_EQ(group->faceData, faceData) << "group " << g;
    ASSERT_EQ(group->vertices.size(), pointOf.size());
    for (size_t v = 0; v < pointOf.size(); ++v) {
      const auto& p = points[pointOf[v]];
      ASSERT_EQ(group->vertices[v].position.x, p[0]);
      ASSERT_EQ(group->vertices[v].position.y, p[1]);
      const rm::Vector expected = rm::Normalize(sums[pointOf[v]]);
      ASSERT_NEAR(group->vertices[v].normal.x, expected.x, 1e-5f) << "group " << g << " vertex " << v;
      ASSERT_NEAR(group->vertices[v].normal.y, expected.y, 1e-5f) << "group " << g << " vertex " << v;
    }
  }
}

// A polygon without a direction (its first three points in a line) shares no
// normal: alone at its points the fold beside it still smooths by point, and
// at a point of the fold it sends the object to the per-corner normals; either
// way the fold's shared edge leans halfway.
TEST_F(Lwo2Test, PolygonWithoutDirectionLeavesTheFoldSmooth) {
  const std::vector<std::array<float, 3>> points{{0, 0, 0}, {1, 0, 0},   {1, 1, 0}, {0, 1, 0},
                                                 {2, 0, 0.2f}, {2, 1, 0.2f}, {3, 0, 0}, {4, 0, 0}, {5, 0, 0}};
  for (const Lwo2Polygon& line : {Lwo2Polygon{{6, 7, 8}, 0}, Lwo2Polygon{{1, 7, 8}, 0}}) {
    Lwo2Surface s{"S"};
    s.smoothingAngle = 0.5f;
    Lwo2Writer w;
    w.Tags({"S"}).Layer(0).Points(points).Polygons({{{0, 1, 2, 3}, 0}, line, {{1, 4, 5, 2}, 0}}).Surface(s);
    rm::MeshPtr mesh = Load(w);
    ASSERT_TRUE(mesh);
    const rm::MeshGroupData* g = mesh->Group(0);
    ASSERT_EQ(g->faceCount, 3u);
    int edge = 0;
    for (const rm::Vertex& v : g->vertices)
      if (v.position.x == 1 && v.normal.z != 0) {
        EXPECT_NEAR(v.normal.x, -0.0985f, 1e-3f);
        ++edge;
      }
    EXPECT_GE(edge, 2) << line.points[0];
  }
}

// Indices of 0xFF00 and above take four bytes; the same polygon with the
// points moved low takes two. Both must name the same places.
TEST_F(Lwo2Test, FourByteIndicesNameHighPoints) {
  // Below 65,536 points the polygons are kept in 16-bit words, above in 32.
  for (const uint32_t count : {0xFF10u, 0x10010u}) {
    std::vector<std::array<float, 3>> points(count);
    for (size_t i = 0; i < points.size(); ++i) points[i] = {static_cast<float>(i), 0, 0};
    points[0xFF05] = {0, 1, 0};
    Lwo2Writer w;
    w.Tags({"S"}).Layer(0).Points(points).Polygons({{{0xFF04, 0xFF05, 3}, 0}, {{count - 1, 1, 2}, 0}});
    Failure why;
    rm::MeshPtr mesh = Load(w, &why);
    ASSERT_TRUE(mesh) << why.Text();
    const rm::MeshGroupData* g = mesh->Group(0);
    ASSERT_EQ(g->faceCount, 2u);
    EXPECT_FLOAT_EQ(g->vertices[g->faceData[1]].position.x, float(0xFF04));
    EXPECT_FLOAT_EQ(g->vertices[g->faceData[2]].position.y, 1);
    EXPECT_FLOAT_EQ(g->vertices[g->faceData[5]].position.x, float(count - 1));
  }
}

// A per-polygon value overrides the per-point one at that corner only, and
// the image comes from the clip the block names.
TEST_F(Lwo2Test, UvMapWithPerPolygonOverride) {
  Lwo2Surface s{"Skin"};
  Lwo2ImageMap map;
  map.projection = 5;
  map.uvMap = "uv";
  map.clip = 3;
  s.maps = {map};
  Lwo2Writer w;
  w.Tags({"Skin"})
      .Clip(3, "images/skin.bmp")
      .Layer(0)
      .Points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {2, 0, 0}})
      .Polygons({{{0, 1, 2}, 0}, {{1, 3, 2}, 0}})
      .UvMap("uv", {{0, 0, 0, 0}, {1, 0, 1, 0}, {2, 0, 1, 1}, {3, 0, 0.5f, 0.5f}}, false)
      .UvMap("uv", {{1, 1, 0.25f, 0.75f}}, true)
      .Surface(s);
  std::vector<std::string> asked;
  const std::string path = dir_.File("object.lwo");
  w.Save(path);
  rm::MeshPtr mesh = LoadLightWaveObject(
      path.c_str(), engine_,
      [](const char* name, void* data, rm::TexturePtr* t) {
        static_cast<std::vector<std::string>*>(data)->push_back(name);
        *t = std::make_shared<rm::Texture>();
        return 0;
      },
      &asked, 0);
  ASSERT_TRUE(mesh);
  EXPECT_EQ(asked, std::vector<std::string>{"skin.bmp"});
  using Face = std::vector<std::array<float, 2>>;
  const auto faces = FaceUvs(*mesh, 0);
  ASSERT_EQ(faces.size(), 2u);
  EXPECT_EQ(faces[0], (Face{{0, 1}, {1, 1}, {1, 0}}));
  EXPECT_EQ(faces[1], (Face{{0.25f, 0.25f}, {0.5f, 0.5f}, {1, 0}}));
}

// Every projection on a cylinder of eight sides round the y axis: planar
// spans the size, and cylindrical and spherical faces never run backwards
// across the seam (no face spans more than half the image).
TEST_F(Lwo2Test, ProjectionsStayInsideAndHandleTheSeam) {
  std::vector<std::array<float, 3>> points;
  std::vector<Lwo2Polygon> faces;
  for (uint32_t i = 0; i < 8; ++i) {
    const float a = static_cast<float>(i) * 3.14159265f / 4 + 0.1f;
    points.push_back({std::sin(a), -0.4f, std::cos(a)});
    points.push_back({std::sin(a), 0.4f, std::cos(a)});
    const uint32_t j = (i + 1) % 8;
    faces.push_back({{2 * i, 2 * j, 2 * j + 1, 2 * i + 1}, 0});
  }
  struct Case {
    uint16_t projection;
    float maxSpan;
  } cases[] = {{0, 1.01f}, {1, 0.2f}, {2, 0.2f}, {3, 1.01f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.projection);
    Lwo2Surface s{"S"};
    Lwo2ImageMap map;
    map.projection = c.projection;
    map.axis = 1;
    map.size = {2, 2, 2};
    s.maps = {map};
    Lwo2Writer w;
    w.Tags({"S"}).Clip(1, "a.bmp").Layer(0).Points(points).Polygons(faces).Surface(s);
    rm::MeshPtr mesh = Load(w);
    ASSERT_TRUE(mesh);
    for (const auto& face : FaceUvs(*mesh, 0)) {
      float low = 10, high = -10;
      for (const auto& uv : face) low = std::fmin(low, uv[0]), high = std::fmax(high, uv[0]);
      EXPECT_LE(high - low, c.maxSpan);
      EXPECT_GE(low, 0);
    }
  }
}

// RGB and RGBA maps colour the corners of the surfaces whose VCOL names
// them, mixed into the surface colour (blue here) by its intensity; a file
// naming none shows its first map; a point without a value keeps the surface
// colour, and a VMAD value changes its own polygon's corner only.
TEST_F(Lwo2Test, VertexColourMapsColourCorners) {
  using Colours = std::vector<uint32_t>;  // every face's corners in turn
  const struct {
    const char* vcol;
    float intensity;
    Colours colours;  // empty: the group keeps its face colour
  } cases[] = {
      {"paint", 1, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFF00, 0xFFFFFFFF, 0xFF0000FF}},
      {"paint", 0.5f, {0xFF800080, 0xFF008080, 0xFF0000FF, 0x80808080, 0xFF8080FF, 0xFF0000FF}},
      {"", 1, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFF00, 0xFFFFFFFF, 0xFF0000FF}},
      {"other", 1, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.vcol) + " " + std::to_string(c.intensity));
    Lwo2Surface s{"S"};
    s.colour = {0, 0, 1};
    s.colourMap = c.vcol;
    s.colourIntensity = c.intensity;
    Lwo2Writer w;
    w.Tags({"S"})
        .Layer(0)
        .Points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {2, 0, 0}})
        .Polygons({{{0, 1, 2}, 0}, {{1, 3, 2}, 0}})
        .ColourMap("paint", {{0, 0, {1, 0, 0, 1}}, {1, 0, {0, 1, 0, 1}}, {3, 0, {1, 1, 1, 1}}}, false)
        .ColourMap("paint", {{1, 1, {1, 1, 0, 0.5f}}}, true, true)
        .Surface(s);
    rm::MeshPtr mesh = Load(w);
    ASSERT_TRUE(mesh);
    const rm::MeshGroupData* g = mesh->Group(0);
    EXPECT_EQ(g->colorSource, c.colours.empty() ? rm::COLOR_FROMFACE : rm::COLOR_FROMVERTEX);
    if (c.colours.empty()) continue;
    Colours got;
    for (size_t at = 0; at < g->faceData.size(); at += g->faceData[at] + 1)
      for (uint32_t k = 1; k <= g->faceData[at]; ++k) got.push_back(g->vertices[g->faceData[at + k]].color);
    EXPECT_EQ(got, c.colours);
  }
}

TEST_F(Lwo2Test, RefusalsSayWhichChunkAndWhy) {
  struct Case {
    const char* name;
    Lwo2Writer writer;
    const char* chunk;
    const char* what;
  };
  Lwo2Writer base;
  base.Tags({"S"}).Layer(0).Points(writers::CubePoints());
  Case cases[] = {
      {"point past the layer", Lwo2Writer(base).Polygons({{{0, 1, 8}, 0}}), "POLS", "names point 8 of a layer of 8"},
      {"unknown tag", Lwo2Writer(base).Polygons({{{0, 1, 2}, 4}}), "PTAG", "names tag 4 of 1"},
      {"count past the chunk", Lwo2Writer(base).Chunk("POLS", {'F', 'A', 'C', 'E', 0, 9, 0, 1}), "POLS",
       "runs past the end of the chunk"},
      {"uneven points", Lwo2Writer(base).Chunk("PNTS", {0, 0, 0, 0}), "PNTS", "not whole points"},
      {"chunk past the form", Lwo2Writer(base).Chunk("VMAP", {}), "", ""},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> bytes = c.writer.Bytes();
    if (*c.chunk == 0) {  // a chunk size beyond the form
      bytes[bytes.size() - 1] = 0x40;
      c.chunk = "VMAP";
      c.what = "run past the end of the form";
    }
    LwoObject object;
    Failure why;
    EXPECT_FALSE(ParseLightWaveObjectBytes(bytes, object, &why));
    EXPECT_EQ(why.chunk, c.chunk);
    EXPECT_NE(why.what.find(c.what), std::string::npos) << why.what;
    EXPECT_GT(why.offset, 0);
  }
}

}  // namespace
