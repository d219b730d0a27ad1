#include <gtest/gtest.h>

#include "TestSupport.h"
#include "diag/Dbug.h"
#include "diag/Failure.h"

using testsupport::CapturedOutput;

TEST(DebugReport, OneLineWithoutNewlineCutAtTheBufferAndNothingWhenSilent) {
  CapturedOutput out(DEBUG_MODE_OUTPUT);
  DebugReport("the text", "Warning:", "src/x.cpp", 42);
  DebugReport(std::string(5000, 'x').c_str(), "Warning:", "m", 1);
  ASSERT_EQ(out.lines().size(), 2u);
  EXPECT_EQ(out.lines()[0], "src/x.cpp(42): Warning: the text");
  EXPECT_EQ(out.lines()[1].size(), DEBUG_BUFFER_SIZE - 1);
  ScopedDebugMode silent(DEBUG_MODE_SILENT);
  DebugReport("dropped", "Message:", "m", 1);
  ReportWarning("dropped too");
  EXPECT_EQ(out.lines().size(), 2u);
}

TEST(DebugReport, ReportWarningAndMessageNameTheCallingFileAndLine) {
  CapturedOutput out(DEBUG_MODE_OUTPUT);
  const int line = __LINE__ + 1;
  ReportWarning("w");
  ReportMessage("m");
  ASSERT_EQ(out.lines().size(), 2u);
  const std::string file = __FILE__;
  EXPECT_EQ(out.lines()[0], file + "(" + std::to_string(line) + "): Warning: w");
  EXPECT_EQ(out.lines()[1], file + "(" + std::to_string(line + 1) + "): Message: m");
  // Paths are relative to the source tree, not to wherever it was checked out.
  EXPECT_EQ(file.rfind("tests/diag/", 0), 0u) << file;
}

TEST(DebugReport, AskModeAsksThroughTheHookOrElseWritesTheLine) {
  testsupport::CapturedOutput out(DEBUG_MODE_ASK);
  std::string asked, title;
  SetDebugAskHook([&](const char* text, const char* t) {
    asked = text, title = t;
    return false;  // No
  });
  DebugReport("question", "Warning:", "mod", 7);
  SetDebugAskHook(nullptr);
  EXPECT_EQ(asked + "|" + title, "mod(7): Warning: question|Debug Application ?: ");
  EXPECT_TRUE(out.lines().empty());
  DebugReport("nobody to ask", "Warning:", "mod", 3);
  EXPECT_EQ(out.lines(), std::vector<std::string>{"mod(3): Warning: nobody to ask"});
}

TEST(DebugMode, StartsInAskModeAndRefusesIllegalModes) {
  EXPECT_EQ(GetDebugMode(), DEBUG_MODE_ASK);  // nothing has changed it in this process yet
  CapturedOutput out(DEBUG_MODE_OUTPUT);
  SetDebugMode(3);
  EXPECT_EQ(GetDebugMode(), DEBUG_MODE_OUTPUT);
  ASSERT_EQ(out.lines().size(), 1u);
  EXPECT_NE(out.lines()[0].find("): Warning: Invalid debugging mode - debug the debugger!"), std::string::npos);
  SetDebugMode(-1);
  EXPECT_EQ(out.lines().size(), 2u);
  {
    ScopedDebugMode silent(DEBUG_MODE_SILENT);
    EXPECT_EQ(GetDebugMode(), DEBUG_MODE_SILENT);
    SetDebugMode(7);  // reported in the mode still in force: silent
  }
  EXPECT_EQ(out.lines().size(), 2u);
  EXPECT_EQ(GetDebugMode(), DEBUG_MODE_OUTPUT);
}

TEST(DebugFormat, SharesOneBufferAndTracesWriteTheTextAsItIs) {
  char* first = DebugFormat("%s %i", "a", 1);
  EXPECT_STREQ(first, "a 1");
  EXPECT_EQ(DebugFormat("%05.1f", 2.25), first);
  EXPECT_STREQ(first, "002.2");
  CapturedOutput out(DEBUG_MODE_SILENT);  // traces do not depend on the mode
  DebugTrace(0, "trace %d\n", 5);
  DebugTrace(0, "%s", std::string(800, 'y').c_str());
  ASSERT_EQ(out.lines().size(), 2u);
  EXPECT_EQ(out.lines()[0], "trace 5\n");
  EXPECT_EQ(out.lines()[1].size(), DEBUG_TRACE_BUFFER_SIZE - 1);
}

TEST(DebugOutput, TheDefaultChannelEndsEveryTextsLineOnStandardError) {
  SetDebugOutputSink(nullptr);
  testing::internal::CaptureStderr();
  OutputDebugText("src/a.cpp(1): Warning: one");
  OutputDebugText("two\n");
  OutputDebugText("");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "src/a.cpp(1): Warning: one\ntwo\n\n");
}

TEST(DebugTraceDeathTest, ExitAfterEndsTheProgramWithStatusZero) {
  EXPECT_EXIT(DebugTrace(1, "bye"), testing::ExitedWithCode(0), "bye");
}

TEST(Failure, TextNamesTheChunkOffsetAndLineAndTheFirstReasonWins) {
  Failure why;
  why.file = "ball.lwo";
  EXPECT_FALSE(FailAt(&why, "POLS", 1204, "polygon %d names point %s of %s", 17, Thousands(3000).c_str(),
                      Thousands(2400).c_str()));
  EXPECT_FALSE(Fail(&why, "outer reason"));
  EXPECT_EQ(why.FileText(), "ball.lwo: POLS chunk at byte 1,204: polygon 17 names point 3,000 of 2,400");
  Failure line;
  FailAtLine(&line, 12, "no value");
  EXPECT_EQ(line.Text(), "line 12: no value");
  EXPECT_FALSE(Fail(nullptr, "nobody asked"));
  EXPECT_EQ(Thousands(-1234567), "-1,234,567");
  EXPECT_EQ(Thousands(999), "999");
}
