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
  // Options shared by several commands are described once.
  for (const char* option : {"  --hmd-options N ", "  --texture-dir DIR ", "  --flat ", "  OUT.lab "})
    EXPECT_EQ(clitest::Occurrences(help.out, option), 1u) << option;

  // As common tools do: --version, one command's help, and a short answer to
  // a usage error that says where the help is.
  const clitest::LwconvRun version = Lwconv(dir, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, Lwconv(dir, {"version"}).out);
  EXPECT_EQ(version.out.rfind("lwconv ", 0), 0u);
  const clitest::LwconvRun toLab = Lwconv(dir, {"to-lab", "--help"});
  EXPECT_EQ(toLab.status, 0);
  for (const char* text : {"usage: lwconv to-lab", "  --hmd-options N ", "  --texture-dir DIR ",
                           "a.lab is\n                      written as a.lab.lab, Model.LaB as Model.lab"})
    EXPECT_NE(toLab.out.find(text), std::string::npos) << text << toLab.out;
  EXPECT_EQ(toLab.out.find("--json"), std::string::npos);
  const struct {
    std::vector<std::string> args;
    const char* said;
  } shortAnswers[] = {{{}, "try 'lwconv --help'"},
                      {{"--bogus"}, "try 'lwconv --help'"},
                      {{"no-such-command"}, "try 'lwconv --help'"},
                      {{"info", "--bogus"}, "try 'lwconv info --help'"}};
  for (const auto& c : shortAnswers) {
    const clitest::LwconvRun r = Lwconv(dir, c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    EXPECT_LE(clitest::Occurrences(r.err, "\n"), 4u) << r.err;
  }

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
