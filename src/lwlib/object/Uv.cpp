#include "lwlib/object/Uv.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/File.h"

namespace {

// Grows both pools to hold at least `needed` pairs, keeping what they hold.
bool ReservePairs(UvSet& set, uint64_t needed) {
  if (needed <= set.u.size()) return true;
  if (needed > UINT32_MAX / sizeof(float)) return false;
  uint64_t capacity = set.u.size() < 64 ? 64 : set.u.size() * 2;
  if (capacity < needed) capacity = needed;
  if (capacity > UINT32_MAX / sizeof(float)) capacity = needed;
  TrackedBuffer<float> u, v;
  if (!u.Allocate(capacity) || !v.Allocate(capacity)) return false;
  if (set.pairCount) {
    std::memcpy(u.data(), set.u.data(), set.pairCount * sizeof(float));
    std::memcpy(v.data(), set.v.data(), set.pairCount * sizeof(float));
  }
  set.u = std::move(u);
  set.v = std::move(v);
  return true;
}

// The rest of the line, without its line feed, cut to the 1023 characters a
// name may have. A carriage return before the line feed is dropped, so files
// written with Windows line ends read as they did there. False at the end of
// the file with nothing read.
bool ReadWholeLine(FILE* file, std::string& line) {
  line.clear();
  int c = std::fgetc(file);
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    if (line.size() < 1023) line.push_back(static_cast<char>(c));
    c = std::fgetc(file);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool ReadUvFile(UvSet& set, FILE* file, int64_t fileLength, bool& outOfMemory) {
  int kind = 0, surfaceCount = 0;
  if (std::fscanf(file, "%i\n", &kind) != 1) return false;
  if (std::fscanf(file, "%i\n", &surfaceCount) != 1 || surfaceCount < 0) return false;
  set.kind = kind;
  std::string line;
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<std::string>& names = pass == 0 ? set.surfaceNames : set.imageNames;
    for (int i = 0; i < surfaceCount; ++i) {
      if (!ReadWholeLine(file, line)) return false;
      names.push_back(line);
    }
  }
  set.surfaceCount = static_cast<uint32_t>(surfaceCount);

  int polygonCount = 0;
  if (std::fscanf(file, "%i\n", &polygonCount) != 1 || polygonCount < 0) return false;
  // Every polygon takes a line of at least three characters: a count the file
  // cannot hold is refused before anything is allocated for it.
  if (static_cast<int64_t>(polygonCount) > fileLength / 3 + 1) return false;
  if (!set.polygonUvs.Allocate(static_cast<size_t>(polygonCount))) {
    outOfMemory = true;
    return false;
  }
  set.polygonCount = static_cast<uint32_t>(polygonCount);
  for (int i = 0; i < polygonCount; ++i) {
    int number = 0, corners = 0;
    if (std::fscanf(file, "%i %i\n", &number, &corners) != 2 || number != i || corners < 0) return false;
    // A corner line has at least five characters ("0 0 0").
    if (static_cast<int64_t>(corners) > fileLength / 5 + 1) return false;
    UvList* list = MakeUvList(set, static_cast<uint32_t>(i), corners);
    if (!list) {
      outOfMemory = true;
      return false;
    }
    list->polygonIndex = i;
    list->vertexCount = corners;
    for (int k = 0; k < corners; ++k) {
      float u = 0, v = 0;
      int unused = 0;
      if (std::fscanf(file, "%f %f %i\n", &u, &v, &unused) != 3) return false;
      set.u[list->first + k] = u;
      set.v[list->first + k] = v;
    }
  }
  return true;
}

}  // namespace

UvList* MakeUvList(UvSet& set, uint32_t polygon, int32_t count) {
  if (polygon >= set.polygonUvs.size()) return nullptr;
  const uint32_t pairs = count > 0 ? static_cast<uint32_t>(count) : 0;
  if (!ReservePairs(set, static_cast<uint64_t>(set.pairCount) + pairs)) return nullptr;
  UvList& list = set.polygonUvs[polygon];
  list.first = set.pairCount;
  list.vertexCount = static_cast<int32_t>(pairs);
  for (uint32_t k = 0; k < pairs; ++k) set.u[set.pairCount + k] = set.v[set.pairCount + k] = 0.0f;
  set.pairCount += pairs;
  return &list;
}

void FreeUvSet(UvSet& set) {
  set.kind = 0;
  set.surfaceCount = 0;
  set.imageNames.clear();
  set.imageNames.shrink_to_fit();
  set.surfaceNames.clear();
  set.surfaceNames.shrink_to_fit();
  set.polygonCount = 0;
  set.polygonUvs.Reset();
  set.u.Reset();
  set.v.Reset();
  set.pairCount = 0;
}

bool UvAt(const UvSet& set, uint32_t polygon, uint32_t corner, float& u, float& v) {
  u = v = 0.0f;
  if (polygon >= set.polygonCount || polygon >= set.polygonUvs.size()) return false;
  const UvList& list = set.polygonUvs[polygon];
  if (list.vertexCount <= 0 || corner >= static_cast<uint32_t>(list.vertexCount)) return false;
  const uint64_t at = static_cast<uint64_t>(list.first) + corner;
  if (at >= set.pairCount) return false;
  u = set.u[at];
  v = set.v[at];
  return true;
}

UvLoadResult ReadUvFileInto(UvSet& set, const char* fileName) {
  FreeUvSet(set);
  if (!fileName || !FileExists(fileName)) return UvLoadResult::NotRead;
  ScopedFile file(FileOpen(fileName, "r"));
  if (!file) return UvLoadResult::NotRead;
  const int64_t length = FileLength(file.get());
  bool ok = false, outOfMemory = false;
  try {
    ok = length >= 0 && ReadUvFile(set, file.get(), length, outOfMemory);
  } catch (const std::bad_alloc&) {
    outOfMemory = true;
  }
  if (ok) return UvLoadResult::Loaded;
  FreeUvSet(set);
  return outOfMemory ? UvLoadResult::OutOfMemory : UvLoadResult::NotRead;
}

bool LoadUvFile(UvSet& set, const char* fileName) { return ReadUvFileInto(set, fileName) == UvLoadResult::Loaded; }

PlanarWrapFlags DefaultPlanarWrapFlags() {
  PlanarWrapFlags f{};
  // The scale flips that make a LightWave planar map come out the right way up.
  f.flip[PLANAR_AXIS_X][PLANAR_PARAM_SCALE_U] = true;
  f.flip[PLANAR_AXIS_Y][PLANAR_PARAM_SCALE_U] = true;
  f.flip[PLANAR_AXIS_X][PLANAR_PARAM_SCALE_V] = true;
  f.flip[PLANAR_AXIS_Y][PLANAR_PARAM_SCALE_V] = true;
  f.flip[PLANAR_AXIS_Z][PLANAR_PARAM_SCALE_V] = true;
  return f;
}

PlanarWrapFlags& GetPlanarWrapFlags() {
  static PlanarWrapFlags flags = DefaultPlanarWrapFlags();
  return flags;
}
