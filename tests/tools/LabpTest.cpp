#include <gtest/gtest.h>

#include "LabAssembler.h"
#include "TestSupport.h"
#include "platform/Process.h"

using namespace testsupport;

namespace {

std::vector<uint8_t> Assemble(const std::string& text) {
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_TRUE(AssembleLab(text, out, error)) << error;
  return out;
}

std::string ErrorOf(const std::string& text) {
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_FALSE(AssembleLab(text, out, error)) << text;
  EXPECT_TRUE(out.empty());
  return error;
}

}  // namespace

TEST(Labp, PacksWordsHalvesAndBytesLittleEndianWithLabels) {
  const std::string text =
      "start:\n"
      "\t0x50;\n"
      "\t@map(data / 4);  @half(2); @map(@half(6));\n"
      "\t@byte(255); @byte(-1); @byte(0x30); @byte(256 + 7);\n"
      "\t-1; 4294967295; (1 << 3 | 4) * 2 - ~0 % 5;\n"
      "data: @half(0x12345);\n"
      "\t(data - start) / 4;\n";
  // Data is at byte 28: word 7, marked; bytes keep their low 8 bits; a half
  // before an aligned word is padded.
  const std::vector<uint8_t> out = Assemble(text);
  const std::string bytes(out.begin(), out.end());
  EXPECT_EQ(bytes, Golden("tools/golden/packed.bin", bytes));
}

TEST(Labp, CoordinateMatrixAndLineMarkers) {
  const auto out = Assemble("# 1 \"m.lab\"\n@coordm(0, 0, 1024, 10, -20, 30);\n");
  ASSERT_EQ(out.size(), 32u);
  const auto half = [&](size_t i) { return static_cast<int16_t>(out[2 * i] | out[2 * i + 1] << 8); };
  const auto word = [&](size_t i) {
    return static_cast<int32_t>(static_cast<uint16_t>(half(2 * i)) | half(2 * i + 1) << 16);
  };
  // A quarter turn about z (x goes to y), then the translation as words.
  EXPECT_EQ(std::vector<int>({half(0), half(1), half(3), half(8), word(5), word(6), word(7)}),
            std::vector<int>({0, -4096, 4096, 4096, 10, -20, 30}));
}

TEST(Labp, BadInputNamesItsLine) {
  EXPECT_EQ(ErrorOf("\t1;\n\n\tmissing;\n"), "<stdin>:3: undefined label missing");
  EXPECT_EQ(ErrorOf("# 40 \"model.lab\"\n\n\t1 +;\n"), "model.lab:41: expected a value before ';'");
  EXPECT_EQ(ErrorOf("a:\n a:\n"), "<stdin>:2: label a defined twice");
  EXPECT_EQ(ErrorOf("\t0x100000000;"), "<stdin>:1: value 4294967296 does not fit in 32 bits");
  EXPECT_EQ(ErrorOf("\t1 / 0;"), "<stdin>:1: division by zero");
  EXPECT_EQ(ErrorOf("#include<hmd\\hmd.def>\n"),
            "<stdin>:1: preprocessor directive in the text: run it through the C preprocessor first");
  EXPECT_EQ(ErrorOf("\t1\n"), "<stdin>:2: expected ';' at the end of the text");
  EXPECT_EQ(ErrorOf("\t@frob(1);"), "<stdin>:1: unknown item @frob");
  EXPECT_EQ(ErrorOf("\t1 << 64;"), "<stdin>:1: shift out of range");
  EXPECT_EQ(ErrorOf("\t9223372036854775807 + 1;"), "<stdin>:1: arithmetic overflow");
  EXPECT_EQ(ErrorOf("/* open"), "<stdin>:1: comment without its end");
  EXPECT_EQ(ErrorOf("\t\"x\";"), "<stdin>:1: unexpected character '\"'");
  std::string deep(5000, '(');
  EXPECT_NE(ErrorOf("\t" + deep + "1;").find("nested too deeply"), std::string::npos);
  std::string chain = "\t1";
  for (int i = 0; i < 5000; ++i) chain += "+1";
  EXPECT_NE(ErrorOf(chain + ";").find("too long"), std::string::npos);
}

// The whole toolchain as the export runs it: the system preprocessor resolves
// the Windows-style include through the definitions installed beside labp.
TEST(Labp, PreprocessedLabTextBecomesARealHmdHeader) {
  TempDir dir;
  const std::string lab = dir.File("m.lab"), pre = dir.File("m.i"), hmd = dir.File("m.hmd");
  WriteText(lab,
            "#include<hmd\\hmd.def>\n"
            "\tHMD_VERSION;\n\t0x00000000;\n\tPrim / 4;\n\t1;\n\tM(Prim / 4);\n"
            "Prim:\n"
            "\tDEV_ID(SCE)|CTG(CTG_POLY)|DRV(INI)|PRIM_TYPE(QUAD|IIP);\n"
            "\tDEV_ID(SCE) | CTG(CTG_IMAGE) | DRV(0) | PRIM_TYPE(WITHCLUT);\n"
            "\tH(2);\n\tM(H(6));\n\tTERMINATE;\n\tSVECTOR(-1, 2, -3);\n"
            "\tPRIM_TYPE(TRI|IIP|TME|TILE);\n\tCOORDM(0, 0, 0, 0, 0, 0);\n");
  ASSERT_TRUE(RunProgram({"cpp", "-I", LABP_DIR, lab, "-o", pre}).Succeeded());
  ASSERT_TRUE(RunProgram({LABP_PATH}, pre, hmd).Succeeded());
  // QUAD|IIP with the INI driver bit, the image category with CLUT, TRI|IIP|TME|TILE.
  const std::string bytes = ReadText(hmd);
  EXPECT_EQ(bytes, Golden("tools/golden/header.hmd", bytes));
}

TEST(Labp, ProgramRefusesBadInputWithStatusAndWritesNothing) {
  TempDir dir;
  WriteText(dir.File("bad.i"), "\tnowhere;\n");
  const ProcessResult r = RunProgram({LABP_PATH}, dir.File("bad.i"), dir.File("out.hmd"));
  EXPECT_TRUE(r.started);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_TRUE(ReadFile(dir.File("out.hmd")).empty());
  EXPECT_EQ(RunProgram({LABP_PATH, "--bogus"}).exitStatus, 2);
  EXPECT_EQ(RunProgram({LABP_PATH, "--help"}, {}, dir.File("help.txt")).exitStatus, 0);
  EXPECT_NE(ReadText(dir.File("help.txt")).find("@coordm"), std::string::npos);
}
