#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "LwobWriter.h"
#include "TestSupport.h"
#include "platform/Process.h"

namespace {

class HmdCommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    testsupport::LwobWriter w;
    w.Points(testsupport::CubePoints()).SurfaceNames({"Red"}).Polygons(testsupport::CubeFaces());
    w.Surface(testsupport::LwobSurface("Red").Colour(255, 0, 0));
    w.Save(dir_.File("cube.lwo"));
  }
  int Run(std::vector<std::string> args, std::string* err = nullptr) {
    args.insert(args.begin(), LWCONV_PATH);
    const ProcessResult r = RunProgram(args, {}, dir_.File("out.txt"), dir_.File("err.txt"));
    if (err) *err = testsupport::ReadText(dir_.File("err.txt"));
    return r.exitStatus;
  }
  testsupport::TempDir dir_;
};

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

TEST_F(HmdCommandsTest, ToLabScalesTheCubeIntoTwoUnits) {
  ASSERT_EQ(Run({"to-lab", dir_.File("cube.lwo"), dir_.File("cube.LAB")}), 0);
  const std::string lab = testsupport::ReadText(dir_.File("cube.lab"));
  EXPECT_EQ(lab.rfind("/* LAB File produced by Vorlan Softworks LightWave Conversion Suite */\n", 0), 0u);
  // Side 2 fits already: scale 1, eight corners at +-4096, every one inverted.
  EXPECT_EQ(Occurrences(lab, "\tSVECTOR(4096, 4096, 4096);\n"), 1u);
  EXPECT_EQ(Occurrences(lab, "\tSVECTOR(-4096, -4096, -4096);\n"), 1u);
  EXPECT_EQ(Occurrences(lab, "PRIM_TYPE(QUAD|IIP);"), 1u);
  EXPECT_EQ(Occurrences(lab, "\tB(255);\n\tB(0);\n\tB(0);\n\tB(0x38);\n"), 6u);

  ASSERT_EQ(Run({"to-lab", "--scale", "0.5", "--hmd-options", "0", dir_.File("cube.lwo"), dir_.File("half.lab")}), 0);
  const std::string half = testsupport::ReadText(dir_.File("half.lab"));
  EXPECT_EQ(Occurrences(half, "\tSVECTOR(2048, 2048, 2048);\n"), 1u);
  ASSERT_EQ(Run({"to-lab", "--scales", "1,0.5,0.25", dir_.File("cube.lwo"), dir_.File("axes.lab")}), 0);
  EXPECT_EQ(Occurrences(testsupport::ReadText(dir_.File("axes.lab")), "\tSVECTOR(-4096, -2048, -1024);\n"), 1u);
}

TEST_F(HmdCommandsTest, ToHmdAndToProcessedLabRunTheToolsBesideLwconv) {
  std::string err;
  ASSERT_EQ(Run({"to-hmd", dir_.File("cube.lwo"), dir_.File("my cube;.HMD")}, &err), 0) << err;
  const std::vector<uint8_t> hmd = testsupport::ReadFile(dir_.File("my cube;.hmd"));
  ASSERT_GE(hmd.size(), 28u);
  EXPECT_EQ(hmd[0], 0x50);
  EXPECT_EQ(hmd[12], 3);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("my cube;.lab")));

  ASSERT_EQ(Run({"to-processed-lab", dir_.File("cube.lwo"), dir_.File("pre.lab")}, &err), 0) << err;
  const std::string pre = testsupport::ReadText(dir_.File("pre.lab"));
  EXPECT_EQ(pre.find("#include"), std::string::npos);
  EXPECT_NE(pre.find("@map(@half(6));"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("pre_tmp.lab")));
}

TEST_F(HmdCommandsTest, BadOptionsAndInputs) {
  std::string err;
  EXPECT_EQ(Run({"to-hmd", "--hmd-options", "128", dir_.File("cube.lwo"), dir_.File("x.hmd")}, &err), 2);
  EXPECT_NE(err.find("--hmd-options takes a number from 0 to 127"), std::string::npos);
  EXPECT_EQ(Run({"to-lab", "--scales", "1,2", dir_.File("cube.lwo"), dir_.File("x.lab")}), 2);
  EXPECT_EQ(Run({"to-lab", "--scale", "big", dir_.File("cube.lwo"), dir_.File("x.lab")}), 2);
  EXPECT_EQ(Run({"to-lab", dir_.File("cube.lwo")}), 2);
  EXPECT_EQ(Run({"to-lab", dir_.File("missing.lwo"), dir_.File("x.lab")}), 1);
  EXPECT_EQ(Run({"to-lab", dir_.File("cube.lwo"), "/no/such/dir/x.lab"}, &err), 1);
  EXPECT_NE(err.find("HMD Error: Converison ended in an error"), std::string::npos);
}
