#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "diag/Dbug.h"
#include "platform/File.h"

using testsupport::CapturedOutput;

// A missing file's report is checked with the IFF reader that opens it.
TEST(CheckedFile, NullHandlesAndBuffersAreReportedAndNotTouched) {
  CapturedOutput out;
  char buffer[4];
  EXPECT_EQ(FileRead(nullptr, 1, 4, nullptr), 0u);
  EXPECT_EQ(FileWrite(nullptr, 1, 4, nullptr), 0u);
  EXPECT_EQ(FileRead(buffer, 1, 4, nullptr), 0u);
  EXPECT_NE(FileSeek(nullptr, 0, 0), 0);
  EXPECT_EQ(FileTell(nullptr), -1);
  EXPECT_EQ(FileLength(nullptr), -1);
  FileClose(nullptr);
  // Each a warning naming its place, in call order.
  std::string said;
  for (const std::string& line : out.lines()) said += line.substr(line.find("): Warning: ") + 12) + "\n";
  EXPECT_EQ(said, testsupport::Golden("platform/golden/null-handles.txt", said));
}

TEST(CheckedFile, LengthKeepsThePositionAndCountsOpenFiles) {
  testsupport::TempDir dir;
  const std::string name = dir.File("ten.bin");
  testsupport::WriteText(name, "0123456789");
  const int32_t open = OpenFileCount();
  FILE* f = FileOpen(name.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(OpenFileCount(), open + 1);
  ASSERT_EQ(FileSeek(f, 3, 0), 0);
  EXPECT_EQ(FileLength(f), 10);
  EXPECT_EQ(FileTell(f), 3);
  char c;
  EXPECT_EQ(FileRead(&c, 1, 1, f), 1u);
  EXPECT_EQ(c, '3');
  FileClose(f);
  EXPECT_EQ(OpenFileCount(), open);
}

TEST(CheckedFile, NamesAreFoundInAnyCase) {
  testsupport::TempDir dir;
  std::filesystem::create_directories(dir.File("Art/Maps"));
  testsupport::WriteText(dir.File("Art/Maps/Skin.BMP"), "skin");
  testsupport::WriteText(dir.File("Art/CUBE.LWO"), "cube");
  testsupport::WriteText(dir.File("Art/twice.txt"), "lower");
  testsupport::WriteText(dir.File("Art/TWICE.txt"), "upper");
  const struct {
    const char* asked;
    const char* found;  // null: the name as asked
    bool reported;
  } cases[] = {
      {"Art/Maps/Skin.BMP", "Art/Maps/Skin.BMP", false},
      {"art/maps/skin.bmp", "Art/Maps/Skin.BMP", false},
      {"ART/CUBE.lwo", "Art/CUBE.LWO", false},
      {"Art/./CUBE.lwo", "Art/./CUBE.LWO", false},
      {"Art/Twice.TXT", "Art/TWICE.txt", true},  // byte order: upper case first
      {"Art/twice.txt", "Art/twice.txt", false},  // as written wins
      {"Art/missing.bmp", nullptr, false},
      {"Art/Maps.bmp/x", nullptr, false},
      {"art/cube.lwo/x", nullptr, false},  // a file is no directory
  };
  for (const auto& c : cases) {
    CapturedOutput out;
    const std::string asked = dir.File(c.asked);
    EXPECT_EQ(FindFileAnyCase(asked), c.found ? dir.File(c.found) : asked) << c.asked;
    EXPECT_EQ(out.Contains("2 names in"), c.reported) << c.asked;
  }
  CapturedOutput out;
  const int32_t open = OpenFileCount();
  EXPECT_TRUE(FileExists(dir.File("art/maps/SKIN.bmp").c_str()));
  FILE* f = FileOpen(dir.File("ART/cube.lwo").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char text[5] = {};
  EXPECT_EQ(FileRead(text, 1, 4, f), 4u);
  EXPECT_STREQ(text, "cube");
  FileClose(f);
  EXPECT_EQ(OpenFileCount(), open);
  EXPECT_TRUE(out.lines().empty());
}
