// PlayStation HMD models: a mesh snapshot becomes LAB text (coordinate,
// primitive headers, polygon packets, fixed-point vertex and normal tables and,
// with textures, the TIM images) for the preprocessor and the LAB assembler.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "lwlib/model/MeshModel.h"
#include "psx/Tim.h"

enum : uint32_t {
  HMD_OPT_WRITE_TEXTURES = 1,
  HMD_OPT_FLAT_SHADED = 2,   // carried for the dialog; the output does not depend on it
  HMD_OPT_WRAPPED_POLYS = 4, // likewise
  HMD_OPT_INVERT_X = 8,
  HMD_OPT_INVERT_Y = 16,
  HMD_OPT_INVERT_Z = 32,
  HMD_OPT_INVERT_WINDING = 64,
  HMD_OPT_ALL = 127,
  // What the options dialog starts with: everything but "Flat shaded".
  HMD_OPT_DEFAULT = 125,
};

struct HmdBox {
  float minX = 0, minY = 0, minZ = 0, maxX = 0, maxY = 0, maxZ = 0;
};

// The largest uniform scale not above 1 that brings the box within +-2 units
// (8192 in fixed point) on every axis.
float ProposeHmdScale(const HmdBox& box);
// The bounding box of every vertex of a snapshot (all zero when it has none).
HmdBox MeshModelBox(const MeshModel& model);

// A texture's engine object name; false without a texture.
bool GetHmdTextureName(const rm::TexturePtr& texture, std::string& name);

// TIM files are looked for under the name the texture gives them and, when
// that does not exist, by file name in these directories, in order.
void SetHmdTimDirectories(std::vector<std::string> directories);
// "wood.bmp" -> "wood.tim": cut at the first '.' after the first character.
std::string TimNameForTexture(const std::string& textureName);
// why, when given, says why no TIM would do: the reason of a file that is
// there but does not read, else that there is none.
bool LoadTextureTim(TimImage& tim, const std::string& textureName, Failure* why = nullptr);

// The mesh's bounding box (all zero without a mesh).
HmdBox MeshBox(const rm::MeshPtr& mesh);

// Captures the mesh into a snapshot, converts it and frees the snapshot.
bool ConvertToHmd(const std::string& outputName, const rm::MeshPtr& mesh, float xScale, float yScale, float zScale,
                  uint32_t options, std::string* labPath = nullptr);
// Converts the snapshot (changed in place: inverted, scaled, normalised and
// rewound) to "<outputName without .LAB>.lab". Failures are shown through
// ShowHmdError. labPath, when given, receives the name of the file written.
bool ConvertToHmd(const std::string& outputName, MeshModel& model, float xScale, float yScale, float zScale,
                  uint32_t options, std::string* labPath = nullptr);

// The image primitive set and the texture and palette data of every distinct
// texture of the snapshot (newest first).
bool WriteHmdImages(FILE* file, const MeshModel& model, const char* imagePrimSet, const char* imagePrimHeader,
                    const char* image, const char* clut);

// The polygon kinds, by their code: a sum of these flags, as the kind's type
// text spells it ("PRIM_TYPE(TRI|IIP)").
constexpr uint32_t HMD_KIND_TME = 1;
constexpr uint32_t HMD_KIND_COL = 2;
constexpr uint32_t HMD_KIND_BASE = 4;
constexpr uint32_t HMD_KIND_IIP = 8;
constexpr uint32_t HMD_KIND_TRI = 16;
constexpr uint32_t HMD_KIND_TILE = 32;
// The four kinds a conversion writes: gouraud triangles and quadrilaterals,
// untextured or textured.
constexpr uint32_t HMD_KIND_GOURAUD_TRIANGLE = HMD_KIND_BASE | HMD_KIND_IIP | HMD_KIND_TRI;  // 28
constexpr uint32_t HMD_KIND_GOURAUD_QUAD = HMD_KIND_BASE | HMD_KIND_IIP;  // 12
constexpr uint32_t HMD_KIND_TEXTURED_GOURAUD_TRIANGLE = HMD_KIND_GOURAUD_TRIANGLE | HMD_KIND_TME | HMD_KIND_TILE;  // 61
constexpr uint32_t HMD_KIND_TEXTURED_GOURAUD_QUAD = HMD_KIND_GOURAUD_QUAD | HMD_KIND_TME | HMD_KIND_TILE;  // 45
uint32_t SelectPrimitiveKind(bool textured, bool colour, bool base, bool gouraud, uint32_t vertexCount);
const char* PrimitiveKindType(uint32_t code);          // "NULL TYPE" for codes without an entry
uint32_t PrimitiveKindWords(uint32_t code);             // 0 for codes without a packet size

// Fixed point with 4096 = 1.0: positive values round half up, negative ones
// truncate toward zero, and the low 16 bits are kept.
int16_t QuantizeComponent(float value);
