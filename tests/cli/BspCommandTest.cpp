#include <gtest/gtest.h>

#include "Lwconv.h"
#include "MeshModelMaker.h"
#include "lwlib/model/Mesh.h"

using clitest::Lwconv;

namespace {

void SaveModel(MeshModel model, const std::string& path) {
  ASSERT_TRUE(SaveMeshModel(&model, path.c_str()));
  FreeMeshModel(&model);
}

}  // namespace

// Inputs that do not load fail through the loader every mesh command shares
// (its failure table is the mesh commands').
TEST(BspCommand, PrintsTheTreeStatisticsOfEveryInputKind) {
  testsupport::TempDir dir;
  const std::string tetrahedra = dir.File("tetrahedra.msh"), cube = dir.File("CUBE.MSH");
  SaveModel(testsupport::TwoTetrahedraMeshModel(), tetrahedra);
  SaveModel(testsupport::CubeMeshModel(), cube);
  EXPECT_EQ(Lwconv(dir, {"--quiet", "bsp", tetrahedra}).out,
            "Model with 8 polys generated 14 nodes with 3 splits in BSP tree\n");
  EXPECT_EQ(Lwconv(dir, {"--quiet", "bsp", "--json", cube}).out, "{\"polys\":12,\"nodes\":12,\"splits\":0,\"depth\":7}\n");

  // Six quadrilaterals each give the triangle of their first three corners,
  // and a closed convex solid is never split; the same through a .X file.
  const std::string object = clitest::WriteCube(dir), x = dir.File("cube.x");
  ASSERT_EQ(Lwconv(dir, {"--quiet", "to-x", object, x}).status, 0);
  for (const std::string& input : {object, x}) {
    const clitest::LwconvRun r = Lwconv(dir, {"--quiet", "bsp", "--json", input});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "{\"polys\":6,\"nodes\":6,\"splits\":0,\"depth\":6}\n") << input;
  }
}
