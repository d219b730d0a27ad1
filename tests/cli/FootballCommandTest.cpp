#include <gtest/gtest.h>

#include <filesystem>

#include "writers/FootballerWriter.h"
#include "Lwconv.h"

using clitest::Lwconv;

TEST(FootballCommand, SaysWhatAConfigurationHoldsAndWhatIsMissing) {
  testsupport::TempDir dir;
  const std::string config = testsupport::WriteFootballer(dir.path().string());
  clitest::LwconvRun r = Lwconv(dir, {"--quiet", "football", config});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("preview scene: football\\preview.lws (13 objects)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("objects: Body body, LeftThigh lthigh, RightThigh rthigh,"), std::string::npos);
  EXPECT_NE(r.out.find("tops: 2\n  football/top0_f.bmp / football/top0_b.bmp, colour 0 0 255\n"), std::string::npos);
  EXPECT_NE(r.out.find("missing: none\n"), std::string::npos);

  std::filesystem::remove(dir.path() / "football" / "face1.bmp");
  std::filesystem::remove(dir.path() / "football" / "rhand.lwo");
  r = Lwconv(dir, {"--quiet", "football", "--json", config});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("{\"loaded\":false,\"reason\":"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"faces\":[{\"texture\":\"football/face0.bmp\",\"colour\":[1,1,1]},"), std::string::npos);
  EXPECT_NE(r.out.find("{\"role\":\"face 2 texture\",\"path\":"), std::string::npos);
  EXPECT_NE(r.err.find("Objects: RightHand: the preview scene has no object rhand that loads"), std::string::npos)
      << r.err;

  testsupport::WriteText(config, "Mirl Football Config File:\nAnim:\nPreview Scene - a.lws\n");
  r = Lwconv(dir, {"--quiet", "football", config});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("mirl_football.ftb: Anim, line 4: expected \"Animation Scene -\", found the end of the file"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(Lwconv(dir, {"football"}).status, 2);
  EXPECT_EQ(Lwconv(dir, {"football", "a.ftb", "b.ftb"}).status, 2);
}
