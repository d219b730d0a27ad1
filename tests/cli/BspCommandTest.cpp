#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LwobWriter.h"
#include "MeshModelMaker.h"
#include "TestSupport.h"
#include "lwlib/Mesh.h"
#include "platform/Process.h"

namespace {

struct LwconvRun {
  int status;
  std::string out;
};

LwconvRun Bsp(const testsupport::TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), {LWCONV_PATH, "--quiet", "bsp"});
  const std::string out = dir.File("out.txt");
  const ProcessResult r = RunProgram(args, {}, out);
  return {r.exitStatus, testsupport::ReadText(out)};
}

void SaveModel(MeshModel model, const std::string& path) {
  ASSERT_TRUE(SaveMeshModel(&model, path.c_str()));
  FreeMeshModel(&model);
}

}  // namespace

TEST(BspCommand, PrintsTheStatisticsOfMeshFiles) {
  testsupport::TempDir dir;
  const std::string tetrahedra = dir.File("tetrahedra.msh");
  SaveModel(testsupport::TwoTetrahedraMeshModel(), tetrahedra);
  const LwconvRun text = Bsp(dir, {tetrahedra});
  ASSERT_EQ(text.status, 0);
  EXPECT_EQ(text.out, "Model with 8 polys generated 14 nodes with 3 splits in BSP tree\n");

  const std::string cube = dir.File("CUBE.MSH");
  SaveModel(testsupport::CubeMeshModel(), cube);
  const LwconvRun json = Bsp(dir, {"--json", cube});
  ASSERT_EQ(json.status, 0);
  EXPECT_EQ(json.out, "{\"polys\":12,\"nodes\":12,\"splits\":0,\"depth\":7}\n");
}

TEST(BspCommand, BuildsTheTreeOfALightWaveObject) {
  // Six quadrilaterals: each gives the triangle of its first three corners,
  // and a closed convex solid is never split.
  testsupport::TempDir dir;
  const std::string object = dir.File("cube.lwo");
  testsupport::LwobWriter()
      .Points(testsupport::CubePoints())
      .SurfaceNames({"Default"})
      .Polygons(testsupport::CubeFaces())
      .Surface(testsupport::LwobSurface("Default").Colour(200, 200, 200))
      .Save(object);
  const LwconvRun r = Bsp(dir, {"--json", object});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "{\"polys\":6,\"nodes\":6,\"splits\":0,\"depth\":6}\n");

  // The same object through a .X file.
  const std::string x = dir.File("cube.x");
  ASSERT_TRUE(RunProgram({LWCONV_PATH, "--quiet", "to-x", object, x}).Succeeded());
  const LwconvRun fromX = Bsp(dir, {"--json", x});
  ASSERT_EQ(fromX.status, 0);
  EXPECT_EQ(fromX.out, "{\"polys\":6,\"nodes\":6,\"splits\":0,\"depth\":6}\n");
}

TEST(BspCommand, FailuresAndUsage) {
  testsupport::TempDir dir;
  EXPECT_EQ(Bsp(dir, {}).status, 2);
  EXPECT_EQ(Bsp(dir, {"--bogus", "a.lwo"}).status, 2);
  EXPECT_EQ(Bsp(dir, {"a.lwo", "b.lwo"}).status, 2);
  EXPECT_EQ(Bsp(dir, {dir.File("model.obj")}).status, 1);
  EXPECT_EQ(Bsp(dir, {dir.File("missing.lwo")}).status, 1);
  EXPECT_EQ(Bsp(dir, {dir.File("missing.x")}).status, 1);
  const std::string broken = dir.File("broken.msh");
  testsupport::WriteText(broken, "MESH but not really");
  const LwconvRun r = Bsp(dir, {broken});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
}
