#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/mesh.h>
#include <assimp/scene.h>

#include <filesystem>

#include "writers/Lwo2Writer.h"
#include "Lwconv.h"

using clitest::Lwconv;

namespace {

bool Has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

}  // namespace

TEST(MeshCommands, InfoDescribesGroupsAndBox) {
  testsupport::TempDir dir;
  clitest::WriteCube(dir);
  const std::string json = Lwconv(dir, {"info", "--json", dir.File("cube.LWO")}).out;
  EXPECT_EQ(json, testsupport::Golden("cli/golden/cube-info.json", json));
  const std::string flat = Lwconv(dir, {"info", "--flat", "--no-surfaces", dir.File("cube.lwo")}).out;
  EXPECT_TRUE(Has(flat, "group 0: 24 vertices, 6 faces, 0 vertices per face, 30 face data words")) << flat;
  EXPECT_TRUE(Has(flat, "colour 1 1 1"));
  EXPECT_TRUE(Has(flat, "box min -1 -1 -1 max 1 1 1"));
}

TEST(MeshCommands, ToMshAndToXWriteFilesThatReadBack) {
  testsupport::TempDir dir;
  const std::string cube = clitest::WriteCube(dir), msh = dir.File("cube.msh"), x = dir.File("cube.x");
  ASSERT_EQ(Lwconv(dir, {"to-msh", cube, msh}).status, 0);
  // As the viewer shows a .msh: geometry and no material.
  std::string out = Lwconv(dir, {"info", "--json", msh}).out;
  EXPECT_TRUE(Has(out, "\"vertices\":8,\"faces\":6")) << out;
  EXPECT_TRUE(Has(out, "\"material\":null")) << out;
  ASSERT_EQ(Lwconv(dir, {"to-msh", msh, dir.File("copy.MSH")}).status, 0);
  EXPECT_EQ(testsupport::ReadFile(dir.File("copy.MSH")), testsupport::ReadFile(msh));

  ASSERT_EQ(Lwconv(dir, {"to-x", "--flat", cube, x}).status, 0);
  EXPECT_EQ(testsupport::ReadText(x).rfind("xof 0302txt 0032", 0), 0u);
  out = Lwconv(dir, {"info", "--json", x}).out;
  EXPECT_TRUE(Has(out, "\"faces\":6")) << out;
  EXPECT_TRUE(Has(out, "\"box\":{\"min\":[-1,-1,-1],\"max\":[1,1,1]}")) << out;
  ASSERT_EQ(Lwconv(dir, {"to-msh", x, dir.File("fromx.msh")}).status, 0);
  EXPECT_EQ(Lwconv(dir, {"to-x", dir.File("fromx.msh"), dir.File("again.X")}).status, 0);
}

// The .X of an LWO2 object (two layers, vertex colours) reads in the .X
// reader library as it is, without the engine's steps: every polygon is one
// face there, and the vertex colours come along.
TEST(MeshCommands, ToXOfAnLwo2ObjectReadsInTheReaderLibrary) {
  testsupport::TempDir dir;
  std::vector<writers::Lwo2Polygon> faces;
  for (const auto& f : testsupport::CubeFaces()) faces.push_back({{f.points.begin(), f.points.end()}, 0});
  writers::Lwo2Surface paint{"Paint"};
  paint.colourMap = "paint";
  writers::Lwo2Writer()
      .Tags({"Paint", "Plain"})
      .Layer(0)
      .Points(testsupport::CubePoints())
      .Polygons(faces)
      .ColourMap("paint", {{0, 0, {1, 0, 0, 1}}, {6, 0, {0, 0, 1, 1}}}, false)
      .Layer(1)
      .Points({{3, 0, 0}, {4, 0, 0}, {4, 1, 0}, {3.5f, 2, 0}, {3, 1, 0}})
      .Polygons({{{0, 1, 2, 3, 4}, 1}, {{0, 1, 2}, 1}})
      .Surface(paint)
      .Save(dir.File("two.lwo"));
  ASSERT_EQ(Lwconv(dir, {"to-x", dir.File("two.lwo"), dir.File("two.x")}).status, 0);
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(dir.File("two.x"), 0);
  ASSERT_TRUE(scene) << importer.GetErrorString();
  unsigned faceCount = 0, pentagons = 0, coloured = 0;
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    const aiMesh* mesh = scene->mMeshes[m];
    faceCount += mesh->mNumFaces;
    coloured += mesh->HasVertexColors(0);
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) pentagons += mesh->mFaces[f].mNumIndices == 5;
  }
  EXPECT_EQ(faceCount, 8u);
  EXPECT_EQ(pentagons, 1u);
  EXPECT_GT(coloured, 0u);
}

// Two cube objects naming their images by Windows paths, and one grey bitmap
// (dir/art/maps/Skin.Bmp) that only the first two names find.
TEST(MeshCommands, TexturesComeFromTheTextureDirectoriesOnlyInAnyCase) {
  testsupport::TempDir dir;
  std::filesystem::create_directories(dir.File("ART/MAPS"));
  const auto uvs = std::vector<std::vector<std::array<float, 2>>>(6, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  const auto cube = [&](const std::vector<std::string>& images, const std::string& name) {
    std::vector<std::string> surfaces{"Skin", "Cloth"};
    surfaces.resize(images.size());
    testsupport::LwobWriter()
        .Points(testsupport::CubePoints())
        .SurfaceNames(surfaces)
        .Polygons(testsupport::CubeFaces())
        .UvImages(images)
        .UvCoordinates(uvs)
        .Save(dir.File(name));
  };
  cube({"C:\\art\\skin.bmp", "cloth.bmp"}, "dressed.lwo");
  cube({"C:\\ART\\SKIN.BMP"}, "ART/CUBE.LWO");
  testsupport::WriteBmp(dir.File("ART/MAPS/Skin.Bmp"), 1, 1, 24, {0x808080});
  const std::string maps = dir.File("art/maps");
  const std::string out = Lwconv(dir, {"info", "--json", "--texture-dir", maps, dir.File("dressed.lwo")}).out;
  // cloth.bmp is nowhere: nobody is asked, the group stays untextured.
  EXPECT_TRUE(Has(out, "\"texture\":\"skin.bmp\"}")) << out;
  EXPECT_TRUE(Has(out, "\"texture\":null}")) << out;
  EXPECT_FALSE(Has(Lwconv(dir, {"info", "--json", dir.File("dressed.lwo")}).out, "skin.bmp"));
  for (const char* name : {"ART/CUBE.LWO", "art/cube.lwo", "Art/Cube.Lwo"}) {
    const clitest::LwconvRun r = Lwconv(dir, {"info", "--json", "--texture-dir", maps, dir.File(name)});
    EXPECT_EQ(r.status, 0) << name << r.err;
    EXPECT_TRUE(Has(r.out, "\"texture\":\"SKIN.BMP\"}")) << name << r.out;
  }
}

TEST(MeshCommands, FailuresNameTheFile) {
  testsupport::TempDir dir;
  const std::string cube = clitest::WriteCube(dir);
  testsupport::WriteText(dir.File("notes.txt"), "hello");
  testsupport::WriteText(dir.File("broken.lwo"), "FORM....LWOB");
  testsupport::WriteText(dir.File("broken.msh"), "mesh");
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"info", dir.File("missing.lwo")}, "missing.lwo: no such file"},
      {{"to-x", dir.File("notes.txt"), dir.File("o.x")}, "notes.txt: not a .lwo, .msh or .x file"},
      {{"--quiet", "to-msh", dir.File("broken.lwo"), dir.File("o.msh")}, "broken.lwo: FORM chunk at byte 0"},
      {{"info", dir.File("broken.msh")}, "broken.msh"},
      {{"to-msh", cube, dir.File("no-dir") + "/o.msh"}, "o.msh: could not write the .msh file"},
      {{"to-x", cube, dir.File("no-dir") + "/o.x"}, "o.x: could not write the .x file"},
  };
  for (const auto& c : cases) {
    const clitest::LwconvRun r = Lwconv(dir, c.args);
    EXPECT_EQ(r.status, 1) << c.message;
    EXPECT_TRUE(Has(r.err, c.message)) << r.err;
  }
}
