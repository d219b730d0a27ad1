// Every failure tells its reason, where it was found, with or without --quiet.
#include <gtest/gtest.h>

#include "Lwconv.h"

using clitest::Lwconv;

TEST(LwconvReasons, NameWhatAndWhere) {
  testsupport::TempDir dir;
  std::vector<uint8_t> cube = testsupport::LwobWriter().Points(testsupport::CubePoints()).Bytes();
  cube.resize(cube.size() - 10);
  testsupport::WriteFile(dir.File("cut.lwo"), cube);
  std::vector<testsupport::LwobPolygon> faces = testsupport::CubeFaces();
  faces[5].points[2] = 3000;
  testsupport::LwobWriter().Points(testsupport::CubePoints()).SurfaceNames({"Red"}).Polygons(faces).Save(
      dir.File("holed.lwo"));
  const struct {
    std::vector<std::string> args;
    std::string reason;
  } cases[] = {
      {{"info", dir.File("cut.lwo")}, "cut.lwo: FORM chunk at byte 0: the form needs 116 bytes but the file ends after 106"},
      {{"info", "--quiet", dir.File("holed.lwo")}, "holed.lwo: POLS chunk at byte 128: polygon 5 names point 3,000 of 8\n"},
  };
  for (const auto& c : cases) {
    const clitest::LwconvRun r = Lwconv(dir, c.args);
    EXPECT_EQ(r.status, 1) << c.reason;
    EXPECT_NE(r.err.find("lwconv: " + dir.File(c.reason)), std::string::npos) << r.err;
  }
}
