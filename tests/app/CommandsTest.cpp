#include <gtest/gtest.h>

#include <functional>

#include "LwobWriter.h"
#include "TestSupport.h"
#include "app/Commands.h"
#include "lwlib/object/TextureSearch.h"
#include "platform/Ui.h"

namespace {

class ViewerCommands : public ::testing::Test {
 protected:
  ViewerCommands()
      : viewer(view, render),
        commands(viewer, Commands::Hooks{[this] { ++quits; }, [this] { ++viewDialogs; }, [this] { ++renderDialogs; }, {}}) {
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
    testsupport::LwobWriter().Points(points).SurfaceNames({"Box"}).Polygons(testsupport::CubeFaces()).Save(dir.File(name));
    return dir.File(name);
  }
  // Checks where the "Mesh" frame puts a point of the object.
  void ExpectPlaced(rm::Vector p, rm::Vector want) {
    const rm::Vector got = viewer.meshFrame()->GetTransform().TransformPoint(p);
    EXPECT_NEAR(got.x, want.x, 1e-4f);
    EXPECT_NEAR(got.y, want.y, 1e-4f);
    EXPECT_NEAR(got.z, want.z, 1e-4f);
  }

  testsupport::TempDir dir;
  ScriptedUi ui;
  ViewOptions view;
  RenderOptions render;
  Viewer viewer;
  Commands commands;
  int quits = 0, viewDialogs = 0, renderDialogs = 0;
};

}  // namespace

TEST_F(ViewerCommands, CancelledLoadDialogsSayWhatCouldNotBeGot) {
  const struct {
    int command;
    const char *title, *message;
  } cases[] = {{CMD_LOAD_RM_LWO, "Load .lwo file", "Could not get LightWave object file"},
               {CMD_LOAD_MSH, "Load .msh file", "Could not get .msh file"},
               {CMD_LOAD_X, "Load .X file", "Could not get .X file"}};
  for (const auto& c : cases) {
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

TEST_F(ViewerCommands, LoadsAreCentredScaledToTenUnitsAndResetTheView) {
  ui.QueueOpenFile(Box("box.lwo", {3, 1, -2}, {2, 4, 8}));
  commands.DispatchCommand(CMD_LOAD_RM_LWO);
  ASSERT_TRUE(viewer.current.loaded);
  // 2 x 4 x 8 scaled by 1.25: 2.5 x 5 x 10 round the origin.
  ExpectPlaced({3, 1, -2}, {-1.25f, -2.5f, -5});
  ExpectPlaced({5, 5, 6}, {1.25f, 2.5f, 5});

  // A second load drops the user's rotation and zoom and the first object.
  viewer.meshFrame()->AddRotation(rm::COMBINE_AFTER, 0, 1, 0, 0.7f);
  viewer.meshFrame()->AddScale(rm::COMBINE_BEFORE, 3, 3, 3);
  ASSERT_TRUE(commands.LoadObject(Box("b.lwo", {-1, -1, -1}, {2, 2, 2}), OBJECT_RM_LWO));
  EXPECT_TRUE(rm::NearlyEqual(viewer.meshFrame()->GetTransform(), rm::Matrix4::Scale(5, 5, 5)));
  ASSERT_EQ(viewer.meshFrame()->GetVisuals().size(), 1u);
  EXPECT_EQ(viewer.meshFrame()->GetVisuals()[0], viewer.current.mesh);

  // One that fails to load keeps it: a .lwo says so, a .msh says nothing.
  const rm::MeshPtr kept = viewer.current.mesh;
  const std::string bad = dir.File("bad.lwo");
  testsupport::WriteText(bad, "FORM this is not an object");
  for (int command : {CMD_LOAD_MSH, CMD_LOAD_RM_LWO}) {
    ui.ClearAsked();
    ui.QueueOpenFile(bad);
    commands.DispatchCommand(command);
    EXPECT_EQ(viewer.current.mesh, kept);
    EXPECT_EQ(viewer.meshFrame()->GetVisuals().size(), 1u);
    EXPECT_EQ(ui.asked().size(), command == CMD_LOAD_MSH ? 1u : 2u);
  }
  EXPECT_EQ(ui.asked().back().text, "Failed to load.lwo file");
  EXPECT_EQ(ui.asked().back().caption, "Error");
}

TEST_F(ViewerCommands, MshAndXSavedAndOpenedBackByExtension) {
  ASSERT_TRUE(commands.LoadObject(Box("c.lwo", {0, 0, 0}, {2, 4, 8}), OBJECT_RM_LWO));
  const std::string msh = dir.File("c.msh"), x = dir.File("c.x");
  ui.QueueSaveFile(msh);
  commands.DispatchCommand(CMD_SAVE_MSH);
  EXPECT_EQ(ui.asked().back().text, "Save .msh file");
  ui.QueueSaveFile(x);
  commands.DispatchCommand(CMD_SAVE_X);

  ASSERT_TRUE(commands.OpenFile(msh));
  EXPECT_EQ(viewer.current.kind, OBJECT_MSH);
  ExpectPlaced({0, 0, 0}, {-1.25f, -2.5f, -5});
  ASSERT_TRUE(commands.OpenFile(x));
  EXPECT_EQ(viewer.current.kind, OBJECT_X);
  ExpectPlaced({2, 4, 8}, {1.25f, 2.5f, 5});

  ui.ClearAsked();
  EXPECT_FALSE(commands.OpenFile(dir.File("notes.txt")));
  ASSERT_EQ(ui.asked().size(), 1u);
  EXPECT_EQ(ui.asked()[0].caption, "Load file error");
  EXPECT_EQ(viewer.current.kind, OBJECT_X);
}

TEST_F(ViewerCommands, ColourCommandsAndWindowCommands) {
  const std::pair<int, std::function<rm::Color()>> colours[] = {
      {CMD_AMBIENT_LIGHT_COLOUR, [&] { return viewer.ambientLight()->GetColor(); }},
      {CMD_DIRECTIONAL_LIGHT_COLOUR, [&] { return viewer.directionalLight()->GetColor(); }},
      {CMD_BACKGROUND_COLOUR, [&] { return viewer.scene()->GetSceneBackground(); }}};
  for (const auto& [command, colour] : colours) {
    ui.QueueColour({1, 0.5f, 0});
    commands.DispatchCommand(command);
    EXPECT_EQ(colour(), rm::ColorRGB(1, 0.5f, 0)) << command;
    commands.DispatchCommand(command);  // cancelled: unchanged
    EXPECT_EQ(colour(), rm::ColorRGB(1, 0.5f, 0)) << command;
  }

  for (int command : {CMD_INPUT_OPTIONS, CMD_RENDER_OPTIONS, CMD_EXIT}) commands.DispatchCommand(command);
  EXPECT_TRUE(viewDialogs == 1 && renderDialogs == 1 && quits == 1);
  // Commands of other parts of the viewer, unknown numbers, and saving a .msh
  // without an object do nothing and ask nothing.
  ui.ClearAsked();
  for (int command : {int{CMD_TREE_VIEW}, int{CMD_SAVE_BINARY_HMD}, 40010, 12345, int{CMD_SAVE_MSH}})
    EXPECT_EQ(commands.DispatchCommand(command), 0);
  EXPECT_TRUE(ui.asked().empty());
}
