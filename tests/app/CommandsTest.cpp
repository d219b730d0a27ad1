#include <gtest/gtest.h>

#include <functional>

#include <filesystem>

#include "writers/LwobWriter.h"
#include "writers/LwsWriter.h"
#include "MeshModelMaker.h"
#include "TestSupport.h"
#include "app/Commands.h"
#include "lwlib/model/Mesh.h"
#include "lwlib/scene/Parse.h"
#include "lwlib/object/TextureSearch.h"
#include "platform/Ui.h"

namespace {

class ViewerCommands : public ::testing::Test {
 protected:
  ViewerCommands()
      : viewer(view, render),
        commands(viewer, Hooks()) {
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
  Commands::Hooks Hooks() {
    Commands::Hooks hooks;
    hooks.quit = [this] { ++quits; };
    hooks.openViewOptions = [this] { ++viewDialogs; };
    hooks.openRenderOptions = [this] { ++renderDialogs; };
    hooks.about = [this] { ++abouts; };
    hooks.animationSettings = [this](AnimationSettingsController& c) {
      for (int control : animationClicks) c.Click(control);
    };
    hooks.hmdOptions = [this](HmdOptionsController& c) {
      for (auto& [control, text] : hmdEdits) c.Edited(control, text);
      return c.Click(IDC_HMD_OK);
    };
    return hooks;
  }
  // An object whose box runs from `min` with the given size.
  std::string Box(const std::string& name, std::array<float, 3> min, std::array<float, 3> size) {
    std::vector<std::array<float, 3>> points = testsupport::CubePoints();
    for (auto& p : points)
      for (int a = 0; a < 3; ++a) p[a] = min[a] + (p[a] + 1) / 2 * size[a];
    testsupport::LwobWriter().Points(points).SurfaceNames({"Box"}).Polygons(testsupport::CubeFaces()).Save(dir.File(name));
    return dir.File(name);
  }
  // The start-up directory holds labp and its definitions, as shipped.
  void UseHmdTools() {
    namespace fs = std::filesystem;
    const fs::path tools = dir.path() / "tools";
    fs::create_directories(tools);
    fs::copy_file(fs::path(LABP_DIR) / "labp", tools / "labp");
    fs::copy_file(fs::path(LABP_DIR) / "hmd\\hmd.def", tools / "hmd\\hmd.def");
    commands.SetStartupDirectory(tools.string());
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
  int quits = 0, viewDialogs = 0, renderDialogs = 0, abouts = 0;
  std::vector<int> animationClicks;
  std::vector<std::pair<int, std::string>> hmdEdits;
};

}  // namespace

// The retained and the immediate-mode paths alike.
TEST_F(ViewerCommands, CancelledLoadDialogsSayWhatCouldNotBeGot) {
  const struct {
    int command;
    const char *title, *message;
  } cases[] = {{CMD_LOAD_RM_LWO, "Load .lwo file", "Could not get LightWave object file"},
               {CMD_LOAD_MSH, "Load .msh file", "Could not get .msh file"},
               {CMD_LOAD_X, "Load .X file", "Could not get .X file"},
               {CMD_LOAD_LWS_SCENE, "Load .lws file", "Could not get .lws file"},
               {CMD_LOAD_LWS_ANIMATION, "Load .lws file", "Could not get .lws file"},
               {CMD_LOAD_IM_LWO, "Load .lwo file", "Could not get LightWave object file"},
               {CMD_LOAD_COLOURED_MSH, "Load .msh file", "Could not get .msh file"}};
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
}

// A file that does not load keeps what is shown; the box says why in its
// detailed text. A .msh says nothing.
TEST_F(ViewerCommands, FailedLoadsKeepTheObjectAndSayWhy) {
  ASSERT_TRUE(commands.LoadObject(Box("box.lwo", {0, 0, 0}, {1, 1, 1}), OBJECT_RM_LWO));
  const rm::MeshPtr kept = viewer.current.mesh;
  const std::string lwo = dir.File("bad.lwo"), lws = dir.File("bad.lws");
  testsupport::WriteText(lwo, "FORM this is not an object");
  testsupport::WriteText(lws, "not a scene");
  const std::string notLwo = lwo + ": FORM chunk at byte 0: not an IFF file of form LWOB or LWO2";
  const std::string cycle = testsupport::SourceDir() + "/fuzz/corpus/scene_fuzz/cycle.lws";
  const struct {
    int command;
    std::string file;
    const char* text;  // null: no box
    std::string detail;
  } cases[] = {{CMD_LOAD_RM_LWO, lwo, "Failed to load.lwo file", notLwo},
               {CMD_LOAD_IM_LWO, lwo, "Failed to load Immediate Mode Object", notLwo},
               {CMD_GENERATE_BSP, lwo, "Failed to load.lwo file", notLwo},
               {CMD_LOAD_LWS_ANIMATION, lws, "Failed to load .lws file",
                lws + ": line 1: the scene header: cannot use \"not\""},
               {CMD_LOAD_LWS_SCENE, cycle, "Failed to load .lws file", cycle + ": object 1 is parented in a cycle"},
               {CMD_LOAD_MSH, lwo, nullptr, ""}};
  for (const auto& c : cases) {
    ui.ClearAsked();
    ui.QueueOpenFile(c.file);
    commands.DispatchCommand(c.command);
    EXPECT_EQ(viewer.current.mesh, kept) << c.command;
    EXPECT_EQ(viewer.meshFrame()->GetVisuals().size(), 1u);
    ASSERT_EQ(ui.asked().size(), c.text ? 2u : 1u) << c.command;
    if (!c.text) continue;
    EXPECT_EQ(ui.asked()[1].text, c.text);
    EXPECT_EQ(ui.asked()[1].caption, "Error");
    EXPECT_EQ(ui.asked()[1].detail, c.detail);
  }
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

  for (int command : {CMD_INPUT_OPTIONS, CMD_RENDER_OPTIONS, CMD_EXIT, CMD_ABOUT}) commands.DispatchCommand(command);
  EXPECT_TRUE(viewDialogs == 1 && renderDialogs == 1 && quits == 1 && abouts == 1);
  // Commands of other parts of the viewer, unknown numbers, and saving a .msh
  // without an object do nothing and ask nothing.
  ui.ClearAsked();
  for (int command : {int{CMD_SAVE_BINARY_HMD}, 40010, 12345, int{CMD_SAVE_MSH}})
    EXPECT_EQ(commands.DispatchCommand(command), 0);
  EXPECT_TRUE(ui.asked().empty());
}

TEST_F(ViewerCommands, ScenesPlayAtTheirRateAndReplaceTheObject) {
  Box("box.lwo", {-1, -1, -1}, {2, 2, 2});
  testsupport::LwsWriter w;
  // 10 frames a second; the object moves 10 units in x over 10 frames. The
  // path is the artist's Windows one: only its file name counts.
  w.Header(0, 10, 1, "10").Line("LoadObject C:\\Art\\Objects\\box.lwo");
  w.Motion("ObjectMotion", {{.frame = 0}, {.x = 10, .frame = 10}});
  w.Motion("CameraMotion", {{.z = -30, .frame = 0}});
  const std::string scene = dir.File("walk.lws");
  testsupport::WriteText(scene, w.text());

  ASSERT_TRUE(commands.LoadObject(Box("first.lwo", {0, 0, 0}, {1, 1, 1}), OBJECT_RM_LWO));
  const rm::MeshPtr first = viewer.current.mesh;
  ui.QueueOpenFile(scene);
  commands.DispatchCommand(CMD_LOAD_LWS_SCENE);
  ASSERT_EQ(viewer.current.kind, OBJECT_LWS_SCENE);
  ASSERT_TRUE(viewer.current.animation);
  // The earlier object went; the scene's root hangs in "Mesh", unfitted.
  EXPECT_TRUE(viewer.meshFrame()->GetVisuals().empty());
  EXPECT_TRUE(rm::NearlyEqual(viewer.meshFrame()->GetTransform(), rm::Matrix4{}));
  const rm::FramePtr object = viewer.current.animation->objectFrames.at(0);
  EXPECT_EQ(object->GetVisuals().size(), 1u);
  EXPECT_EQ(viewer.current.animation->rootFrame->GetParent(), viewer.meshFrame());

  const float start = viewer.animationTime;
  viewer.AdvanceAnimation(5000);  // the first step only starts the clock
  viewer.AdvanceAnimation(5250);  // 2.5 frames
  EXPECT_NEAR(viewer.animationTime - start, 2.5f, 1e-4f);
  const float x1 = object->GetTransform().m[3][0];
  viewer.AdvanceAnimation(5500);
  const float x2 = object->GetTransform().m[3][0];
  EXPECT_NEAR(x2 - x1, 2.5f, 1e-3f);
  // The scene's camera stands where its key says.
  EXPECT_NEAR(viewer.camera()->GetTransform().m[3][2], -30, 1e-4f);

  // The same file as an animation poses no camera; unloading leaves "Mesh" empty
  // and the camera back where it starts.
  ui.QueueOpenFile(scene);
  commands.DispatchCommand(CMD_LOAD_LWS_ANIMATION);
  ASSERT_EQ(viewer.current.kind, OBJECT_LWS_ANIMATION);
  EXPECT_EQ(viewer.meshFrame()->GetChildren().size(), 1u);
  EXPECT_NEAR(viewer.camera()->GetTransform().m[3][2], view.cameraPosition.z, 1e-4f);
  commands.UnloadObject();
  EXPECT_TRUE(viewer.meshFrame()->GetChildren().empty());
  EXPECT_FALSE(viewer.current.loaded);
}

TEST_F(ViewerCommands, AnimationOrderDialogAndBspStatistics) {
  AnimationSettings& settings = GetAnimationSettings();
  const AnimationSettings saved = settings;
  animationClicks = {IDC_ANIM_YZX, IDC_ANIM_ZXY_OPTIMISED, IDC_ANIM_SPLINE, IDC_ANIM_OK};
  commands.DispatchCommand(CMD_ANIM_ROTATION_ORDER);
  EXPECT_EQ(settings.rotationOrder, ROTATION_YZX);
  EXPECT_EQ(settings.zxyOptimised, 0);
  EXPECT_EQ(settings.splineInterpolation, 1);
  settings = saved;

  // Six faces of a cube, two triangles each once captured, none split.
  ui.QueueOpenFile(Box("bsp.lwo", {0, 0, 0}, {1, 1, 1}));
  commands.DispatchCommand(CMD_GENERATE_BSP);
  ASSERT_EQ(ui.asked().size(), 2u);
  EXPECT_EQ(ui.asked()[0].text, "Load .lwo file for conversion");
  EXPECT_EQ(ui.asked()[1].text, "Model with 6 polys generated 6 nodes with 0 splits in BSP tree");
  EXPECT_FALSE(viewer.current.loaded);  // the viewer's object is not touched
}

TEST_F(ViewerCommands, HmdExportsWriteTheirFilesAndTidyUp) {
  namespace fs = std::filesystem;
  UseHmdTools();
  ASSERT_TRUE(commands.LoadObject(Box("ball.lwo", {-4, -1, -1}, {8, 2, 2}), OBJECT_RM_LWO));

  // The dialog proposes the scale that fits the box within 2 units.
  hmdEdits = {{IDC_HMD_Y_SCALE, "0.25"}};
  ui.QueueSaveFile(dir.File("ball.hmd"));
  commands.DispatchCommand(CMD_SAVE_BINARY_HMD);
  EXPECT_TRUE(fs::is_regular_file(dir.File("ball.hmd")));
  hmdEdits = {{IDC_HMD_X_SCALE, "0.5"}, {IDC_HMD_Z_SCALE, "2"}};
  ui.QueueSaveFile(dir.File("raw.lab"));
  commands.DispatchCommand(CMD_SAVE_UNPROCESSED_LAB);
  const std::string lab = testsupport::ReadText(dir.File("raw.lab"));
  // x 4 units * 0.5 = 2.0 = 8192; z 1 unit * 2 = 8192; both inverted by default.
  EXPECT_NE(lab.find("-8192"), std::string::npos);

  // A scale that is not a number keeps the dialog open: no export.
  hmdEdits = {{IDC_HMD_X_SCALE, "1..5"}};
  ui.QueueSaveFile(dir.File("never.lab"));
  commands.DispatchCommand(CMD_SAVE_UNPROCESSED_LAB);
  EXPECT_FALSE(fs::exists(dir.File("never.lab")));
}

// Memory running out at each tracked allocation of a load, an immediate-mode
// build or an export in turn: every failure that is hit is told (a box, or a
// report), nothing tracked is left behind, and only what may go on without
// the memory succeeds (a scene without an object that did not load, an
// object drawn as a mesh when its immediate-mode build failed, and, without a
// word, an HMD export whose unused image labels were not made). The .X paths
// allocate nothing tracked.
TEST_F(ViewerCommands, EveryLoadAndExportFailsCleanlyWhereverMemoryRunsOut) {
  namespace fs = std::filesystem;
  UseHmdTools();
  const std::string lwo = Box("box.lwo", {0, 0, 0}, {1, 1, 1}), msh = dir.File("box.msh"), lws = dir.File("s.lws");
  MeshModel model = testsupport::CubeMeshModel();
  ASSERT_TRUE(SaveMeshModel(&model, msh.c_str()));
  FreeMeshModel(&model);
  testsupport::WriteText(lws, testsupport::LwsWriter().Header().Line("LoadObject box.lwo").text());
  testsupport::CapturedOutput out;
  RemoveDelimiter(0);  // what earlier scene loads in this process left
  const auto load = [&](std::string file, int kind) {
    return [&, file, kind] {
      const bool ok = commands.LoadObject(file, kind);
      commands.UnloadObject();
      RemoveDelimiter(0);  // the scene parser's delimiters live for the run
      return ok;
    };
  };
  const auto save = [&](int command, std::string file) {
    return [&, command, file] {
      fs::remove(file);
      ui.QueueSaveFile(file);
      commands.DispatchCommand(command);
      return fs::exists(file);
    };
  };
  const struct {
    const char* name;
    std::function<bool()> run;
    bool degrades = false, quiet = false;
  } cases[] = {
      {"lwo", load(lwo, OBJECT_RM_LWO)},
      {"msh", load(msh, OBJECT_MSH)},
      {"scene", load(lws, OBJECT_LWS_SCENE), true},
      {"animation", load(lws, OBJECT_LWS_ANIMATION), true},
      {"immediate lwo", load(lwo, OBJECT_IMMEDIATE), true},
      {"coloured msh", load(msh, OBJECT_COLOURED_MSH), true},
      {"bsp",
       [&] {
         ui.QueueOpenFile(lwo);
         commands.DispatchCommand(CMD_GENERATE_BSP);
         return ui.asked().back().text.rfind("Model with", 0) == 0;
       }},
      {"save msh", save(CMD_SAVE_MSH, dir.File("out.msh"))},
      {"save lab", save(CMD_SAVE_UNPROCESSED_LAB, dir.File("out.lab")), true, true},
      {"save hmd", save(CMD_SAVE_BINARY_HMD, dir.File("out.hmd")), true, true},
  };
  for (const auto& c : cases) {
    if (std::string(c.name).starts_with("save")) {
      ASSERT_TRUE(commands.LoadObject(lwo, OBJECT_RM_LWO));
    }
    uint64_t failing = 0;
    const testsupport::InjectionResult r = testsupport::InjectAllocationFailures([&] {
      ui.ClearAsked(), out.Clear();
      const uint64_t calls = TrackedAllocCalls();
      const bool ok = c.run();
      const bool hit = TrackedAllocCalls() - calls >= ++failing;
      const bool told = !out.lines().empty() || (!ui.asked().empty() && ui.asked().back().kind == "message");
      EXPECT_TRUE(!hit || told || (ok && c.quiet)) << c.name << " with allocation " << failing << " failing says nothing";
      return ok;
    }, c.degrades);
    EXPECT_GT(r.runs, 2) << c.name;
    EXPECT_EQ(r.leakedAt, 0) << c.name;
    EXPECT_EQ(r.succeededAt, 0) << c.name;
    commands.UnloadObject();
  }
}
