#include <gtest/gtest.h>

#include <filesystem>

#include "writers/FootballerWriter.h"
#include "TestSupport.h"
#include "app/FootballerEditor.h"
#include "football/FootballerDress.h"
#include "lwlib/object/TextureSearch.h"
#include "rm/Engine.h"

namespace {

testsupport::FootballerDesc Desc(int tops, int shorts, int hairs, int faces) {
  testsupport::FootballerDesc desc;
  desc.tops = tops, desc.shorts = shorts, desc.hairs = hairs, desc.faces = faces;
  return desc;
}

class FootballerEditorTest : public ::testing::Test {
 protected:
  void Load(const testsupport::FootballerDesc& desc = {}) {
    configPath = testsupport::WriteFootballer(dir.path().string(), desc);
    ASSERT_TRUE(editor.Open());
    EXPECT_FALSE(editor.Open());  // one editor per run
    editor.Initialise(configPath);
    ASSERT_TRUE(config.loaded) << editor.loadFailure().FileText();
    sound.Clear();
  }
  void SetUp() override { SetUi(&ui); }
  void TearDown() override { SetUi(nullptr); }
  std::string Folder(const char* name) const { return (dir.path() / "football" / name).string(); }
  std::string Click() const { return "once " + Folder("Button.wav"); }
  std::string Loop() const { return "loop " + Folder("football.wav"); }
  std::string Bmp(const char* name, uint32_t colour) {
    testsupport::WriteBmp(dir.File(name), 1, 1, 24, {colour});
    return dir.File(name);
  }
  const rm::MeshPtr& Shown(BodyPart part) { return ShownParts(config).meshes[part]; }

  testsupport::TempDir dir;
  std::string configPath;
  rm::EnginePtr engine = rm::Engine::Create();
  rm::FramePtr mesh = engine->CreateFrame(), offScene = engine->CreateFrame(), camera = engine->CreateFrame();
  FootballerConfig config;
  RecordedSound sound;
  ScriptedUi ui;
  FootballerEditor editor{config, FootballerStage{engine, mesh, offScene, camera}, sound};
};

TEST_F(FootballerEditorTest, ArrowsWrapRoundEveryListWithAClick) {
  Load(Desc(3, 2, 3, 4));
  EXPECT_EQ(editor.playStopText(), "Play");
  EXPECT_TRUE(editor.soundsOn());
  struct List {
    int previous, next;
    int32_t* current;
    int32_t count;
  };
  const List lists[] = {{FOOTBALL_HAIR_PREVIOUS, FOOTBALL_HAIR_NEXT, &config.currentHair, 3},
                        {FOOTBALL_FACE_PREVIOUS, FOOTBALL_FACE_NEXT, &config.currentFace, 4},
                        {FOOTBALL_TOP_PREVIOUS, FOOTBALL_TOP_NEXT, &config.currentTop, 3},
                        {FOOTBALL_SHORTS_PREVIOUS, FOOTBALL_SHORTS_NEXT, &config.currentShorts, 2}};
  for (const List& l : lists) {
    sound.Clear();
    editor.Command(l.previous);
    EXPECT_EQ(*l.current, l.count - 1) << l.previous;  // "<" on the first selects the last
    editor.Command(l.next);
    EXPECT_EQ(*l.current, 0) << l.next;  // ">" on the last selects the first
    editor.Command(l.next);
    EXPECT_EQ(*l.current, 1);
    EXPECT_EQ(sound.events(), std::vector<std::string>(3, Click()));
  }
  // "Colour" steps through the current style's texture pairs.
  config.currentHair = 0;
  editor.Command(FOOTBALL_HAIR_COLOUR);
  EXPECT_EQ(config.currentHairTexture, 1);
  editor.Command(FOOTBALL_HAIR_COLOUR);
  EXPECT_EQ(config.currentHairTexture, 0);
}

TEST_F(FootballerEditorTest, EveryFrameDressesTheShownFootballer) {
  Load();
  editor.Command(FOOTBALL_TOP_NEXT);
  editor.Command(FOOTBALL_HAIR_NEXT);
  editor.Command(FOOTBALL_HAIR_COLOUR);
  editor.Update(1000);
  const rm::Color skin = rm::ColorRGB(1.0f, 0.8f, 0.0f);
  EXPECT_EQ(Shown(BODY_LEFT_HAND)->GetGroupColor(0), skin);
  EXPECT_EQ(Shown(BODY_RIGHT_FOOT)->GetGroupColor(0), skin);
  const FootballerTop& top = config.tops[1];
  const rm::Color shirt = rm::ColorRGB(top.colour.red, top.colour.green, top.colour.blue);
  EXPECT_EQ(Shown(BODY_LEFT_THIGH)->GetGroupColor(0), rm::ColorRGB(0, 1, 0));
  EXPECT_EQ(Shown(BODY_RIGHT_LOWER_ARM)->GetGroupColor(0), shirt);
  const rm::MeshPtr& body = Shown(BODY_BODY);
  EXPECT_EQ(body->GetGroupColor(0), shirt);
  EXPECT_EQ(body->GetGroupTexture(1), top.backTexture);
  EXPECT_EQ(body->GetGroupTexture(2), top.frontTexture);
  EXPECT_EQ(body->GetGroupColor(2), rm::ColorRGB(1, 1, 1));
  EXPECT_EQ(Shown(BODY_HEAD)->GetGroupColor(0), skin);
  EXPECT_EQ(Shown(BODY_HEAD)->GetGroupTexture(1), config.faces[0].texture);
  // The Hair frame shows the chosen style instead of the scene's hair.
  const rm::FramePtr& hairFrame = ShownParts(config).frames[BODY_HAIR];
  const FootballerHair& hair = config.hairs[1];
  ASSERT_EQ(hairFrame->GetVisuals().size(), 1u);
  EXPECT_EQ(hairFrame->GetVisuals()[0], hair.object);
  EXPECT_EQ(hair.object->GetGroupTexture(0), hair.frontTextures[1]);
  EXPECT_EQ(hair.object->GetGroupTexture(1), hair.backTextures[1]);
  EXPECT_EQ(hair.object->GetGroupTexture(2), hair.frontTextures[1]);
  editor.Command(FOOTBALL_HAIR_PREVIOUS);
  editor.Update(1010);
  ASSERT_EQ(hairFrame->GetVisuals().size(), 1u);
  EXPECT_EQ(hairFrame->GetVisuals()[0], config.hairs[0].object);
}

TEST_F(FootballerEditorTest, PlayStopSwapsTheScenesRestartsTheClockAndLoops) {
  Load();  // 25 frames per second: 40 ms a frame
  editor.Update(1000);
  editor.Update(1100);
  EXPECT_FLOAT_EQ(editor.clock(), 2.5f);
  editor.Command(FOOTBALL_PLAY_STOP);
  EXPECT_EQ(editor.playStopText(), "Stop");
  EXPECT_EQ(config.animation->rootFrame->GetParent(), mesh);
  EXPECT_EQ(config.previewAnimation->rootFrame->GetParent(), offScene);
  EXPECT_TRUE(sound.events().empty());  // the loop waits for the frame
  editor.Update(1140);
  EXPECT_EQ(sound.events(), std::vector<std::string>{Loop()});
  EXPECT_FLOAT_EQ(editor.clock(), 1.0f);  // restarted, then one frame on
  EXPECT_EQ(Shown(BODY_BODY), config.animationMeshes[BODY_BODY]);
  editor.Command(FOOTBALL_FACE_NEXT);  // silent while the animation is shown
  editor.Command(FOOTBALL_PLAY_STOP);
  EXPECT_EQ(editor.playStopText(), "Play");
  EXPECT_EQ(config.previewAnimation->rootFrame->GetParent(), mesh);
  editor.Update(1180);
  EXPECT_EQ(sound.events(), (std::vector<std::string>{Loop(), Click(), "stop"}));
  EXPECT_FLOAT_EQ(editor.clock(), 1.0f);
}

TEST_F(FootballerEditorTest, SoundsSwitchOffAndOnWithoutCuttingTheLoop) {
  Load();
  editor.Update(0);
  editor.Command(FOOTBALL_PLAY_SOUNDS);
  EXPECT_FALSE(editor.soundsOn());
  editor.Command(FOOTBALL_TOP_NEXT);
  editor.Command(FOOTBALL_PLAY_STOP);
  editor.Update(10);
  EXPECT_TRUE(sound.events().empty());  // no click, no loop
  editor.Command(FOOTBALL_PLAY_SOUNDS);  // on while the animation shows: nothing yet
  editor.Update(20);
  EXPECT_TRUE(sound.events().empty());
  editor.Command(FOOTBALL_PLAY_STOP);
  editor.Update(25);
  editor.Command(FOOTBALL_PLAY_STOP);
  editor.Update(30);
  EXPECT_EQ(sound.events(), (std::vector<std::string>{Click(), "stop", Loop()}));
  sound.Clear();
  editor.Command(FOOTBALL_PLAY_SOUNDS);  // off while it loops: it goes on
  editor.Update(40);
  EXPECT_TRUE(sound.events().empty());
  editor.Command(FOOTBALL_PLAY_STOP);
  editor.Update(50);
  EXPECT_EQ(sound.events(), std::vector<std::string>{"stop"});
}

TEST_F(FootballerEditorTest, CustomEntriesComeFromTheTextureAndColourDialogs) {
  Load();
  const std::string front = Bmp("front.bmp", 0xFF0000), back = Bmp("back.bmp", 0x00FF00);
  // A shirt: front, back, then its colour, starting from the shirt shown.
  ui.QueueOpenFile(front);
  ui.QueueOpenFile(back);
  ui.QueueColour({0.5f, 0.5f, 0.5f});
  editor.Command(FOOTBALL_TOP_CUSTOM);
  ASSERT_EQ(config.topCount, 3);
  EXPECT_EQ(config.currentTop, 2);
  ASSERT_EQ(ui.asked().size(), 3u);
  EXPECT_EQ(ui.asked()[0].text, "Load texture - Front of shirt");
  EXPECT_EQ(ui.asked()[1].text, "Load texture - Back of shirt");
  EXPECT_EQ(ui.asked()[2].kind, "colour");
  editor.Update(0);
  const rm::MeshPtr& body = Shown(BODY_BODY);
  EXPECT_EQ(body->GetGroupTexture(1), config.tops[2].backTexture);  // back on group 1
  EXPECT_EQ(body->GetGroupTexture(2), config.tops[2].frontTexture);
  EXPECT_EQ(body->GetGroupTexture(2)->GetSurface()->GetWidth(), 1u);

  // Cancelling the front ends the action; cancelling the colour adds nothing.
  ui.ClearAsked();
  ui.QueueOpenFile("");
  editor.Command(FOOTBALL_TOP_CUSTOM);
  EXPECT_EQ(ui.asked().size(), 1u);
  ui.QueueOpenFile(front);
  ui.QueueOpenFile(back);
  editor.Command(FOOTBALL_TOP_CUSTOM);  // no colour queued: cancelled
  EXPECT_EQ(config.topCount, 3);

  ui.ClearAsked();
  ui.QueueOpenFile(front);
  editor.Command(FOOTBALL_FACE_CUSTOM);
  EXPECT_EQ(ui.asked().at(0).text, "Load texture - Mirl mans face");
  EXPECT_EQ(config.currentFace, 2);
  ui.QueueColour({0, 0, 1});
  editor.Command(FOOTBALL_SHORTS_CUSTOM);
  EXPECT_EQ(config.currentShorts, 2);
  editor.Command(FOOTBALL_SHORTS_CUSTOM);  // cancelled
  EXPECT_EQ(config.shortsCount, 3);
  EXPECT_EQ(sound.events().size(), 6u);  // every Custom press clicks
}

TEST_F(FootballerEditorTest, EmptyListsAndShortHairStylesAreSafe) {
  Load(Desc(0, 0, 2, 0));
  for (int control : {FOOTBALL_FACE_PREVIOUS, FOOTBALL_FACE_NEXT, FOOTBALL_TOP_PREVIOUS, FOOTBALL_TOP_NEXT,
                      FOOTBALL_SHORTS_PREVIOUS, FOOTBALL_SHORTS_NEXT})
    editor.Command(control);
  EXPECT_TRUE(sound.events().empty());  // ignored, without a click
  EXPECT_EQ(config.currentTop, 0);
  editor.Update(0);  // nothing to dress with: no crash, the hair still changes
  EXPECT_EQ(ShownParts(config).frames[BODY_HAIR]->GetVisuals().at(0), config.hairs[0].object);

  // A style with fewer pairs keeps the colour index inside it.
  FootballerHair& shorter = config.hairs[1];
  shorter.textureCount = 1;
  editor.Command(FOOTBALL_HAIR_COLOUR);
  EXPECT_EQ(config.currentHairTexture, 1);
  editor.Command(FOOTBALL_HAIR_NEXT);
  EXPECT_EQ(config.currentHairTexture, 0);
  shorter.textureCount = 0;
  editor.Command(FOOTBALL_HAIR_COLOUR);  // nothing to step through
  EXPECT_EQ(config.currentHairTexture, 0);
  editor.Update(10);
  EXPECT_FALSE(shorter.object->GetGroupTexture(0));
}

TEST_F(FootballerEditorTest, AFailedLoadLeavesAWorkingWindowThatAppliesNothing) {
  testsupport::WriteFootballer(dir.path().string());
  std::filesystem::remove(dir.path() / "football" / "anim.lws");
  ASSERT_TRUE(editor.Open());
  {
    ScopedDebugMode quiet(DEBUG_MODE_SILENT);
    editor.Initialise(Folder("mirl_football.ftb"));
  }
  EXPECT_FALSE(config.loaded);
  EXPECT_NE(editor.loadFailure().Text().find("Anim: the animation scene"), std::string::npos);
  for (int control = 1116; control <= 1134; ++control) editor.Command(control);
  editor.Update(0);
  editor.Update(100);
  EXPECT_EQ(editor.clock(), 0.0f);
  EXPECT_TRUE(mesh->GetChildren().empty());
}

}  // namespace
