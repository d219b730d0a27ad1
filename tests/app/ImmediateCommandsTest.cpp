// Load kinds 4 and 32 and the split test through the command dispatcher, on
// the engine's null device (its immediate-mode device keeps everything in
// memory and records each draw).
#include <gtest/gtest.h>

#include "writers/LwobWriter.h"
#include "MeshModelMaker.h"
#include "TestSupport.h"
#include "app/Commands.h"
#include "lwlib/model/Mesh.h"
#include "lwlib/object/TextureSearch.h"
#include "platform/Ui.h"

namespace {

class ImmediateCommands : public ::testing::Test {
 protected:
  ImmediateCommands() : viewer(view, render), commands(viewer, {}) {
    SetUi(&ui);
    EXPECT_TRUE(Display(320, 240));
    EXPECT_TRUE(viewer.SetUpViewerScene());
    writers::LwobWriter()
        .Points(writers::CubePoints())
        .SurfaceNames({"Box"})
        .Polygons(writers::CubeFaces())
        .Save(dir.File("box.lwo"));
  }
  ~ImmediateCommands() override {
    commands.UnloadObject();
    ClearTextureSearch();
    SetUi(nullptr);
  }
  bool Display(int32_t w, int32_t h) {
    bool full = false;
    return viewer.CreateDisplay(w, h, full, nullptr);
  }
  // Draws one frame; the draws the display's immediate-mode device was asked for.
  size_t DrawsOfOneFrame() {
    auto& im = static_cast<rm::MemoryImDevice&>(*viewer.device()->GetDirect3DDevice());
    im.draws.clear();
    EXPECT_TRUE(viewer.RenderScene());
    for (const auto& d : im.draws)
      if (d.vertexType == rm::VT_VERTEX) {
        EXPECT_NE(im.MaterialOf(d.material), nullptr);
      }
    return im.draws.size();
  }

  testsupport::TempDir dir;
  ScriptedUi ui;
  ViewOptions view;
  RenderOptions render;
  Viewer viewer;
  Commands commands;
};

}  // namespace

TEST_F(ImmediateCommands, ObjectsStayDrawnWhenTheDisplayIsMadeAgain) {
  ui.QueueOpenFile(dir.File("box.lwo"));
  commands.DispatchCommand(CMD_LOAD_IM_LWO);
  ASSERT_TRUE(viewer.current.loaded);
  EXPECT_EQ(viewer.current.kind, OBJECT_IMMEDIATE);
  ASSERT_TRUE(viewer.current.userVisual);
  // Drawn by the visual only, and fitted: the cube of side 2 becomes 10.
  EXPECT_EQ(viewer.meshFrame()->GetVisuals().size(), 1u);
  EXPECT_NEAR(viewer.meshFrame()->GetTransform().TransformPoint({1, 1, 1}).x, 5, 1e-4f);
  EXPECT_EQ(DrawsOfOneFrame(), viewer.current.immediate.groups.size());
  const rm::ImDevicePtr before = viewer.current.userVisual->interfaces.device;

  ASSERT_TRUE(Display(400, 300));
  EXPECT_EQ(DrawsOfOneFrame(), viewer.current.immediate.groups.size());
  EXPECT_NE(viewer.current.userVisual->interfaces.device, before);
  EXPECT_EQ(viewer.current.userVisual->interfaces.device, viewer.device()->GetDirect3DDevice());

  // A coloured .msh replaces it, and is drawn pre-lit.
  MeshModel model = testsupport::CubeMeshModel();
  ASSERT_TRUE(SaveMeshModel(&model, dir.File("c.msh").c_str()));
  FreeMeshModel(&model);
  ui.QueueOpenFile(dir.File("c.msh"));
  commands.DispatchCommand(CMD_LOAD_COLOURED_MSH);
  EXPECT_TRUE(viewer.current.colouredInUse);
  EXPECT_FALSE(viewer.current.immediateInUse);
  ASSERT_TRUE(Display(320, 240));
  auto& im = static_cast<rm::MemoryImDevice&>(*viewer.device()->GetDirect3DDevice());
  EXPECT_EQ(DrawsOfOneFrame(), 1u);
  EXPECT_EQ(im.draws[0].vertexType, rm::VT_LVERTEX);
  commands.UnloadObject();
  EXPECT_TRUE(viewer.meshFrame()->GetVisuals().empty());
  EXPECT_EQ(viewer.current.userVisual, nullptr);
  // The split test passes on the display's device: no box.
  ui.ClearAsked();
  commands.DispatchCommand(CMD_SPLIT_TEST);
  EXPECT_TRUE(ui.asked().empty());
}
