#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "writers/LwobWriter.h"
#include "TestSupport.h"
#include "platform/File.h"
#include "lwlib/object/Uv.h"

using testsupport::UvFileText;

namespace {

class UvTest : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(OpenFileCount(), files_);
    EXPECT_EQ(testsupport::LiveTrackedBlocks(), live_);
  }
  std::string Write(const std::string& text) {
    const std::string path = dir_.File("object.uv");
    testsupport::WriteText(path, text);
    return path;
  }
  testsupport::TempDir dir_;
  int32_t live_ = testsupport::LiveTrackedBlocks();
  int32_t files_ = OpenFileCount();
};

TEST_F(UvTest, ReadsNamesCountsAndPairs) {
  // "%i" numbers: 010 is octal eight, 0x2 is two; blank lines before the first
  // name are skipped, later names are taken as they stand (CR of CRLF dropped).
  std::string text = "0x2\n02\n\n\n  Skin\r\n Cloth \nskin.bmp\nNULL\n010\n";
  for (int i = 0; i < 8; ++i) text += std::to_string(i) + " 1\n0.25 -1.5 99\n";
  UvSet set;
  ASSERT_TRUE(LoadUvFile(set, Write(text).c_str()));
  EXPECT_EQ(set.kind, 2);
  ASSERT_EQ(set.surfaceCount, 2u);
  EXPECT_EQ(set.surfaceNames, (std::vector<std::string>{"Skin", " Cloth "}));
  EXPECT_EQ(set.imageNames, (std::vector<std::string>{"skin.bmp", "NULL"}));
  ASSERT_EQ(set.polygonCount, 8u);
  EXPECT_TRUE(set.polygonUvs[7].polygonIndex == 7 && set.polygonUvs[7].vertexCount == 1);
  float u, v;
  EXPECT_TRUE(UvAt(set, 7, 0, u, v));
  EXPECT_TRUE(u == 0.25f && v == -1.5f);
  // A list shorter than its polygon gives (0, 0) for the corners it lacks.
  EXPECT_FALSE(UvAt(set, 7, 1, u, v));
  EXPECT_TRUE(u == 0 && v == 0);
  EXPECT_FALSE(UvAt(set, 8, 0, u, v));
  FreeUvSet(set);
  EXPECT_EQ(set.polygonCount, 0u);
  EXPECT_TRUE(set.imageNames.empty());
}

TEST_F(UvTest, MalformedFilesLeaveNoSet) {
  // Each with the reason it gives.
  const std::vector<std::pair<std::string, std::string>> bad = {
      {UvFileText(1, {"A"}, {"a.bmp"}, {{0, {{0, 0}}}, {2, {{0, 0}}}}), "line 8: polygon 2 where polygon 1 was due"},
      {UvFileText(1, {"A"}, {"a.bmp"}, {{0, {{0, 0}, {1, 1}}, 3}}),
       "line 9: expected corner 2 of polygon 0 (u, v and a number)"},
      {"1\n1\nA\na.bmp\n1\n0 1\n0.5 0.5\n", "line 8: expected corner 0 of polygon 0 (u, v and a number)"},
      {"1\n3\nA\nB\n", "line 5: the file ends before surface name 3 of 3"},
      {"x\n", "line 1: expected the kind number"},
      {"1\n-1\n", "line 2: surface count -1 is negative"},
      {"1\n0\n99999999\n", "line 3: 99,999,999 polygons cannot fit in a file of 13 bytes"},
      {"1\n0\n1\n0 2000000000\n0 0 0\n", "line 4: 2,000,000,000 corners of polygon 0 cannot fit in a file of 25 bytes"},
      {"", "line 1: expected the kind number"},
  };
  for (const auto& [text, reason] : bad) {
    UvSet set;
    Failure why;
    EXPECT_FALSE(LoadUvBytes(set, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), &why));
    EXPECT_EQ(why.Text(), reason) << text;
    EXPECT_EQ(set.polygonCount, 0u);
    EXPECT_TRUE(set.surfaceNames.empty());
  }
  UvSet set;
  EXPECT_FALSE(LoadUvFile(set, dir_.File("missing.uv").c_str()));
}

TEST_F(UvTest, LongNamesAreCutAtTheirBuffer) {
  UvSet set;
  const std::string text = UvFileText(0, {std::string(1500, 'n')}, {"i"}, {});
  ASSERT_TRUE(LoadUvBytes(set, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())));
  EXPECT_EQ(set.surfaceNames[0], std::string(1023, 'n'));
  EXPECT_EQ(set.imageNames[0], "i");  // the rest of the long line is not taken for the next name
}

}  // namespace
