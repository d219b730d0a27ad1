#include <string>
#include <vector>

#include "psx/Hmd.h"
#include "psx/Lab.h"

namespace {

constexpr const char* kImageError = "Error while writing texture map data";

uint32_t PixelWord(const uint8_t* pixels, size_t word, size_t units) {
  // An odd number of 16-bit units leaves the last word half filled: pad with 0.
  uint32_t value = 0;
  for (size_t b = 0; b < 4; ++b) {
    const size_t byte = word * 4 + b;
    if (byte < units * 2) value |= static_cast<uint32_t>(pixels[byte]) << (8 * b);
  }
  return value;
}

// "(label - base) / 4": the word distance of a data block from the first one.
std::string WordDistance(const char* label, const char* base) {
  std::string text = "(";
  text.append(label).append(" - ").append(base).append(") / 4");
  return text;
}

}  // namespace

bool WriteHmdImages(FILE* f, const MeshModel& model, const char* imagePrimSet, const char* imagePrimHeader,
                    const char* image, const char* clut) {
  Failure why;
  const auto fail = [&why] {
    ShowHmdError(kImageError, why.empty() ? std::string() : why.FileText());
    return false;
  };
  // Newest first: a name met for the first time goes to the front.
  std::vector<std::string> names;
  for (size_t g = 0; g < model.groups.size() && g < model.groupMaterials.size(); ++g) {
    const rm::TexturePtr& texture = model.groupMaterials[g].texture;
    if (!texture) continue;
    std::string name;
    if (!GetHmdTextureName(texture, name) || name.empty()) return fail();
    bool known = false;
    for (const std::string& n : names) known = known || n == name;
    if (!known) names.insert(names.begin(), name);
  }
  if (names.empty()) return fail();

  const size_t count = names.size();
  std::vector<LabLabel> imageLabels(count), clutLabels(count);
  for (size_t i = 1; i < count; ++i) {
    imageLabels[i] = MakeLabel("ImageData");
    clutLabels[i] = MakeLabel("ClutData");
    if (imageLabels[i].empty() || clutLabels[i].empty()) return fail();
  }
  const auto imageLabel = [&](size_t i) { return i == 0 ? image : imageLabels[i].data(); };
  const auto clutLabel = [&](size_t i) { return i == 0 ? clut : clutLabels[i].data(); };

  std::vector<TimImage> tims(count);
  std::vector<int32_t> bits(count);
  for (size_t i = 0; i < count; ++i) {
    if (!LoadTextureTim(tims[i], names[i], &why)) return fail();
    bits[i] = TimBitsPerPixel(tims[i], 0);
    // Mixed-mode or undecidable pixel sizes have no palette size to copy, and a
    // palette image needs a palette as large as its pixels can index.
    if (bits[i] <= 0) return Fail(&why, "%s: mixed or unknown pixel mode", TimNameForTexture(names[i]).c_str()), fail();
    if (bits[i] <= 8 && TimPaletteEntryCount(tims[i], 0) < (1u << bits[i]))
      return Fail(&why, "%s: a palette of %u entries for %d-bit pixels", TimNameForTexture(names[i]).c_str(),
                  TimPaletteEntryCount(tims[i], 0), bits[i]),
             fail();
  }

  LabWriteLabel(f, imagePrimSet);
  LabWriteSymbol(f, "TERMINATE", false);
  LabWriteWordOffset(f, imagePrimHeader, false);
  LabWriteInt(f, static_cast<int32_t>(count), true);

  for (size_t i = 0; i < count; ++i) {
    LabLabel prim = MakeLabel("ImagePrim");
    if (prim.empty()) return fail();
    const TimImage& tim = tims[i];
    const bool withClut = bits[i] < 9;
    LabWriteLabel(f, prim.data());
    LabWriteSymbol(f,
                   withClut ? "DEV_ID(SCE) | CTG(CTG_IMAGE) | DRV(0) | PRIM_TYPE(WITHCLUT)"
                            : "DEV_ID(SCE) | CTG(CTG_IMAGE) | DRV(0) | PRIM_TYPE(NOCLUT)",
                   false);
    LabWriteHalf(f, withClut ? 7 : 4, false);
    LabWriteHalf(f, 1, true);
    LabWriteHalf(f, static_cast<int32_t>(TimImageX(tim, 0)), false);
    LabWriteHalf(f, static_cast<int32_t>(TimImageY(tim, 0)), false);
    LabWriteHalf(f, static_cast<int32_t>(TimImageWidth(tim, 0)), false);
    LabWriteHalf(f, static_cast<int32_t>(TimImageHeight(tim, 0)), false);
    LabWriteSymbol(f, WordDistance(imageLabel(i), image).c_str(), false);
    if (withClut) {
      LabWriteHalf(f, static_cast<int32_t>(TimPaletteX(tim, 0)), false);
      LabWriteHalf(f, static_cast<int32_t>(TimPaletteY(tim, 0)), false);
      LabWriteHalf(f, static_cast<int32_t>(TimPaletteWidth(tim, 0)), false);
      LabWriteHalf(f, static_cast<int32_t>(TimPaletteHeight(tim, 0)), false);
      LabWriteSymbol(f, WordDistance(clutLabel(i), clut).c_str(), false);
    }
    LabWriteBlankLine(f);
  }

  for (size_t i = 0; i < count; ++i) {
    LabWriteComment(f, "Writing texture map data");
    LabWriteLabel(f, imageLabel(i));
    const size_t units = size_t{TimImageWidth(tims[i], 0)} * TimImageHeight(tims[i], 0);
    const uint8_t* pixels = TimImagePixels(tims[i], 0);
    for (size_t w = 0; w < (units + 1) / 2; ++w) LabWriteHex(f, PixelWord(pixels, w, units), false);
    LabWriteBlankLine(f);
  }

  for (size_t i = 0; i < count; ++i) {
    LabWriteLabel(f, clutLabel(i));
    if (bits[i] > 8) continue;
    for (uint32_t j = 0; j < (1u << bits[i]); ++j) {
      const uint32_t value = TimPaletteFlag(tims[i], 0, j) << 15 | TimPaletteBlue(tims[i], 0, j) << 10 |
                             TimPaletteGreen(tims[i], 0, j) << 5 | TimPaletteRed(tims[i], 0, j);
      LabWriteHalfHex(f, value, false);
    }
  }
  for (TimImage& tim : tims) FreeTim(tim);
  return true;
}
