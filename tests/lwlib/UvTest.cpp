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
  const std::vector<std::string> bad = {
      // polygons numbered 0, 2
      UvFileText(1, {"A"}, {"a.bmp"}, {{0, {{0, 0}}}, {2, {{0, 0}}}}),
      // fewer corner lines than the polygon's count
      UvFileText(1, {"A"}, {"a.bmp"}, {{0, {{0, 0}, {1, 1}}, 3}}),
      // a corner line of two values
      "1\n1\nA\na.bmp\n1\n0 1\n0.5 0.5\n",
      // names missing at the end of the file
      "1\n3\nA\nB\n",
      // counts that are not numbers, negative or far beyond the file
      "x\n", "1\n-1\n", "1\n0\n99999999\n", "1\n0\n1\n0 2000000000\n0 0 0\n",
      "",
  };
  for (const std::string& text : bad) {
    UvSet set;
    EXPECT_FALSE(LoadUvFile(set, Write(text).c_str())) << text;
    EXPECT_EQ(set.polygonCount, 0u);
    EXPECT_TRUE(set.surfaceNames.empty());
  }
  UvSet set;
  EXPECT_FALSE(LoadUvFile(set, dir_.File("missing.uv").c_str()));
}

TEST_F(UvTest, LongNamesAreCutAtTheirBuffer) {
  UvSet set;
  ASSERT_TRUE(LoadUvFile(set, Write(UvFileText(0, {std::string(1500, 'n')}, {"i"}, {})).c_str()));
  EXPECT_EQ(set.surfaceNames[0], std::string(1023, 'n'));
  EXPECT_EQ(set.imageNames[0], "i");  // the rest of the long line is not taken for the next name
}

}  // namespace
