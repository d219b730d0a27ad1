#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/Process.h"

TEST(Lwconv, HelpUsageErrorsAndExitStatuses) {
  testsupport::TempDir dir;
  const std::string out = dir.File("out.txt");
  ProcessResult r = RunProgram({LWCONV_PATH, "--help"}, {}, out);
  EXPECT_EQ(r.exitStatus, 0);
  const std::string help = testsupport::ReadText(out);
  EXPECT_NE(help.find("usage: lwconv"), std::string::npos);
  EXPECT_NE(help.find("lwconv version"), std::string::npos);
  EXPECT_EQ(RunProgram({LWCONV_PATH}, {}, out).exitStatus, 2);
  EXPECT_EQ(RunProgram({LWCONV_PATH, "no-such-command"}, {}, out).exitStatus, 2);
  EXPECT_EQ(RunProgram({LWCONV_PATH, "--bogus"}, {}, out).exitStatus, 2);
  EXPECT_EQ(RunProgram({LWCONV_PATH, "version", "extra"}, {}, out).exitStatus, 2);
}
