#include <gtest/gtest.h>

#include <numbers>
#include <string>
#include <vector>

#include "writers/LwsWriter.h"
#include "TestSupport.h"
#include "lwlib/scene/Anim.h"
#include "rm/Engine.h"

using testsupport::LwsKey;
using testsupport::LwsWriter;

namespace {

class AnimationTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = GetAnimationSettings();
    GetAnimationSettings() = AnimationSettings{};
  }
  void TearDown() override {
    FreeAnimation(animation_);
    FreeScene(scene_);
    GetAnimationSettings() = saved_;
  }
  AnimationPtr Build(const LwsWriter& w) {
    const std::string& text = w.text();
    EXPECT_TRUE(LoadSceneFromMemory(scene_, text.data(), text.size()));
    return CreateAnimation(scene_, engine_);
  }

  rm::EnginePtr engine_ = rm::Engine::Create();
  Scene scene_;
  AnimationPtr animation_;
  AnimationSettings saved_;
};

void ExpectPosition(const rm::FramePtr& frame, float x, float y, float z) {
  const rm::Vector p = frame->GetWorldTransform().TransformPoint({0, 0, 0});
  EXPECT_NEAR(p.x, x, 1e-5f);
  EXPECT_NEAR(p.y, y, 1e-5f);
  EXPECT_NEAR(p.z, z, 1e-5f);
}

}  // namespace

TEST_F(AnimationTest, ObjectsBecomeFramesParentedAsTheSceneSays) {
  LwsWriter w = LwsWriter().Header();
  w.Line("LoadObject C:\\Objects\\body.lwo").Motion("ObjectMotion", {{.x = 10, .frame = 0}});
  w.Line("LoadObject arm.lwo").Line("ParentObject 1").Motion("ObjectMotion", {{.y = 2, .frame = 0}});
  w.Line("AddNullObject Null").Line("ParentObject 1").Motion("ObjectMotion", {{.h = 90, .frame = 0}});
  w.Line("LoadObject Objects/leg").Line("ParentObject 3").Motion("ObjectMotion", {{.z = 1, .frame = 0}});
  animation_ = Build(w);
  ASSERT_NE(animation_, nullptr);
  Animation& a = *animation_;
  ASSERT_EQ(a.objectCount, 4);
  for (const auto& [i, name] : {std::pair{0, "body"}, {1, "arm"}, {3, "leg"}}) EXPECT_EQ(a.objects[i].name, name);
  EXPECT_FALSE(a.objects[2].name.has_value());
  EXPECT_EQ(scene_.objects.list.back().name, "C:\\Objects\\body.lwo");  // the scene keeps its own names
  EXPECT_EQ(a.roots, std::vector<int32_t>{0});
  ASSERT_EQ(a.rootFrame->GetChildren().size(), 1u);
  EXPECT_EQ(a.rootFrame->GetChildren()[0], a.objectFrames[0]);
  EXPECT_EQ(a.objectFrames[1]->GetParent(), a.objectFrames[0]);
  EXPECT_EQ(a.objectFrames[2]->GetParent(), a.objectFrames[0]);
  EXPECT_EQ(a.objectFrames[3]->GetParent(), a.objectFrames[2]);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(a.objectFrames[i]->GetAppData(), &a.objects[i]);

  SetAnimationTime(a, 0, nullptr, 0);
  // Key transforms are relative to the parent frame.
  ExpectPosition(a.objectFrames[0], 10, 0, 0);
  ExpectPosition(a.objectFrames[1], 10, 2, 0);
  ExpectPosition(a.objectFrames[3], 11, 0, 0);  // the null's heading of 90 turns z into x
}

// Parenting to itself or in a cycle is refused, with its reason, by the
// scene command's and the viewer's tests.
TEST_F(AnimationTest, ParentsThatDoNotExistAreIgnored) {
  testsupport::CapturedOutput out;
  animation_ = Build(LwsWriter().Header().Line("LoadObject a").Line("ParentObject 9").Line("LoadObject b").Line("ParentObject -4"));
  ASSERT_NE(animation_, nullptr);
  EXPECT_EQ(animation_->rootCount, 2);
  EXPECT_EQ(animation_->objectFrames[0]->GetParent(), animation_->rootFrame);
  EXPECT_EQ(CreateAnimation(scene_, nullptr), nullptr);
}

// Real objects loaded by their bare names from the scene's folder are shown
// by the viewer's scene test.
TEST_F(AnimationTest, VisualsLoadTheBareFileNameFromTheCallersDirectory) {
  animation_ = Build(LwsWriter().Header().Line("LoadObject C:\\Objects\\ball.lwo").Line("AddNullObject Null").Line("LoadObject gone.lwo"));
  ASSERT_NE(animation_, nullptr);
  EXPECT_EQ(ObjectPath("ball", "objects\\"), "objects/ball");
  EXPECT_EQ(ObjectPath("ball.v2", "objects"), "objects/ball.v2");
  EXPECT_EQ(ObjectPath("ball", nullptr), "ball");

  // The loader gets the bare name, the caller's directory and flags; a null
  // object has nothing to load.
  static std::vector<std::string> calls;
  calls.clear();
  const ObjectLoader recorder = [](const char* name, const char* directory, uint32_t flags, const rm::EnginePtr&,
                                   TextureCallback, void*) -> rm::VisualPtr {
    calls.push_back(std::string(name) + " " + (directory ? directory : "(none)") + " " + std::to_string(flags));
    return nullptr;
  };
  LoadObjectVisuals(*animation_, engine_, recorder, nullptr, nullptr, nullptr, 2);
  EXPECT_EQ(calls, (std::vector<std::string>{"ball (none) 2", "gone (none) 2"}));
}

TEST_F(AnimationTest, AMissingSceneGivesAnEmptyAnimation) {
  testsupport::TempDir dir;
  testsupport::CapturedOutput quiet(DEBUG_MODE_SILENT);
  animation_ = LoadSceneAndAnimation(scene_, dir.File("missing.lws").c_str(), engine_);
  ASSERT_NE(animation_, nullptr);
  EXPECT_NE(animation_->rootFrame, nullptr);
  EXPECT_EQ(animation_->objectCount, 0);
  EXPECT_TRUE(animation_->rootFrame->GetChildren().empty());
  const rm::FramePtr scene = engine_->CreateFrame();
  ASSERT_TRUE(AttachAnimation(scene, *animation_));
  EXPECT_EQ(animation_->rootFrame->GetParent(), scene);
  FreeAnimation(animation_);
  EXPECT_TRUE(scene->GetChildren().empty());  // freeing takes the root out of its parent

  // A scene without lights leaves the ambient light alone.
  animation_ = Build(LwsWriter().Header().Line("LoadObject a"));
  ASSERT_NE(animation_, nullptr);
  const rm::LightPtr ambient = engine_->CreateLightRGB(rm::LIGHT_AMBIENT, 0.3f, 0.3f, 0.3f);
  EXPECT_FALSE(CreateSceneLights(scene_, *animation_, engine_, ambient));
  EXPECT_FLOAT_EQ(ambient->GetRed(), 0.3f);
}

TEST_F(AnimationTest, LightsAndCameraArePosedWhenAsked) {
  LwsWriter w = LwsWriter().Header();
  w.Line("LoadObject a").Motion("ObjectMotion", {{.frame = 0}, {.x = 10, .frame = 10}});
  w.Line("AmbientColor 255 128 0").Line("AmbIntensity 0.5");
  w.Line("AddLight").Line("LightName Key").Line("LightColor 255 0 0").Line("LightType 2");
  w.Line("ConeAngle 30").Line("EdgeAngle 10").Line("ParentObject 1").Motion("LightMotion", {{.y = 3, .frame = 0}});
  w.Line("AddLight").Line("LightName Fill").Line("LightType 0");
  w.Motion("CameraMotion", {{.z = -5, .frame = 0}, {.z = -15, .frame = 10}});
  animation_ = Build(w);
  ASSERT_NE(animation_, nullptr);
  Animation& a = *animation_;

  const rm::LightPtr ambient = engine_->CreateLightRGB(rm::LIGHT_AMBIENT, 0.3f, 0.3f, 0.3f);
  ASSERT_TRUE(CreateSceneLights(scene_, a, engine_, ambient));
  EXPECT_FLOAT_EQ(ambient->GetGreen(), 128.0f / 255.0f * 0.5f);  // colour times intensity
  EXPECT_TRUE(scene_.lights.list.empty());
  ASSERT_EQ(a.lightCount, 2);
  const SceneLight& fill = a.lights[0];  // newest first
  const SceneLight& key = a.lights[1];
  EXPECT_EQ(fill.name, "Fill");
  EXPECT_EQ(fill.frame->GetParent(), a.rootFrame);
  EXPECT_EQ(fill.light->GetType(), rm::LIGHT_DIRECTIONAL);
  EXPECT_EQ(key.frame->GetParent(), a.objectFrames[0]);
  EXPECT_EQ(key.light->GetType(), rm::LIGHT_SPOT);
  EXPECT_FLOAT_EQ(key.light->GetRed(), 1.0f);
  EXPECT_NEAR(key.light->GetUmbra(), 20 * std::numbers::pi / 180, 1e-5);
  EXPECT_NEAR(key.light->GetPenumbra(), 30 * std::numbers::pi / 180, 1e-5);
  ASSERT_EQ(key.frame->GetLights().size(), 1u);
  // The lights are taken: a second call has none.
  EXPECT_FALSE(CreateSceneLights(scene_, a, engine_, ambient));
  EXPECT_TRUE(CopySceneCamera(scene_, a));

  const rm::FramePtr camera = engine_->CreateFrame();
  SetAnimationTime(a, 5, camera, 0);  // objects only
  ExpectPosition(a.objectFrames[0], 5, 0, 0);
  ExpectPosition(key.frame, 5, 0, 0);
  ExpectPosition(camera, 0, 0, 0);
  SetAnimationTime(a, 5, nullptr, ANIMATE_CAMERA | ANIMATE_OBJECTS | ANIMATE_LIGHTS);
  ExpectPosition(key.frame, 5, 3, 0);
  ExpectPosition(camera, 0, 0, 0);  // no camera frame given
  SetAnimationTime(a, 5, camera, ANIMATE_CAMERA);
  ExpectPosition(camera, 0, 0, -10);

  // The keys stay alive with the animation after the scene is gone.
  FreeScene(scene_);
  SetAnimationTime(a, 15, camera, ANIMATE_CAMERA | ANIMATE_OBJECTS);
  ExpectPosition(a.objectFrames[0], 5, 0, 0);
  ExpectPosition(camera, 0, 0, -10);
}
