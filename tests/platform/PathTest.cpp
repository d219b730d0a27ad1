#include <gtest/gtest.h>

#include "platform/Path.h"

TEST(SplitPath, WindowsPathsFromLightWaveFiles) {
  const PathParts p = SplitPath("C:\\Objects\\ball.lwo");
  EXPECT_EQ(p.drive, "C:");
  EXPECT_EQ(p.directory, "\\Objects\\");
  EXPECT_EQ(p.name, "ball");
  EXPECT_EQ(p.extension, ".lwo");
  EXPECT_EQ(JoinPath(p), "C:\\Objects\\ball.lwo");
}

TEST(SplitPath, MixedSeparatorsDotsAndBareNames) {
  PathParts p = SplitPath("/home/art/my.scenes\\a.b.bmp");
  EXPECT_EQ(p.drive, "");
  EXPECT_EQ(p.directory, "/home/art/my.scenes\\");
  EXPECT_EQ(p.name, "a.b");
  EXPECT_EQ(p.extension, ".bmp");
  p = SplitPath("cube");
  EXPECT_EQ(p.directory, "");
  EXPECT_EQ(p.name, "cube");
  EXPECT_EQ(p.extension, "");
  p = SplitPath("dir.d/noext");
  EXPECT_EQ(p.name, "noext");
  EXPECT_EQ(p.extension, "");
  p = SplitPath("");
  EXPECT_EQ(JoinPath(p), "");
}

TEST(PathHelpers, FileNameDirectoryAndExtension) {
  EXPECT_EQ(PathFileName("C:\\Objects\\ball.lwo"), "ball.lwo");
  EXPECT_EQ(PathFileName("C:ball.lwo"), "ball.lwo");
  EXPECT_EQ(PathFileName("a/b/"), "");
  EXPECT_EQ(PathDirectory("a/b\\c.x"), "a/b\\");
  EXPECT_EQ(PathExtensionLower("CUBE.LWO"), ".lwo");
  EXPECT_EQ(PathExtensionLower("cube"), "");
}
