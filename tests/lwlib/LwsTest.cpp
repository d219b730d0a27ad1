#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "LwsWriter.h"
#include "TestSupport.h"
#include "diag/Dbug.h"
#include "lwlib/Lws.h"
#include "lwlib/Parse.h"

using testsupport::LwsKey;
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

LwsWriter Header() {
  LwsWriter w;
  w.Header();
  return w;
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
  ASSERT_TRUE(Load(w.text()));

  EXPECT_EQ(scene_.header.version, 1);
  EXPECT_EQ(scene_.header.firstFrame, 1);
  EXPECT_EQ(scene_.header.lastFrame, 90);
  EXPECT_EQ(scene_.header.frameStep, 2);
  EXPECT_EQ(scene_.header.framesPerSecond, 25.0f);

  // Newest first, one sequence counter for both kinds of object.
  ASSERT_EQ(scene_.objects.list.size(), 3u);
  EXPECT_EQ(scene_.objects.list[0].sequence, 3);
  EXPECT_EQ(scene_.objects.list[1].sequence, 2);
  EXPECT_EQ(scene_.objects.list[2].sequence, 1);

  const SceneObject& ball = Object(0);
  EXPECT_EQ(ball.name, "C:\\Objects\\ball.lwo");
  EXPECT_EQ(ball.parent, -1);
  EXPECT_EQ(ball.channelCount, 6);
  ASSERT_EQ(ball.keyCount, 2);
  const std::span<const MotionKey> keys = KeySpan(ball.keys);
  ASSERT_EQ(keys.size(), 2u);
  const MotionKey& k = keys[0];
  EXPECT_EQ(k.position[0], 1);
  EXPECT_EQ(k.position[2], 3);
  EXPECT_EQ(k.heading, 10);
  EXPECT_EQ(k.pitch, 20);
  EXPECT_EQ(k.bank, 30);
  EXPECT_EQ(k.scale[0], 4);
  EXPECT_EQ(k.scale[2], 6);
  EXPECT_EQ(k.frame, 0);
  EXPECT_EQ(k.linear, 1);
  EXPECT_EQ(k.tension, 0.5f);
  EXPECT_EQ(k.continuity, -0.5f);
  EXPECT_EQ(k.bias, 0.25f);
  EXPECT_EQ(keys[1].position[0], 7);
  EXPECT_EQ(keys[1].frame, 30);
  EXPECT_EQ(ball.pivot[0], -1);
  EXPECT_EQ(ball.pivot[1], 2);
  EXPECT_EQ(ball.pivot[2], -0.5f);

  const SceneObject& null = Object(1);
  EXPECT_FALSE(null.name.has_value());
  EXPECT_EQ(null.parent, 0);  // ParentObject 1 names the file's first object
  EXPECT_EQ(null.keyCount, 0);
  EXPECT_EQ(Object(2).name, "arm.lwo");
  EXPECT_EQ(Object(2).parent, -1);
}

TEST_F(LwsTest, WordsThatAreNoKeywordEndTheObjectBlockButNotTheLoad) {
  // The rest of a path with a space is no keyword: it ends the object block,
  // and the later blocks stop at it too.
  std::string text = Header().Line("LoadObject Objects/my ball.lwo").Line("LoadObject other.lwo").text();
  ASSERT_TRUE(Load(text));
  ASSERT_EQ(scene_.objects.list.size(), 1u);
  EXPECT_EQ(Object(0).name, "Objects/my");
  FreeScene(scene_);

  // MorphTarget consumes nothing, so its number ends the block.
  text = Header().Line("LoadObject a.lwo").Line("MorphTarget 1").Line("LoadObject b.lwo").text();
  ASSERT_TRUE(Load(text));
  ASSERT_EQ(scene_.objects.list.size(), 1u);
  EXPECT_EQ(Object(0).name, "a.lwo");
}

TEST_F(LwsTest, BlocksEndAtTheNextBlocksKeywords) {
  LwsWriter w = Header();
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
  EXPECT_FLOAT_EQ(scene_.lights.ambientRed, 1.0f);
  EXPECT_FLOAT_EQ(scene_.lights.ambientGreen, 0.2f);
  EXPECT_FLOAT_EQ(scene_.lights.ambientBlue, 0.0f);
  EXPECT_FLOAT_EQ(scene_.lights.ambientIntensity, 0.5f);
  ASSERT_EQ(scene_.lights.count, 2);
  ASSERT_EQ(scene_.lights.list.size(), 2u);
  const SceneLight& spot = scene_.lights.list[0];  // newest first
  EXPECT_EQ(spot.type, 2);
  EXPECT_EQ(spot.coneAngle, 0.0f);  // given as an envelope
  EXPECT_FALSE(spot.name.has_value());
  const SceneLight& key = scene_.lights.list[1];
  EXPECT_EQ(key.name, "Key Light 1");
  EXPECT_EQ(key.type, 3);  // LightType 0 is directional
  EXPECT_FLOAT_EQ(key.red, 1.0f);
  EXPECT_FLOAT_EQ(key.blue, 0.0f);
  EXPECT_EQ(key.parent, 0);
  EXPECT_EQ(key.target, 0);
  EXPECT_EQ(key.falloff, 0.25f);
  EXPECT_EQ(key.coneAngle, 30.0f);
  EXPECT_EQ(key.edgeAngle, 5.0f);
  ASSERT_EQ(key.keyCount, 1);
  EXPECT_EQ(KeySpan(key.keys)[0].position[0], 2.0f);

  EXPECT_EQ(scene_.camera.parent, 0);
  EXPECT_EQ(scene_.camera.target, -1);
  ASSERT_EQ(scene_.camera.keyCount, 2);
  EXPECT_EQ(KeySpan(scene_.camera.keys)[1].position[2], -10.0f);
  EXPECT_LT(scene_.objects.start, scene_.lights.start);
  EXPECT_LT(scene_.lights.start, scene_.camera.start);
}

TEST_F(LwsTest, LightTypesEnvelopesAndAmbientDefaults) {
  LwsWriter w = Header();
  w.Envelope("AmbIntensity", 3);
  for (const char* type : {"0", "1", "2", "7"}) w.Line("AddLight").Line(std::string("LightType ") + type);
  w.Line("AddLight").Envelope("Falloff", 1).Envelope("LgtIntensity", 2).Line("EdgeAngle 12");
  ASSERT_TRUE(Load(w.text()));
  EXPECT_EQ(scene_.lights.ambientIntensity, 1.0f);  // an envelope stands for 1
  ASSERT_EQ(scene_.lights.list.size(), 5u);
  EXPECT_EQ(scene_.lights.list[0].falloff, 0.0f);
  EXPECT_EQ(scene_.lights.list[0].edgeAngle, 12.0f);  // reading resumes after the envelopes
  EXPECT_EQ(scene_.lights.list[1].type, 0);  // 7 leaves the type alone
  EXPECT_EQ(scene_.lights.list[2].type, 2);
  EXPECT_EQ(scene_.lights.list[3].type, 1);
  EXPECT_EQ(scene_.lights.list[4].type, 3);
}

TEST_F(LwsTest, MalformedValuesFailTheirBlockWithItsWarning) {
  testsupport::CapturedOutput out;  // output mode: the block warnings are seen
  // A frame written with a decimal point is no whole number.
  std::string text = Header().Line("LoadObject a.lwo").Line("LoadObject b.lwo").text() +
                     "ObjectMotion (unnamed)\n 9\n 1\n 0 0 0 0 0 0 1 1 1\n 30.0 0 0 0 0\nEndBehavior 1\n";
  EXPECT_FALSE(Load(text));
  EXPECT_TRUE(out.Contains("Warning: Filed in objects block"));
  EXPECT_TRUE(scene_.objects.list.empty());  // the failed block's objects are released
  EXPECT_EQ(scene_.header.lastFrame, 60);    // the header before it stays
  // The keyword blocks silence their own reports, and give the mode back on
  // the way out, also when they fail.
  EXPECT_EQ(GetDebugMode(), DEBUG_MODE_OUTPUT);
  EXPECT_FALSE(out.Contains("Unsupprted"));

  out.Clear();
  EXPECT_FALSE(Load(Header().Line("AddLight").Line("LightColor 255 x 0").text()));
  EXPECT_TRUE(out.Contains("Filed in lights block"));
  EXPECT_FALSE(Load(Header().Line("CameraMotion (unnamed) 9 1 0 0 0 0 0 0 1 1 1 0 0 0 0 0 EndBehavior x").text()));
  EXPECT_TRUE(out.Contains("Filed in camera block"));
  EXPECT_FALSE(Load(Header().Line("ObjectMotion (unnamed) 9 1 0 0 0 0 0 0 1 1 1 0 0 0 0 0 Behavior 1").text()));

  out.Clear();
  EXPECT_FALSE(Load("LWSC\n1\nFirstFrame 0\nLastFrame 60\nFrameStep 1\nPreviewFirstFrame 0\n"));
  EXPECT_TRUE(out.Contains("Failed in scene block"));
  EXPECT_FALSE(Load("LWSC\n1\nLastFrame 60\nFirstFrame 0\nFrameStep 1\nFramesPerSecond 30\n"));
  EXPECT_FALSE(Load("LWOB\n1\n"));
  EXPECT_EQ(GetDebugMode(), DEBUG_MODE_OUTPUT);
}

TEST_F(LwsTest, AFileEndingAfterTheObjectsLoadsWithoutLightsOrCamera) {
  ASSERT_TRUE(Load(Header().Line("LoadObject a.lwo").text()));
  EXPECT_EQ(scene_.objects.list.size(), 1u);
  EXPECT_EQ(scene_.lights.count, 0);
  EXPECT_EQ(scene_.camera.keyCount, 0);
  EXPECT_EQ(scene_.camera.parent, -1);
  EXPECT_EQ(scene_.camera.target, -1);
}

TEST_F(LwsTest, KeywordsBeforeAnyObjectOrLightAreReadAndDropped) {
  LwsWriter w = Header();
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
  // A malformed value is still a failure there.
  EXPECT_FALSE(Load(Header().Line("PivotPoint 1 two 3").text()));
}

TEST_F(LwsTest, TextEndsAndHugeCountsNeitherHangNorOverrun) {
  // A keyword that consumes nothing, cut off by the end of the text: a word
  // without a delimiter after it is no word.
  ASSERT_TRUE(Load(Header().Line("LoadObject a.lwo").text() + "Metamorph"));
  EXPECT_EQ(scene_.objects.list.size(), 1u);
  ASSERT_TRUE(Load(Header().text() + "LoadObject"));
  EXPECT_TRUE(scene_.objects.list.empty());
  ASSERT_TRUE(Load(Header().Line("LoadObject").text()));  // the word is missing, the object is not
  ASSERT_EQ(scene_.objects.list.size(), 1u);
  EXPECT_EQ(Object(0).name, "");

  // Envelopes and motions whose counts the text cannot hold.
  ASSERT_TRUE(Load(Header().Line("AmbIntensity (envelope) 2000000000 2000000000 1 2 3").text()));
  ASSERT_TRUE(Load(Header().Line("AddLight").Line("ConeAngle (envelope) 1 2147483647").text()));
  EXPECT_EQ(scene_.lights.list[0].coneAngle, 0.0f);
  EXPECT_FALSE(Load(Header().Line("LoadObject a").Line("ObjectMotion x 9 2000000000 1 2 3").text()));
  EXPECT_FALSE(Load(Header().Line("LoadObject a").Line("ObjectMotion x 9 -1 EndBehavior 1").text()));
  ASSERT_TRUE(Load(Header().Line("LoadObject a").Line("ObjectMotion x 9 0 EndBehavior 1").text()));
  EXPECT_EQ(Object(0).keyCount, 0);

  // Words longer than the token buffers are cut, not overrun.
  const std::string longName(3000, 'n');
  ASSERT_TRUE(Load(Header().Line("LoadObject " + longName).Line("AddLight").Line("LightName " + longName).text()));
  EXPECT_EQ(Object(0).name->size(), TOKEN_BUFFER_SIZE - 1);
  EXPECT_EQ(scene_.lights.list[0].name->size(), TOKEN_BUFFER_SIZE - 1);

  EXPECT_FALSE(Load(""));
  EXPECT_FALSE(Load(std::string(1, TEXT_END)));
}

TEST_F(LwsTest, MotionKeysAndEnvelopesStopWhereTheTextDoes) {
  RemoveDelimiter(0);
  for (char c : {' ', '\n'}) AddDelimiter(c);
  const std::string text = std::string("1 2 3 4 5 6 7 8 9 10 1 0.1 0.2 0.3\n") + TEXT_END;
  uint32_t position = 0;
  MotionKeys keys;
  ASSERT_TRUE(ReadMotionKeys(keys, text.c_str(), position, 3, 1));
  EXPECT_EQ(KeySpan(keys)[0].frame, 10);
  position = 0;
  EXPECT_FALSE(ReadMotionKeys(keys, text.c_str(), position, 9, 2));
  EXPECT_EQ(keys, nullptr);

  const std::string envelope = std::string("2 1 0.5 0.25 0 0 0 0 0 Next\n") + TEXT_END;
  position = 0;
  EXPECT_TRUE(SkipEnvelope(envelope.c_str(), position));
  char token[TOKEN_BUFFER_SIZE];
  ASSERT_TRUE(GetToken(token, envelope.c_str(), position));
  EXPECT_STREQ(token, "Next");
  position = 0;
  const std::string cut = std::string("1 5 0 0 0 0 0 0\n") + TEXT_END;
  EXPECT_FALSE(SkipEnvelope(cut.c_str(), position));
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

TEST_F(LwsTest, FilesAndFailedAllocations) {
  testsupport::TempDir dir;
  LwsWriter w = Header();
  w.Line("LoadObject a.lwo").Motion("ObjectMotion", {{.frame = 0}, {.x = 1, .frame = 10}});
  w.Line("AddNullObject").Line("AddLight").Motion("LightMotion", {{.frame = 0}});
  w.Motion("CameraMotion", {{.frame = 0}});
  const std::string path = dir.File("scene.lws");
  testsupport::WriteText(path, w.text());
  ASSERT_TRUE(LoadScene(scene_, path.c_str()));
  EXPECT_EQ(scene_.textSize, w.text().size());
  EXPECT_EQ(scene_.objects.list.size(), 2u);
  EXPECT_EQ(scene_.camera.keyCount, 1);

  {
    testsupport::CapturedOutput quiet(DEBUG_MODE_SILENT);
    EXPECT_FALSE(LoadScene(scene_, dir.File("missing.lws").c_str()));
    EXPECT_FALSE(LoadScene(scene_, dir.path().string().c_str()));  // a directory
  }
  EXPECT_EQ(scene_.text.data(), nullptr);

  FreeScene(scene_);
  testsupport::CapturedOutput quiet(DEBUG_MODE_SILENT);
  const testsupport::InjectionResult r = testsupport::InjectAllocationFailures([&] {
    const bool ok = LoadScene(scene_, path.c_str());
    FreeScene(scene_);
    return ok;
  });
  EXPECT_GE(r.runs, 5);  // the text and four key arrays
  EXPECT_EQ(r.leakedAt, 0);
  EXPECT_EQ(r.succeededAt, 0);
}
