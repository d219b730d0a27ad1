#include <gtest/gtest.h>

#include "platform/Path.h"

// Windows paths from LightWave files, mixed separators, dots and bare names.
TEST(SplitPath, PartsJoinBackToThePath) {
  const struct {
    const char *path, *drive, *directory, *name, *extension;
  } cases[] = {{"C:\\Objects\\ball.lwo", "C:", "\\Objects\\", "ball", ".lwo"},
               {"/home/art/my.scenes\\a.b.bmp", "", "/home/art/my.scenes\\", "a.b", ".bmp"},
               {"cube", "", "", "cube", ""},
               {"dir.d/noext", "", "dir.d/", "noext", ""},
               {"", "", "", "", ""}};
  for (const auto& c : cases) {
    const PathParts p = SplitPath(c.path);
    EXPECT_EQ(p.drive + "|" + p.directory + "|" + p.name + "|" + p.extension,
              std::string(c.drive) + "|" + c.directory + "|" + c.name + "|" + c.extension);
    EXPECT_EQ(JoinPath(p), c.path);
  }
}

TEST(PathHelpers, FileNameDirectoryAndExtension) {
  EXPECT_EQ(PathFileName("C:\\Objects\\ball.lwo"), "ball.lwo");
  EXPECT_EQ(PathFileName("C:ball.lwo"), "ball.lwo");
  EXPECT_EQ(PathFileName("a/b/"), "");
  EXPECT_EQ(PathDirectory("a/b\\c.x"), "a/b\\");
  EXPECT_EQ(PathExtensionLower("CUBE.LWO"), ".lwo");
  EXPECT_EQ(PathExtensionLower("cube"), "");
}
