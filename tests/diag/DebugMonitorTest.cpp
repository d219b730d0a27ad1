#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "TestSupport.h"
#include "diag/Dbug.h"
#include "diag/DebugMonitor.h"
#include "platform/Process.h"

namespace {
// This program's monitors use names of their own, so other test runs on the
// machine (and any monitor a developer left running) stay out of the way.
const bool kOwnNames = setenv("LWCS_DBWIN_NAMESPACE", ("lwcs-test-" + std::to_string(getpid()) + "-").c_str(), 1) == 0;
}  // namespace

// Without a monitor the hand-off fails (checked after dbmon ends below).
TEST(DebugMonitor, DbmonPrintsWhatAnotherProcessWrites) {
  ASSERT_TRUE(kOwnNames);
  testsupport::TempDir dir;
  const std::string out = dir.File("dbmon.out");
  ProcessResult result;
  std::thread monitor([&] { result = RunProgram({DBMON_PATH, "--pid", "--count", "2", "--seconds", "30"}, {}, out); });
  // Wait until dbmon listens; the first text that gets through proves it.
  bool delivered = false;
  for (int i = 0; i < 100 && !delivered; ++i) {
    delivered = HandToDebugMonitor("first text");
    if (!delivered) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(delivered);
  // The default output channel hands every text over as well.
  SetDebugOutputSink(nullptr);
  OutputDebugText("second text\n");
  monitor.join();
  ASSERT_TRUE(result.Succeeded()) << result.Describe();
  const std::string pid = std::to_string(getpid());
  EXPECT_EQ(testsupport::ReadText(out), pid + ": first text\n" + pid + ": second text\n");
  // dbmon removed its names when it ended.
  EXPECT_FALSE(HandToDebugMonitor("after the end"));
}

TEST(DebugMonitor, InProcessMonitorReceivesProcessIdAndText) {
  DebugMonitor monitor;
  std::string error;
  ASSERT_TRUE(monitor.Start(error)) << error;
  const std::string longText(5000, 'z');
  std::thread writer([&] {
    HandToDebugMonitor("one");
    HandToDebugMonitor(longText.c_str());
  });
  uint32_t pid = 0;
  std::string text;
  ASSERT_TRUE(monitor.Receive(pid, text, 2000));
  EXPECT_EQ(pid, static_cast<uint32_t>(getpid()));
  EXPECT_EQ(text, "one");
  ASSERT_TRUE(monitor.Receive(pid, text, 2000));
  EXPECT_EQ(text, longText.substr(0, DBWIN_BUFFER_SIZE - 5));  // cut to the shared buffer
  writer.join();
}
