#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "LayerCheck.h"

TEST(Layers, TheSuiteKeepsToItsLayering) {
  const char* source = std::getenv("LWCS_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(CheckLayers(source), std::vector<std::string>{});
}

TEST(Layers, CrossingIncludesAreNamedWithTheirLine) {
  const std::filesystem::path root = std::filesystem::path(testing::TempDir()) / "layer_fixture";
  std::filesystem::remove_all(root);
  auto write = [&](const std::string& rel, const std::string& text) {
    std::filesystem::create_directories((root / rel).parent_path());
    std::ofstream(root / rel) << text;
  };
  write("src/rm/Frame.h", "#include \"diag/Dbug.h\"\n#include \"lwlib/object/Iff.h\"\n#include <QWidget>\n");
  write("src/lwlib/object/Iff.cpp", "#include \"lwlib/object/Lwo.h\"\n#include \"lwlib/scene/Lws.h\"\n");
  write("src/lwlib/scene/Anim.cpp", "#include \"lwlib/object/ObjectMesh.h\"\n#include <vector>\n");
  write("src/render/GlDevice.cpp", "#include <QOpenGLFunctions>\n#include \"app/Viewer.h\"\n");
  write("src/cli/Main.cpp", "#include \"psx/Hmd.h\"\n#include \"render/GlDevice.h\"\n");
  write("src/stray/Thing.cpp", "\n");
  EXPECT_EQ(CheckLayers(root), (std::vector<std::string>{
                                   "src/cli/Main.cpp:2: cli may not include render/GlDevice.h",
                                   "src/lwlib/object/Iff.cpp:2: lwlib/object may not include lwlib/scene/Lws.h",
                                   "src/render/GlDevice.cpp:2: render may not include app/Viewer.h",
                                   "src/rm/Frame.h:2: rm may not include lwlib/object/Iff.h",
                                   "src/rm/Frame.h:3: no Qt or OpenGL below the renderer: QWidget",
                                   "src/stray/Thing.cpp: in no layer of the table",
                               }));
  std::filesystem::remove_all(root);
}
