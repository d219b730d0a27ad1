#include <gtest/gtest.h>

#include "TestSupport.h"
#include "rm/Engine.h"

using namespace rm;

TEST(Viewport, ProjectsThroughTheCameraAndRendersThroughTheDevice) {
  auto engine = Engine::Create();
  FramePtr scene = engine->CreateFrame();
  FramePtr camera = engine->CreateFrame(scene);
  auto device = std::make_shared<NullDevice>(640, 480);
  ViewportPtr viewport = engine->CreateViewport(device, camera, 0, 0, 640, 480);
  ASSERT_NE(viewport, nullptr);
  EXPECT_FALSE(viewport->SetField(0));
  EXPECT_TRUE(viewport->SetField(0.5f));

  // A camera at (0, 0, -10) looking along +z: the origin is the centre; a
  // point at the field's edge at unit distance lands on the longer side's edge.
  camera->SetPosition(nullptr, 0, 0, -10);
  Vector s;
  ASSERT_TRUE(viewport->Transform({0, 0, 0}, &s));
  EXPECT_FLOAT_EQ(s.x, 320);
  EXPECT_FLOAT_EQ(s.y, 240);
  EXPECT_FLOAT_EQ(s.z, 10);
  ASSERT_TRUE(viewport->Transform({5, 2.5f, 0}, &s));
  EXPECT_FLOAT_EQ(s.x, 640);
  EXPECT_FLOAT_EQ(s.y, 240 - 160);
  EXPECT_FALSE(viewport->Transform({0, 0, -20}, &s));  // behind the camera

  // Turning the camera frame's parent turns the view.
  FramePtr dummy = engine->CreateFrame(scene);
  dummy->AddChild(camera);
  dummy->AddRotation(COMBINE_REPLACE, 0, 1, 0, 3.14159265f);  // now at (0, 0, 10) looking along -z
  ASSERT_TRUE(viewport->Transform({0, 0, 0}, &s));
  EXPECT_NEAR(s.x, 320, 1e-3f);
  EXPECT_NEAR(s.z, 10, 1e-5f);
  ASSERT_TRUE(viewport->Transform({1, 0, 0}, &s));
  EXPECT_LT(s.x, 320);  // world +x is now on the left

  EXPECT_TRUE(viewport->Clear());
  EXPECT_TRUE(viewport->Render(*scene));
  EXPECT_EQ(device->clears + device->renders, 2u);
  Viewport blind(device, nullptr, 0, 0, 1, 1);  // no camera: draws nothing
  EXPECT_FALSE(blind.Render(*scene));
  testsupport::CapturedOutput out;
  EXPECT_EQ(engine->CreateViewport(nullptr, camera, 0, 0, 1, 1), nullptr);
}

TEST(Engine, LightsClampTheirColourAndClonesCopyState) {
  auto engine = Engine::Create();
  LightPtr light = engine->CreateLightRGB(LIGHT_SPOT, 2, 0.5f, -1);
  light->SetPenumbra(0.4f);
  EXPECT_EQ(light->GetColor(), 0xFFFF8000u);  // clamped to 0..1
  EXPECT_EQ(std::dynamic_pointer_cast<Light>(light->Clone())->GetPenumbra(), 0.4f);
  MaterialPtr material = engine->CreateMaterial(5);
  material->SetEmissive(0.25f, 0.25f, 0.25f);
  EXPECT_EQ(std::dynamic_pointer_cast<Material>(material->Clone())->GetEmissive().green, 0.25f);
  EXPECT_EQ(engine->CreateFrame()->Clone(), nullptr);
  EXPECT_EQ(engine->CreateTextureFromSurface(nullptr), nullptr);

  int data = 7, calls = 0;
  UserVisualPtr visual = engine->CreateUserVisual(
      [&calls](UserVisual&, void* arg, UserVisualEvent event, Device*, Viewport*) {
        calls += *static_cast<int*>(arg);
        return event == USERVISUAL_CANSEE;
      },
      &data);
  EXPECT_TRUE(visual->Call(USERVISUAL_CANSEE, nullptr, nullptr));
  EXPECT_FALSE(visual->Call(USERVISUAL_RENDER, nullptr, nullptr));
  EXPECT_EQ(calls, 14);
}

TEST(Surface, PixelsOfEveryDepthAndLimits) {
  for (const uint32_t bits : {1u, 2u, 4u, 8u}) {
    SurfacePtr s = Surface::Create(9, 2, PixelFormat::Indexed(bits));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetPitch() % 4, 0u);
    const uint32_t top = (1u << bits) - 1;
    for (uint32_t x = 0; x < 9; ++x) s->SetPixel(x, 1, x % 2 ? top : 0);
    for (uint32_t x = 0; x < 9; ++x) EXPECT_EQ(s->GetPixel(x, 1), x % 2 ? top : 0) << bits;
    EXPECT_EQ(s->GetPixel(3, 0), 0u);  // the row above is untouched
    EXPECT_EQ(s->GetColor(1, 1), 0xFF000000u);  // no palette: black
  }
  SurfacePtr s = Surface::Create(2, 1, PixelFormat::Rgb(24));
  s->SetPixel(1, 0, 0x123456);
  EXPECT_EQ(s->GetColor(1, 0), 0xFF123456u);
  EXPECT_EQ(s->GetPixel(5, 0), 0u);  // outside
  s->SetPixel(5, 5, 1);              // ignored
  EXPECT_EQ(Palette(PCAPS_8BIT, std::vector<PaletteEntry>(300, PaletteEntry{1, 2, 3, 0})).size(), 256u);

  testsupport::CapturedOutput out;
  EXPECT_EQ(Surface::Create(0, 5, PixelFormat::Rgb(32)), nullptr);
  EXPECT_EQ(Surface::Create(40000, 1, PixelFormat::Rgb(32)), nullptr);
  EXPECT_EQ(Surface::Create(32768, 32768, PixelFormat::Rgb(32)), nullptr);  // 4 GB
  EXPECT_EQ(Surface::Create(4, 4, PixelFormat::Rgb(12)), nullptr);
}
