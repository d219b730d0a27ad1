// Texture coordinates per polygon (from an object's UVIM/UVCV chunks or a
// ".uv" text file beside it) and the planar wrap options.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "diag/Failure.h"
#include "diag/TrackedBuffer.h"

// One polygon's (u, v) pairs. They live in the owning UvSet's pools, from
// `first` on; a list of no pairs gives every corner (0, 0).
struct UvList {
  int32_t polygonIndex = 0;
  int32_t vertexCount = 0;
  uint32_t first = 0;
};

struct UvSet {
  int32_t kind = 0;            // 2 from a UVCV chunk; the first number of a .uv file
  uint32_t surfaceCount = 0;   // entries of imageNames and surfaceNames
  std::vector<std::string> imageNames;    // "NULL" for no texture
  std::vector<std::string> surfaceNames;  // empty where no surface has the number
  uint32_t polygonCount = 0;              // entries of polygonUvs, POLS order
  TrackedBuffer<UvList> polygonUvs;
  // Every list's pairs, back to back.
  TrackedBuffer<float> u;
  TrackedBuffer<float> v;
  uint32_t pairCount = 0;  // pairs in use in the pools
};

// Makes polygonUvs[polygon] a list of count zero-filled pairs (a negative
// count makes an empty list). Null when out of memory or polygon is outside
// polygonUvs.
UvList* MakeUvList(UvSet& set, uint32_t polygon, int32_t count);
// Frees every name, list and array and leaves the set empty.
void FreeUvSet(UvSet& set);
// The pair of a polygon's corner; (0, 0) with false when the set has no such
// polygon or the polygon's list is shorter than corner.
bool UvAt(const UvSet& set, uint32_t polygon, uint32_t corner, float& u, float& v);

// Reads a ".uv" file into set. False (with the set empty and no message) when
// the file is missing or does not read; why, when given, says why (with the
// line) and names the file.
bool LoadUvFile(UvSet& set, const char* fileName, Failure* why = nullptr);
// The same over the file's bytes (why names no file).
bool LoadUvBytes(UvSet& set, std::span<const uint8_t> bytes, Failure* why = nullptr);
// The same, telling a file that does not read from memory running out.
enum class UvLoadResult { Loaded, NotRead, OutOfMemory };
UvLoadResult ReadUvFileInto(UvSet& set, const char* fileName, Failure* why = nullptr);
UvLoadResult ReadUvBytesInto(UvSet& set, std::span<const uint8_t> bytes, Failure* why = nullptr);

// The twelve flips of the planar wrap: set means -1.0, clear +1.0. Index by
// PLANAR_AXIS_* then PLANAR_PARAM_*.
enum : int { PLANAR_AXIS_X = 0, PLANAR_AXIS_Y = 1, PLANAR_AXIS_Z = 2 };
enum : int { PLANAR_PARAM_DIRECTION = 0, PLANAR_PARAM_UP = 1, PLANAR_PARAM_SCALE_U = 2, PLANAR_PARAM_SCALE_V = 3 };
struct PlanarWrapFlags {
  bool flip[3][4];
};
// The process-wide flags, edited by the "Planar Texture Wrap options" dialog.
PlanarWrapFlags& GetPlanarWrapFlags();
// The flags a run starts with.
PlanarWrapFlags DefaultPlanarWrapFlags();
inline float PlanarSign(const PlanarWrapFlags& f, int axis, int param) { return f.flip[axis][param] ? -1.0f : 1.0f; }
