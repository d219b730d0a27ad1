#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "writers/LwsWriter.h"
#include "TestSupport.h"
#include "diag/Dbug.h"
#include "lwlib/scene/Lws.h"
#include "lwlib/scene/Parse.h"

using testsupport::LwsWriter;

namespace {

class LwsTest : public testing::Test {
 protected:
  void TearDown() override { FreeScene(scene_); }
  bool Load(const std::string& text) { return LoadSceneFromMemory(scene_, text.data(), text.size()); }
  // Objects in file order (the list keeps the newest first).
  const SceneObject& Object(size_t fileIndex) {
    return scene_.objects.list[scene_.objects.list.size() - 1 - fileIndex];
  }
  Scene scene_;
};

// A key's values in file order: position, heading, pitch, bank, scale, frame,
// linear flag, tension, continuity, bias.
std::array<float, 14> Values(const MotionKey& k) {
  return {k.position[0], k.position[1], k.position[2], k.heading, k.pitch, k.bank, k.scale[0], k.scale[1],
          k.scale[2], static_cast<float>(k.frame), static_cast<float>(k.linear), k.tension, k.continuity, k.bias};
}

}  // namespace

TEST_F(LwsTest, HeaderAndObjectsWithMotionParentAndPivot) {
  LwsWriter w;
  w.Header(1, 90, 2, "25", {"PreviewFirstFrame 1", "PreviewLastFrame 90", "PreviewFrameStep 1"});
  w.Line("LoadObject C:\\Objects\\ball.lwo").Line("ShowObject 6 7");
  // Six channels declared: every key still carries nine values.
  w.Motion("ObjectMotion", {{.x = 1, .y = 2, .z = 3, .h = 10, .p = 20, .b = 30, .sx = 4, .sy = 5, .sz = 6,
                             .frame = 0, .linear = 1, .tension = 0.5f, .continuity = -0.5f, .bias = 0.25f},
                            {.x = 7, .frame = 30}},
           6);
  w.Line("PivotPoint 1 -2 0.5").Line("AddNullObject Null Object").Line("ParentObject 1");
  w.Line("LoadObject arm.lwo").Line("ShadowOptions 7");
  // The header, the sequence numbers and the negated pivot are checked in
  // the scene command's JSON.
  ASSERT_TRUE(Load(w.text()));
  ASSERT_EQ(scene_.objects.list.size(), 3u);
  const SceneObject& ball = Object(0);
  EXPECT_EQ(ball.name, "C:\\Objects\\ball.lwo");
  EXPECT_EQ(ball.parent, -1);
  EXPECT_EQ(ball.channelCount, 6);
  ASSERT_EQ(ball.keyCount, 2);
  const std::span<const MotionKey> keys = KeySpan(ball.keys);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(Values(keys[0]), (std::array<float, 14>{1, 2, 3, 10, 20, 30, 4, 5, 6, 0, 1, 0.5f, -0.5f, 0.25f}));
  EXPECT_EQ(Values(keys[1]), (std::array<float, 14>{7, 0, 0, 0, 0, 0, 1, 1, 1, 30, 0, 0, 0, 0}));

  const SceneObject& null = Object(1);
  EXPECT_FALSE(null.name.has_value());
  EXPECT_EQ(null.parent, 0);  // ParentObject 1 names the file's first object
  EXPECT_EQ(null.keyCount, 0);
  EXPECT_EQ(Object(2).name, "arm.lwo");
  EXPECT_EQ(Object(2).parent, -1);
}

TEST_F(LwsTest, WordsThatAreNoKeywordEndTheObjectBlockButNotTheLoad) {
  // The rest of a path with a space is no keyword: it ends the object block,
  // and the later blocks stop at it too. MorphTarget consumes nothing, so its
  // number ends the block.
  const std::pair<std::string, const char*> cases[] = {
      {LwsWriter().Header().Line("LoadObject Objects/my ball.lwo").Line("LoadObject other.lwo").text(), "Objects/my"},
      {LwsWriter().Header().Line("LoadObject a.lwo").Line("MorphTarget 1").Line("LoadObject b.lwo").text(), "a.lwo"}};
  for (const auto& [text, name] : cases) {
    ASSERT_TRUE(Load(text)) << name;
    ASSERT_EQ(scene_.objects.list.size(), 1u) << name;
    EXPECT_EQ(Object(0).name, name);
  }
}

TEST_F(LwsTest, BlocksEndAtTheNextBlocksKeywords) {
  LwsWriter w = LwsWriter().Header();
  w.Line("LoadObject a.lwo").Line("AmbientColor 255 51 0").Line("AmbIntensity 0.5");
  w.Line("AddLight").Line("LightName Key Light 1").Line("LightColor 255 255 0");
  w.Motion("LightMotion", {{.x = 2, .frame = 0}});
  w.Line("ParentObject 1").Line("TargetObject 1").Line("LightType 0");
  w.Line("Falloff 0.25").Line("ConeAngle 30").Line("EdgeAngle 5");
  w.Line("AddLight").Line("LightType 2").Envelope("ConeAngle", 2).Line("ShadowType 1");
  w.Line("ShowCamera 1 2").Motion("CameraMotion", {{.z = -5, .frame = 0}, {.z = -10, .frame = 60}});
  w.Line("ParentObject 1").Envelope("ZoomFactor", 1).Line("RegionLimits 0 1 0 1").Line("LensFStop 4");
  w.Line("ShowObject 1 1");  // an object keyword after the camera is never read
  ASSERT_TRUE(Load(w.text()));

  ASSERT_EQ(scene_.objects.list.size(), 1u);
  const SceneLights& l = scene_.lights;
  EXPECT_EQ((std::array<float, 4>{l.ambientRed, l.ambientGreen, l.ambientBlue, l.ambientIntensity}),
            (std::array<float, 4>{1, 51 / 255.0f, 0, 0.5f}));
  ASSERT_EQ(l.count, 2);
  ASSERT_EQ(l.list.size(), 2u);
  const SceneLight& spot = l.list[0];  // newest first
  EXPECT_EQ(spot.type, 2);
  EXPECT_EQ(spot.coneAngle, 0.0f);  // given as an envelope
  EXPECT_FALSE(spot.name.has_value());
  const SceneLight& key = l.list[1];
  EXPECT_EQ(key.name, "Key Light 1");
  EXPECT_EQ(key.type, 3);  // LightType 0 is directional
  EXPECT_EQ((std::array<float, 6>{key.red, key.blue, key.falloff, key.coneAngle, key.edgeAngle,
                                  KeySpan(key.keys)[0].position[0]}),
            (std::array<float, 6>{1, 0, 0.25f, 30, 5, 2}));
  EXPECT_EQ(key.keyCount, 1);
  EXPECT_EQ(key.parent, 0);
  EXPECT_EQ(key.target, 0);

  EXPECT_EQ(scene_.camera.parent, 0);
  EXPECT_EQ(scene_.camera.target, -1);
  ASSERT_EQ(scene_.camera.keyCount, 2);
  EXPECT_EQ(KeySpan(scene_.camera.keys)[1].position[2], -10.0f);
  EXPECT_LT(scene_.objects.start, l.start);
  EXPECT_LT(l.start, scene_.camera.start);
}

TEST_F(LwsTest, LightTypesEnvelopesAndAmbientDefaults) {
  LwsWriter w = LwsWriter().Header();
  w.Envelope("AmbIntensity", 3);
  for (const char* type : {"0", "1", "2", "7"}) w.Line("AddLight").Line(std::string("LightType ") + type);
  w.Line("AddLight").Envelope("Falloff", 1).Envelope("LgtIntensity", 2).Line("EdgeAngle 12");
  ASSERT_TRUE(Load(w.text()));
  EXPECT_EQ(scene_.lights.ambientIntensity, 1.0f);  // an envelope stands for 1
  ASSERT_EQ(scene_.lights.list.size(), 5u);
  EXPECT_EQ(scene_.lights.list[0].falloff, 0.0f);
  EXPECT_EQ(scene_.lights.list[0].edgeAngle, 12.0f);  // reading resumes after the envelopes
  std::vector<int32_t> types;
  for (size_t i = 1; i < 5; ++i) types.push_back(scene_.lights.list[i].type);
  EXPECT_EQ(types, (std::vector<int32_t>{0, 2, 1, 3}));  // 7 leaves the type alone
}

TEST_F(LwsTest, MalformedValuesFailTheirBlockWithItsWarning) {
  testsupport::CapturedOutput out;  // output mode: the block warnings are seen
  // A frame written with a decimal point is no whole number.
  std::string text = LwsWriter().Header().Line("LoadObject a.lwo").Line("LoadObject b.lwo").text() +
                     "ObjectMotion (unnamed)\n 9\n 1\n 0 0 0 0 0 0 1 1 1\n 30.0 0 0 0 0\nEndBehavior 1\n";
  EXPECT_FALSE(Load(text));
  EXPECT_TRUE(out.Contains("Warning: Filed in objects block"));
  EXPECT_TRUE(scene_.objects.list.empty());  // the failed block's objects are released
  EXPECT_EQ(scene_.header.lastFrame, 60);    // the header before it stays
  // The keyword blocks silence their own reports, and give the mode back on
  // the way out, also when they fail.
  EXPECT_EQ(GetDebugMode(), DEBUG_MODE_OUTPUT);
  EXPECT_FALSE(out.Contains("Unsupprted"));

  const std::pair<std::string, const char*> failures[] = {
      {LwsWriter().Header().Line("AddLight").Line("LightColor 255 x 0").text(), "Filed in lights block"},
      {LwsWriter().Header().Line("CameraMotion (unnamed) 9 1 0 0 0 0 0 0 1 1 1 0 0 0 0 0 EndBehavior x").text(),
       "Filed in camera block"},
      {LwsWriter().Header().Line("ObjectMotion (unnamed) 9 1 0 0 0 0 0 0 1 1 1 0 0 0 0 0 Behavior 1").text(), nullptr},
      {"LWSC\n1\nFirstFrame 0\nLastFrame 60\nFrameStep 1\nPreviewFirstFrame 0\n", "Failed in scene block"},
      {"LWSC\n1\nLastFrame 60\nFirstFrame 0\nFrameStep 1\nFramesPerSecond 30\n", nullptr},
      {"LWOB\n1\n", nullptr},
      {LwsWriter().Header().Line("PivotPoint 1 two 3").text(), nullptr},  // also before any object
      {"", nullptr},
      {std::string(1, TEXT_END), nullptr}};
  for (const auto& [bad, warning] : failures) {
    out.Clear();
    EXPECT_FALSE(Load(bad)) << bad;
    EXPECT_TRUE(!warning || out.Contains(warning)) << bad;
    EXPECT_EQ(GetDebugMode(), DEBUG_MODE_OUTPUT);
  }
}

TEST_F(LwsTest, FilesEndingEarlyAndKeywordsWithoutTheirObjectLoad) {
  ASSERT_TRUE(Load(LwsWriter().Header().Line("LoadObject a.lwo").text()));
  EXPECT_EQ(scene_.objects.list.size(), 1u);
  EXPECT_EQ(scene_.lights.count, 0);
  EXPECT_EQ(scene_.camera.keyCount, 0);
  EXPECT_EQ(scene_.camera.parent, -1);
  EXPECT_EQ(scene_.camera.target, -1);

  // Keywords before any object or light are read and dropped.
  LwsWriter w = LwsWriter().Header();
  w.Line("ParentObject 3").Line("PivotPoint 1 2 3").Motion("ObjectMotion", {{.x = 9}});
  w.Line("LoadObject a.lwo").Line("LightName Nobody").Line("LightColor 1 2 3");
  w.Motion("LightMotion", {{.x = 1}}).Line("LightType 1").Line("AddLight").Line("LightName Somebody");
  ASSERT_TRUE(Load(w.text()));
  ASSERT_EQ(scene_.objects.list.size(), 1u);
  EXPECT_EQ(Object(0).parent, -1);
  EXPECT_EQ(Object(0).pivot[0], 0.0f);
  EXPECT_EQ(Object(0).keyCount, 0);
  ASSERT_EQ(scene_.lights.list.size(), 1u);
  EXPECT_EQ(scene_.lights.list[0].name, "Somebody");
  EXPECT_EQ(scene_.lights.list[0].type, 0);
  EXPECT_EQ(scene_.lights.list[0].keyCount, 0);
}

TEST_F(LwsTest, TextEndsAndHugeCountsNeitherHangNorOverrun) {
  // A keyword that consumes nothing, cut off by the end of the text: a word
  // without a delimiter after it is no word.
  ASSERT_TRUE(Load(LwsWriter().Header().Line("LoadObject a.lwo").text() + "Metamorph"));
  EXPECT_EQ(scene_.objects.list.size(), 1u);
  ASSERT_TRUE(Load(LwsWriter().Header().text() + "LoadObject"));
  EXPECT_TRUE(scene_.objects.list.empty());
  ASSERT_TRUE(Load(LwsWriter().Header().Line("LoadObject").text()));  // the word is missing, the object is not
  ASSERT_EQ(scene_.objects.list.size(), 1u);
  EXPECT_EQ(Object(0).name, "");
  ASSERT_TRUE(Load(LwsWriter().Header().text() + "LoadObject dir\\cut.lwo"));  // a name cut off keeps what was read
  ASSERT_EQ(scene_.objects.list.size(), 1u);
  EXPECT_EQ(Object(0).name, "dir\\cut.lwo");

  // Envelopes and motions whose counts the text cannot hold.
  ASSERT_TRUE(Load(LwsWriter().Header().Line("AmbIntensity (envelope) 2000000000 2000000000 1 2 3").text()));
  ASSERT_TRUE(Load(LwsWriter().Header().Line("AddLight").Line("ConeAngle (envelope) 1 2147483647").text()));
  EXPECT_EQ(scene_.lights.list[0].coneAngle, 0.0f);
  EXPECT_FALSE(Load(LwsWriter().Header().Line("LoadObject a").Line("ObjectMotion x 9 2000000000 1 2 3").text()));
  EXPECT_FALSE(Load(LwsWriter().Header().Line("LoadObject a").Line("ObjectMotion x 9 -1 EndBehavior 1").text()));
  ASSERT_TRUE(Load(LwsWriter().Header().Line("LoadObject a").Line("ObjectMotion x 9 0 EndBehavior 1").text()));
  EXPECT_EQ(Object(0).keyCount, 0);
}

TEST_F(LwsTest, PlaybackRateIsTruncatedAndNeverZero) {
  const std::pair<const char*, int32_t> cases[] = {
      {"30", 30}, {"29.97", 29}, {"0", 1}, {"0.5", 1}, {"-25", 1}, {"1e30", 1000}};
  for (const auto& [fps, rate] : cases) {
    LwsWriter w;
    w.Header(0, 60, 1, fps);
    ASSERT_TRUE(Load(w.text())) << fps;
    EXPECT_EQ(GetScenePlaybackRate(scene_), rate) << fps;
  }
}
