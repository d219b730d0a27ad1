#include "psx/Lab.h"

#include <cctype>
#include <cstring>

#include "platform/Ui.h"

uint32_t LabelCounter = 0;

LabLabel MakeLabel(const char* name) {
  char text[1024];
  std::snprintf(text, sizeof text, "%s_%s_%u", "Token", name ? name : "NULL", LabelCounter++);
  LabLabel label;
  const size_t length = std::strlen(text);
  if (!label.Allocate(length + 1)) return label;
  std::memcpy(label.data(), text, length + 1);
  return label;
}

void LabWriteInt(FILE* file, int32_t value, bool mark) { std::fprintf(file, mark ? "\tM(%i);\n" : "\t%i;\n", value); }
void LabWriteHalf(FILE* file, int32_t value, bool mark) {
  std::fprintf(file, mark ? "\tM(H(%i));\n" : "\tH(%i);\n", value);
}
void LabWriteByte(FILE* file, int32_t value, bool mark) {
  std::fprintf(file, mark ? "\tM(B(%i));\n" : "\tB(%i);\n", value);
}
void LabWriteHex(FILE* file, uint32_t value, bool mark) {
  std::fprintf(file, mark ? "\tM(0x%.8x);\n" : "\t0x%.8x;\n", value);
}
void LabWriteHalfHex(FILE* file, uint32_t value, bool mark) {
  std::fprintf(file, mark ? "\tM(H(0x%x));\n" : "\tH(0x%x);\n", value);
}
void LabWriteByteHex(FILE* file, uint32_t value, bool mark) {
  std::fprintf(file, mark ? "\tM(B(0x%x));\n" : "\tB(0x%x);\n", value);
}
void LabWriteSymbol(FILE* file, const char* symbol, bool mark) {
  std::fprintf(file, mark ? "\tM(%s);\n" : "\t%s;\n", symbol);
}
void LabWriteWordOffset(FILE* file, const char* label, bool mark) {
  std::fprintf(file, mark ? "\tM(%s / 4);\n" : "\t%s / 4;\n", label);
}

void LabWriteLabel(FILE* file, const char* label) { std::fprintf(file, "%s:\n", label); }
void LabWriteComment(FILE* file, const char* text) { std::fprintf(file, "/* %s */\n", text); }
void LabWriteSVector(FILE* file, int32_t x, int32_t y, int32_t z) {
  std::fprintf(file, "\tSVECTOR(%i, %i, %i);\n", x, y, z);
}
void LabWriteCoordM(FILE* file, int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f) {
  std::fprintf(file, "\tCOORDM(%i, %i, %i, %i, %i, %i);\n", a, b, c, d, e, f);
}
void LabWriteBlankLine(FILE* file) { std::fputs("\n", file); }
void LabWriteInclude(FILE* file, const char* path) { std::fprintf(file, "#include<%s>\n", path); }

void ShowHmdError(const std::string& text, const std::string& detail) {
  GetUi().MessageBox(text, "HMD Error", UiButtons::Ok, UiIcon::Error, detail);
}

namespace {
void StripExtension(std::string& name, const char* extension) {
  if (name.size() < 6) return;
  const size_t at = name.size() - 4;
  for (size_t i = 0; i < 4; ++i)
    if (std::toupper(static_cast<unsigned char>(name[at + i])) != extension[i]) return;
  name.resize(at);
}
}  // namespace

void StripLabExtension(std::string& name) { StripExtension(name, ".LAB"); }
void StripHmdExtension(std::string& name) { StripExtension(name, ".HMD"); }

void WriteLabHeaderSection(FILE* file, const char* primHdrSect, const char* polyPrimSet, const char* imagePrimSet) {
  LabWriteComment(file, "LAB File produced by Vorlan Softworks LightWave Conversion Suite");
  LabWriteBlankLine(file);
  LabWriteInclude(file, "hmd\\hmd.def");
  LabWriteBlankLine(file);
  LabWriteComment(file, "Header section");
  LabWriteBlankLine(file);
  LabWriteSymbol(file, "HMD_VERSION", false);
  LabWriteHex(file, 0, false);
  LabWriteWordOffset(file, primHdrSect, false);
  LabWriteInt(file, 3, false);
  if (imagePrimSet)
    LabWriteWordOffset(file, imagePrimSet, false);
  else
    LabWriteHex(file, 0, false);
  LabWriteWordOffset(file, polyPrimSet, false);
  LabWriteHex(file, 0, false);
  LabWriteBlankLine(file);
}

void WriteCoordinateSection(FILE* file, const char* coordSect) {
  LabWriteComment(file, "Coordinate section");
  LabWriteBlankLine(file);
  LabWriteLabel(file, coordSect);
  LabWriteInt(file, 1, false);
  LabWriteHex(file, 0, false);
  LabWriteCoordM(file, 0, 0, 0, 0, 0, 0);
  LabWriteInt(file, 0, false);
  LabWriteBlankLine(file);
}

void WritePrimitiveHeaderSection(FILE* file, const char* primHdrSect, const char* polyPrimHeader, const char* poly,
                                 const char* vert, const char* norm, const char* coordSect,
                                 const char* imagePrimSet, const char* imagePrimHeader, const char* image,
                                 const char* clut) {
  LabWriteComment(file, "Primitive header section");
  LabWriteBlankLine(file);
  LabWriteLabel(file, primHdrSect);
  LabWriteInt(file, imagePrimSet ? 2 : 1, false);
  LabWriteBlankLine(file);
  LabWriteLabel(file, polyPrimHeader);
  LabWriteInt(file, 4, false);
  LabWriteWordOffset(file, poly, true);
  LabWriteWordOffset(file, vert, true);
  LabWriteWordOffset(file, norm, true);
  LabWriteWordOffset(file, coordSect, true);
  LabWriteBlankLine(file);
  if (imagePrimSet) {
    LabWriteLabel(file, imagePrimHeader);
    LabWriteInt(file, 2, false);
    LabWriteWordOffset(file, image, true);
    LabWriteWordOffset(file, clut, true);
    LabWriteBlankLine(file);
  }
}

void WritePolygonPrimitiveSet(FILE* file, const char* polyPrimSet, const char* next, const char* polyPrimHeader,
                              int32_t blockCount) {
  LabWriteComment(file, "Polygon primitive set");
  LabWriteBlankLine(file);
  LabWriteLabel(file, polyPrimSet);
  if (std::strcmp(next, "TERMINATE") == 0)
    LabWriteSymbol(file, next, false);
  else
    LabWriteWordOffset(file, next, false);
  LabWriteWordOffset(file, polyPrimHeader, false);
  LabWriteInt(file, blockCount, true);
  LabWriteBlankLine(file);
}

bool WritePolygonPrimitiveHeader(FILE* file, const char* typeText, bool first, uint32_t primitiveCount,
                                 uint32_t dataOffset) {
  LabLabel label = MakeLabel("PolyPrim");
  if (label.empty()) return false;
  LabWriteLabel(file, label.data());
  std::string type = first ? "DEV_ID(SCE)|CTG(CTG_POLY)|DRV(INI)|" : "DEV_ID(SCE)|CTG(CTG_POLY)|DRV(0)|";
  type += typeText;
  LabWriteSymbol(file, type.c_str(), false);
  LabWriteHalf(file, 2, false);
  LabWriteHalf(file, static_cast<int32_t>(primitiveCount), true);
  LabWriteHex(file, dataOffset, false);
  LabWriteBlankLine(file);
  return true;
}

void WriteSVectorSection(FILE* file, const char* comment, const char* label, const SVector* entries,
                         uint32_t count) {
  LabWriteComment(file, comment);
  LabWriteBlankLine(file);
  LabWriteLabel(file, label);
  for (uint32_t i = 0; i < count; ++i) LabWriteSVector(file, entries[i].x, entries[i].y, entries[i].z);
  LabWriteBlankLine(file);
}
