#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "platform/File.h"
#include "lwlib/model/Mesh.h"
#include "rm/Rm.h"

namespace {

// A mesh of two groups: a textured triangle with a material and an untextured
// quadrilateral without one.
rm::MeshPtr TwoGroups(const rm::EnginePtr& engine, const std::string& textureName = "skin.bmp") {
  rm::MeshPtr mesh = engine->CreateMesh();
  const std::vector<uint32_t> tri = {3, 0, 1, 2};
  EXPECT_EQ(mesh->AddGroup(3, 1, 0, tri), 0);
  rm::Vertex v[4];
  for (int i = 0; i < 4; ++i) {
    v[i].position = {0.1f * static_cast<float>(i), -1.0f / 3.0f, 7.0f + static_cast<float>(i)};
    v[i].normal = {0, 0, 1};
    v[i].tu = 0.3f * static_cast<float>(i);
    v[i].tv = 1e-7f;
    v[i].color = 0x80402010u + static_cast<uint32_t>(i);
  }
  mesh->SetVertices(0, 0, 3, v);
  rm::MaterialPtr material = engine->CreateMaterial(4.5f);
  material->SetSpecular(0.5f, 0.25f, 0.125f);
  material->SetEmissive(0.1f, 0.2f, 0.3f);
  mesh->SetGroupMaterial(0, material);
  mesh->SetGroupColorRGB(0, 0.5f, 1.0f, 0.2f);
  auto texture = std::make_shared<rm::Texture>();
  texture->SetName(textureName);
  mesh->SetGroupTexture(0, texture);
  const std::vector<uint32_t> quad = {0, 1, 2, 3};
  EXPECT_EQ(mesh->AddGroup(4, 1, 4, quad), 1);
  mesh->SetVertices(1, 0, 4, v);
  mesh->SetGroupColorRGB(1, 1, 0, 0);
  mesh->SetGroupTexture(1, texture);
  return mesh;
}

struct CountingLoader {
  std::vector<std::string> asked;
  static int32_t Load(const char* name, void* data, rm::TexturePtr* texture) {
    static_cast<CountingLoader*>(data)->asked.push_back(name);
    *texture = std::make_shared<rm::Texture>();
    return 0;
  }
};

class MshTest : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(OpenFileCount(), files_);
    EXPECT_EQ(testsupport::LiveTrackedBlocks(), live_);
  }
  rm::EnginePtr engine_ = rm::Engine::Create();
  testsupport::TempDir dir_;
  int32_t live_ = testsupport::LiveTrackedBlocks();
  int32_t files_ = OpenFileCount();
};

TEST_F(MshTest, CaptureKeepsGroupsAndClearsRecordsWithoutMaterial) {
  MeshModel model;
  EXPECT_FALSE(CaptureMeshModel(&model, engine_->CreateMesh()));
  EXPECT_FALSE(CaptureMeshModel(&model, nullptr));
  ASSERT_TRUE(CaptureMeshModel(&model, TwoGroups(engine_)));
  ASSERT_EQ(model.groupCount(), 2);
  const GroupMaterial& m = model.groupMaterials[0];
  EXPECT_TRUE(m.material);
  // Colours come back in 1/255 steps.
  EXPECT_EQ((std::array<float, 5>{m.specular[2], m.emissive[1], m.power, m.red, m.blue}),
            (std::array<float, 5>{0.125f, 0.2f, 4.5f, 128.0f / 255.0f, 51.0f / 255.0f}));
  // Colour and texture go with the missing material.
  const GroupMaterial& none = model.groupMaterials[1];
  EXPECT_TRUE(!none.material && !none.texture && none.red == 0);
  EXPECT_EQ(model.groups[1].verticesPerFace, 4u);
  EXPECT_EQ(BuildRMMesh(&model, engine_)->GetGroupCount(), 2u);
  // A group the engine refuses fails the build rather than moving the next
  // group into its place.
  model.groups[0].faceData[0] = 2;
  EXPECT_FALSE(BuildRMMesh(&model, engine_));
  FreeMeshModel(&model);
  EXPECT_EQ(model.groupCount(), 0);
  EXPECT_TRUE(model.groups.empty());
}

TEST_F(MshTest, SaveAndLoadKeepEveryBitButMaterials) {
  MeshModel model;
  ASSERT_TRUE(CaptureMeshModel(&model, TwoGroups(engine_)));
  const std::string path = dir_.File("two.msh");
  ASSERT_TRUE(SaveMeshModel(&model, path.c_str()));
  const std::vector<uint8_t> bytes = testsupport::ReadFile(path);
  EXPECT_EQ(bytes.size(), 8u + (48 + 4 + 8 + 24 + 4 * 4 + 36 * 3) + (48 + 4 + 24 + 4 * 4 + 36 * 4));
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "MESH");

  CountingLoader loader;
  MeshModel back;
  ASSERT_TRUE(LoadMeshModel(&back, path.c_str(), engine_, CountingLoader::Load, &loader));
  EXPECT_EQ(loader.asked, std::vector<std::string>{"skin.bmp"});
  ASSERT_EQ(back.groupCount(), 2);
  for (int g = 0; g < 2; ++g) {
    const MeshGroup &a = model.groups[g], &b = back.groups[g];
    EXPECT_EQ(a.verticesPerFace, b.verticesPerFace);
    EXPECT_EQ(a.faceCount, b.faceCount);
    ASSERT_EQ(a.faceDataSize(), b.faceDataSize());
    ASSERT_EQ(a.vertexCount(), b.vertexCount());
    EXPECT_EQ(std::memcmp(a.faceData.data(), b.faceData.data(), 4 * a.faceDataSize()), 0);
    EXPECT_EQ(std::memcmp(a.vertices.data(), b.vertices.data(), 36 * a.vertexCount()), 0);
    const GroupMaterial &ma = model.groupMaterials[g], &mb = back.groupMaterials[g];
    EXPECT_EQ(std::memcmp(ma.specular, mb.specular, sizeof ma.specular), 0);
    EXPECT_EQ(std::memcmp(ma.emissive, mb.emissive, sizeof ma.emissive), 0);
    EXPECT_TRUE(ma.power == mb.power && ma.red == mb.red && !mb.material);
  }
  ASSERT_TRUE(back.groupMaterials[0].texture);
  EXPECT_EQ(back.groupMaterials[0].texture->GetName(), "skin.bmp");

  rm::MeshPtr rebuilt = BuildRMMesh(&back, engine_);
  ASSERT_TRUE(rebuilt);
  ASSERT_EQ(rebuilt->GetGroupCount(), 2u);
  EXPECT_FALSE(rebuilt->GetGroupMaterial(0));
  EXPECT_EQ(rebuilt->GetGroupTexture(0), back.groupMaterials[0].texture);
  EXPECT_EQ(rebuilt->GroupVertices(1)[3].color, 0x80402013u);

  // Without a loader nor an engine the texture is simply not found.
  MeshModel bare;
  ASSERT_TRUE(LoadMeshModel(&bare, path.c_str(), nullptr, nullptr, nullptr));
  EXPECT_FALSE(bare.groupMaterials[0].texture);
}

TEST_F(MshTest, UnnamedAndOverlongTextureNamesAreNotStored) {
  for (const std::string& name : {std::string(), std::string(1024, 't')}) {
    MeshModel model;
    ASSERT_TRUE(CaptureMeshModel(&model, TwoGroups(engine_, name)));
    const std::string path = dir_.File("unnamed.msh");
    ASSERT_TRUE(SaveMeshModel(&model, path.c_str()));
    const std::vector<uint8_t> bytes = testsupport::ReadFile(path);
    EXPECT_EQ(bytes[8 + 48], 0);  // name length 0
    CountingLoader loader;
    MeshModel back;
    ASSERT_TRUE(LoadMeshModel(&back, path.c_str(), engine_, CountingLoader::Load, &loader));
    EXPECT_TRUE(loader.asked.empty());
    EXPECT_FALSE(back.groupMaterials[0].texture);
  }
}

TEST_F(MshTest, DamagedFilesAreRefusedWithoutReadingPastTheEnd) {
  MeshModel model;
  ASSERT_TRUE(CaptureMeshModel(&model, TwoGroups(engine_)));
  const std::string good = dir_.File("good.msh");
  ASSERT_TRUE(SaveMeshModel(&model, good.c_str()));
  const std::vector<uint8_t> bytes = testsupport::ReadFile(good);
  auto refused = [&](const std::vector<uint8_t>& b) {
    CountingLoader loader;
    MeshModel m;
    Failure why;
    const bool ok = LoadMeshModelBytes(&m, b, engine_, CountingLoader::Load, &loader, &why);
    return !ok && !why.empty() && m.groupCount() == 0 && m.groups.empty() && loader.asked.empty();
  };
  for (size_t n = 0; n < bytes.size(); ++n)  // every cut short of the whole file
    EXPECT_TRUE(refused(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)))) << n;
  std::vector<uint8_t> b = bytes;
  b[0] = 'm', b[1] = 'e', b[2] = 's', b[3] = 'h';
  EXPECT_TRUE(refused(b));
  auto patched = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> p = bytes;
    std::memcpy(&p[at], &value, 4);
    return p;
  };
  EXPECT_TRUE(refused(patched(4, 0xFFFFFFFFu)));   // negative group count
  EXPECT_TRUE(refused(patched(4, 100000000u)));    // more groups than the file holds
  EXPECT_TRUE(refused(patched(56, 1024)));         // a name of 1024 bytes
  EXPECT_TRUE(refused(patched(56, 0xFFFFFFF0u)));  // a name longer than the file
  const size_t group = 8 + 48 + 4 + 8;
  EXPECT_TRUE(refused(patched(group + 8, 0x10000000u)));   // vertices beyond the file
  EXPECT_TRUE(refused(patched(group + 16, 0x40000000u)));  // face data beyond the file
  EXPECT_TRUE(refused(patched(group + 24 + 4, 3)));        // a face naming vertex 3 of 3
  EXPECT_TRUE(refused(patched(group + 12, 2)));            // two faces in four words
  EXPECT_TRUE(refused(patched(group + 24, 2)));            // a face of two corners
  EXPECT_TRUE(refused(patched(group + 4, 2)));             // two corners a face
  // The writer's own output still loads.
  EXPECT_FALSE(refused(bytes));
}

TEST_F(MshTest, XExportNamesTheTextures) {
  rm::MeshPtr mesh = TwoGroups(engine_);
  const std::string path = dir_.File("two.x");
  ASSERT_TRUE(SaveMeshAsX(mesh, engine_, path.c_str()));
  const std::string text = testsupport::ReadText(path);
  EXPECT_NE(text.find("TextureFilename"), std::string::npos);
  EXPECT_NE(text.find("skin.bmp"), std::string::npos);
  EXPECT_FALSE(SaveMeshAsX(nullptr, engine_, path.c_str()));
}

TEST_F(MshTest, FailedWritesAreReportedNotTakenForSuccess) {
  MeshModel model;
  ASSERT_TRUE(CaptureMeshModel(&model, TwoGroups(engine_)));
  testsupport::CapturedOutput out;
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_FALSE(SaveMeshModel(&model, "/dev/full"));
    EXPECT_TRUE(out.Contains("Could not write mesh file /dev/full"));
  }
}

}  // namespace
