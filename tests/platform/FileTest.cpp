#include <gtest/gtest.h>

#include "TestSupport.h"
#include "diag/Dbug.h"
#include "platform/File.h"

using testsupport::CapturedOutput;

TEST(CheckedFile, MissingFileIsReportedWithNameAndMode) {
  CapturedOutput out;
  const int32_t open = OpenFileCount();
  EXPECT_EQ(FileOpen("/no/such/file.lwo", "rb"), nullptr);
  ASSERT_EQ(out.lines().size(), 1u);
  EXPECT_NE(out.lines()[0].find("Warning: Could not open file /no/such/file.lwo - mode rb"), std::string::npos);
  EXPECT_EQ(OpenFileCount(), open);
}

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
  const std::vector<std::string> expected = {
      "Attempt to fread into an empty buffer",  "Attempt to fread from a NULL file handle",
      "Attempt to fwrite into an empty buffer", "Attempt to fwrite from a NULL file handle",
      "Attempt to fread from a NULL file handle", "Attempt to fseek with a NULL file handle",
      "Attempt to ftell with a NULL file handle", "Attempt to flen with a NULL file handle",
      "Attempt to close a NULL file handle"};
  ASSERT_EQ(out.lines().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const std::string& line = out.lines()[i];
    EXPECT_EQ(line.substr(line.size() - expected[i].size()), expected[i]);
    EXPECT_NE(line.find("): Warning: "), std::string::npos);
  }
}

TEST(CheckedFile, LengthKeepsThePositionAndCountsOpenFiles) {
  testsupport::TempDir dir;
  const std::string name = dir.File("ten.bin");
  testsupport::WriteText(name, "0123456789");
  const int32_t open = OpenFileCount();
  EXPECT_TRUE(FileExists(name.c_str()));
  EXPECT_FALSE(FileExists(dir.File("missing").c_str()));
  EXPECT_EQ(OpenFileCount(), open);
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
