// The scene tree view's lines, from a loaded scene.
#include <gtest/gtest.h>

#include "writers/LwsWriter.h"
#include "TestSupport.h"
#include "app/TreeView.h"

using writers::LwsWriter;

namespace {

class TreeViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LwsWriter w;
    w.Header();
    w.Line("LoadObject C:\\Objects\\body.lwo")
        .Motion("ObjectMotion", {{.x = 1, .y = 2, .z = 3, .h = 90, .frame = 0}, {.b = -45.5f, .sx = 2, .frame = 30}});
    w.Line("AddNullObject Null").Line("ParentObject 1").Motion("ObjectMotion", {{.p = 10, .frame = 5}});
    ASSERT_TRUE(LoadSceneFromMemory(scene, w.text().data(), w.text().size()));
    animation = CreateAnimation(scene, engine);
    ASSERT_NE(animation, nullptr);
    root = engine->CreateFrame();
    root->SetName("Scene");
    root->AddLight(engine->CreateLightRGB(rm::LIGHT_AMBIENT, 1, 1, 1));
    root->GetLights()[0]->SetName("Sun");
    ASSERT_TRUE(AttachAnimation(root, *animation));
    animation->objectFrames[0]->AddVisual(engine->CreateMesh());
    animation->objectFrames[0]->AddLight(engine->CreateLightRGB(rm::LIGHT_POINT, 1, 1, 1));
  }
  void TearDown() override {
    FreeAnimation(animation);
    FreeScene(scene);
  }
  SceneObjectLookup Lookup() {
    return [this](const rm::Frame& frame) { return AnimationObjectOf(*animation, frame); };
  }

  rm::EnginePtr engine = rm::Engine::Create();
  Scene scene;
  AnimationPtr animation;
  rm::FramePtr root;
};

std::vector<std::pair<int, std::string>> Plain(const std::vector<TreeLine>& lines) {
  std::vector<std::pair<int, std::string>> plain;
  for (const TreeLine& l : lines) plain.push_back({l.depth, l.text});
  return plain;
}

}  // namespace

TEST_F(TreeViewTest, LinesShowFramesObjectsKeysLightsAndVisualsNested) {
  std::string text;
  for (const TreeLine& line : BuildTreeLines(root, Lookup()))
    text += std::string(2 * line.depth, ' ') + line.text + "\n";
  EXPECT_EQ(text, testsupport::Golden("app/golden/tree-lines.txt", text));

  // Application data that no animation owns is not taken for a scene object.
  int other = 0;
  animation->objectFrames[1]->SetAppData(&other);
  std::vector<TreeLine> lines = BuildTreeLines(root, Lookup());
  EXPECT_EQ(lines.size(), 10u);  // the object's and its key's lines go
  EXPECT_EQ(BuildTreeLines(root, nullptr).size(), 7u);
  EXPECT_TRUE(BuildTreeLines(nullptr, Lookup()).empty());
  std::string longName(300, 'n');
  root->SetName(longName);
  EXPECT_EQ(BuildTreeLines(root, nullptr)[0].text, "Frame : " + longName.substr(0, 255));
}

TEST_F(TreeViewTest, RemovingAnItemTakesItsSubItems) {
  std::vector<TreeLine> lines = BuildTreeLines(root, Lookup());
  EXPECT_EQ(TreeItemExtent(lines, 0), lines.size());
  EXPECT_EQ(RemoveTreeItem(lines, 3), 9u);  // the body frame and all below it
  EXPECT_EQ(Plain(lines), (std::vector<std::pair<int, std::string>>{
                              {0, "Frame : Scene"}, {1, "Light : Sun"}, {1, "Frame : <No name>"}}));
  EXPECT_EQ(RemoveTreeItem(lines, 1), 1u);
  EXPECT_EQ(RemoveTreeItem(lines, 5), 0u);
  EXPECT_EQ(lines.size(), 2u);
}
