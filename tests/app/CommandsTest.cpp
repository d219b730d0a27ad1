#include <gtest/gtest.h>

#include <cmath>

#include "LwobWriter.h"
#include "TestSupport.h"
#include "app/Commands.h"
#include "lwlib/TextureSearch.h"
#include "platform/Ui.h"

namespace {

using testsupport::TempDir;
using testsupport::WriteText;

class ViewerCommands : public ::testing::Test {
 protected:
  ViewerCommands()
      : viewer(view, render),
        commands(viewer, Commands::Hooks{[this] { ++quits; }, [this] { ++viewDialogs; },
                                         [this] { ++renderDialogs; }, {}}) {
    SetUi(&ui);
    int32_t w = 320, h = 240;
    bool full = false;
    EXPECT_TRUE(viewer.CreateDisplay(w, h, full, nullptr));
    EXPECT_TRUE(viewer.SetUpViewerScene());
  }
  ~ViewerCommands() override {
    commands.UnloadObject();
    ClearTextureSearch();
    SetUi(nullptr);
  }
  // An object whose box runs from `min` with the given size.
  std::string Box(const std::string& name, std::array<float, 3> min, std::array<float, 3> size) {
    std::vector<std::array<float, 3>> points = testsupport::CubePoints();
    for (auto& p : points)
      for (int a = 0; a < 3; ++a) p[a] = min[a] + (p[a] + 1) / 2 * size[a];
    const std::string path = dir.File(name);
    testsupport::LwobWriter()
        .Points(points)
        .SurfaceNames({"Box"})
        .Polygons(testsupport::CubeFaces())
        .Surface(testsupport::LwobSurface("Box").Colour(200, 100, 50))
        .Save(path);
    return path;
  }
  // Where the "Mesh" frame puts a point of the object.
  rm::Vector Placed(rm::Vector p) { return viewer.meshFrame()->GetTransform().TransformPoint(p); }

  TempDir dir;
  ScriptedUi ui;
  ViewOptions view;
  RenderOptions render;
  Viewer viewer;
  Commands commands;
  int quits = 0, viewDialogs = 0, renderDialogs = 0;
};

void ExpectNear(rm::Vector a, rm::Vector b) {
  EXPECT_NEAR(a.x, b.x, 1e-4f);
  EXPECT_NEAR(a.y, b.y, 1e-4f);
  EXPECT_NEAR(a.z, b.z, 1e-4f);
}

}  // namespace

TEST_F(ViewerCommands, CancelledLoadDialogsSayWhatCouldNotBeGot) {
  struct Case {
    int command;
    const char* title;
    const char* message;
  } cases[] = {{CMD_LOAD_RM_LWO, "Load .lwo file", "Could not get LightWave object file"},
               {CMD_LOAD_MSH, "Load .msh file", "Could not get .msh file"},
               {CMD_LOAD_X, "Load .X file", "Could not get .X file"}};
  for (const Case& c : cases) {
    ui.ClearAsked();
    EXPECT_EQ(commands.DispatchCommand(c.command), 0);
    ASSERT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(ui.asked()[0].kind, "open");
    EXPECT_EQ(ui.asked()[0].text, c.title);
    EXPECT_EQ(ui.asked()[1].text, c.message);
    EXPECT_EQ(ui.asked()[1].caption, "Load file error");
  }
  EXPECT_FALSE(viewer.current.loaded);
}

TEST_F(ViewerCommands, LoadedObjectIsCentredAndScaledToTenUnits) {
  ui.QueueOpenFile(Box("box.lwo", {3, 1, -2}, {2, 4, 8}));
  commands.DispatchCommand(CMD_LOAD_RM_LWO);
  ASSERT_TRUE(viewer.current.loaded);
  EXPECT_EQ(viewer.current.kind, OBJECT_RM_LWO);
  ASSERT_TRUE(viewer.current.mesh);
  EXPECT_EQ(viewer.meshFrame()->GetVisuals().size(), 1u);
  // 2 x 4 x 8 scaled by 1.25: 2.5 x 5 x 10 round the origin.
  ExpectNear(Placed({3, 1, -2}), {-1.25f, -2.5f, -5});
  ExpectNear(Placed({5, 5, 6}), {1.25f, 2.5f, 5});
}

TEST_F(ViewerCommands, FailedLoadKeepsThePreviousObject) {
  const std::string good = Box("good.lwo", {0, 0, 0}, {1, 1, 1});
  ASSERT_TRUE(commands.LoadObject(good, OBJECT_RM_LWO));
  const rm::MeshPtr first = viewer.current.mesh;
  const std::string bad = dir.File("bad.lwo");
  WriteText(bad, "FORM this is not an object");
  ui.QueueOpenFile(bad);
  commands.DispatchCommand(CMD_LOAD_RM_LWO);
  ASSERT_FALSE(ui.asked().empty());
  EXPECT_EQ(ui.asked().back().text, "Failed to load.lwo file");
  EXPECT_EQ(ui.asked().back().caption, "Error");
  EXPECT_EQ(viewer.current.mesh, first);
  EXPECT_EQ(viewer.meshFrame()->GetVisuals().size(), 1u);

  // A .msh that does not load says nothing and keeps it too.
  ui.ClearAsked();
  ui.QueueOpenFile(bad);
  commands.DispatchCommand(CMD_LOAD_MSH);
  EXPECT_EQ(ui.asked().size(), 1u);
  EXPECT_EQ(viewer.current.mesh, first);
}

TEST_F(ViewerCommands, SecondLoadResetsRotationAndZoom) {
  ASSERT_TRUE(commands.LoadObject(Box("a.lwo", {0, 0, 0}, {10, 10, 10}), OBJECT_RM_LWO));
  viewer.meshFrame()->AddRotation(rm::COMBINE_AFTER, 0, 1, 0, 0.7f);
  viewer.meshFrame()->AddScale(rm::COMBINE_BEFORE, 3, 3, 3);
  ASSERT_TRUE(commands.LoadObject(Box("b.lwo", {-1, -1, -1}, {2, 2, 2}), OBJECT_RM_LWO));
  EXPECT_TRUE(rm::NearlyEqual(viewer.meshFrame()->GetTransform(), rm::Matrix4::Scale(5, 5, 5)));
  EXPECT_EQ(viewer.meshFrame()->GetVisuals().size(), 1u);
  EXPECT_EQ(viewer.meshFrame()->GetVisuals()[0], viewer.current.mesh);
}

TEST_F(ViewerCommands, MshSavedAndLoadedBackAndFilesOpenByExtension) {
  ASSERT_TRUE(commands.LoadObject(Box("c.lwo", {0, 0, 0}, {2, 4, 8}), OBJECT_RM_LWO));
  const std::string msh = dir.File("c.msh");
  ui.QueueSaveFile(msh);
  commands.DispatchCommand(CMD_SAVE_MSH);
  EXPECT_EQ(ui.asked().back().text, "Save .msh file");
  const std::string x = dir.File("c.x");
  ui.QueueSaveFile(x);
  commands.DispatchCommand(CMD_SAVE_X);

  ASSERT_TRUE(commands.OpenFile(msh));
  EXPECT_EQ(viewer.current.kind, OBJECT_MSH);
  ExpectNear(Placed({0, 0, 0}), {-1.25f, -2.5f, -5});
  ASSERT_TRUE(commands.OpenFile(x));
  EXPECT_EQ(viewer.current.kind, OBJECT_X);
  ExpectNear(Placed({2, 4, 8}), {1.25f, 2.5f, 5});

  ui.ClearAsked();
  EXPECT_FALSE(commands.OpenFile(dir.File("notes.txt")));
  ASSERT_EQ(ui.asked().size(), 1u);
  EXPECT_EQ(ui.asked()[0].caption, "Load file error");
  EXPECT_EQ(viewer.current.kind, OBJECT_X);
}

TEST_F(ViewerCommands, ColourCommandsAndWindowCommands) {
  ui.QueueColour({1, 0.5f, 0});
  commands.DispatchCommand(CMD_AMBIENT_LIGHT_COLOUR);
  EXPECT_EQ(viewer.ambientLight()->GetColor(), rm::ColorRGB(1, 0.5f, 0));
  ui.QueueColour({0, 0, 1});
  commands.DispatchCommand(CMD_DIRECTIONAL_LIGHT_COLOUR);
  EXPECT_EQ(viewer.directionalLight()->GetColor(), rm::ColorRGB(0, 0, 1));
  ui.QueueColour({0, 1, 0});
  commands.DispatchCommand(CMD_BACKGROUND_COLOUR);
  EXPECT_EQ(viewer.scene()->GetSceneBackground(), rm::ColorRGB(0, 1, 0));
  commands.DispatchCommand(CMD_BACKGROUND_COLOUR);  // cancelled: unchanged
  EXPECT_EQ(viewer.scene()->GetSceneBackground(), rm::ColorRGB(0, 1, 0));

  commands.DispatchCommand(CMD_INPUT_OPTIONS);
  commands.DispatchCommand(CMD_RENDER_OPTIONS);
  commands.DispatchCommand(CMD_EXIT);
  EXPECT_EQ(viewDialogs + renderDialogs + quits, 3);
  // Commands of other parts of the viewer, and unknown numbers, do nothing.
  ui.ClearAsked();
  for (int command : {int{CMD_TREE_VIEW}, int{CMD_SAVE_BINARY_HMD}, 40010, 12345}) EXPECT_EQ(commands.DispatchCommand(command), 0);
  EXPECT_TRUE(ui.asked().empty());
  // Saving a .msh without an object asks nothing.
  commands.DispatchCommand(CMD_SAVE_MSH);
  EXPECT_TRUE(ui.asked().empty());
}
