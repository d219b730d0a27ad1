#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "writers/FootballerWriter.h"
#include "TestSupport.h"
#include "diag/Dbug.h"
#include "football/Footballer.h"
#include "lwlib/scene/Parse.h"
#include "rm/Engine.h"

namespace {

using testsupport::FootballerConfigText;
using testsupport::FootballerDesc;

bool Parse(const std::string& text, FootballerConfig& config, Failure* why = nullptr) {
  return ParseFootballerConfig(text.data(), text.size(), config, why);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(FootballerConfig, ReadsEverySectionInFileAndRecordOrder) {
  FootballerConfig config;
  ASSERT_TRUE(Parse(FootballerConfigText({}), config));
  EXPECT_STREQ(config.animationSceneName.c_str(), "football\\anim.lws");
  // File order Body, LeftThigh, ... lands in record order.
  const char* names[] = {"lthigh", "rthigh", "luarm", "ruarm", "llarm", "rlarm", "head",
                         "body",   "lfoot",  "rfoot", "hair",  "lhand", "rhand"};
  for (int part = 0; part < BODY_PART_COUNT; ++part) EXPECT_STREQ(config.objectNames[part].c_str(), names[part]);
  ASSERT_EQ(config.topCount, 2);
  EXPECT_STREQ(config.tops[1].backName.c_str(), "football/top1_b.bmp");
  EXPECT_FLOAT_EQ(config.tops[1].colour.red, 10 / 255.0f);
  ASSERT_EQ(config.shortsCount, 2);
  ASSERT_EQ(config.hairCount, 2);
  EXPECT_STREQ(config.hairs[1].backNames[1].c_str(), "hair1_1_b.bmp");
  EXPECT_EQ(config.faceCount, 2);
}

// White space is free, numbers are C integers; the fixed lines, names and
// counts are checked.
TEST(FootballerConfig, FormatRules) {
  const std::string good = FootballerConfigText({});
  struct Case {
    const char* name;
    std::string text;
    bool ok;
    const char* section;  // of the reason when it fails
    const char* reason;
  };
  const Case cases[] = {
      {"no blank lines, tabs", Replace(Replace(Replace(good, "\n\nObjects:\n", "\t Objects:"), "NumTops - 2", "NumTops-2"),
                                     "Body body\n\n", "Body   body "),
       true, "", ""},
      {"extra blank lines", Replace(good, "\nShorts:\n", "\n\n\n  \nShorts:\n\n\n"), true, "", ""},
      {"octal and hex colours", Replace(good, "football/top0_f.bmp 0 0 255", "football/top0_f.bmp 010 0xFF 0X1f"),
       true, "", ""},
      {"no shirts", Replace(Replace(Replace(Replace(Replace(good, "NumTops - 2", "NumTops - 0"),
                                                    "football/top0_f.bmp 0 0 255\n", ""),
                                            "football/top1_f.bmp 10 0 255\n", ""),
                                    "football/top0_b.bmp\n", ""),
                            "football/top1_b.bmp\n", ""),
       true, "", ""},
      {"name with a space", Replace(good, "football/top0_f.bmp", "football/top 0_f.bmp"), false, "Top",
       "shirt 1, colour: expected a number, found \"_f.bmp\""},
      {"header", Replace(good, "Mirl Football", "Mirl Footbal"), false, "header", "expected \"Mirl Football Config File:\""},
      {"parts out of order", Replace(good, "Body body", "Head body"), false, "Objects", "expected \"Body\""},
      {"negative count", Replace(good, "NumShorts - 2", "NumShorts - -1"), false, "Shorts", "cannot be negative"},
      {"count beyond the file", Replace(good, "NumFaces - 2", "NumFaces - 0x7fffffff"), false, "Face",
       "NumFaces is 2,147,483,647, more than the"},
      {"number too large", Replace(good, "NumFaces - 2", "NumFaces - 99999999999"), false, "Face",
       "does not fit in 32 bits"},
      {"missing hair texture name", good.substr(0, good.find("hair1_1_b.bmp")) + "\n", false, "Hair",
       "hair style 2, back texture 2: no name before the end of the file"},
      {"too few faces", good.substr(0, good.find("football/face1.bmp")), false, "Face",
       "face 2, texture: no name"},
  };
  for (const Case& c : cases) {
    FootballerConfig config;
    Failure why;
    EXPECT_EQ(Parse(c.text, config, &why), c.ok) << c.name << ": " << why.Text();
    if (!c.ok) {
      EXPECT_EQ(why.chunk, c.section) << c.name;
      EXPECT_NE(why.what.find(c.reason), std::string::npos) << c.name << ": " << why.what;
      EXPECT_GT(why.line, 0) << c.name;
    }
  }
  FootballerConfig config;
  ASSERT_TRUE(Parse(cases[2].text, config));
  EXPECT_FLOAT_EQ(config.tops[0].colour.red, 8 / 255.0f);
  EXPECT_FLOAT_EQ(config.tops[0].colour.green, 1.0f);
  EXPECT_FLOAT_EQ(config.tops[0].colour.blue, 31 / 255.0f);
  ASSERT_TRUE(Parse(cases[3].text, config));
  EXPECT_EQ(config.topCount, 0);
  EXPECT_TRUE(config.tops.empty());
}

struct Stage {
  rm::EnginePtr engine = rm::Engine::Create();
  rm::FramePtr scene = engine->CreateFrame();
  rm::FramePtr mesh = engine->CreateFrame(scene), offScene = engine->CreateFrame(), camera = engine->CreateFrame(scene);
  FootballerStage stage() const { return {engine, mesh, offScene, camera}; }
};

TEST(FootballerConfig, LoadsBothScenesTheirPartsAndEveryTexture) {
  testsupport::TempDir dir;
  FootballerDesc desc;
  desc.objectNames = {"BODY", "LThigh"};  // names are found in any case
  const std::string path = testsupport::WriteFootballer(dir.path().string(), desc);
  Stage s;
  FootballerConfig config;
  Failure why;
  ASSERT_TRUE(LoadFootballerConfig(path.c_str(), config, s.stage(), &why)) << why.FileText();
  EXPECT_EQ(config.loaded, 1);
  EXPECT_EQ(config.playing, 0);
  EXPECT_EQ(config.previewAnimation->rootFrame->GetParent(), s.mesh);
  EXPECT_EQ(config.animation->rootFrame->GetParent(), s.offScene);
  for (int part = 0; part < BODY_PART_COUNT; ++part) {
    ASSERT_TRUE(config.previewMeshes[part] && config.animationMeshes[part]) << part;
    EXPECT_NE(config.previewMeshes[part], config.animationMeshes[part]);
    EXPECT_EQ(config.previewFrames[part]->GetParent(), config.previewAnimation->rootFrame);
    EXPECT_EQ(config.animationFrames[part]->GetParent(), config.animation->rootFrame);
  }
  EXPECT_EQ(config.previewMeshes[BODY_BODY]->GetName(), "body");
  EXPECT_EQ(config.animationMeshes[BODY_LEFT_THIGH]->GetName(), "lthigh");
  // Hair objects as named from the folder above; hair textures from the
  // football folder; shirts and faces as named.
  EXPECT_EQ(config.hairs[1].object->GetGroupCount(), 3u);
  EXPECT_TRUE(config.hairs[1].backTextures[1] && config.tops[1].frontTexture && config.faces[1].texture);
  for (const FootballerFile& file : FootballerFiles(config)) EXPECT_TRUE(file.exists) << file.path;

  ClearFootballerConfig(config);
  EXPECT_TRUE(s.mesh->GetChildren().empty());
  EXPECT_TRUE(s.offScene->GetChildren().empty());
}

TEST(FootballerConfig, AFailedLoadSaysWhyAndKeepsNothing) {
  struct Case {
    const char* name;
    FootballerDesc desc;
    const char* remove;  // a file of the football folder to delete
    const char* reason;
  };
  FootballerDesc notInAnimation;
  notInAnimation.missingFromAnimation = {"lhand"};
  const Case cases[] = {
      {"part missing from the animation", notInAnimation, nullptr,
       "Objects: LeftHand: the animation scene has no object lhand that loads"},
      {"preview scene missing", {}, "preview.lws", "Anim: the preview scene football\\preview.lws is not there"},
      {"hair texture missing", {}, "hair1_0_b.bmp", "Hair: hair style 2, back texture 1: hair1_0_b.bmp is not there"},
      {"shirt texture missing", {}, "top0_f.bmp", "Top: shirt 1, front texture: football/top0_f.bmp is not there"},
  };
  for (const Case& c : cases) {
    testsupport::TempDir dir;
    const std::string path = testsupport::WriteFootballer(dir.path().string(), c.desc);
    if (c.remove) std::filesystem::remove(dir.path() / "football" / c.remove);
    Stage s;
    FootballerConfig config;
    Failure why;
    RemoveDelimiter(0);
    const int32_t before = TrackedAllocationBalance();
    {
      ScopedDebugMode quiet(DEBUG_MODE_SILENT);
      EXPECT_FALSE(LoadFootballerConfig(path.c_str(), config, s.stage(), &why)) << c.name;
    }
    EXPECT_EQ(why.FileText().rfind(path + ": " + c.reason, 0), 0u) << why.FileText();
    EXPECT_EQ(config.loaded, 0);
    EXPECT_TRUE(s.mesh->GetChildren().empty()) << c.name;
    RemoveDelimiter(0);  // the scene parser's delimiters live for the run
    EXPECT_EQ(TrackedAllocationBalance(), before) << c.name;
  }
  // Memory running out at each tracked allocation of a whole load in turn.
  testsupport::TempDir dir;
  const std::string path = testsupport::WriteFootballer(dir.path().string(), {});
  ScopedDebugMode quiet(DEBUG_MODE_SILENT);
  const testsupport::InjectionResult r = testsupport::InjectAllocationFailures([&] {
    Stage s;
    FootballerConfig config;
    Failure why;
    const bool ok = LoadFootballerConfig(path.c_str(), config, s.stage(), &why);
    EXPECT_TRUE(ok || (!why.empty() && config.loaded == 0 && s.mesh->GetChildren().empty()));
    ClearFootballerConfig(config);
    RemoveDelimiter(0);
    return ok;
  });
  EXPECT_GT(r.runs, 30);
  EXPECT_EQ(r.leakedAt, 0);
  EXPECT_EQ(r.succeededAt, 0);
}

TEST(FootballerConfig, EditorEntriesAreAppendedAndBecomeCurrent) {
  FootballerConfig config;
  ASSERT_TRUE(Parse(FootballerConfigText({}), config));
  const rm::TexturePtr front = std::make_shared<rm::Texture>(), back = std::make_shared<rm::Texture>();
  ASSERT_TRUE(AddCustomTop(config, front, nullptr, back, nullptr, {0.5f, 0.25f, 0}));
  EXPECT_EQ(config.currentTop, 2);
  EXPECT_EQ(config.tops[2].backTexture, back);
  EXPECT_STREQ(config.tops[0].frontName.c_str(), "football/top0_f.bmp");  // moved, not lost
  ASSERT_TRUE(AddCustomFace(config, front, nullptr));
  EXPECT_EQ(config.currentFace, 2);
  EXPECT_FALSE(AddCustomHair(config));
  // A list that cannot grow stays as it was.
  FailTrackedAllocAfter(1);
  EXPECT_FALSE(AddShortsColour(config, {1, 1, 1}));
  FailTrackedAllocAfter(0);
  EXPECT_EQ(config.shortsCount, 2);
  EXPECT_EQ(config.currentShorts, 0);
  ASSERT_TRUE(AddShortsColour(config, {0, 0, 1}));
  EXPECT_EQ(config.currentShorts, 2);
}

}  // namespace
