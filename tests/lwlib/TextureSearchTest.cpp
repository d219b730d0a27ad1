#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "lwlib/object/Bitmap.h"
#include "lwlib/object/TextureSearch.h"
#include "platform/Ui.h"
#include "rm/Rm.h"

namespace {

class TextureSearchTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearTextureSearch();
    GetTextureSearch().forceSearch = 0;
    SetUi(&ui_);
  }
  void TearDown() override {
    SetUi(nullptr);
    SetTextureLoaderPresenter(nullptr);
    ClearTextureSearch();
    GetTextureSearch().forceSearch = 0;
  }
  std::string Bmp(const std::string& name) {
    const std::string path = dir_.File(name);
    testsupport::WriteBmp(path, 2, 3, 8, {0, 1, 1, 0, 0, 1}, {0xFF0000, 0x00FF00});
    return path;
  }
  std::string Dir() const { return dir_.path().string() + "/"; }
  ScriptedUi ui_;
  testsupport::TempDir dir_;
};

TEST_F(TextureSearchTest, CachedTexturesAreFoundWithoutTheDisk) {
  const std::string path = Bmp("cached.bmp");
  rm::TexturePtr first;
  ASSERT_EQ(TextureLoadCallback(path.c_str(), &GetTextureSearch(), &first), 0);
  ASSERT_TRUE(first);
  std::filesystem::remove(path);
  rm::TexturePtr second;
  ASSERT_EQ(TextureLoadCallback(path.c_str(), &GetTextureSearch(), &second), 0);
  EXPECT_EQ(second, first);
  EXPECT_TRUE(ui_.asked().empty());
  ClearTextureSearch();
  EXPECT_FALSE(FindCachedTexture(path.c_str()));
}

TEST_F(TextureSearchTest, RememberedDirectoriesCacheUnderTheFullPath) {
  Bmp("far.bmp");
  TextureSearch& search = GetTextureSearch();
  search.searchDirs = {dir_.File("nothing") + "/", Dir()};
  rm::TexturePtr found = SearchTexture("far.bmp", &search);
  ASSERT_TRUE(found);
  EXPECT_FALSE(FindCachedTexture("far.bmp"));
  EXPECT_EQ(FindCachedTexture((Dir() + "far.bmp").c_str()), found);
  std::filesystem::remove(dir_.File("far.bmp"));
  EXPECT_EQ(SearchTexture("far.bmp", &search), found);
}

TEST_F(TextureSearchTest, TheDialogFindsAFileAndCanRememberItsDirectory) {
  std::filesystem::create_directory(dir_.File("maps"));
  const std::string picked = Bmp("maps/wood.bmp");
  Bmp("maps/stone.bmp");
  ui_.QueueOpenFile(dir_.File("maps/missing.bmp"));  // not a bitmap: stays unchosen, browse again
  ui_.QueueOpenFile(picked);
  ui_.QueueAnswer(UiAnswer::Yes);  // search this directory first
  TextureSearch& search = GetTextureSearch();
  rm::TexturePtr texture;
  ASSERT_EQ(TextureLoadCallback("wood_missing.bmp", &search, &texture), 0);
  ASSERT_TRUE(texture);
  EXPECT_EQ(search.chosenPath, picked);
  ASSERT_EQ(search.searchDirs.size(), 1u);
  EXPECT_EQ(search.searchDirs[0], dir_.File("maps") + "/");
  EXPECT_EQ(FindCachedTexture(picked.c_str()), texture);
  ASSERT_EQ(ui_.asked().size(), 3u);
  EXPECT_EQ(ui_.asked()[0].text, "Load .bmp file");

  // The next missing texture comes from the remembered directory unasked.
  ui_.ClearAsked();
  ASSERT_EQ(TextureLoadCallback("stone.bmp", &search, &texture), 0);
  EXPECT_TRUE(texture);
  EXPECT_TRUE(ui_.asked().empty());

  // With nobody to answer, the dialog is skipped and the group goes untextured.
  EXPECT_EQ(TextureLoadCallback("nowhere.bmp", &search, &texture), RMERR_BADVALUE);
  EXPECT_FALSE(texture);
}

TEST_F(TextureSearchTest, ForcedSearchAsksEveryTimeAndCachesNothing) {
  const std::string path = Bmp("forced.bmp");
  CacheTexture("forced.bmp", std::make_shared<rm::Texture>());
  int shown = 0;
  SetTextureLoaderPresenter([&](const std::string&, TextureLoaderChoice& choice) {
    ++shown;
    choice.path = path;
    return true;
  });
  TextureSearch& search = GetTextureSearch();
  search.forceSearch = 1;
  for (int i = 0; i < 2; ++i) {
    rm::TexturePtr texture;
    EXPECT_EQ(TextureLoadCallback("forced.bmp", &search, &texture), 0);
    EXPECT_TRUE(texture);
    EXPECT_NE(texture, FindCachedTexture("forced.bmp"));
  }
  EXPECT_EQ(shown, 2);
  EXPECT_FALSE(FindCachedTexture(path.c_str()));
}

TEST_F(TextureSearchTest, AChosenFileThatWillNotLoadAsksToTryAgain) {
  const std::string path = Bmp("vanishing.bmp");
  SetTextureLoaderPresenter([&](const std::string&, TextureLoaderChoice& choice) {
    std::filesystem::remove(choice.path = path);
    return true;
  });
  ui_.QueueAnswer(UiAnswer::No);
  rm::TexturePtr texture;
  EXPECT_EQ(TextureLoadCallback("vanishing.bmp", &GetTextureSearch(), &texture), RMERR_BADVALUE);
  ASSERT_EQ(ui_.asked().size(), 1u);
  EXPECT_EQ(ui_.asked()[0].text, "Try again?");
  EXPECT_EQ(ui_.asked()[0].caption, "Could not load the specified texture");
}

TEST_F(TextureSearchTest, AskingLoadersUseTheOpenDialog) {
  rm::TexturePtr texture;
  EXPECT_EQ(AskTextureCallback("skin.bmp", nullptr, &texture), RMERR_UNABLETOEXECUTE);
  ASSERT_EQ(ui_.asked().size(), 1u);
  EXPECT_EQ(ui_.asked()[0].text, "Load texture - skin.bmp");
  ui_.QueueOpenFile(Bmp("skin.bmp"));
  EXPECT_EQ(AskTextureCallback("skin.bmp", nullptr, &texture), 0);
  EXPECT_TRUE(texture);
  ui_.QueueOpenFile(Bmp("any.bmp"));
  EXPECT_EQ(AskAnyTextureCallback("any", nullptr, &texture), 0);
  EXPECT_TRUE(texture);
  EXPECT_EQ(AskAnyTextureCallback("any", nullptr, &texture), RMERR_UNABLETOEXECUTE);
}

TEST(Bitmap, CopiesKeepTheFormatAndStretchToASizeOfTheirOwn) {
  // Decoding is the image layer's; the copy rebuilds the palette, whose caps
  // follow the colour count rather than the depth.
  testsupport::TempDir dir;
  std::vector<uint32_t> palette(16, 0x010203);
  palette[1] = 0xC86432;
  const std::string indexed = dir.File("p.bmp"), path = dir.File("t.bmp");
  testsupport::WriteBmp(indexed, 3, 2, 8, {0, 1, 0, 1, 1, 0}, palette);
  rm::SurfacePtr p = LoadBitmapSurface(indexed.c_str(), 0, 0);
  ASSERT_TRUE(p && p->GetPalette());
  EXPECT_EQ(p->GetPixelFormat().bitsPerPixel, 8u);
  EXPECT_EQ(p->GetPalette()->GetCaps(), rm::PCAPS_4BIT);
  EXPECT_EQ(p->GetColor(1, 0), 0xFFC86432u);
  EXPECT_EQ(p->GetColor(0, 1), 0xFFC86432u);

  testsupport::WriteBmp(path, 2, 2, 24, {0x102030, 0x405060, 0x708090, 0xA0B0C0});
  rm::SurfacePtr s = LoadBitmapSurface(path.c_str(), 0, 0);
  ASSERT_TRUE(s);
  EXPECT_TRUE(s->GetPixelFormat().bitsPerPixel == 24 && !s->GetPalette());
  EXPECT_EQ(s->GetColor(1, 1), 0xFFA0B0C0u);
  rm::SurfacePtr big = LoadBitmapSurface(path.c_str(), 4, 4);
  ASSERT_TRUE(big && big->GetWidth() == 4);
  EXPECT_EQ(big->GetColor(3, 3), 0xFFA0B0C0u);
  EXPECT_EQ(big->GetColor(1, 0), 0xFF102030u);

  EXPECT_FALSE(LoadBitmapSurface(dir.File("missing.bmp").c_str(), 0, 0));
  EXPECT_EQ(CopyBitmapToSurface(nullptr, s, 0, 0, 0, 0), BITMAP_E_FAIL);
  EXPECT_EQ(CopyBitmapToSurface(s, nullptr, 0, 0, 0, 0), BITMAP_E_FAIL);
}

}  // namespace
