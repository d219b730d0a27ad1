#include <gtest/gtest.h>

#include <filesystem>

#include "Lwconv.h"

using clitest::Lwconv;
using clitest::Occurrences;

TEST(HmdCommands, ToLabScalesTheCubeIntoTwoUnits) {
  testsupport::TempDir dir;
  const std::string cube = clitest::WriteCube(dir);
  ASSERT_EQ(Lwconv(dir, {"to-lab", cube, dir.File("cube.LAB")}).status, 0);
  const std::string lab = testsupport::ReadText(dir.File("cube.lab"));
  EXPECT_EQ(lab.rfind("/* LAB File produced by Vorlan Softworks LightWave Conversion Suite */\n", 0), 0u);
  // Side 2 fits already: scale 1, corners at +-4096.
  EXPECT_EQ(Occurrences(lab, "\tSVECTOR(-4096, -4096, -4096);\n"), 1u);
  EXPECT_EQ(Occurrences(lab, "\tB(255);\n\tB(0);\n\tB(0);\n\tB(0x38);\n"), 6u);

  ASSERT_EQ(Lwconv(dir, {"to-lab", "--scale", "0.5", "--hmd-options", "0", cube, dir.File("half.lab")}).status, 0);
  EXPECT_EQ(Occurrences(testsupport::ReadText(dir.File("half.lab")), "\tSVECTOR(2048, 2048, 2048);\n"), 1u);
  ASSERT_EQ(Lwconv(dir, {"to-lab", "--scales", "1,0.5,0.25", cube, dir.File("axes.lab")}).status, 0);
  EXPECT_EQ(Occurrences(testsupport::ReadText(dir.File("axes.lab")), "\tSVECTOR(-4096, -2048, -1024);\n"), 1u);
}

TEST(HmdCommands, ToHmdAndToProcessedLabRunTheToolsBesideLwconv) {
  testsupport::TempDir dir;
  const std::string cube = clitest::WriteCube(dir);
  // What the files hold and which are tidied away is checked with the export itself.
  clitest::LwconvRun r = Lwconv(dir, {"to-hmd", cube, dir.File("my cube;.HMD")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("my cube;.hmd")));
  r = Lwconv(dir, {"to-processed-lab", cube, dir.File("pre.lab")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(testsupport::ReadText(dir.File("pre.lab")).find("@map(@half(6));"), std::string::npos);

  EXPECT_EQ(Lwconv(dir, {"to-lab", dir.File("missing.lwo"), dir.File("x.lab")}).status, 1);
}
