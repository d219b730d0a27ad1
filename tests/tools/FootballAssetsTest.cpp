// The generated football folder, read back through the suite's own loaders.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "Figure.h"
#include "FootballFolder.h"
#include "TestSupport.h"
#include "football/Footballer.h"
#include "lwlib/object/Bitmap.h"
#include "lwlib/object/ObjectMesh.h"
#include "lwlib/scene/Anim.h"
#include "rm/Engine.h"
#include "rm/Frame.h"
#include "rm/Mesh.h"

namespace {

class FootballAssetsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new testsupport::TempDir;
    std::string why;
    ASSERT_TRUE(football::WriteFootballFolder((dir_->path() / football::kFolder).string(), &why)) << why;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override { engine_->AddSearchPath(File("")); }
  static std::string File(const std::string& name) { return (dir_->path() / football::kFolder / name).string(); }

  rm::MeshPtr Load(const std::string& object) {
    return LoadLightWaveObject(File(object + ".lwo").c_str(), engine_, nullptr, nullptr, 0);
  }

  static testsupport::TempDir* dir_;
  rm::EnginePtr engine_ = rm::Engine::Create();
};
testsupport::TempDir* FootballAssetsTest::dir_ = nullptr;

uint32_t Faces(const rm::Mesh& mesh) {
  uint32_t total = 0;
  for (uint32_t g = 0; g < mesh.GetGroupCount(); ++g) {
    uint32_t faces = 0;
    mesh.GetGroup(g, nullptr, &faces, nullptr, nullptr);
    total += faces;
  }
  return total;
}

rm::MeshPtr MeshOf(const rm::FramePtr& frame) {
  for (const rm::VisualPtr& v : frame->GetVisuals())
    if (auto mesh = std::dynamic_pointer_cast<rm::Mesh>(v)) return mesh;
  return nullptr;
}

}  // namespace

TEST_F(FootballAssetsTest, ObjectsCarryTheGroupsTheEditorRecoloursWithTheirMapsInPlace) {
  struct Expect {
    std::string object;
    uint32_t groups;
    std::vector<uint32_t> mapped;  // groups whose planar map must cover them once
  };
  std::vector<Expect> table;
  for (const football::PartInfo& part : football::Parts()) table.push_back({part.object, 1, {}});
  table[football::BODY] = {"body", 3, {1, 2}};
  table[football::HEAD] = {"head", 2, {1}};
  table[football::LEFT_FOOT].groups = table[football::RIGHT_FOOT].groups = 3;
  for (const football::HairStyle& style : football::HairStyles()) table.push_back({style.object, 3, {0, 1, 2}});
  table[football::HAIR] = {"hair", 3, {0, 1, 2}};

  uint32_t figurePolygons = 0;
  for (size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(table[i].object);
    rm::MeshPtr mesh = Load(table[i].object);
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->GetName(), table[i].object);
    EXPECT_EQ(mesh->GetGroupCount(), table[i].groups);
    if (i < football::PART_COUNT) figurePolygons += Faces(*mesh);
    for (uint32_t g : table[i].mapped) {
      EXPECT_TRUE(mesh->GetGroupTexture(g)) << "group " << g;
      for (const rm::Vertex& v : mesh->GroupVertices(g)) {
        ASSERT_TRUE(v.tu > 0 && v.tu < 1 && v.tv > 0 && v.tv < 1) << "group " << g << ": " << v.tu << ", " << v.tv;
      }
    }
  }
  EXPECT_GE(figurePolygons, 1000u);
  EXPECT_LE(figurePolygons, 3000u);
}

TEST_F(FootballAssetsTest, BothScenesHoldTheThirteenPartsJoinedAtTheirJointsInTheCamerasView) {
  for (const char* name : {football::kPreviewScene, football::kAnimationScene}) {
    SCOPED_TRACE(name);
    Scene scene;
    ASSERT_TRUE(LoadScene(scene, File(name).c_str()));
    EXPECT_EQ(scene.header.version, 1);
    EXPECT_GE(static_cast<float>(scene.header.lastFrame) / scene.header.framesPerSecond, 2.0f);
    AnimationPtr animation = CreateAnimation(scene, engine_);
    ASSERT_TRUE(animation);
    LoadObjectVisuals(*animation, engine_, BuildObjectPath, File("").c_str(), nullptr, nullptr, 2);
    ASSERT_EQ(animation->objectCount, football::PART_COUNT);
    EXPECT_TRUE(CreateSceneLights(scene, *animation, engine_, nullptr));
    CopySceneCamera(scene, *animation);
    EXPECT_GT(KeySpan(scene.camera.keys).size(), 0u);

    // Every part is found by name, and at every moment each child's joint
    // lies on its parent's surface, give or take a few centimetres.
    std::vector<rm::FramePtr> frames(football::PART_COUNT);
    for (int part = 0; part < football::PART_COUNT; ++part)
      for (int i = 0; i < animation->objectCount; ++i) {
        rm::MeshPtr mesh = MeshOf(animation->objectFrames[i]);
        if (mesh && mesh->GetName() == football::Parts()[part].object)
          frames[part] = animation->objectFrames[i];
      }
    for (int part = 0; part < football::PART_COUNT; ++part) ASSERT_TRUE(frames[part]) << football::Parts()[part].object;
    rm::FramePtr camera = engine_->CreateFrame();
    for (float time : {0.0f, 5.0f, 13.0f, 31.0f, 190.0f}) {
      SetAnimationTime(*animation, time, camera, 7);
      for (int part = 0; part < football::PART_COUNT; ++part) {
        const football::Vec3 j = football::Place(football::Parts()[part].joint);
        const rm::Vector joint = frames[part]->GetWorldTransform().TransformPoint({j.x, j.y, j.z});
        // The camera sees it, well inside the narrowest view (field 0.5).
        const rm::Vector seen = camera->InverseTransform(joint);
        EXPECT_GT(seen.z, 0) << part;
        EXPECT_LT(std::max(std::abs(seen.x), std::abs(seen.y)) / seen.z, 0.4f) << part << " at " << time;
        const int parent = football::Parts()[part].parent;
        if (parent < 0) continue;
        const rm::Matrix4 toWorld = frames[parent]->GetWorldTransform();
        const rm::MeshPtr mesh = MeshOf(frames[parent]);
        float nearest = 1e9f;
        for (uint32_t g = 0; g < mesh->GetGroupCount(); ++g)
          for (const rm::Vertex& v : mesh->GroupVertices(g)) {
            const rm::Vector p = toWorld.TransformPoint(v.position);
            nearest = std::min(nearest, std::hypot(p.x - joint.x, p.y - joint.y, p.z - joint.z));
          }
        EXPECT_LT(nearest, 0.08f * football::kWorldScale) << football::Parts()[part].object << " at " << time;
      }
    }
    FreeAnimation(animation);
    FreeScene(scene);
  }
}

TEST_F(FootballAssetsTest, TheRunningCycleEndsInTheStartingPose) {
  Scene scene;
  ASSERT_TRUE(LoadScene(scene, File(football::kAnimationScene).c_str()));
  AnimationPtr animation = CreateAnimation(scene, engine_);
  ASSERT_TRUE(animation);
  auto pose = [&](float time) {
    SetAnimationTime(*animation, time, nullptr, 2);
    std::vector<rm::Vector> points;
    for (const rm::FramePtr& f : animation->objectFrames)
      points.push_back(f->GetWorldTransform().TransformPoint({0, 0, 0}));
    return points;
  };
  const auto start = pose(0), end = pose(static_cast<float>(football::kRunFrames)), middle = pose(7);
  float moved = 0;
  for (size_t i = 0; i < start.size(); ++i) {
    EXPECT_NEAR(start[i].x, end[i].x, 1e-3f);
    EXPECT_NEAR(start[i].y, end[i].y, 1e-3f);
    EXPECT_NEAR(start[i].z, end[i].z, 1e-3f);
    moved = std::max(moved, std::hypot(start[i].x - middle[i].x, start[i].y - middle[i].y, start[i].z - middle[i].z));
  }
  EXPECT_GT(moved, 0.5f);  // and in between, he runs
  FreeAnimation(animation);
  FreeScene(scene);
}

TEST_F(FootballAssetsTest, TheConfigurationLoadsAsTheEditorLoadsIt) {
  rm::FramePtr scene = engine_->CreateFrame();
  rm::FramePtr mesh = engine_->CreateFrame(scene), offScene = engine_->CreateFrame(), camera = engine_->CreateFrame(scene);
  FootballerConfig config;
  Failure why;
  ASSERT_TRUE(LoadFootballerConfig(File(football::kConfigFile).c_str(), config, {engine_, mesh, offScene, camera}, &why))
      << why.FileText();
  EXPECT_GE(config.topCount, 4);
  EXPECT_GE(config.shortsCount, 3);
  EXPECT_GE(config.faceCount, 3);
  ASSERT_GE(config.hairCount, 2);
  for (int32_t h = 0; h < config.hairCount; ++h) {
    EXPECT_GE(config.hairs[h].textureCount, 2);
    EXPECT_EQ(config.hairs[h].object->GetGroupCount(), 3u);
  }
  for (const FootballerFile& file : FootballerFiles(config)) {
    EXPECT_TRUE(file.exists) << file.role << " " << file.path;
    if (file.path.ends_with(".bmp")) {
      EXPECT_TRUE(LoadBitmapSurface(file.path.c_str(), 0, 0)) << file.path;
    }
  }
}

TEST_F(FootballAssetsTest, SoundsAreShortClickAndASeamlessLoop) {
  struct Wave {
    uint16_t format, channels, bits;
    uint32_t rate;
    std::vector<int16_t> samples;
  };
  auto read = [&](const std::string& name) {
    const std::vector<uint8_t> b = testsupport::ReadFile(File(name));
    Wave w{};
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    std::memcpy(&w.format, &b[20], 2);
    std::memcpy(&w.channels, &b[22], 2);
    std::memcpy(&w.rate, &b[24], 4);
    std::memcpy(&w.bits, &b[34], 2);
    uint32_t size = 0;
    std::memcpy(&size, &b[40], 4);
    EXPECT_EQ(size + 44, b.size());
    w.samples.resize(size / 2);
    std::memcpy(w.samples.data(), &b[44], size);
    return w;
  };
  const Wave click = read("Button.wav"), loop = read("football.wav");
  for (const Wave* w : {&click, &loop}) {
    EXPECT_EQ(w->format, 1);
    EXPECT_EQ(w->bits, 16);
  }
  EXPECT_LT(click.samples.size(), click.rate / 5);
  ASSERT_GE(loop.samples.size(), 2 * loop.rate);
  // The step from the last sample back to the first is no larger than the
  // steps inside the loop.
  int largestStep = 0;
  for (size_t i = 1; i < loop.samples.size(); ++i)
    largestStep = std::max(largestStep, std::abs(loop.samples[i] - loop.samples[i - 1]));
  EXPECT_LE(std::abs(loop.samples.front() - loop.samples.back()), largestStep / 4);
}
