#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/Process.h"

TEST(RunProgram, RedirectsInputAndOutputWithoutAShell) {
  testsupport::TempDir dir;
  const std::string in = dir.File("in; rm -rf x.txt");  // a name a shell would split
  const std::string out = dir.File("out 'quoted'.txt");
  testsupport::WriteText(in, "hello\n");
  const ProcessResult r = RunProgram({"cat"}, in, out);
  ASSERT_TRUE(r.Succeeded()) << r.Describe();
  EXPECT_EQ(testsupport::ReadText(out), "hello\n");
}

TEST(RunProgram, ReportsExitStatusSignalsAndMissingPrograms) {
  ProcessResult r = RunProgram({"sh", "-c", "exit 3"});
  EXPECT_TRUE(r.started);
  EXPECT_EQ(r.exitStatus, 3);
  EXPECT_FALSE(r.Succeeded());
  EXPECT_EQ(r.Describe(), "exit status 3");
  r = RunProgram({"sh", "-c", "kill -9 $$"});
  EXPECT_EQ(r.signal, 9);
  EXPECT_FALSE(r.Succeeded());
  r = RunProgram({"/no/such/program"});
  EXPECT_FALSE(r.started);
  EXPECT_NE(r.Describe().find("/no/such/program"), std::string::npos);
  r = RunProgram({"cat"}, "/no/such/input");
  EXPECT_FALSE(r.Succeeded());
}
