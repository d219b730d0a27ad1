// LightWave objects (IFF forms LWOB and LWO2): the records the chunk handlers collect,
// and the loader that turns an object file into a retained-mode mesh.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "diag/Failure.h"
#include "diag/TrackedBuffer.h"
#include "lwlib/object/Iff.h"
#include "diag/TrackedList.h"
#include "lwlib/object/Uv.h"
#include "rm/Types.h"

struct LwoPoints {
  uint32_t chunkCount = 0;
  TrackedBuffer<rm::Vector> points;  // host order
  uint32_t pointCount = 0;
  uint32_t bad = 0;
};

// Polygons in host order, each: vertex count n, n point indices, surface
// number (1-based). A detail polygon's parent keeps its own surface; the
// detail polygons follow it as ordinary polygons. The words are the POLS
// chunk's own, converted in place inside the IFF body; a chunk may start at an
// odd address, so they are read through Word(). An LWO2 object, whose point
// indices may pass 65,535, keeps the same layout in 32-bit words instead
// (`wide`); an LWOB object never does.
struct LwoPolygons {
  uint32_t chunkCount = 0;
  uint32_t bad = 0;
  uint32_t polygonCount = 0;
  uint32_t indexWordCount = 0;  // sum of (n + 1)
  uint8_t* words = nullptr;
  uint32_t wordCount = 0;  // words in use
  uint32_t highestPoint = 0;  // the highest point index the words name (LWOB)
  // An LWO2 object's words, in 16 bits (`words` then points to them) or 32.
  TrackedBuffer<uint16_t> narrow;
  TrackedBuffer<uint32_t> wide;
  uint32_t Word(uint32_t i) const {
    if (!words) return wide[i];
    uint16_t w;
    std::memcpy(&w, words + 2 * static_cast<size_t>(i), 2);
    return w;
  }
};

struct LwoCurves {
  uint32_t curveCount = 0;
  uint32_t chunkCount = 0;
  uint32_t bad = 0;
};

struct LwoSurfaceName {
  const char* name;  // inside the IFF body
  uint32_t index;    // 1-based, numbered as chunks arrive
};

struct LwoSurfaceNames {
  uint32_t chunkCount = 0;
  TrackedList<LwoSurfaceName> entries;  // newest first
  uint32_t nameCount = 0;
  uint32_t bad = 0;
};

enum : uint32_t {
  LWO_COLR = 0x0001, LWO_FLAG = 0x0002, LWO_LUMI = 0x0004, LWO_DIFF = 0x0008,
  LWO_SPEC = 0x0010, LWO_REFL = 0x0020, LWO_TRAN = 0x0040, LWO_GLOS = 0x0080,
  LWO_RIMG = 0x0100, LWO_RSAN = 0x0200, LWO_RIND = 0x0400, LWO_EDGE = 0x0800,
  LWO_SMAN = 0x1000,
};

enum : uint32_t {
  LWO_TEX_TYPE = 0x0001, LWO_TIMG = 0x0002, LWO_TFLG = 0x0004, LWO_TSIZ = 0x0008,
  LWO_TCTR = 0x0010, LWO_TFAL = 0x0020, LWO_TVEL = 0x0040, LWO_TCLR = 0x0080,
  LWO_TVAL = 0x0100, LWO_TAMP = 0x0200, LWO_TFRQ = 0x0400, LWO_TSP0 = 0x0800,
  LWO_TSP1 = 0x1000, LWO_TSP2 = 0x2000,
};

enum : int32_t {
  LWO_SLOT_NONE = -1, LWO_SLOT_COLOUR = 0, LWO_SLOT_DIFFUSE = 1, LWO_SLOT_BUMP = 2,
  LWO_SLOT_SPECULAR = 3, LWO_SLOT_REFLECTION = 4, LWO_SLOT_TRANSPARENCY = 5,
};

struct LwoTexture {
  uint32_t present;
  const char* typeName;   // "Planar Image Map", ...
  const char* imageName;  // TIMG
  uint16_t textureFlags;  // bit 0 X axis, 1 Y, 2 Z
  float size[3], centre[3], falloff[3], velocity[3];
  uint32_t colour;
  uint16_t value;
  float amplitude;
  uint16_t frequencies;
  float parameter0, parameter1, parameter2;
};

struct LwoSurface {
  const char* name;  // inside the IFF body
  uint32_t present;
  uint32_t colour;  // red in bits 24-31, green 16-23, blue 8-15
  uint16_t surfaceFlags;
  uint16_t luminosity, diffuse, specular, reflection, transparency;
  uint16_t glossiness;
  const char* reflectionImage;
  float reflectionSeamAngle, refractiveIndex, edgeTransparency, maxSmoothingAngle;
  LwoTexture textures[6];
};

struct LwoSurfaces {
  uint32_t surfaceCount = 0;
  uint32_t bad = 0;
  // Chunks arrive last-first and each goes to the head, so this runs in file order.
  TrackedList<LwoSurface> list;
};

const char* SurfaceNameByIndex(const LwoSurfaceNames& names, uint32_t index);
const LwoSurface* FindSurface(const LwoSurfaces& surfaces, const char* name);

// The sub-chunk rules keep one current texture slot for the whole run: a
// texture sub-chunk fills the slot the last type sub-chunk named, whichever
// surface or object that was in. Tests reset it.
int32_t LwoCurrentTextureSlot();
void SetLwoCurrentTextureSlot(int32_t slot);

struct LwoPointNormal {
  uint32_t point;
  rm::Vector normal;
};

// What an LWO2 object adds per polygon corner, indexed by the corner's word
// in LwoPolygons; empty for LWOB objects, whose builds stay as they were.
struct LwoCorners {
  TrackedBuffer<rm::Vector> normals;  // from the surfaces' smoothing angles
  // Instead of normals, when every surface smooths all its polygons at each
  // point: one normal per point of each surface, those of surface number s
  // at pointNormalStart[s] up to pointNormalStart[s + 1].
  bool smoothBySurface = false;
  TrackedBuffer<LwoPointNormal> pointNormals;
  TrackedBuffer<uint32_t> pointNormalStart;
  // With smoothBySurface, the faces (polygons of three or more points) as
  // the build takes them: their first words surface by surface, file order
  // within, those of surface number s from faceStart[s] up to
  // faceStart[s + 1]; and the most corners one surface has.
  TrackedBuffer<uint32_t> faceOrder, faceStart;
  uint32_t largestCorners = 0;
  // With smoothBySurface and nothing per corner, each surface number's group
  // as the smoothing made it on the way, for the build to take over: its
  // face data (vertices numbered by first use) and vertices. Empty otherwise.
  std::vector<std::vector<uint32_t>> groupFaces;
  std::vector<std::vector<rm::Vertex>> groupVertices;
  // From the RGB and RGBA vertex maps (0xAARRGGBB), and per surface number
  // whether its group takes its colour from its vertices; both empty when
  // no surface shows vertex colours.
  TrackedBuffer<uint32_t> colours;
  TrackedBuffer<uint8_t> colouredSurface;
};

// Everything read from one object file. The names and the surfaces point into
// the IFF body, which lives as long as the object.
struct LwoObject {
  LwoObject() = default;
  ~LwoObject();
  LwoObject(const LwoObject&) = delete;
  LwoObject& operator=(const LwoObject&) = delete;

  IffFile iff{};
  bool iffLoaded = false;
  LwoPoints points;
  LwoPolygons polygons;
  LwoCurves curves;
  LwoSurfaceNames surfaceNames;
  LwoSurfaces surfaces;
  UvSet uvSet;
  bool hasUvSet = false;  // from UVIM and UVCV, or from the .uv file
  bool uvimSeen = false;
  bool uvcvSeen = false;
  bool outOfMemory = false;  // a handler could not keep what it read
  bool lwo2 = false;         // read from form LWO2
  LwoCorners corners;
  Failure* why = nullptr;    // where the handlers put their reason while a parse runs
};

// Reads the body of a form LWO2 (already in object.iff) into the same records
// the LWOB handlers fill: every layer's points and polygons in one object,
// one surface number per tag used as a surface, and texture coordinates per
// polygon corner from the surfaces' image maps. False with why filled.
bool ParseLwo2Body(LwoObject& object);

// The file names an object name stands for: the name with a last ".lwo" (any
// case) cut off when it has six or more characters, then "%s.lwo" and "%s.uv".
struct LwoFileNames {
  std::string baseName;  // the name as cut
  std::string objectFile;
  std::string uvFile;
};
LwoFileNames LightWaveFileNames(const char* name);

// Reads the object file and its texture coordinates. False (object emptied,
// handler registry empty) when the file does not load or is refused; why,
// when given, then says why and names the file.
bool ParseLightWaveObject(const char* name, LwoObject& object, Failure* why = nullptr);
// The same over an object file's bytes; uvBytes, when not null, are the .uv
// file beside it. why names no file.
bool ParseLightWaveObjectBytes(std::span<const uint8_t> bytes, LwoObject& object, Failure* why = nullptr,
                               std::span<const uint8_t> uvBytes = {});
