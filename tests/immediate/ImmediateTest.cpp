// The immediate-mode path on the in-memory device: texture choice and
// loading, surface-error texts, the split test's failures, objects and user
// visuals.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "immediate/D3DTexture.h"
#include "immediate/ImmediateObject.h"
#include "immediate/SplitTest.h"
#include "immediate/UserVisual.h"
#include "lwlib/model/Mesh.h"
#include "platform/Ui.h"

namespace {

using rm::PixelFormat;

// Offered 8-bit palettised, 16-bit RGB and 32-bit RGB (and formats the
// chooser must pass over), the wanted depth picks the nearest at or above it.
TEST(FindTexture, TakesTheNearestDepthAtOrAboveTheWantedOne) {
  const std::vector<PixelFormat> offered = {
      PixelFormat::Rgb(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000),  // alpha: skipped
      PixelFormat::Indexed(8),
      PixelFormat::Indexed(4),                                    // below 8 bits: skipped
      PixelFormat::Rgb(16, 0xF800, 0x07E0, 0x001F),
      PixelFormat::Rgb(16, 0x7C00, 0x03E0, 0x001F),
      PixelFormat::Rgb(32)};
  const struct {
    uint32_t wanted, bits, red;
  } cases[] = {{8, 8, 0}, {16, 16, 0xF800}, {24, 32, 0xFF0000}, {4, 8, 0}, {32, 32, 0xFF0000}};
  for (const auto& c : cases) {
    rm::MemoryImDevice device(64, 64, offered);
    PixelFormat chosen;
    ChooseTexture(device, c.wanted, &chosen);
    EXPECT_EQ(chosen.bitsPerPixel, c.bits) << c.wanted;
    EXPECT_EQ(chosen.redMask, c.red) << c.wanted;
  }
  // Nothing eligible: a zero format.
  rm::MemoryImDevice alphaOnly(64, 64, {PixelFormat::Rgb(16, 0x0F00, 0xF0, 0xF, 0xF000)});
  PixelFormat none;
  ChooseTexture(alphaOnly, 16, &none);
  EXPECT_EQ(none.bitsPerPixel, 0u);
  EXPECT_EQ(none.flags, 0u);
}

TEST(FindTexture, TracesEachFormatAndTheChoice) {
  testsupport::CapturedOutput out;
  rm::MemoryImDevice device(64, 64, {PixelFormat::Rgb(16, 0x7C00, 0x03E0, 0x001F, 0x8000), PixelFormat::Indexed(8)});
  PixelFormat chosen;
  ChooseTexture(device, 8, &chosen);
  // Each trace is three pieces.
  const std::vector<std::string> want = {
      "TEXTURE: ", "FindTexture: 16 ALPHA RGB  00007C00 000003E0 0000001F 00008000", "\r\n",
      "TEXTURE: ", "FindTexture: 8 RGB PAL  00000000 00000000 00000000 00000000", "\r\n",
      "TEXTURE: ", "ChooseTexture: 8 RGB PAL  00000000 00000000 00000000 00000000", "\r\n"};
  EXPECT_EQ(out.lines(), want);
}

TEST(ReportSurfaceError, NamesTheCodesItKnowsAndNoOthers) {
  const std::string named = "Surface Creationm error : ", unknown = "Unknown surface creation error";
  const std::pair<rm::HRESULT, std::string> cases[] = {
      {rm::DDERR_INCOMPATIBLEPRIMARY, named + "DDERR_INCOMPATIBLEPRIMARY"},
      {rm::DDERR_OUTOFVIDEOMEMORY, named + "DDERR_OUTOFVIDEOMEMORY"},
      {rm::DDERR_UNSUPPORTEDMODE, named + "DDERR_UNSUPPORTEDMODE"},
      {rm::DDERR_SURFACELOST, unknown}, {rm::DDERR_GENERIC, unknown}, {rm::DD_OK, unknown}};
  for (const auto& [code, line] : cases) {
    testsupport::CapturedOutput out;
    ReportSurfaceError(code);
    EXPECT_EQ(out.lines(), std::vector<std::string>{line}) << code;
  }
}

// An 8-bit bitmap with `colours` entries in its colour table, pixel i = i.
rm::SurfacePtr IndexedBitmap(uint32_t colours) {
  rm::SurfacePtr bitmap = rm::Surface::Create(4, 4, PixelFormat::Indexed(8));
  std::vector<rm::PaletteEntry> table(colours);
  for (uint32_t i = 0; i < colours; ++i) table[i] = {static_cast<uint8_t>(i * 10), 0, 0xFF, 0};
  bitmap->SetPalette(std::make_shared<rm::Palette>(rm::PCAPS_8BIT, table));
  for (uint32_t i = 0; i < 16; ++i) bitmap->SetPixel(i % 4, i / 4, i % colours);
  return bitmap;
}

TEST(D3DTexture, PaletteCapsFollowTheColourTableSize) {
  for (const auto& [colours, caps] : {std::pair{16u, rm::PCAPS_4BIT}, std::pair{17u, rm::PCAPS_8BIT}}) {
    rm::MemoryImDevice device(64, 64);
    D3DTexture texture;
    ASSERT_TRUE(texture.LoadBitmap(device, "pal.bmp", IndexedBitmap(colours)));
    ASSERT_TRUE(texture.palette());
    EXPECT_EQ(texture.palette()->GetCaps(), caps) << colours;
    EXPECT_EQ(texture.palette()->size(), colours);
    EXPECT_EQ(texture.deviceSurface()->Pixels()->GetPixel(3, 3), 15u % colours);
    EXPECT_NE(texture.handle(), 0u);
  }
}

TEST(D3DTexture, OneSurfaceWithoutHardwareTwoWithIt) {
  rm::SurfacePtr bitmap = rm::Surface::Create(2, 2, PixelFormat::Rgb(24));
  bitmap->SetPixel(1, 0, 0x00FF00);
  for (bool hardware : {false, true}) {
    rm::MemoryImDevice device(64, 64);
    device.SetHardwareColourModel(hardware);
    D3DTexture texture;
    testsupport::CapturedOutput out;
    ASSERT_TRUE(texture.LoadBitmap(device, "t.bmp", bitmap));
    EXPECT_EQ(texture.memorySurface() == texture.deviceSurface(), !hardware);
    const uint32_t caps = texture.deviceSurface()->GetSurfaceDesc().caps;
    EXPECT_EQ((caps & rm::SCAPS_VIDEOMEMORY) != 0, hardware);
    // The device surface holds the picture either way.
    EXPECT_EQ(texture.deviceSurface()->Pixels()->GetColor(1, 0), 0xFF00FF00u);
    const uint32_t version = texture.deviceSurface()->version();
    EXPECT_TRUE(texture.Restore());
    // One surface: true at once, nothing loaded.
    EXPECT_EQ(texture.deviceSurface()->version() == version, !hardware);
    EXPECT_TRUE(out.Contains("D3DTexture::Copy"));
    texture.Release();
    EXPECT_FALSE(texture.Restore());
  }
}

TEST(D3DTexture, GetDCFailureIsNamedAndMissingFilesFail) {
  rm::MemoryImDevice device(64, 64);
  D3DTexture texture;
  ASSERT_TRUE(texture.LoadBitmap(device, "t.bmp", IndexedBitmap(4)));
  rm::SurfacePtr held;
  ASSERT_EQ(texture.memorySurface()->GetDC(&held), rm::DD_OK);  // a DC left open
  testsupport::CapturedOutput out;
  EXPECT_FALSE(texture.Copy(IndexedBitmap(4)));
  EXPECT_TRUE(out.Contains("DDERR_DCALREADYCREATED\n"));
  texture.memorySurface()->ReleaseDC();
  texture.memorySurface()->MarkLost();
  out.Clear();
  EXPECT_FALSE(texture.Copy(IndexedBitmap(4)));
  EXPECT_TRUE(out.Contains("DDERR_SURFACELOST\n"));

  testsupport::TempDir dir;
  EXPECT_FALSE(texture.Load(device, dir.File("missing.bmp").c_str()));
  EXPECT_EQ(texture.handle(), 0u);
  testsupport::WriteBmp(dir.File("t.bmp"), 2, 2, 24, {1, 2, 3, 4});
  EXPECT_TRUE(texture.Load(device, dir.File("t.bmp").c_str()));
  EXPECT_EQ(texture.deviceSurface()->GetSurfaceDesc().format.bitsPerPixel, 24u);
}

TEST(SplitTest, EachFailingStepSaysWhichInABox) {
  ScriptedUi ui;
  SetUi(&ui);
  const struct {
    rm::NewerStep step;
    const char* text;  // null: fails without a box
  } cases[] = {{rm::NEWER_NONE, nullptr},
               {rm::NEWER_QUERY_DRAW4, "Querying for DDraw4 failed"},
               {rm::NEWER_QUERY_D3D3, "Could not query for IDirect3D3"},
               {rm::NEWER_CREATE_SURFACE, "Could not create surface"},
               {rm::NEWER_CREATE_DEVICE, "Could not craete device"},
               {rm::NEWER_CREATE_VIEWPORT, "Could not create viewport"},
               {rm::NEWER_VERTEX_BUFFER, nullptr},
               {rm::NEWER_PROCESS_VERTICES, nullptr}};
  for (const auto& c : cases) {
    ui.ClearAsked();
    auto draw = std::make_shared<rm::DirectDraw>();
    draw->RefuseNewerStep(c.step);
    EXPECT_EQ(SplitTest(draw), c.step == rm::NEWER_NONE) << c.step;
    if (c.text) {
      ASSERT_EQ(ui.asked().size(), 1u) << c.step;
      EXPECT_EQ(ui.asked()[0].text, c.text);
      EXPECT_EQ(ui.asked()[0].caption, "Split Error");
    } else {
      EXPECT_TRUE(ui.asked().empty()) << c.step;
    }
  }
  ui.ClearAsked();
  EXPECT_FALSE(SplitTest(nullptr));
  EXPECT_EQ(ui.asked().size(), 1u);
  SetUi(nullptr);
}

// A mesh of one quad (0 1 2 3) and one triangle, in one group with a material
// and a texture of the given name.
rm::MeshPtr QuadAndTriangle(const rm::EnginePtr& engine, const std::string& textureName) {
  rm::MeshPtr mesh = engine->CreateMesh();
  const uint32_t faces[] = {4, 0, 1, 2, 3, 3, 4, 1, 0};
  const int32_t g = mesh->AddGroup(5, 2, 0, faces);
  mesh->SetGroupColorRGB(g, 1, 0, 0);
  rm::MaterialPtr material = engine->CreateMaterial(7);
  material->SetEmissive(0.1f, 0.2f, 0.3f);
  mesh->SetGroupMaterial(g, material);
  rm::TexturePtr texture = std::make_shared<rm::Texture>();
  texture->SetName(textureName);
  mesh->SetGroupTexture(g, texture);
  return mesh;
}

TEST(ImmediateObject, OneTrianglePerFaceAMaterialPerGroupAndOneDrawEach) {
  rm::EnginePtr engine = rm::Engine::Create();
  rm::NullDevice device(64, 64);
  auto& im = static_cast<rm::MemoryImDevice&>(*device.GetDirect3DDevice());
  ImmediateObject object;
  ASSERT_TRUE(BuildImmediateObject(&object, QuadAndTriangle(engine, ""), device, 0.5f, 0.5f, 0.5f, 0.5f));
  ASSERT_EQ(object.groupCount, 1);
  const ImmediateGroup& g = object.groups[0];
  EXPECT_EQ(g.triangleCount, 2u);
  const uint16_t want[] = {0, 1, 2, 4, 1, 0};
  EXPECT_TRUE(std::equal(want, want + 6, g.indices.data()));
  EXPECT_EQ(g.textureHandle, 0u);  // empty texture name
  const rm::D3DMATERIAL* m = im.MaterialOf(g.materialHandle);
  ASSERT_TRUE(m);
  EXPECT_FLOAT_EQ(m->diffuse.r, 1);
  EXPECT_FLOAT_EQ(m->diffuse.a, 0);
  EXPECT_FLOAT_EQ(m->ambient.a, 0.5f);
  EXPECT_FLOAT_EQ(m->emissive.b, 0.3f);
  EXPECT_FLOAT_EQ(m->power, 7);
  EXPECT_EQ(m->rampSize, 8u);

  ImmediateInterfaces set{device.GetDirect3DDevice(), nullptr, nullptr};
  ImmediateCall call{&set, nullptr, &object};
  EXPECT_EQ(RenderImmediateObject(&call, nullptr, nullptr, nullptr, nullptr), 1);
  ASSERT_EQ(im.draws.size(), 1u);
  EXPECT_EQ(im.draws[0].vertexType, rm::VT_VERTEX);
  EXPECT_EQ(im.draws[0].indexCount, 6u);
  EXPECT_EQ(im.draws[0].material, g.materialHandle);
  EXPECT_EQ(im.GetRenderState(rm::RENDERSTATE_TEXTUREMAPBLEND), rm::TBLEND_MODULATEALPHA);
  EXPECT_EQ(im.GetRenderState(rm::RENDERSTATE_SHADEMODE), rm::SHADE_MODE_GOURAUD);
  FreeImmediateObject(&object);
  EXPECT_TRUE(object.groups.empty());
}

int g_inits = 0;
ImmediateInterfaces* g_seen = nullptr;
int CountingInit(void* arg, rm::Frame*, rm::Engine*, rm::Device*, rm::Viewport*) {
  ++g_inits;
  g_seen = static_cast<ImmediateCall*>(arg)->interfaces;
  return 1;
}

TEST(UserVisual, InterfacesAreFetchedKeptAndForgottenByTheFlags) {
  rm::EnginePtr engine = rm::Engine::Create();
  rm::FramePtr scene = engine->CreateFrame();
  rm::FramePtr camera = engine->CreateFrame(scene);
  for (uint32_t flags : {2u, 3u}) {
    auto device = std::make_shared<rm::NullDevice>(64, 64);
    rm::ViewportPtr viewport = engine->CreateViewport(device, camera, 0, 0, 64, 64);
    UserVisualRecord* record = AttachUserVisual(scene, engine, CountingInit, nullptr, nullptr, nullptr, flags);
    ASSERT_TRUE(record);
    viewport->Render(*scene);
    ASSERT_EQ(g_seen, &record->interfaces);
    const rm::ImDevicePtr first = record->interfaces.device;
    ASSERT_TRUE(first);
    EXPECT_TRUE(record->interfaces.d3d && record->interfaces.viewport);
    // A display made again: a new device, and the old interfaces forgotten.
    auto next = std::make_shared<rm::NullDevice>(64, 64);
    rm::ViewportPtr nextViewport = engine->CreateViewport(next, camera, 0, 0, 64, 64);
    nextViewport->Render(*scene);
    // Keep interfaces (1) holds on to the old device until told to forget it.
    EXPECT_EQ(record->interfaces.device == first, (flags & 1) != 0) << flags;
    ForgetImmediateInterfaces(record);
    EXPECT_FALSE(record->interfaces.device);
    nextViewport->Render(*scene);
    EXPECT_EQ(record->interfaces.device, next->GetDirect3DDevice());
    DetachUserVisual(record);
    EXPECT_TRUE(scene->GetVisuals().empty());
  }
  DetachUserVisual(nullptr);
  EXPECT_EQ(AttachUserVisual(nullptr, engine, CountingInit, nullptr, nullptr, nullptr, 7), nullptr);
}

}  // namespace
