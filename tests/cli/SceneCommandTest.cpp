#include <gtest/gtest.h>

#include "Lwconv.h"
#include "LwsWriter.h"

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
  EXPECT_EQ(r.out,
            "{\"header\":{\"version\":1,\"firstFrame\":0,\"lastFrame\":60,\"frameStep\":1,\"fps\":30},"
            "\"objects\":["
            "{\"name\":\"ball\",\"sequence\":1,\"parent\":-1,\"pivot\":[-1,0,0],\"keys\":"
            "[[0,0,0,0,0,0,1,1,1,0,0,0,0,0],[10,0,0,0,0,0,1,1,1,10,0,0,0,0]]},"
            "{\"name\":null,\"sequence\":2,\"parent\":0,\"pivot\":[0,0,0],\"keys\":[]}],"
            "\"lights\":[{\"name\":\"Light\",\"type\":3,\"colour\":[1,1,1],\"parent\":-1,\"target\":-1,"
            "\"cone\":0,\"edge\":0,\"falloff\":0,\"keys\":[[0,5,0,0,0,0,1,1,1,0,0,0,0,0]]}],"
            "\"camera\":{\"parent\":-1,\"target\":-1,\"keys\":[[0,0,-4,0,0,0,2,1,1,0,0,0,0,0]]},"
            "\"poses\":[{\"time\":5,"
            "\"objects\":[[1,0,0,0,0,1,0,0,0,0,1,0,4,0,0,1],null],"
            "\"lights\":[[1,0,0,0,0,1,0,0,0,0,1,0,0,5,0,1]],"
            "\"camera\":[2,0,0,0,0,1,0,0,0,0,1,0,0,0,-4,1]}]}\n");

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
