#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "Lwconv.h"
#include "diag/DebugMonitor.h"
#include "writers/LwsWriter.h"

using clitest::Lwconv;

TEST(SceneCommand, PrintsTheSceneAndItsPosesAsJson) {
  testsupport::TempDir dir;
  testsupport::LwsWriter w;
  w.Header();
  w.Line("LoadObject C:\\Objects\\ball.lwo").Motion("ObjectMotion", {{.frame = 0}, {.x = 10, .frame = 10}});
  w.Line("PivotPoint 1 0 0").Line("AddNullObject Null").Line("ParentObject 1");
  w.Line("AddLight").Line("LightName Light").Line("LightColor 255 255 255").Line("LightType 0");
  w.Motion("LightMotion", {{.y = 5, .frame = 0}});
  w.Motion("CameraMotion", {{.z = -4, .sx = 2, .frame = 0}});
  const std::string scene = dir.File("scene.lws");
  testsupport::WriteText(scene, w.text());

  const clitest::LwconvRun r = Lwconv(dir, {"--quiet", "scene", "--json", scene, "--time", "5"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out, testsupport::Golden("cli/golden/scene.json", r.out));

  // Without the ZXY path the pivot is not applied.
  EXPECT_NE(Lwconv(dir, {"scene", "--json", scene, "--time", "5", "--no-zxy", "--rotation-order", "0"})
                .out.find("\"objects\":[[1,0,0,0,0,1,0,0,0,0,1,0,5,0,0,1],null]"),
            std::string::npos);
  const std::string text = Lwconv(dir, {"--quiet", "scene", scene, "--time", "0"}).out;
  EXPECT_NE(text.find("object 1 ball: parent -1"), std::string::npos);
  EXPECT_NE(text.find("object 2: no keys"), std::string::npos);

  testsupport::WriteText(dir.File("bad.lws"), "LWSC\n1\nFirstFrame 0\n");
  for (const std::string& bad : {dir.File("missing.lws"), dir.path().string(), dir.File("bad.lws")})
    EXPECT_EQ(Lwconv(dir, {"--quiet", "scene", bad}).status, 1) << bad;
}

TEST(SceneCommand, SaysWhatTheViewerMakesOfTheParenting) {
  testsupport::TempDir dir;
  const struct {
    std::vector<std::string> lines;
    int status;
    const char* said;  // on standard error; null: nothing
  } cases[] = {
      {{"LoadObject a.lwo", "LoadObject b.lwo", "ParentObject 1"}, 0, nullptr},
      {{"LoadObject a.lwo", "LoadObject b.lwo", "ParentObject 2"}, 1,
       "object 2 is parented to itself; the viewer refuses this scene"},
      {{"LoadObject a.lwo", "ParentObject 3", "LoadObject b.lwo", "ParentObject 3", "LoadObject c.lwo",
        "ParentObject 1"},
       1, "object 1 is parented in a cycle; the viewer refuses this scene"},
      {{"LoadObject a.lwo", "ParentObject 9"}, 0,
       "object 1 is parented to object 9, which does not exist; the viewer shows it unparented"},
      {{"LoadObject a.lwo", "AddLight", "ParentObject 4"}, 0,
       "light 1 is parented to object 4, which does not exist; the viewer shows it unparented"},
  };
  for (const auto& c : cases) {
    testsupport::LwsWriter w;
    w.Header();
    for (const std::string& line : c.lines) w.Line(line);
    testsupport::WriteText(dir.File("s.lws"), w.text());
    const clitest::LwconvRun r = Lwconv(dir, {"--quiet", "scene", dir.File("s.lws")});
    EXPECT_EQ(r.status, c.status) << c.lines[2 % c.lines.size()];
    EXPECT_EQ(r.err.empty(), c.said == nullptr) << r.err;
    if (c.said) {
      EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
    EXPECT_NE(r.out.find("object 1 a:"), std::string::npos) << r.out;  // described all the same
  }
}

TEST(SceneCommand, JsonIsUtf8WhateverCodePageTheNamesWereWrittenIn) {
  testsupport::TempDir dir;
  testsupport::LwsWriter w;
  w.Header();
  // Windows-1252 "café" and "€", then a name already in UTF-8.
  w.Line("LoadObject caf\xe9.lwo").Line("AddLight").Line("LightName \x80uro");
  w.Line("AddLight").Line("LightName na\xc3\xafve");
  testsupport::WriteText(dir.File("s.lws"), w.text());
  const std::string out = Lwconv(dir, {"--quiet", "scene", "--json", dir.File("s.lws")}).out;
  EXPECT_NE(out.find("{\"name\":\"caf\xc3\xa9\","), std::string::npos) << out;
  EXPECT_NE(out.find("\"name\":\"\xe2\x82\xacuro\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"name\":\"na\xc3\xafve\""), std::string::npos) << out;
}

TEST(SceneCommand, ReportsReachTheDebugMonitorAsWellAsStandardError) {
  // A monitor of this test's own, which lwconv finds through the inherited
  // environment.
  ASSERT_EQ(setenv("LWCS_DBWIN_NAMESPACE", ("lwcs-cli-test-" + std::to_string(getpid()) + "-").c_str(), 1), 0);
  DebugMonitor monitor;
  std::string error;
  ASSERT_TRUE(monitor.Start(error)) << error;
  testsupport::TempDir dir;
  testsupport::LwsWriter w;
  w.Header();
  w.Line("LoadObject a.lwo").Line("ParentObject 1");
  testsupport::WriteText(dir.File("s.lws"), w.text());
  clitest::LwconvRun run;
  std::thread lwconv([&] { run = Lwconv(dir, {"scene", dir.File("s.lws")}); });
  std::string received;
  uint32_t pid = 0;
  for (std::string text; received.find("parented to itself") == std::string::npos && monitor.Receive(pid, text, 10000);)
    received += text;
  lwconv.join();
  monitor.Stop();
  unsetenv("LWCS_DBWIN_NAMESPACE");
  EXPECT_NE(received.find("Warning: Fatal error - object is parented to itself"), std::string::npos) << received;
  EXPECT_NE(run.err.find("Warning: Fatal error - object is parented to itself\n"), std::string::npos) << run.err;
}
