#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "PsxTestUtil.h"
#include "TestSupport.h"
#include "writers/TimWriter.h"
#include "lwlib/model/Mesh.h"
#include "platform/Ui.h"
#include "psx/Hmd.h"
#include "psx/HmdExport.h"
#include "rm/Rm.h"

using namespace psxtest;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// A start-up directory whose name a shell would mangle, holding the tools.
class HmdExport : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(startup);
    fs::copy_file(fs::path(LABP_DIR) / "labp", startup / "labp");
    fs::copy_file(fs::path(LABP_DIR) / "hmd\\hmd.def", startup / "hmd\\hmd.def");
    fs::create_directories(out);
    MeshModel cube = Cube();
    mesh = BuildRMMesh(&cube, engine);
    ASSERT_NE(mesh, nullptr);
    SetUi(&ui);
  }
  void TearDown() override { SetUi(nullptr); }

  bool Export(HmdExportKind kind, const std::string& name, const std::string& from = {}, uint32_t options = 0) {
    ui.ClearAsked();
    return ExportHmd(kind, (out / name).string(), mesh, 1, 1, 1, options, from.empty() ? startup.string() : from);
  }
  std::vector<std::string> OutFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(out)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Word `index` of an output file.
  uint32_t Word(uint32_t index) const {
    const size_t at = size_t{index} * 4;
    if (at + 4 > hmd.size()) return 0xDEADDEAD;
    return hmd[at] | hmd[at + 1] << 8 | hmd[at + 2] << 16 | static_cast<uint32_t>(hmd[at + 3]) << 24;
  }

  TempDir dir;
  fs::path startup = dir.path() / "start up;'\"$x", out = dir.path() / "out dir;rm -rf x";
  rm::EnginePtr engine = rm::Engine::Create();
  rm::MeshPtr mesh;
  ScriptedUi ui;
  std::vector<uint8_t> hmd;
};

}  // namespace

TEST_F(HmdExport, CubeBecomesAnHmdThatReadsBack) {
  ASSERT_TRUE(Export(HmdExportKind::Binary, "cube.HMD")) << (ui.asked().empty() ? "" : ui.asked()[0].text);
  EXPECT_EQ(OutFiles(), std::vector<std::string>{"cube.hmd"});  // the LAB file is gone
  // Header, primitive header, one block of six mapped quads, eight corners, six normals, the packets.
  const std::string bytes = ReadText((out / "cube.hmd").string());
  EXPECT_TRUE(bytes == testsupport::Golden("psx/golden/cube.hmd", bytes)) << "cube.hmd differs from its golden file";
}

TEST_F(HmdExport, TexturedCubeCarriesItsImage) {
  WriteFile((dir.path() / "wood.tim").string(), MakeTim(Tim4Bit(320, 0, 4, 16, 0, 480)));
  MeshModel cube = Cube(0.5f, (dir.path() / "wood.bmp").string());
  cube.groupMaterials[0].material = engine->CreateMaterial(0);  // a snapshot keeps textures of materials only
  mesh = BuildRMMesh(&cube, engine);
  ASSERT_TRUE(Export(HmdExportKind::Binary, "wood.hmd", {}, HMD_OPT_ALL));
  hmd = ReadFile((out / "wood.hmd").string());
  const uint32_t primHdr = Word(2);
  EXPECT_EQ(Word(primHdr), 2u);  // polygons and images
  EXPECT_NE(Word(4), 0u);  // the image set; its words are checked in the LAB text
  // The image header points at 32 words of pixels followed by 16 palette halves.
  const uint32_t image = Word(primHdr + 7) & 0x7FFFFFFF, clut = Word(primHdr + 8) & 0x7FFFFFFF;
  EXPECT_EQ(clut - image, 32u);
  EXPECT_EQ(Word(image), 0x00010000u);
  EXPECT_EQ(hmd.size(), size_t{clut + 8} * 4);
}

TEST_F(HmdExport, ProcessedAndUnprocessedLab) {
  ASSERT_TRUE(Export(HmdExportKind::ProcessedLab, "cube.LAB"));
  EXPECT_EQ(OutFiles(), std::vector<std::string>{"cube.lab"});  // cube_tmp.lab is gone
  const std::string processed = ReadText((out / "cube.lab").string());
  EXPECT_EQ(processed.find("#include"), std::string::npos);
  EXPECT_NE(processed.find("@coordm(0, 0, 0, 0, 0, 0);"), std::string::npos);
  fs::remove(out / "cube.lab");
  ASSERT_TRUE(Export(HmdExportKind::UnprocessedLab, "raw.LAB", (dir.path() / "nowhere").string()));
  EXPECT_EQ(OutFiles(), std::vector<std::string>{"raw.lab"});
  EXPECT_NE(ReadText((out / "raw.lab").string()).find("#include<hmd\\hmd.def>"), std::string::npos);
}

TEST_F(HmdExport, FailingStepsAreShownAndLeaveNothingBehind) {
  // No tools in the start-up directory, nor beside the test program.
  EXPECT_FALSE(Export(HmdExportKind::Binary, "m.hmd", (dir.path() / "nowhere").string()));
  ASSERT_EQ(ui.asked().size(), 1u);
  EXPECT_EQ(ui.asked()[0].caption, "HMD Error");
  EXPECT_NE(ui.asked()[0].text.find("Could not find labp"), std::string::npos);

  // A labp that fails.
  const fs::path broken = dir.path() / "broken";
  fs::create_directories(broken);
  fs::copy_file(startup / "hmd\\hmd.def", broken / "hmd\\hmd.def");
  WriteText((broken / "labp").string(), "#!/bin/sh\necho partial\nexit 3\n");
  chmod((broken / "labp").c_str(), 0755);
  EXPECT_FALSE(Export(HmdExportKind::Binary, "m.hmd", broken.string()));
  ASSERT_EQ(ui.asked().size(), 1u);
  EXPECT_EQ(ui.asked()[0].text, "labp failed: exit status 3");
  EXPECT_TRUE(OutFiles().empty());

  // A conversion that fails: no mesh.
  mesh = nullptr;
  EXPECT_FALSE(Export(HmdExportKind::ProcessedLab, "m.lab"));
  EXPECT_EQ(ui.asked().back().text, "Converison ended in an error");
  EXPECT_TRUE(OutFiles().empty());
}
