// The immediate-mode path drawn by the OpenGL device into an off-screen
// framebuffer of Mesa's software OpenGL: it must put an object where the
// retained-mode path puts it, and show pre-lit colours as they are.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include "MeshModelMaker.h"
#include "TestSupport.h"
#include "immediate/ImmediateObject.h"
#include "immediate/UserVisual.h"
#include "lwlib/model/Mesh.h"
#include "GlOffscreen.h"
#include "render/GlDevice.h"

namespace {

constexpr int kSize = 96;

class ImmediateGl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_.Make(kSize));
    engine_ = rm::Engine::Create();
    scene_ = engine_->CreateFrame();
    scene_->SetSceneBackgroundRGB(0, 0, 1);
    scene_->AddLight(engine_->CreateLightRGB(rm::LIGHT_AMBIENT, 0.4f, 0.4f, 0.4f));
    camera_ = engine_->CreateFrame(scene_);
    camera_->SetPosition(nullptr, 0, 0, -10);
    frame_ = engine_->CreateFrame(scene_);
    // Turned and moved, so a path that ignored the frame would miss.
    frame_->AddRotation(rm::COMBINE_REPLACE, 1, 1, 0, 0.7f);
    frame_->AddTranslation(rm::COMBINE_AFTER, 1, -0.5f, 0);
    device_ = render::GlDevice::Create(kSize, kSize);
    ASSERT_TRUE(device_);
    viewport_ = engine_->CreateViewport(device_, camera_, 0, 0, kSize, kSize);
  }
  void TearDown() override {
    if (device_) device_->ReleaseResources();
    gl_.Release();
  }

  // Draws the scene; the pixels as 0xAABBGGRR words, bottom row first.
  std::vector<uint32_t> Draw() {
    EXPECT_TRUE(viewport_->Clear());
    EXPECT_TRUE(viewport_->Render(*scene_));
    device_->Update();
    std::vector<uint32_t> pixels(kSize * kSize);
    glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  }

  testsupport::GlOffscreen gl_;
  rm::EnginePtr engine_;
  rm::FramePtr scene_, camera_, frame_;
  std::shared_ptr<render::GlDevice> device_;
  rm::ViewportPtr viewport_;
};

constexpr uint32_t kBackground = 0xFFFF0000u;  // blue

TEST_F(ImmediateGl, TheSameObjectCoversTheSamePixelsThroughBothPaths) {
  // A tetrahedron, its faces wound outwards, with a normal per corner.
  const rm::Vector a{0, 3, 0}, b{-3, -2, -2}, c{3, -2, -2}, d{0, -2, 3};
  MeshModel model = testsupport::TriangleSoupModel({{a, c, b}, {a, d, c}, {a, b, d}, {b, c, d}});
  for (rm::Vertex& v : model.groups[0].vertices) v.normal = rm::Normalize(v.position);
  model.groupMaterials[0].red = 1;
  rm::MeshPtr mesh = BuildRMMesh(&model, engine_);
  FreeMeshModel(&model);
  ASSERT_TRUE(mesh);

  frame_->AddVisual(mesh);
  const std::vector<uint32_t> retained = Draw();
  frame_->DeleteVisual(mesh);
  ASSERT_EQ(Draw(), std::vector<uint32_t>(kSize * kSize, kBackground));

  ImmediateObject object;
  ASSERT_TRUE(BuildImmediateObject(&object, mesh, *device_, 0.5f, 0.5f, 0.5f, 0.5f));
  UserVisualRecord* visual =
      AttachUserVisual(frame_, engine_, AlwaysVisible, nullptr, RenderImmediateObject, &object, 7);
  ASSERT_TRUE(visual);
  const std::vector<uint32_t> immediate = Draw();
  int inRetained = 0, inBoth = 0, inImmediate = 0;
  for (size_t i = 0; i < retained.size(); ++i) {
    inRetained += retained[i] != kBackground;
    inImmediate += immediate[i] != kBackground;
    inBoth += retained[i] != kBackground && immediate[i] != kBackground;
  }
  EXPECT_GT(inRetained, kSize * kSize / 20);
  EXPECT_GE(inBoth, inRetained * 95 / 100);
  EXPECT_GE(inBoth, inImmediate * 95 / 100);
  DetachUserVisual(visual);
  FreeImmediateObject(&object);
}

TEST_F(ImmediateGl, AColouredMshShowsItsVertexColours) {
  // Two triangles side by side facing the camera: one red, one green.
  MeshModel model = testsupport::TriangleSoupModel(
      {{{{-4, -2, 0}, {-2, 2, 0}, {0, -2, 0}}}, {{{0.5f, -2, 0}, {2.5f, 2, 0}, {4.5f, -2, 0}}}});
  for (int i = 0; i < 6; ++i) model.groups[0].vertices[i].color = i < 3 ? 0xFFFF0000u : 0xFF00FF00u;
  ImmediateObject object;
  ASSERT_TRUE(BuildColouredImmediateObject(&object, &model, *device_, 0.5f, 0.5f, 0.5f, 0.5f));
  FreeMeshModel(&model);
  frame_->AddTransform(rm::COMBINE_REPLACE, rm::Matrix4{});
  UserVisualRecord* visual = AttachUserVisual(frame_, engine_, AlwaysVisible, nullptr, RenderColouredObject, &object, 7);
  int red = 0, green = 0;
  for (uint32_t p : Draw()) {
    red += p == 0xFF0000FFu;
    green += p == 0xFF00FF00u;
  }
  EXPECT_GT(red, kSize * kSize / 20);
  EXPECT_GT(green, kSize * kSize / 20);
  DetachUserVisual(visual);
  FreeImmediateObject(&object);
}

}  // namespace
