#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <string>

#include "writers/LwobWriter.h"
#include "TestSupport.h"
#include "lwlib/object/Iff.h"
#include "lwlib/model/Mesh.h"
#include "lwlib/object/ObjectMesh.h"
#include "lwlib/object/TextureSearch.h"
#include "diag/Dbug.h"
#include "rm/Rm.h"

using testsupport::LwobPolygon;
using testsupport::LwobSurface;
using testsupport::LwobWriter;

namespace {

// A loader that hands out one texture per name and notes what it was asked.
struct FakeLoader {
  std::vector<std::string> asked;
  std::map<std::string, rm::TexturePtr> made;
  static int32_t Load(const char* name, void* data, rm::TexturePtr* texture) {
    auto* self = static_cast<FakeLoader*>(data);
    self->asked.push_back(name);
    rm::TexturePtr& t = self->made[name];
    if (!t) t = std::make_shared<rm::Texture>();
    *texture = t;
    return 0;
  }
};

class ObjectMeshTest : public testing::Test {
 protected:
  void SetUp() override { SetLwoCurrentTextureSlot(LWO_SLOT_NONE); }
  void TearDown() override {
    EXPECT_EQ(IffHandlerRegistry(), nullptr);
    EXPECT_EQ(testsupport::LiveTrackedBlocks(), live_);
  }
  rm::MeshPtr Load(const LwobWriter& w, uint32_t flags = 0, TextureCallback callback = nullptr, void* data = nullptr) {
    return LoadLightWaveObjectBytes(w.Bytes(), engine_, callback, data, flags);
  }
  static LwobWriter Cube(const std::vector<std::string>& names = {"Default"}) {
    LwobWriter w;
    w.Points(testsupport::CubePoints()).SurfaceNames(names).Polygons(testsupport::CubeFaces());
    return w;
  }
  static std::vector<rm::Vertex> Vertices(const rm::Mesh& mesh, uint32_t group) {
    auto span = mesh.GroupVertices(group);
    return {span.begin(), span.end()};
  }
  rm::EnginePtr engine_ = rm::Engine::Create();
  testsupport::TempDir dir_;
  int32_t live_ = testsupport::LiveTrackedBlocks();
};

TEST_F(ObjectMeshTest, CubeSharesItsPointsUnlessFlatAndIsNamedAfterTheFile) {
  const std::string base = dir_.File("cube");
  Cube().Save(base + ".lwo");
  for (const std::string& name : {base + ".lwo", base + ".LWO", base}) {
    rm::MeshPtr mesh = LoadLightWaveObject(name.c_str(), engine_, nullptr, nullptr, 0);
    ASSERT_TRUE(mesh) << name;
    EXPECT_EQ(mesh->GetName(), "cube");
    ASSERT_EQ(mesh->GetGroupCount(), 1u);
    ASSERT_EQ(Vertices(*mesh, 0).size(), 8u);
    for (const rm::Vertex& v : Vertices(*mesh, 0)) {
      EXPECT_TRUE(v.tu == 0 && v.tv == 0);
      // Each corner point averages three faces at right angles.
      EXPECT_NEAR(v.normal.x * v.normal.x + v.normal.y * v.normal.y + v.normal.z * v.normal.z, 1.0f, 1e-5f);
      EXPECT_NEAR(v.normal.x * v.position.x, 0.57735f, 1e-4f);
    }
    EXPECT_EQ(mesh->GetGroupMapping(0), rm::MAP_PERSPCORRECT);
  }
  rm::MeshPtr flat = LoadLightWaveObject(base.c_str(), engine_, nullptr, nullptr, LWO_BUILD_FLAT);
  ASSERT_TRUE(flat);
  EXPECT_EQ(Vertices(*flat, 0).size(), 24u);
  EXPECT_FALSE(LoadLightWaveObject(dir_.File("missing").c_str(), engine_, nullptr, nullptr, 0));
}

TEST_F(ObjectMeshTest, DistinctCoordinatePairsSplitAPoint) {
  LwobWriter w;
  w.Points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}).SurfaceNames({"A"});
  w.Polygons({{{0, 1, 2}, 1}, {{0, 2, 3}, 1}});
  w.UvImages({"NULL"}).UvCoordinates({{{0, 0}, {1, 0}, {1, 1}}, {{0.5f, 0}, {1, 1}, {0, 1}}});
  rm::MeshPtr mesh = Load(w);
  ASSERT_TRUE(mesh);
  const std::vector<rm::Vertex> v = Vertices(*mesh, 0);
  ASSERT_EQ(v.size(), 5u);  // point 0 twice, point 2 once (same pair in both)
  uint32_t words = 0;
  mesh->GetGroup(0, nullptr, nullptr, nullptr, &words);
  std::vector<uint32_t> faces(words);
  mesh->GetGroup(0, nullptr, nullptr, nullptr, nullptr, faces);
  // Point 0's newest pair comes first in its list, so it is vertex 0.
  EXPECT_EQ(faces, (std::vector<uint32_t>{3, 1, 2, 3, 3, 0, 3, 4}));
  EXPECT_TRUE(v[0].tu == 0.5f && v[1].tu == 0 && v[0].position.x == v[1].position.x);
  EXPECT_EQ(v[0].normal.z, v[1].normal.z);
  EXPECT_FALSE(mesh->GetGroupTexture(0));  // "NULL" names no image
}

TEST_F(ObjectMeshTest, CoordinatesAreShiftedUpByWholeNumbers) {
  LwobWriter w;
  w.Points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {5, 5, 5}, {6, 5, 5}, {6, 6, 5}, {9, 9, 9}, {8, 9, 9}, {8, 8, 9}});
  w.SurfaceNames({"A", "B", "C"});
  w.Polygons({{{0, 1, 2}, 1}, {{3, 4, 5}, 2}, {{6, 7, 8}, 3}});
  w.UvImages({"a.bmp", "b.bmp"});
  w.UvCoordinates({{{-0.25f, 0.5f}, {0.5f, -1.5f}, {0, 0}}, {{-2.0f, 0}, {0, 0}, {0.25f, 0.75f}}, {{0.5f, 2}, {1, 3}, {0, 0}}});
  FakeLoader loader;
  rm::MeshPtr mesh = Load(w, 0, FakeLoader::Load, &loader);
  ASSERT_TRUE(mesh);
  const auto a = Vertices(*mesh, 0), b = Vertices(*mesh, 1), c = Vertices(*mesh, 2);
  EXPECT_EQ(a[0].tu, 0.75f);  // -0.25 + 1
  EXPECT_EQ(a[1].tv, 0.5f);   // -1.5 + 2
  EXPECT_EQ(b[0].tu, 0.0f);   // -2 + 2
  EXPECT_EQ(b[2].tu, 2.25f);
  EXPECT_EQ(b[2].tv, 0.75f);
  EXPECT_EQ(c[1].tv, 3.0f);  // never shifted down
  // Surfaces past the image names get no texture; textures carry their file names.
  EXPECT_EQ(loader.asked, (std::vector<std::string>{"a.bmp", "b.bmp"}));
  ASSERT_TRUE(mesh->GetGroupTexture(1));
  EXPECT_EQ(mesh->GetGroupTexture(1)->GetName(), "b.bmp");
  EXPECT_FALSE(mesh->GetGroupTexture(2));
}

TEST_F(ObjectMeshTest, SurfacesGiveMaterialsAndColoursUnlessIgnored) {
  LwobWriter w = Cube({"Paint", "Empty"});
  w.Surface(LwobSurface("Paint").Colour(255, 51, 0).U2("SPEC", 128).U2("LUMI", 64).U2("GLOS", 512));
  rm::MeshPtr mesh = Load(w);
  ASSERT_TRUE(mesh);
  ASSERT_EQ(mesh->GetGroupCount(), 2u);
  MeshModel model;
  ASSERT_TRUE(CaptureMeshModel(&model, mesh));
  // Specular, emissive, power, red, green, blue.
  const auto values = [](const GroupMaterial& m) {
    return std::array<float, 6>{m.specular[1], m.emissive[2], m.power, m.red, m.green, m.blue};
  };
  EXPECT_EQ(values(model.groupMaterials[0]), (std::array<float, 6>{0.5f, 0.25f, 2, 1, 0.2f, 0}));
  // A surface name without polygons still makes an (empty) group, with the defaults.
  EXPECT_EQ(model.groups[1].vertexCount() + model.groups[1].faceCount, 0u);
  EXPECT_EQ(values(model.groupMaterials[1]), (std::array<float, 6>{1, 0, 0, 1, 1, 1}));

  MeshModel white;
  ASSERT_TRUE(CaptureMeshModel(&white, Load(w, LWO_BUILD_NO_SURFACES)));
  EXPECT_EQ(values(white.groupMaterials[0]), (std::array<float, 6>{1, 0, 0, 1, 1, 1}));
}

TEST_F(ObjectMeshTest, NormalsAverageAcrossSurfaceBorders) {
  LwobWriter w;
  w.Points(testsupport::CubePoints()).SurfaceNames({"Top", "Rest"});
  auto faces = testsupport::CubeFaces(2);
  faces[3].surface = 1;  // the face at y = 1
  w.Polygons(faces);
  rm::MeshPtr mesh = Load(w);
  ASSERT_TRUE(mesh);
  const auto top = Vertices(*mesh, 0), rest = Vertices(*mesh, 1);
  ASSERT_EQ(top.size(), 4u);
  for (const rm::Vertex& t : top) {
    int found = 0;
    for (const rm::Vertex& r : rest) {
      if (std::memcmp(&r.position, &t.position, sizeof t.position) != 0) continue;
      ++found;
      EXPECT_EQ(std::memcmp(&r.normal, &t.normal, sizeof t.normal), 0);
    }
    EXPECT_EQ(found, 1);
  }
}

TEST_F(ObjectMeshTest, PlanarImageMapsWrapTheirGroup) {
  LwobWriter w = Cube({"Wood", "Other"});
  w.Surface(LwobSurface("Wood").Name("CTEX", "Planar Image Map").Name("TIMG", "C:\\images\\wood.bmp").U2("TFLG", 2));
  w.Surface(LwobSurface("Other").Name("CTEX", "Cubic Image Map").Name("TIMG", "other.bmp").U2("TFLG", 2));
  FakeLoader loader;
  rm::MeshPtr mesh = Load(w, 0, FakeLoader::Load, &loader);
  ASSERT_TRUE(mesh);
  EXPECT_EQ(loader.asked, (std::vector<std::string>{"wood.bmp"}));
  ASSERT_TRUE(mesh->GetGroupTexture(0));
  EXPECT_EQ(mesh->GetGroupTexture(0)->GetName(), "wood.bmp");
  EXPECT_FALSE(mesh->GetGroupTexture(1));
  // Y axis with the start-up flips, size 1 and centre 0: u = x + 0.5 and
  // v = 0.5 - z, then both shifted up by 1.
  for (const rm::Vertex& v : Vertices(*mesh, 0)) {
    EXPECT_NEAR(v.tu, v.position.x + 1.5f, 1e-5f);
    EXPECT_NEAR(v.tv, 1.5f - v.position.z, 1e-5f);
  }
}

TEST_F(ObjectMeshTest, PlanarMapsRefuseOnlyTheSizesTheyUse) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    uint16_t flags;  // 1 x, 2 y, 4 z axis
    float x, y, z;
    bool textured;
  } cases[] = {
      {2, 2, 0, 3, true},  {2, 2, 1, 0, false}, {2, 0, 1, 3, false},  // a decal flat in y
      {1, 0, 2, 3, true},  {1, 1, inf, 3, false}, {4, 2, 3, 0, true}, {4, 2, NAN, 1, false},
  };
  for (const auto& c : cases) {
    LwobWriter w = Cube({"Decal"});
    w.Surface(LwobSurface("Decal")
                  .Name("CTEX", "Planar Image Map")
                  .Name("TIMG", "decal.bmp")
                  .U2("TFLG", c.flags)
                  .Vec("TSIZ", c.x, c.y, c.z));
    FakeLoader loader;
    rm::MeshPtr mesh = Load(w, 0, FakeLoader::Load, &loader);
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->GetGroupTexture(0) != nullptr, c.textured) << c.flags << " " << c.x << " " << c.y << " " << c.z;
  }
}

TEST_F(ObjectMeshTest, PolygonsOfFewerThanThreePointsMakeNoFaces) {
  LwobWriter w;
  w.Points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}}).SurfaceNames({"A"});
  w.Polygons({{{3}, 1}, {{0, 3}, 1}, {{0, 1, 2}, 1}, {{}, 1}});
  rm::MeshPtr mesh = Load(w);
  ASSERT_TRUE(mesh);
  const auto v = Vertices(*mesh, 0);
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0].normal.z, 1.0f);

  // A polygon of a surface without a name makes no face but still shapes the
  // normals: here it cancels the triangle's.
  LwobWriter c;
  c.Points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}).SurfaceNames({"A"}).Polygons({{{0, 1, 2}, 1}, {{0, 2, 1}, 7}});
  rm::MeshPtr cancelled = Load(c);
  ASSERT_TRUE(cancelled);
  ASSERT_EQ(cancelled->GetGroupCount(), 1u);
  for (const rm::Vertex& c : Vertices(*cancelled, 0)) EXPECT_EQ(c.normal.z, 0.0f);
}

}  // namespace

// A texture that is missing or of another type is no reason to stop the user
// with the debugging question, whatever mode is on.
TEST_F(ObjectMeshTest, TextureMissesAskNothing) {
  int asked = 0;
  SetDebugAskHook([&](const char*, const char*) { return ++asked, false; });
  {
    const ScopedDebugMode ask(DEBUG_MODE_ASK);
    LwobWriter w = Cube({"Wood"});
    w.Surface(LwobSurface("Wood").Name("CTEX", "Planar Image Map").Name("TIMG", "C:\\maps\\missing.png").U2("TFLG", 2));
    EXPECT_TRUE(Load(w));
    testsupport::WriteText(dir_.File("notes.tga"), "not an image");
    TextureSearch search;
    search.searchDirs = {dir_.File(""), dir_.File("gone/")};
    EXPECT_FALSE(SearchTexture("notes.tga", &search));
    EXPECT_EQ(GetDebugMode(), DEBUG_MODE_ASK);
  }
  SetDebugAskHook(nullptr);
  EXPECT_EQ(asked, 0);
}

// Objects large enough for the normals to be shared with a second thread get
// the normals a plain walk in polygon order gives, to the bit.
TEST_F(ObjectMeshTest, LargeObjectsGetTheSameNormalsAsAPlainWalk) {
  constexpr uint16_t kSide = 40;
  std::vector<std::array<float, 3>> points;
  for (uint16_t y = 0; y < kSide; ++y)
    for (uint16_t x = 0; x < kSide; ++x)
      points.push_back({float(x), std::sin(0.7f * x) * std::cos(0.4f * y) + 0.01f * float((x * 7 + y * 3) % 5), float(y)});
  std::vector<testsupport::LwobPolygon> quads;
  for (uint32_t q = 0; q < 70000; ++q) {
    const uint32_t cell = q % ((kSide - 1) * (kSide - 1)), x = cell % (kSide - 1), y = cell / (kSide - 1);
    const auto a = static_cast<uint16_t>(y * kSide + x);
    // Every third quad turned, so repeats of a cell do not cancel or simply double.
    if (q % 3 == 0) quads.push_back({{a, uint16_t(a + 1), uint16_t(a + kSide + 1), uint16_t(a + kSide)}, int16_t(1 + q % 2)});
    else quads.push_back({{a, uint16_t(a + kSide), uint16_t(a + kSide + 1), uint16_t(a + 1)}, int16_t(1 + q % 2)});
  }
  auto sub = [](std::array<float, 3> a, std::array<float, 3> b) { return rm::Vector{a[0] - b[0], a[1] - b[1], a[2] - b[2]}; };
  auto unit = [](rm::Vector v) {
    const float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return l > 0 ? rm::Vector{v.x / l, v.y / l, v.z / l} : rm::Vector{0, 0, 0};
  };
  std::vector<rm::Vector> sums(points.size());
  for (const auto& q : quads) {
    const rm::Vector e1 = unit(sub(points[q.points[1]], points[q.points[0]]));
    const rm::Vector e2 = unit(sub(points[q.points[2]], points[q.points[0]]));
    const rm::Vector n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    for (uint16_t p : q.points) sums[p].x += n.x, sums[p].y += n.y, sums[p].z += n.z;
  }
  LwobWriter w;
  w.Points(points).SurfaceNames({"A", "B"}).Polygons(quads);
  rm::MeshPtr mesh = Load(w);
  ASSERT_TRUE(mesh);
  size_t checked = 0;
  for (uint32_t g = 0; g < 2; ++g)
    for (const rm::Vertex& v : Vertices(*mesh, g)) {
      const size_t point = static_cast<size_t>(v.position.z) * kSide + static_cast<size_t>(v.position.x);
      const rm::Vector expected = unit(sums[point]);
      ASSERT_EQ(std::memcmp(&v.normal, &expected, sizeof expected), 0) << "point " << point;
      ++checked;
    }
  EXPECT_EQ(checked, 2u * kSide * kSide);
}
