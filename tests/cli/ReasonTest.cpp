// Every failure tells its reason, where it was found, with or without --quiet.
#include <gtest/gtest.h>

#include <filesystem>

#include "Lwconv.h"
#include "writers/LwsWriter.h"
#include "writers/TimWriter.h"

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
  testsupport::WriteText(dir.File("bad.lws"), testsupport::LwsWriter().Header().Line("LoadObject a.lwo").Line(
                                                  "ShowObject 6 x7").text());
  // One group whose 100 vertices would need 3,600 bytes after its records.
  std::vector<uint8_t> msh = {'M', 'E', 'S', 'H', 1, 0, 0, 0};
  msh.resize(8 + 52 + 24 + 16);
  msh[8 + 52 + 4] = 3, msh[8 + 52 + 8] = 100, msh[8 + 52 + 12] = 1, msh[8 + 52 + 16] = 4;
  testsupport::WriteFile(dir.File("big.msh"), msh);
  testsupport::WriteText(dir.File("huge.x"), "xof 0303txt 0032\nMesh {\n1000000000;\n0;0;0;;\n}\n");
  // A textured cube whose texture's TIM is cut short.
  testsupport::LwobWriter()
      .Points(testsupport::CubePoints())
      .SurfaceNames({"Skin"})
      .Polygons(testsupport::CubeFaces())
      .UvImages({"skin.bmp"})
      .UvCoordinates(std::vector<std::vector<std::array<float, 2>>>(6, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}))
      .Save(dir.File("dressed.lwo"));
  std::filesystem::create_directory(dir.File("maps"));
  testsupport::WriteBmp(dir.File("maps/skin.bmp"), 1, 1, 24, {0x808080});
  std::vector<uint8_t> tim = testsupport::MakeTim(testsupport::Tim4Bit(0, 0, 4, 4));
  tim.resize(tim.size() - 2);
  testsupport::WriteFile(dir.File("maps/skin.tim"), tim);
  const struct {
    std::vector<std::string> args;
    std::string reason;
    std::string by = "lwconv: ";  // the HMD conversion tells it in its error box
  } cases[] = {
      {{"info", dir.File("cut.lwo")}, "cut.lwo: FORM chunk at byte 0: the form needs 116 bytes but the file ends after 106"},
      {{"info", "--quiet", dir.File("holed.lwo")}, "holed.lwo: POLS chunk at byte 128: polygon 5 names point 3,000 of 8\n"},
      {{"scene", dir.File("bad.lws"), "--quiet"}, "bad.lws: line 10: ShowObject: cannot use \"x7\"\n"},
      {{"info", dir.File("big.msh")}, "big.msh: at byte 60: group 0: 100 vertices need 3,600 bytes but 0 are left after the face data\n"},
      {{"info", dir.File("huge.x")}, "huge.x: at byte 24, line 3: Mesh declares 1,000,000,000 vertices: they need at least 3,000,000,000 bytes but 12 are left\n"},
      {{"to-lab", "--quiet", "--texture-dir", dir.File("maps"), dir.File("dressed.lwo"), dir.File("d.lab")},
       "maps/skin.tim: image chunk at byte 52: the block's 44 bytes run past the end of the file (94 bytes)\n",
       "HMD Error: "},
  };
  for (const auto& c : cases) {
    const clitest::LwconvRun r = Lwconv(dir, c.args);
    EXPECT_EQ(r.status, 1) << c.reason;
    EXPECT_NE(r.err.find(c.by + dir.File(c.reason)), std::string::npos) << r.err;
  }
}
