#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "BmpWriter.h"
#include "LwobWriter.h"
#include "TestSupport.h"
#include "platform/Process.h"

using testsupport::LwobSurface;
using testsupport::LwobWriter;

namespace {

class MeshCommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    LwobWriter w;
    w.Points(testsupport::CubePoints()).SurfaceNames({"Red"}).Polygons(testsupport::CubeFaces());
    w.Surface(LwobSurface("Red").Colour(255, 0, 0).U2("SPEC", 64));
    w.Save(dir_.File("cube.lwo"));
  }
  // Runs lwconv; standard output and error are returned through out and err.
  int Run(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr) {
    args.insert(args.begin(), LWCONV_PATH);
    const ProcessResult r = RunProgram(args, {}, dir_.File("out.txt"), dir_.File("err.txt"));
    if (out) *out = testsupport::ReadText(dir_.File("out.txt"));
    if (err) *err = testsupport::ReadText(dir_.File("err.txt"));
    return r.exitStatus;
  }
  testsupport::TempDir dir_;
};

TEST_F(MeshCommandsTest, InfoDescribesGroupsAndBox) {
  std::string out;
  ASSERT_EQ(Run({"info", "--json", dir_.File("cube.LWO")}, &out), 0);
  EXPECT_EQ(out,
            "{\"groups\":[{\"vertices\":8,\"faces\":6,\"verticesPerFace\":0,\"faceDataSize\":30,"
            "\"colour\":[1,0,0],\"material\":{\"specular\":[0.25,0.25,0.25],\"emissive\":[0,0,0],\"power\":0},"
            "\"texture\":null}],\"box\":{\"min\":[-1,-1,-1],\"max\":[1,1,1]}}\n");
  EXPECT_EQ(Run({"info", dir_.File("cube")}, &out), 1);  // no extension: no kind
  ASSERT_EQ(Run({"info", "--flat", "--no-surfaces", dir_.File("cube.lwo")}, &out), 0);
  EXPECT_NE(out.find("group 0: 24 vertices, 6 faces, 0 vertices per face, 30 face data words"), std::string::npos);
  EXPECT_NE(out.find("colour 1 1 1"), std::string::npos);
  EXPECT_NE(out.find("box min -1 -1 -1 max 1 1 1"), std::string::npos);
}

TEST_F(MeshCommandsTest, ToMshWritesAFileThatReadsBack) {
  const std::string msh = dir_.File("cube.msh");
  ASSERT_EQ(Run({"to-msh", dir_.File("cube.lwo"), msh}), 0);
  EXPECT_EQ(testsupport::ReadFile(msh).size(), 8u + 48 + 4 + 24 + 4 * 30 + 36 * 8);
  std::string out;
  ASSERT_EQ(Run({"info", "--json", msh}, &out), 0);
  // As the viewer shows a .msh: geometry and no material.
  EXPECT_NE(out.find("\"vertices\":8,\"faces\":6"), std::string::npos);
  EXPECT_NE(out.find("\"material\":null"), std::string::npos);
  const std::string copy = dir_.File("copy.MSH");
  ASSERT_EQ(Run({"to-msh", msh, copy}), 0);
  EXPECT_EQ(testsupport::ReadFile(copy), testsupport::ReadFile(msh));
}

TEST_F(MeshCommandsTest, ToXWritesATextDirectXFileThatReadsBack) {
  const std::string x = dir_.File("cube.x");
  ASSERT_EQ(Run({"to-x", "--flat", dir_.File("cube.lwo"), x}), 0);
  EXPECT_EQ(testsupport::ReadText(x).rfind("xof 0302txt 0032", 0), 0u);
  std::string out;
  ASSERT_EQ(Run({"info", "--json", x}, &out), 0);
  EXPECT_NE(out.find("\"faces\":6"), std::string::npos) << out;
  EXPECT_NE(out.find("\"box\":{\"min\":[-1,-1,-1],\"max\":[1,1,1]}"), std::string::npos) << out;
  const std::string msh = dir_.File("fromx.msh");
  ASSERT_EQ(Run({"to-msh", x, msh}), 0);
  ASSERT_EQ(Run({"to-x", msh, dir_.File("again.X")}), 0);
  std::string err;
  EXPECT_EQ(Run({"to-x", dir_.File("cube.lwo"), dir_.File("no-dir") + "/o.x"}, nullptr, &err), 1);
  EXPECT_NE(err.find("o.x: could not write the .x file"), std::string::npos);
}

TEST_F(MeshCommandsTest, TexturesComeFromTheTextureDirectoriesOnly) {
  LwobWriter w;
  w.Points(testsupport::CubePoints()).SurfaceNames({"Skin", "Cloth"}).Polygons(testsupport::CubeFaces());
  w.UvImages({"C:\\art\\skin.bmp", "cloth.bmp"});
  w.UvCoordinates(std::vector<std::vector<std::array<float, 2>>>(6, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
  w.Save(dir_.File("dressed.lwo"));
  std::filesystem::create_directory(dir_.File("maps"));
  testsupport::BmpSpec grey;
  grey.width = grey.height = 1;
  grey.pixelData = testsupport::PackBmpRows(1, 1, 24, {0x808080});
  testsupport::WriteFile(dir_.File("maps/skin.bmp"), testsupport::MakeBmp(grey));
  std::string out;
  ASSERT_EQ(Run({"info", "--json", "--texture-dir", dir_.File("maps"), dir_.File("dressed.lwo")}, &out), 0);
  // cloth.bmp is nowhere: nobody is asked, the group stays untextured.
  EXPECT_NE(out.find("\"texture\":\"skin.bmp\"}"), std::string::npos) << out;
  EXPECT_NE(out.find("\"texture\":null}"), std::string::npos) << out;
  ASSERT_EQ(Run({"info", "--json", dir_.File("dressed.lwo")}, &out), 0);
  EXPECT_EQ(out.find("skin.bmp"), std::string::npos);
}

TEST_F(MeshCommandsTest, FailuresNameTheFileAndUsageErrorsShowTheSynopsis) {
  std::string err;
  EXPECT_EQ(Run({"info", dir_.File("missing.lwo")}, nullptr, &err), 1);
  EXPECT_NE(err.find("missing.lwo: no such file"), std::string::npos);
  testsupport::WriteText(dir_.File("notes.txt"), "hello");
  EXPECT_EQ(Run({"to-x", dir_.File("notes.txt"), dir_.File("o.x")}, nullptr, &err), 1);
  EXPECT_NE(err.find("notes.txt: not a .lwo, .msh or .x file"), std::string::npos);
  testsupport::WriteText(dir_.File("broken.lwo"), "FORM....LWOB");
  EXPECT_EQ(Run({"--quiet", "to-msh", dir_.File("broken.lwo"), dir_.File("o.msh")}, nullptr, &err), 1);
  EXPECT_NE(err.find("broken.lwo: could not load the LightWave object"), std::string::npos);
  testsupport::WriteText(dir_.File("broken.msh"), "mesh");
  EXPECT_EQ(Run({"info", dir_.File("broken.msh")}, nullptr, &err), 1);
  EXPECT_NE(err.find("broken.msh"), std::string::npos);
  EXPECT_EQ(Run({"to-msh", dir_.File("cube.lwo"), dir_.File("no-dir") + "/o.msh"}, nullptr, &err), 1);
  EXPECT_NE(err.find("o.msh: could not write the .msh file"), std::string::npos);

  EXPECT_EQ(Run({"info"}, nullptr, &err), 2);
  EXPECT_NE(err.find("usage: lwconv info"), std::string::npos);
  EXPECT_EQ(Run({"to-x", dir_.File("cube.lwo")}), 2);
  EXPECT_EQ(Run({"to-msh", "--texture-dir"}), 2);
  EXPECT_EQ(Run({"to-msh", "--json", dir_.File("cube.lwo"), dir_.File("o.msh")}), 2);
}

}  // namespace
