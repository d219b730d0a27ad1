// The OpenGL device drawing into an off-screen framebuffer of Mesa's
// software OpenGL.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include "GlOffscreen.h"
#include "render/GlDevice.h"

namespace {

constexpr int kSize = 64;

class GlDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_.Make(kSize));

    engine_ = rm::Engine::Create();
    scene_ = engine_->CreateFrame();
    scene_->SetSceneBackgroundRGB(0.0f, 0.0f, 1.0f);
    camera_ = engine_->CreateFrame(scene_);
    camera_->SetPosition(nullptr, 0, 0, -10);
    device_ = render::GlDevice::Create(kSize, kSize);
    ASSERT_TRUE(device_);
    viewport_ = engine_->CreateViewport(device_, camera_, 0, 0, kSize, kSize);
    ASSERT_TRUE(viewport_);
  }
  void TearDown() override {
    if (device_) device_->ReleaseResources();
    gl_.Release();
  }

  // A red square in the z = 0 plane from -h to h, facing the camera when its
  // corners run clockwise as the camera sees them, made of cells x cells quads
  // and mapped with (0, 0) at the top left.
  rm::MeshPtr Square(float h, bool clockwise, rm::RenderQuality quality, uint32_t cells = 1) {
    rm::MeshPtr mesh = engine_->CreateMesh();
    const uint32_t n = cells + 1;
    std::vector<rm::Vertex> v(n * n);
    std::vector<uint32_t> faces;
    for (uint32_t j = 0; j < n; ++j)
      for (uint32_t i = 0; i < n; ++i) {
        const float s = static_cast<float>(i) / static_cast<float>(cells), t = static_cast<float>(j) / static_cast<float>(cells);
        v[j * n + i].position = {-h + 2 * h * s, -h + 2 * h * t, 0};
        v[j * n + i].normal = {0, 0, -1};
        v[j * n + i].tu = s, v[j * n + i].tv = 1 - t;
        const uint32_t quad[] = {j * n + i, (j + 1) * n + i, (j + 1) * n + i + 1, j * n + i + 1};
        if (i < cells && j < cells) faces.insert(faces.end(), {quad[clockwise ? 0 : 3], quad[clockwise ? 1 : 2], quad[clockwise ? 2 : 1], quad[clockwise ? 3 : 0]});
      }
    EXPECT_EQ(mesh->AddGroup(n * n, cells * cells, 4, faces), 0);
    mesh->SetVertices(0, 0, n * n, v.data());
    mesh->SetGroupColorRGB(0, 1, 0, 0);
    mesh->SetGroupQuality(0, quality);
    return mesh;
  }

  void Draw() {
    pixels_.assign(kSize * kSize, 0);
    ASSERT_TRUE(viewport_->Clear());
    ASSERT_TRUE(viewport_->Render(*scene_));
    ASSERT_TRUE(device_->Update());
    glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
  }
  // 0xAABBGGRR as read; (x, y) from the bottom left.
  uint32_t Pixel(int x, int y) const { return pixels_[static_cast<size_t>(y) * kSize + x]; }
  int Red(int x, int y) const { return static_cast<int>(Pixel(x, y) & 0xFF); }
  int Count(uint32_t colour) const { return static_cast<int>(std::count(pixels_.begin(), pixels_.end(), colour)); }
  static uint32_t Rgba(uint8_t r, uint8_t g, uint8_t b) { return 0xFF000000u | b << 16 | g << 8 | r; }
  // Draws through the general program, then through the specialised ones;
  // the most any channel of the two pictures differs.
  int SpecialisedLevelsApart() {
    device_->SetSpecialisedPrograms(false);
    Draw();
    const std::vector<uint32_t> other = pixels_;
    device_->SetSpecialisedPrograms(true);
    Draw();
    int worst = 0;
    for (size_t i = 0; i < pixels_.size(); ++i)
      for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(worst, std::abs(static_cast<int>((pixels_[i] >> shift) & 0xFF) -
                                         static_cast<int>((other[i] >> shift) & 0xFF)));
    return worst;
  }

  testsupport::GlOffscreen gl_;
  rm::EnginePtr engine_;
  rm::FramePtr scene_, camera_;
  std::shared_ptr<render::GlDevice> device_;
  rm::ViewportPtr viewport_;
  std::vector<uint32_t> pixels_;
};

}  // namespace

TEST_F(GlDeviceTest, ObjectCoversItsPixelsAndTheBackgroundTheRest) {
  rm::FramePtr frame = engine_->CreateFrame(scene_);
  frame->AddVisual(Square(2, true, rm::RENDER_UNLITFLAT));
  Draw();
  // At distance 10 with field 0.5 the view is 10 units across: the square
  // of 4 units covers the middle 40 % of the picture.
  const uint32_t blue = Rgba(0, 0, 255), red = Rgba(255, 0, 0);
  EXPECT_EQ(Pixel(32, 32), red);
  for (auto [x, y] : {std::pair{0, 0}, {63, 63}, {10, 32}}) EXPECT_EQ(Pixel(x, y), blue) << x << "," << y;
  EXPECT_NEAR(Count(red), kSize * kSize * 0.16, kSize * 4);
  EXPECT_EQ(device_->CachedMeshes(), 1u);

  // The square's back is not drawn; a wire frame draws its edges only.
  frame->DeleteVisual(frame->GetVisuals()[0]);
  frame->AddVisual(Square(2, false, rm::RENDER_UNLITFLAT));
  Draw();
  EXPECT_EQ(Pixel(32, 32), blue);
  frame->DeleteVisual(frame->GetVisuals()[0]);
  frame->AddVisual(Square(4, true, rm::RENDER_WIREFRAME));
  Draw();
  EXPECT_EQ(Pixel(32, 32), blue);
  EXPECT_NEAR(Count(red), 4 * 50, 4 * 10);  // four edges of about 51 pixels

  // A viewport over part of the target clears that part only.
  scene_->SetSceneBackgroundRGB(0.0f, 1.0f, 0.0f);
  viewport_ = engine_->CreateViewport(device_, camera_, 0, 0, kSize / 2, kSize);
  Draw();
  EXPECT_EQ(Pixel(0, 32), Rgba(0, 255, 0));
  EXPECT_EQ(Pixel(kSize - 1, 32), blue);
}

TEST_F(GlDeviceTest, LightsShadeTheObject) {
  rm::FramePtr frame = engine_->CreateFrame(scene_);
  frame->AddVisual(Square(2, true, rm::RENDER_GOURAUD));
  scene_->AddLight(engine_->CreateLightRGB(rm::LIGHT_AMBIENT, 0.25f, 0.25f, 0.25f));
  Draw();
  EXPECT_NEAR(Red(32, 32), 64, 2);  // red 0.25

  // A white directional light shining straight at the face adds its full colour.
  rm::FramePtr lightFrame = engine_->CreateFrame(scene_);
  lightFrame->SetOrientation(nullptr, 0, 0, 1, 0, 1, 0);
  rm::LightPtr light = engine_->CreateLightRGB(rm::LIGHT_DIRECTIONAL, 0.5f, 0.5f, 0.5f);
  lightFrame->AddLight(light);
  Draw();
  EXPECT_NEAR(Red(32, 32), 191, 2);
  EXPECT_EQ((Pixel(32, 32) >> 8) & 0xFF, 0u);  // the group is pure red

  // Turned away, the light adds nothing.
  lightFrame->SetOrientation(nullptr, 0, 0, -1, 0, 1, 0);
  Draw();
  EXPECT_NEAR(Red(32, 32), 64, 2);

  // A point light just in front of the middle of a finer patch (so Gouraud
  // shading can vary across it) lights the middle more than the edge.
  lightFrame->DeleteLight(light);
  rm::FramePtr pointFrame = engine_->CreateFrame(scene_);
  pointFrame->SetPosition(nullptr, 0, 0, -1);
  pointFrame->AddLight(engine_->CreateLightRGB(rm::LIGHT_POINT, 0.5f, 0.5f, 0.5f));
  frame->DeleteVisual(frame->GetVisuals()[0]);
  frame->AddVisual(Square(2, true, rm::RENDER_GOURAUD, 8));
  Draw();
  const int middle = Red(32, 32), edge = Red(21, 32);
  EXPECT_GT(middle, 64 + 100);
  EXPECT_LT(edge, middle - 20);
  EXPECT_GT(edge, 64);
}

TEST_F(GlDeviceTest, TexturesAreSampledAndChangesReachTheGpu) {
  rm::MeshPtr mesh = Square(5, true, rm::RENDER_UNLITFLAT);
  mesh->SetGroupColorRGB(0, 1, 1, 1);
  // 2 x 1 texture: green on the left, black on the right.
  rm::SurfacePtr surface = rm::Surface::Create(2, 1, rm::PixelFormat::Rgb(32));
  ASSERT_TRUE(surface);
  surface->SetPixel(0, 0, 0x0000FF00u);
  surface->SetPixel(1, 0, 0x00000000u);
  mesh->SetGroupTexture(0, std::make_shared<rm::Texture>(surface));
  scene_->AddVisual(mesh);
  Draw();
  EXPECT_EQ(Pixel(16, 32), Rgba(0, 255, 0));
  EXPECT_EQ(Pixel(48, 32), Rgba(0, 0, 0));
  EXPECT_EQ(device_->CachedTextures(), 1u);

  // Moved in place: the device is told, and draws the new place.
  for (rm::Vertex& vertex : mesh->GroupVertices(0)) vertex.position.x += 100;
  device_->InvalidateMesh(*mesh);
  Draw();
  EXPECT_EQ(Pixel(16, 32), Rgba(0, 0, 255));
}

TEST_F(GlDeviceTest, AConcaveFaceIsDrawnAsThePolygonItOutlines) {
  // One face: a ring of radius 4 around a hole of radius 2, joined by a seam
  // (66 corners), clockwise as the camera sees it.
  rm::MeshPtr mesh = engine_->CreateMesh();
  std::vector<rm::Vertex> v(64);
  for (int i = 0; i < 32; ++i) {
    const float a = -2 * 3.14159265f * static_cast<float>(i) / 32;
    v[i].position = {4 * std::cos(a), 4 * std::sin(a), 0};
    v[32 + i].position = {2 * std::cos(a), 2 * std::sin(a), 0};
    v[i].normal = v[32 + i].normal = {0, 0, -1};
  }
  std::vector<uint32_t> face{66};
  for (uint32_t i = 0; i < 32; ++i) face.push_back(i);
  face.push_back(0);
  face.push_back(32);
  for (uint32_t i = 31; i >= 1; --i) face.push_back(32 + i);
  face.push_back(32);
  ASSERT_EQ(mesh->AddGroup(64, 1, 0, face), 0);
  mesh->SetVertices(0, 0, 64, v.data());
  mesh->SetGroupColorRGB(0, 1, 0, 0);
  mesh->SetGroupQuality(0, rm::RENDER_UNLITFLAT);
  scene_->AddVisual(mesh);
  Draw();
  // 6.4 pixels a unit: the hole's centre shows the background, the ring
  // itself is drawn all round.
  const uint32_t blue = Rgba(0, 0, 255), red = Rgba(255, 0, 0);
  EXPECT_EQ(Pixel(32, 32), blue);
  for (auto [x, y] : {std::pair{51, 32}, {13, 32}, {32, 51}, {32, 13}}) EXPECT_EQ(Pixel(x, y), red) << x << "," << y;
  EXPECT_NEAR(Count(red), 3.14159 * (16 - 4) * 6.4 * 6.4, 60);
}

TEST_F(GlDeviceTest, GroupsColouredByTheirVerticesShowTheVertexColours) {
  for (const rm::RenderQuality quality : {rm::RENDER_UNLITFLAT, rm::SHADE_GOURAUD | rm::LIGHT_OFF | rm::FILL_SOLID}) {
    rm::MeshPtr mesh = Square(5, true, quality);
    for (rm::Vertex& vertex : mesh->GroupVertices(0)) vertex.color = 0xFF00FF00u;
    rm::FramePtr frame = engine_->CreateFrame(scene_);
    frame->AddVisual(mesh);
    Draw();
    EXPECT_EQ(Pixel(32, 32), Rgba(255, 0, 0)) << quality;  // the group's own colour by default
    mesh->SetGroupColorSource(0, rm::COLOR_FROMVERTEX);
    device_->InvalidateMesh(*mesh);
    Draw();
    EXPECT_EQ(Pixel(32, 32), Rgba(0, 255, 0)) << quality;
    scene_->DeleteChild(frame);
  }
}

// Programs made for one group's needs draw what the general program draws:
// the same pixels for Gouraud shading, within two levels for flat faces (lit
// once from the face normal instead of per pixel), for every light type, with
// and without a specular highlight.
TEST_F(GlDeviceTest, SpecialisedProgramsDrawWhatTheGeneralOneDraws) {
  // A bumpy patch, so faces and vertex normals point every way.
  rm::MeshPtr mesh = Square(3, true, rm::RENDER_GOURAUD, 12);
  std::vector<rm::Vertex> v(13 * 13);
  mesh->GetVertices(0, 0, 13 * 13, v.data());
  for (size_t i = 0; i < v.size(); ++i) {
    const float x = v[i].position.x, y = v[i].position.y;
    v[i].position.z = 0.6f * std::sin(1.7f * x) * std::cos(1.3f * y);
    v[i].normal = rm::Normalize({-0.6f * 1.7f * std::cos(1.7f * x) * std::cos(1.3f * y),
                                 0.6f * 1.3f * std::sin(1.7f * x) * std::sin(1.3f * y), -1});
  }
  mesh->SetVertices(0, 0, 13 * 13, v.data());
  rm::MaterialPtr shiny = engine_->CreateMaterial(12);
  shiny->SetSpecular(0.6f, 0.6f, 0.6f);
  engine_->CreateFrame(scene_)->AddVisual(mesh);
  scene_->AddLight(engine_->CreateLightRGB(rm::LIGHT_AMBIENT, 0.2f, 0.2f, 0.2f));
  rm::FramePtr lightFrame = engine_->CreateFrame(scene_);
  lightFrame->SetPosition(nullptr, 1, 1, -3);
  lightFrame->SetOrientation(nullptr, -0.2f, -0.3f, 1, 0, 1, 0);
  for (const rm::LightType type : {rm::LIGHT_DIRECTIONAL, rm::LIGHT_POINT, rm::LIGHT_SPOT}) {
    rm::LightPtr light = engine_->CreateLightRGB(type, 0.8f, 0.7f, 0.6f);
    light->SetAttenuation(1, 0.05f, 0.01f);
    light->SetUmbra(0.5f), light->SetPenumbra(0.9f);
    lightFrame->AddLight(light);
    for (const rm::RenderQuality quality : {rm::RENDER_GOURAUD, rm::RENDER_FLAT})
      for (const bool specular : {false, true}) {
        SCOPED_TRACE(testing::Message() << "light " << type << " quality " << quality << " specular " << specular);
        mesh->SetGroupQuality(0, quality);
        mesh->SetGroupMaterial(0, specular ? shiny : nullptr);
        EXPECT_LE(SpecialisedLevelsApart(), quality == rm::RENDER_FLAT ? 2 : 0);
        EXPECT_GT(Count(Rgba(0, 0, 255)), 0);
      }
    lightFrame->DeleteLight(light);
  }
  EXPECT_GE(device_->SpecialisedPrograms(), 6u);

  // Flat faces carry only what their program reads: texture coordinates and
  // vertex colours reach it when the group gains them.
  lightFrame->AddLight(engine_->CreateLightRGB(rm::LIGHT_DIRECTIONAL, 0.8f, 0.7f, 0.6f));
  mesh->SetGroupQuality(0, rm::RENDER_FLAT);
  mesh->SetGroupMaterial(0, nullptr);
  rm::SurfacePtr surface = rm::Surface::Create(2, 1, rm::PixelFormat::Rgb(32));
  ASSERT_TRUE(surface);
  surface->SetPixel(0, 0, 0x00FFFF00u);
  surface->SetPixel(1, 0, 0x0000FFFFu);
  for (size_t i = 0; i < v.size(); ++i) v[i].color = 0xFF000000u | static_cast<uint32_t>(i * 0x010F07u);
  mesh->SetVertices(0, 0, 13 * 13, v.data());
  device_->InvalidateMesh(*mesh);
  for (const bool textured : {true, false}) {
    SCOPED_TRACE(textured ? "textured, vertex colours" : "vertex colours");
    mesh->SetGroupTexture(0, textured ? std::make_shared<rm::Texture>(surface) : nullptr);
    mesh->SetGroupColorSource(0, rm::COLOR_FROMVERTEX);
    EXPECT_LE(SpecialisedLevelsApart(), 2);
    EXPECT_GT(Count(Rgba(0, 0, 255)), 0);
  }
}
