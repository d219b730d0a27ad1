#include <gtest/gtest.h>

#include "Lwconv.h"

using clitest::Lwconv;

TEST(Lwconv, HelpAndUsageErrors) {
  testsupport::TempDir dir;
  const clitest::LwconvRun help = Lwconv(dir, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: lwconv"), std::string::npos);
  EXPECT_NE(help.out.find("lwconv version"), std::string::npos);
  EXPECT_NE(Lwconv(dir, {"info"}).err.find("usage: lwconv info"), std::string::npos);

  // Usage errors exit 2 before any file is looked at.
  const std::vector<std::vector<std::string>> usageErrors = {
      {}, {"no-such-command"}, {"--bogus"}, {"version", "extra"},
      {"bsp"}, {"bsp", "--bogus", "a.lwo"}, {"bsp", "a.lwo", "b.lwo"},
      {"info"}, {"to-x", "a.lwo"}, {"to-msh", "--texture-dir"}, {"to-msh", "--json", "a.lwo", "o.msh"},
      {"to-lab", "--scales", "1,2", "a.lwo", "x.lab"}, {"to-lab", "--scale", "big", "a.lwo", "x.lab"},
      {"to-lab", "a.lwo"}, {"to-hmd", "--hmd-options", "128", "a.lwo", "x.hmd"},
      {"scene"}, {"scene", "a.lws", "--time"}, {"scene", "a.lws", "--time", "x"},
      {"scene", "a.lws", "--rotation-order", "6"}, {"scene", "a.lws", "--bogus"}};
  for (const auto& args : usageErrors) {
    std::string joined;
    for (const std::string& a : args) joined += a + " ";
    EXPECT_EQ(Lwconv(dir, args).status, 2) << joined;
  }
  EXPECT_NE(Lwconv(dir, {"to-hmd", "--hmd-options", "128", "a.lwo", "x.hmd"}).err.find(
                "--hmd-options takes a number from 0 to 127"),
            std::string::npos);
}
