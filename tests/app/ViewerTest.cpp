#include <gtest/gtest.h>

#include <vector>

#include "app/Viewer.h"

namespace {

// Counts what reaches the device.
class RecordingDevice : public rm::NullDevice {
 public:
  using rm::NullDevice::NullDevice;
  void SetQuality(rm::RenderQuality q) override { ++qualityCalls, rm::NullDevice::SetQuality(q); }
  void SetDither(bool d) override { ++ditherCalls, rm::NullDevice::SetDither(d); }
  void SetTextureQuality(rm::TextureQuality q) override { ++textureCalls, rm::NullDevice::SetTextureQuality(q); }
  int qualityCalls = 0, ditherCalls = 0, textureCalls = 0;
};

// What CreateDisplay made of a request: success, size and full-screen flag.
struct Shown {
  bool ok;
  int32_t w, h;
  bool full;
};

class ViewerTest : public ::testing::Test {
 protected:
  ViewerTest() : viewer(view, render) {
    viewer.SetDeviceFactory([this](uint32_t w, uint32_t h, const rm::DeviceGuid* device) -> rm::DevicePtr {
      requests.push_back(device != nullptr);
      if ((device && refuseChosen) || refuseAll) return nullptr;
      auto d = std::make_shared<RecordingDevice>(w, h);
      last = d.get();
      return d;
    });
  }
  Shown Display(int32_t w, int32_t h, bool full = false, const rm::DeviceGuid* device = nullptr) {
    const bool ok = viewer.CreateDisplay(w, h, full, device);
    return {ok, w, h, full};
  }
  // A display with the viewer scene and a one-quad object loaded.
  rm::MeshPtr Start() {
    EXPECT_TRUE(Display(400, 300).ok && viewer.SetUpViewerScene());
    rm::MeshPtr mesh = viewer.engine()->CreateMesh();
    const uint32_t face[] = {0, 1, 2, 3};
    EXPECT_EQ(mesh->AddGroup(4, 1, 4, face), 0);
    viewer.current = {true, OBJECT_RM_LWO, mesh, nullptr, nullptr};
    viewer.meshFrame()->AddVisual(mesh);
    return mesh;
  }

  ViewOptions view;
  RenderOptions render;
  Viewer viewer;
  std::vector<bool> requests;  // whether each asked for a chosen device
  RecordingDevice* last = nullptr;
  bool refuseChosen = false, refuseAll = false;
};

}  // namespace

TEST_F(ViewerTest, FullScreenTakesTheSmallestModeThatHoldsTheClient) {
  const struct {
    int32_t w, h, modeW, modeH;
  } cases[] = {{700, 500, 800, 600}, {300, 200, 320, 240}, {1024, 768, 800, 600}, {640, 480, 640, 480}};
  for (const auto& c : cases) {
    const Shown s = Display(c.w, c.h, true);
    ASSERT_TRUE(s.ok && s.full);
    EXPECT_EQ(std::pair(s.w, s.h), std::pair(c.modeW, c.modeH));
    EXPECT_EQ(viewer.viewport()->GetWidth(), static_cast<uint32_t>(c.modeW));
  }
}

TEST_F(ViewerTest, DisplayIsRemadeOnlyWhenSomethingChanged) {
  const Shown minimised = Display(0, 0);
  ASSERT_TRUE(minimised.ok);
  EXPECT_EQ(std::pair(minimised.w, minimised.h), std::pair(1, 1));  // still a 1 x 1 display
  EXPECT_EQ(viewer.viewport()->GetWidth(), 1u);
  ASSERT_TRUE(Display(320, 200).ok && Display(320, 200).ok);
  EXPECT_EQ(requests.size(), 2u);
  EXPECT_EQ(viewer.displaysCreated(), 2u);

  // The fixed frames survive a re-creation; only the viewport is new.
  ASSERT_TRUE(viewer.SetUpViewerScene());
  const rm::FramePtr scene = viewer.scene(), camera = viewer.camera();
  ASSERT_TRUE(Display(321, 200).ok);
  EXPECT_EQ(viewer.scene(), scene);
  EXPECT_EQ(viewer.viewport()->GetCamera(), camera);
  EXPECT_EQ(viewer.meshFrame()->GetParent(), scene);
  ASSERT_TRUE(viewer.RenderScene());
  EXPECT_EQ(last->renders, 1u);
}

TEST_F(ViewerTest, DeviceAndFullScreenFallBacksAndNoDeviceFails) {
  const rm::DeviceGuid chosen{1, 2, 3};
  refuseChosen = true;
  std::vector<bool> asked;
  viewer.SetScreenModeHook([&](bool full, int32_t, int32_t) {
    asked.push_back(full);
    return !full;
  });
  const Shown s = Display(300, 200, true, &chosen);
  ASSERT_TRUE(s.ok);
  EXPECT_FALSE(s.full);  // full screen could not be had: a window
  EXPECT_EQ(asked, (std::vector<bool>{true, false}));
  EXPECT_EQ(requests, (std::vector<bool>{true, false}));  // the chosen device, then the default
  EXPECT_TRUE(viewer.device());

  refuseAll = true;
  EXPECT_FALSE(Display(250, 200).ok);
  EXPECT_FALSE(viewer.device());
  EXPECT_FALSE(viewer.RenderScene());  // harmless without a display
}

TEST_F(ViewerTest, RenderOptionsReachEveryNewDeviceOnceThenOnlyWhenChanged) {
  const rm::MeshPtr mesh = Start();
  // A new device starts flat; the Gouraud default must reach it.
  viewer.ApplyRenderOptions();
  EXPECT_EQ(last->GetQuality(), rm::RENDER_GOURAUD);
  EXPECT_FLOAT_EQ(viewer.viewport()->GetBack(), 200);
  EXPECT_FLOAT_EQ(viewer.viewport()->GetField(), 0.5f);
  const int quality = last->qualityCalls, dither = last->ditherCalls, texture = last->textureCalls;
  EXPECT_EQ(dither, 1);
  EXPECT_EQ(texture, 1);
  viewer.viewport()->SetBack(50);  // anything else that moved it is not overridden
  viewer.ApplyRenderOptions();
  EXPECT_FLOAT_EQ(viewer.viewport()->GetBack(), 50);
  EXPECT_EQ(last->qualityCalls + last->ditherCalls + last->textureCalls, quality + dither + texture);

  render.flatShading = render.bilinearFiltering = render.perspectiveCorrection = 1;
  viewer.ApplyRenderOptions();
  viewer.ApplyRenderOptions();
  EXPECT_EQ(last->qualityCalls, quality + 1);
  EXPECT_EQ(last->textureCalls, texture + 1);
  EXPECT_EQ(mesh->GetGroupQuality(0), rm::RENDER_FLAT);
  EXPECT_EQ(mesh->GetGroupMapping(0), rm::MAP_PERSPCORRECT);

  // A resize makes a new device: it is told the options again; the mesh's
  // own settings are left as they are.
  mesh->SetGroupMapping(0, 0);
  ASSERT_TRUE(Display(500, 300).ok);
  viewer.ApplyRenderOptions();
  EXPECT_EQ(last->GetQuality(), rm::RENDER_FLAT);
  EXPECT_EQ(last->GetTextureQuality(), rm::TEXTURE_LINEAR);
  EXPECT_FLOAT_EQ(viewer.viewport()->GetBack(), 200);
  EXPECT_EQ(mesh->GetGroupMapping(0), 0u);
}

TEST_F(ViewerTest, ResetWaitsForAnInputModeAndMouseTurnsTheObject) {
  Start();
  viewer.meshFrame()->AddTranslation(rm::COMBINE_REPLACE, 3, 0, 0);
  view.reset = 1;
  viewer.ControlObjectAndCamera();
  EXPECT_EQ(view.reset, 1);  // "No input": still pending
  EXPECT_FLOAT_EQ(viewer.meshFrame()->GetPosition(nullptr).x, 3);
  view.moveObject = 1;
  viewer.ControlObjectAndCamera();
  EXPECT_EQ(view.reset, 0);
  EXPECT_TRUE(rm::NearlyEqual(viewer.meshFrame()->GetTransform(), rm::Matrix4{}));

  // Several moves before a frame: only the last delta counts.
  for (int x : {10, 60, 70}) viewer.mouse.Move(x, 10);
  viewer.mouse.left = true;
  viewer.ControlObjectAndCamera();
  const rm::Matrix4 expected = rm::Matrix4::Rotation({0, 1, 0}, -0.1f) * rm::Matrix4::Rotation({1, 0, 0}, 0);
  EXPECT_TRUE(rm::NearlyEqual(viewer.meshFrame()->GetTransform(), expected));
  EXPECT_EQ(viewer.mouse.dx, 0);

  // One "larger" request scales by 1.05 twice.
  viewer.meshFrame()->AddTransform(rm::COMBINE_REPLACE, rm::Matrix4{});
  viewer.mouse.left = false;
  view.objectLarger = 1;
  viewer.ControlObjectAndCamera();
  EXPECT_NEAR(viewer.meshFrame()->GetTransform().m[0][0], 1.05f * 1.05f, 1e-5f);
  EXPECT_EQ(view.objectLarger, 0);
}

TEST_F(ViewerTest, GridIsBuiltWhenSwitchedOnAndRebuiltWhenItsSizeChanges) {
  ASSERT_TRUE(Display(400, 300).ok && viewer.SetUpViewerScene());
  view.gridOn = 1;
  viewer.UpdateGrid();
  const rm::MeshPtr grid = viewer.grid().mesh;
  uint32_t vertices = 0, faces = 0;
  rm::Box box;
  ASSERT_TRUE(grid && grid->GetGroup(0, &vertices, &faces, nullptr, nullptr) && grid->GetBox(&box));
  EXPECT_EQ(vertices, 21u * 21u);
  EXPECT_EQ(faces, 400u);
  EXPECT_FLOAT_EQ(box.min.x, -10);
  EXPECT_EQ(grid->GetGroupQuality(0), rm::RENDER_WIREFRAME);
  EXPECT_EQ(grid->GetName(), "20 x 20 Grid @ 1.000000 x 1.000000 resolution");
  viewer.UpdateGrid();
  EXPECT_EQ(viewer.grid().mesh, grid);  // nothing changed, nothing rebuilt

  view.gridSpacing = 2.5f;
  viewer.UpdateGrid();
  ASSERT_TRUE(viewer.grid().mesh && viewer.grid().mesh->GetBox(&box));
  EXPECT_FLOAT_EQ(box.max.x, 25);
  EXPECT_EQ(viewer.scene()->GetVisuals().size(), 1u);  // the old grid went
  view.gridOn = 0;
  viewer.UpdateGrid();
  EXPECT_FALSE(viewer.grid().mesh);
  EXPECT_TRUE(viewer.scene()->GetVisuals().empty());
}
