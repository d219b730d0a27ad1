#include "lwlib/object/ObjectMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string_view>
#include <functional>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "diag/Dbug.h"
#include "platform/Memory.h"
#include "platform/Path.h"
#include "rm/Rm.h"

namespace {

rm::Vector Sub(const rm::Vector& a, const rm::Vector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
rm::Vector CrossOf(const rm::Vector& a, const rm::Vector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// A zero vector stays zero rather than becoming NaN.
rm::Vector Normalised(const rm::Vector& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(length > 0)) return {0, 0, 0};
  return {v.x / length, v.y / length, v.z / length};
}

struct UvPair {
  float u, v;
  rm::Vector normal;  // the corner's own, when the object has them
  uint32_t colour;     // the corner's own, when its surface has vertex colours
  int32_t next;        // the next pair of the same work vertex, or -1
  uint32_t finalIndex;  // the vertex it becomes in the group
};

struct WorkVertex {
  uint32_t point;
  int32_t firstPair;  // newest pair first, -1 for none
};

// Working records of one build, sized once for the largest group.
struct BuildBuffers {
  TrackedBuffer<rm::Vector> normals;      // per point (by surface: the group's own)
  TrackedBuffer<int32_t> pointMap;        // per point: work vertex in this group, or -1
  TrackedBuffer<uint32_t> surfaceStart;   // per surface number: its first entry of byGroup
  TrackedBuffer<uint32_t> byGroup;        // first words of the faces, by surface, POLS order within
  const uint32_t* order = nullptr;        // byGroup's, or the object's own when it has them
  TrackedBuffer<uint32_t> byGroupPolygon; // their polygon numbers, kept only for texture coordinates
  TrackedBuffer<WorkVertex> work;         // per corner at most
  TrackedBuffer<UvPair> pairs;            // per corner at most (with texture coordinates)
  TrackedBuffer<uint32_t> cornerPair;     // per corner: its pair (with texture coordinates)
  TrackedBuffer<uint32_t> faceData;       // count + indices per face (with texture coordinates)
  TrackedBuffer<rm::Vertex> vertices;     // per corner at most (with texture coordinates)
};

// Polygon words as the walks read them: an LWOB object's 16-bit words where
// they lie in the IFF body (at any address), or an LWO2 object's 32-bit ones.
// Each walk is made once per kind, so its inner loops do not ask which at
// every word.
struct NarrowWords {
  const uint8_t* bytes;
  uint32_t operator[](uint32_t i) const {
    uint16_t w;
    std::memcpy(&w, bytes + 2 * static_cast<size_t>(i), 2);
    return w;
  }
};
struct WideWords {
  const uint32_t* words;
  uint32_t operator[](uint32_t i) const { return words[i]; }
};

// Calls walk(words) with the accessor that fits the object's polygons.
template <typename Walk>
auto WithWords(const LwoPolygons& polygons, Walk walk) {
  return polygons.words ? walk(NarrowWords{polygons.words}) : walk(WideWords{polygons.wide.data()});
}

// The surfaces a polygon can belong to are 1 .. groupCount; polygons of fewer
// than three points make no face (the engine has no such faces) and are left
// out of the normals, which need three points.
template <typename Words>
bool IsFace(Words w, uint32_t at, uint32_t groupCount) {
  const uint32_t n = w[at];
  const uint32_t surface = w[at + n + 1];
  return n >= 3 && surface >= 1 && surface <= groupCount;
}

// Whether the polygon at `at` lies inside the words and names only known points.
template <typename Words>
[[gnu::always_inline]] inline bool PolygonFits(Words w, uint32_t at, uint32_t wordCount, uint32_t pointCount) {
  if (at >= wordCount || w[at] + 2u > wordCount - at) return false;
  const uint32_t n = w[at];
  uint32_t highest = 0;
  if (n == 4) {  // most polygons: without the loop's overhead per point
    highest = std::max(std::max(w[at + 1], w[at + 2]), std::max(w[at + 3], w[at + 4]));
  } else if (n == 3) {
    highest = std::max(std::max(w[at + 1], w[at + 2]), w[at + 3]);
  } else {
    for (uint32_t k = 1; k <= n; ++k) highest = std::max(highest, w[at + k]);
  }
  return n == 0 || highest < pointCount;
}

// Objects from which a second thread works out the normals while the groups'
// faces are made.
constexpr uint32_t kSplitPolygons = 1u << 16;

// Not normalised: each polygon weighs with the sine of its angle at its first
// point. The polygon at `at` has three or more points, all known.
template <typename Words>
rm::Vector FaceNormal(const rm::Vector* points, Words w, uint32_t at) {
  const rm::Vector& p0 = points[w[at + 1]];
  const rm::Vector a = Normalised(Sub(points[w[at + 2]], p0));
  const rm::Vector c = Normalised(Sub(points[w[at + 3]], p0));
  return CrossOf(a, c);
}

// The normal of every point: the sum, in polygon order, of the face normals of
// the polygons of three or more points that use it (whichever surface, if
// any, they belong to), normalised. Into `normals`, zeroed. It stops at the
// first polygon that runs past the words or names an unknown point: the build
// refuses the object there. It neither allocates nor reports, so a second
// thread can run it beside the build.
template <typename Words>
void PointNormals(const LwoPoints& points, const LwoPolygons& polygons, Words w, rm::Vector* normals) {
  const uint32_t wordCount = polygons.wordCount, pointCount = points.pointCount;
  const rm::Vector* p = points.points.data();
  uint32_t at = 0;
  for (uint32_t i = 0; i < polygons.polygonCount; ++i) {
    if (!PolygonFits(w, at, wordCount, pointCount)) return;
    const uint32_t n = w[at];
    if (n >= 3) {
      const rm::Vector normal = FaceNormal(p, w, at);
      for (uint32_t k = 1; k <= n; ++k) {
        rm::Vector& sum = normals[w[at + k]];
        sum.x += normal.x;
        sum.y += normal.y;
        sum.z += normal.z;
      }
    }
    at += n + 2;
  }
  for (uint32_t i = 0; i < pointCount; ++i) normals[i] = Normalised(normals[i]);
}

// Walks the polygons once for the index checks and the per-surface counts,
// then sorts them by surface. With `pointNormals` (the sums of every
// polygon's normals at each point; an LWO2 object's corners have their own,
// or each group has its own per point) on a large object a second thread
// (`helper`, joined by the caller before the normals are read) works them out
// meanwhile; otherwise they are done here.
template <typename Words>
bool PrepareBuild(BuildBuffers& b, const LwoPoints& points, const LwoPolygons& polygons, Words w,
                  uint32_t groupCount, bool uv, uint32_t flags, bool pointNormals, std::thread& helper,
                  const LwoCorners* sorted) {
  const uint32_t pointCount = points.pointCount, wordCount = polygons.wordCount;
  if (!b.normals.Allocate(pointCount) || !b.pointMap.Allocate(pointCount) ||
      !b.surfaceStart.Allocate(static_cast<size_t>(groupCount) + 2))
    return false;
  for (uint32_t i = 0; i < pointCount; ++i) b.pointMap[i] = -1;
  if (sorted) {
    // An LWO2 object smoothed by surface comes with its faces checked and in
    // order: no walk over the polygons here.
    std::memcpy(b.surfaceStart.data(), sorted->faceStart.data(), (static_cast<size_t>(groupCount) + 2) * sizeof(uint32_t));
    b.order = sorted->faceOrder.data();
    const size_t largest = sorted->largestCorners;
    return b.work.Allocate((flags & LWO_BUILD_FLAT) ? largest : std::min<size_t>(largest, pointCount));
  }
  TrackedBuffer<uint32_t> corners;
  if (!corners.Allocate(static_cast<size_t>(groupCount) + 1)) return false;
  if (pointNormals && polygons.polygonCount >= kSplitPolygons) {
    try {
      helper = std::thread(PointNormals<Words>, std::cref(points), std::cref(polygons), w, b.normals.data());
    } catch (const std::system_error&) {
      // No thread to be had: worked out below instead.
    }
  }
  uint32_t at = 0;
  for (uint32_t p = 0; p < polygons.polygonCount; ++p) {
    if (!PolygonFits(w, at, wordCount, pointCount)) return false;
    const uint32_t n = w[at];
    if (IsFace(w, at, groupCount)) {
      const uint32_t surface = w[at + n + 1];
      ++b.surfaceStart[surface + 1];
      corners[surface] += n;
    }
    at += n + 2;
  }
  if (pointNormals && !helper.joinable()) PointNormals(points, polygons, w, b.normals.data());

  // Counting sort of the polygons by surface keeps POLS order inside each.
  uint32_t largestCorners = 0;
  for (uint32_t s = 1; s <= groupCount; ++s) {
    if (corners[s] > largestCorners) largestCorners = corners[s];
    b.surfaceStart[s + 1] += b.surfaceStart[s];
  }
  const size_t faces = b.surfaceStart[groupCount + 1];
  // Every slot is written below.
  if (!b.byGroup.AllocateUnfilled(faces) || (uv && !b.byGroupPolygon.AllocateUnfilled(faces))) return false;
  PrefaultForWriting(b.byGroup.data(), faces * sizeof(uint32_t));
  b.order = b.byGroup.data();
  TrackedBuffer<uint32_t> fill;
  if (!fill.Allocate(static_cast<size_t>(groupCount) + 1)) return false;
  at = 0;
  for (uint32_t p = 0; p < polygons.polygonCount; ++p) {
    const uint32_t n = w[at];
    if (IsFace(w, at, groupCount)) {
      const uint32_t surface = w[at + n + 1];
      const uint32_t slot = b.surfaceStart[surface] + fill[surface]++;
      b.byGroup[slot] = at;
      if (uv) b.byGroupPolygon[slot] = p;
    }
    at += n + 2;
  }
  // A group has at most a vertex per corner; without a vertex per corner
  // (flat) at most one per point, and without texture coordinates one pair
  // (so one final vertex) per work vertex.
  const size_t workBound = (flags & LWO_BUILD_FLAT) ? largestCorners : std::min(largestCorners, pointCount);
  const size_t pairBound = uv ? largestCorners : workBound;
  return (!uv || (b.cornerPair.Allocate(largestCorners) && b.pairs.Allocate(pairBound) &&
                  b.faceData.Allocate(largestCorners + faces) && b.vertices.Allocate(pairBound))) &&
         b.work.Allocate(workBound);
}

// Hands a built group to the mesh.
bool AddBuiltGroup(rm::Mesh& mesh, const BuildBuffers& b, uint32_t vertices, uint32_t faces, uint32_t words) {
  const int32_t group = mesh.AddGroup(vertices, faces, 0, std::span<const uint32_t>(b.faceData.data(), words));
  if (group < 0) return false;
  if (vertices && !mesh.SetVertices(static_cast<uint32_t>(group), 0, vertices, b.vertices.data())) return false;
  mesh.SetGroupMapping(static_cast<uint32_t>(group), rm::MAP_PERSPCORRECT);
  return true;
}

// By surface: the group's own normals at its points.
void SetGroupNormals(BuildBuffers& b, const LwoCorners* corners, uint32_t surface) {
  if (!corners || !corners->smoothBySurface || surface + 1 >= corners->pointNormalStart.size()) return;
  for (uint32_t i = corners->pointNormalStart[surface]; i < corners->pointNormalStart[surface + 1]; ++i)
    b.normals[corners->pointNormals[i].point] = corners->pointNormals[i].normal;
}

// Without texture coordinates a point is one vertex of a group (a corner one
// of its own when built flat), numbered in order of first use: the face data
// is written in the one walk over the corners, straight into the storage the
// mesh takes over, and the vertices straight into the mesh's group. With
// `normalsLater` the normals are still in the making: each vertex keeps its
// point number in its colour until SetPointNormals puts the point's normal in
// its place.
template <typename Words>
bool BuildGroupWithoutUv(rm::Mesh& mesh, BuildBuffers& b, const LwoPoints& points, Words w, uint32_t surface,
                         uint32_t flags, bool normalsLater) {
  const uint32_t first = b.surfaceStart[surface], last = b.surfaceStart[surface + 1];
  const bool flat = (flags & LWO_BUILD_FLAT) != 0;
  size_t size = 0;
  for (uint32_t f = first; f < last; ++f) size += w[b.order[f]] + 1u;
  // Reserved, not sized: every word is written below, so none is zeroed first.
  std::vector<uint32_t> faceData;
  faceData.reserve(size);
  PrefaultForWriting(faceData.data(), size * sizeof(uint32_t));
  uint32_t workCount = 0;
  for (uint32_t f = first; f < last; ++f) {
    const uint32_t at = b.order[f];
    const uint32_t n = w[at];
    faceData.push_back(n);
    for (uint32_t j = 1; j <= n; ++j) {
      const uint32_t point = w[at + j];
      int32_t vertex = flat ? -1 : b.pointMap[point];
      if (vertex < 0) {
        vertex = static_cast<int32_t>(workCount++);
        b.work[vertex] = {point, -1};
        b.pointMap[point] = vertex;
      }
      faceData.push_back(static_cast<uint32_t>(vertex));
    }
  }
  const int32_t group = mesh.AddGroupTaking(workCount, last - first, 0, std::move(faceData), true);
  std::span<rm::Vertex> vertices = group < 0 ? std::span<rm::Vertex>() : mesh.GroupVertices(group);
  for (uint32_t v = 0; v < workCount; ++v) {
    const uint32_t point = b.work[v].point;
    b.pointMap[point] = -1;
    if (vertices.empty()) continue;
    rm::Vertex& out = vertices[v];
    out.position = points.points[point];
    out.normal = normalsLater ? rm::Vector{0, 0, 0} : b.normals[point];
    out.tu = out.tv = 0;
    out.color = normalsLater ? point : 0;
  }
  if (group < 0) return false;
  mesh.SetGroupMapping(static_cast<uint32_t>(group), rm::MAP_PERSPCORRECT);
  return true;
}

// The groups an LWO2 object's smoothing made on the way, taken over by the
// mesh in surface order.
bool TakeGroups(rm::Mesh& mesh, const BuildBuffers& b, LwoCorners& corners, uint32_t groupCount) {
  for (uint32_t s = 1; s <= groupCount; ++s) {
    const int32_t group =
        mesh.AddGroupTaking(std::move(corners.groupVertices[s]), b.surfaceStart[s + 1] - b.surfaceStart[s], 0,
                            std::move(corners.groupFaces[s]), true);
    if (group < 0) return false;
    mesh.SetGroupMapping(static_cast<uint32_t>(group), rm::MAP_PERSPCORRECT);
  }
  return true;
}

// The normals of the groups BuildGroupWithoutUv made for later normals, from
// their points.
void SetPointNormals(rm::Mesh& mesh, uint32_t group, const BuildBuffers& b) {
  for (rm::Vertex& v : mesh.GroupVertices(group)) {
    v.normal = b.normals[v.color];
    v.color = 0;
  }
}

template <typename Words>
bool BuildGroup(rm::Mesh& mesh, BuildBuffers& b, const LwoPoints& points, const LwoPolygons& polygons, Words w,
                const UvSet* uvSet, uint32_t surface, uint32_t flags, const LwoCorners* corners) {
  const rm::Vector* cornerNormals = corners && !corners->normals.empty() ? corners->normals.data() : nullptr;
  const uint32_t* cornerColours = corners && surface < corners->colouredSurface.size() &&
                                          corners->colouredSurface[surface] && !corners->colours.empty()
                                      ? corners->colours.data()
                                      : nullptr;
  if (!uvSet && !cornerNormals && !cornerColours) return BuildGroupWithoutUv(mesh, b, points, w, surface, flags, false);
  const uint32_t first = b.surfaceStart[surface], last = b.surfaceStart[surface + 1];
  uint32_t workCount = 0, pairCount = 0, corner = 0;
  for (uint32_t f = first; f < last; ++f) {
    const uint32_t at = b.order[f];
    const uint32_t n = polygons.Word(at);
    for (uint32_t j = 0; j < n; ++j, ++corner) {
      const uint32_t point = polygons.Word(at + 1 + j);
      int32_t vertex = (flags & LWO_BUILD_FLAT) ? -1 : b.pointMap[point];
      if (vertex < 0) {
        vertex = static_cast<int32_t>(workCount++);
        b.work[vertex] = {point, -1};
        b.pointMap[point] = vertex;
      }
      float u = 0, v = 0;
      if (uvSet) UvAt(*uvSet, b.byGroupPolygon[f], j, u, v);
      const rm::Vector normal = cornerNormals ? cornerNormals[at + 1 + j] : rm::Vector{0, 0, 0};
      const uint32_t colour = cornerColours ? cornerColours[at + 1 + j] : 0;
      int32_t pair = b.work[vertex].firstPair;
      while (pair >= 0 && !(b.pairs[pair].u == u && b.pairs[pair].v == v && b.pairs[pair].normal.x == normal.x &&
                            b.pairs[pair].normal.y == normal.y && b.pairs[pair].normal.z == normal.z &&
                            b.pairs[pair].colour == colour))
        pair = b.pairs[pair].next;
      if (pair < 0) {
        pair = static_cast<int32_t>(pairCount++);
        b.pairs[pair] = {u, v, normal, colour, b.work[vertex].firstPair, 0};
        b.work[vertex].firstPair = pair;
      }
      b.cornerPair[corner] = static_cast<uint32_t>(pair);
    }
  }
  // Vertex numbers run over the work vertices in order, each one's pairs in
  // list order; the point map is cleared for the next group on the way.
  uint32_t next = 0;
  for (uint32_t w = 0; w < workCount; ++w) {
    const WorkVertex& work = b.work[w];
    b.pointMap[work.point] = -1;
    for (int32_t pair = work.firstPair; pair >= 0; pair = b.pairs[pair].next) {
      b.pairs[pair].finalIndex = next;
      rm::Vertex& out = b.vertices[next++];
      out.position = points.points[work.point];
      out.normal = cornerNormals ? b.pairs[pair].normal : b.normals[work.point];
      out.tu = b.pairs[pair].u;
      out.tv = b.pairs[pair].v;
      out.color = b.pairs[pair].colour;
    }
  }
  uint32_t words = 0;
  corner = 0;
  for (uint32_t f = first; f < last; ++f) {
    const uint32_t n = polygons.Word(b.order[f]);
    b.faceData[words++] = n;
    for (uint32_t j = 0; j < n; ++j) b.faceData[words++] = b.pairs[b.cornerPair[corner++]].finalIndex;
  }
  if (!AddBuiltGroup(mesh, b, next, last - first, words)) return false;
  if (cornerColours) mesh.SetGroupColorSource(mesh.GetGroupCount() - 1, rm::COLOR_FROMVERTEX);
  return true;
}

// Texture coordinates are moved up by whole numbers until none is negative.
void ShiftTextureCoordinates(rm::Mesh& mesh, uint32_t group) {
  std::span<rm::Vertex> vertices = mesh.GroupVertices(group);
  float minU = 0, minV = 0;
  for (const rm::Vertex& v : vertices) {
    if (v.tu < minU) minU = v.tu;
    if (v.tv < minV) minV = v.tv;
  }
  const float shiftU = minU < 0 ? std::ceil(-minU) : 0;
  const float shiftV = minV < 0 ? std::ceil(-minV) : 0;
  if (shiftU == 0 && shiftV == 0) return;
  for (rm::Vertex& v : vertices) {
    v.tu += shiftU;
    v.tv += shiftV;
  }
}

void ApplySurfaces(rm::Mesh& mesh, const rm::EnginePtr& engine, const LwoSurfaces& surfaces,
                   const LwoSurfaceNames& surfaceNames, const UvSet* uvSet, TextureCallback textureCallback,
                   void* callbackData, uint32_t flags) {
  // Names and surfaces looked up once, not per group.
  std::unordered_map<uint32_t, const char*> nameOf;
  for (auto* n = surfaceNames.entries.head(); n; n = n->next) nameOf.emplace(n->value.index, n->value.name);
  std::unordered_map<std::string_view, const LwoSurface*> surfaceOf;
  for (auto* n = surfaces.list.head(); n; n = n->next)
    if (n->value.name) surfaceOf.emplace(n->value.name, &n->value);  // the first of a name stays

  // A planar wrap changes the coordinates of every group of the mesh's copy,
  // and each group takes its coordinates from that copy: a group whose
  // surface has no map keeps those of the last map applied.
  rm::WrapPtr lastWrap;
  for (uint32_t g = 0; g < mesh.GetGroupCount(); ++g) {
    const uint32_t s = g + 1;
    const LwoSurface* surface = nullptr;
    auto name = nameOf.find(s);
    if (name != nameOf.end()) {
      auto found = surfaceOf.find(name->second);
      if (found != surfaceOf.end()) surface = found->second;
    }
    float specular = 1.0f, power = 0.0f, emissive = 0.0f, red = 1.0f, green = 1.0f, blue = 1.0f;
    if (surface && !(flags & LWO_BUILD_NO_SURFACES)) {
      if (surface->present & LWO_SPEC) specular = surface->specular / 256.0f;
      if (surface->present & LWO_GLOS) power = surface->glossiness / 256.0f;
      if (surface->present & LWO_LUMI) emissive = surface->luminosity / 256.0f;
      if (surface->present & LWO_COLR) {
        red = static_cast<float>((surface->colour >> 24) & 0xFF) / 255.0f;
        green = static_cast<float>((surface->colour >> 16) & 0xFF) / 255.0f;
        blue = static_cast<float>((surface->colour >> 8) & 0xFF) / 255.0f;
      }
    }
    if (rm::MaterialPtr material = engine->CreateMaterial(power)) {
      material->SetSpecular(specular, specular, specular);
      material->SetEmissive(emissive, emissive, emissive);
      mesh.SetGroupMaterial(g, material);
    }
    mesh.SetGroupColorRGB(g, red, green, blue);

    rm::TexturePtr texture;
    if (uvSet) {
      if (s - 1 < uvSet->surfaceCount && s - 1 < uvSet->imageNames.size()) {
        const std::string& image = uvSet->imageNames[s - 1];
        if (image != "NULL") texture = LoadTextureByName(textureCallback, callbackData, image.c_str(), engine);
      }
    } else {
      if (surface) {
        if (rm::WrapPtr wrap = PlanarWrapForSurface(*surface, engine)) {
          lastWrap = wrap;
          texture =
              LoadTextureByName(textureCallback, callbackData, surface->textures[LWO_SLOT_COLOUR].imageName, engine);
        }
      }
      if (lastWrap)
        for (rm::Vertex& v : mesh.GroupVertices(g)) lastWrap->Map(v.position, &v.tu, &v.tv);
    }
    if (texture) mesh.SetGroupTexture(g, texture);
    ShiftTextureCoordinates(mesh, g);
  }
}

rm::MeshPtr Build(const rm::EnginePtr& engine, const LwoPoints& points, const LwoSurfaces& surfaces,
                  const LwoSurfaceNames& surfaceNames, const LwoPolygons& polygons, const UvSet* uvSet,
                  TextureCallback textureCallback, void* callbackData, uint32_t flags, LwoCorners* corners) {
  rm::MeshPtr mesh = engine->CreateMesh();
  if (!mesh) return nullptr;
  const uint32_t groupCount = surfaceNames.nameCount;
  {
    BuildBuffers buffers;
    // Declared after the buffers it writes into, so joined before they go.
    std::thread helper;
    struct Joiner {
      std::thread& t;
      ~Joiner() {
        if (t.joinable()) t.join();
      }
    } joiner{helper};
    // Corners with texture coordinates, normals or colours of their own take
    // the path that tells corners apart. The point normals of an LWOB object
    // without texture coordinates may be made while its faces are.
    const bool perCorner =
        uvSet != nullptr || (corners && (!corners->normals.empty() || !corners->colours.empty()));
    const bool pointNormals = corners == nullptr;
    const bool sorted = !perCorner && corners && corners->smoothBySurface &&
                        corners->faceStart.size() >= static_cast<size_t>(groupCount) + 2 &&
                        corners->faceStart[groupCount + 1] <= polygons.polygonCount &&
                        corners->faceOrder.size() >= corners->faceStart[groupCount + 1];
    const bool built = WithWords(polygons, [&](auto w) {
      if (!PrepareBuild(buffers, points, polygons, w, groupCount, perCorner, flags, pointNormals, helper,
                        sorted ? corners : nullptr))
        return false;
      if (perCorner || !pointNormals) {
        if (helper.joinable()) helper.join();
        if (sorted && (flags & LWO_BUILD_FLAT) == 0 && corners->groupFaces.size() == groupCount + 1u &&
            corners->groupVertices.size() == groupCount + 1u)
          return TakeGroups(*mesh, buffers, *corners, groupCount);
        for (uint32_t s = 1; s <= groupCount; ++s) {
          SetGroupNormals(buffers, corners, s);
          if (!BuildGroup(*mesh, buffers, points, polygons, w, uvSet, s, flags, corners)) return false;
        }
        return true;
      }
      for (uint32_t s = 1; s <= groupCount; ++s)
        if (!BuildGroupWithoutUv(*mesh, buffers, points, w, s, flags, true)) return false;
      if (helper.joinable()) helper.join();
      for (uint32_t g = 0; g < mesh->GetGroupCount(); ++g) SetPointNormals(*mesh, g, buffers);
      return true;
    });
    if (!built) return nullptr;
  }
  ApplySurfaces(*mesh, engine, surfaces, surfaceNames, uvSet, textureCallback, callbackData, flags);
  return mesh;
}

}  // namespace

rm::MeshPtr BuildObjectMesh(const rm::EnginePtr& engine, const LwoPoints& points, const LwoSurfaces& surfaces,
                            const LwoSurfaceNames& surfaceNames, const LwoPolygons& polygons, const UvSet* uvSet,
                            TextureCallback textureCallback, void* callbackData, uint32_t flags,
                            LwoCorners* corners) {
  if (!engine) return nullptr;
  try {
    return Build(engine, points, surfaces, surfaceNames, polygons, uvSet, textureCallback, callbackData, flags,
                 corners);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

rm::TexturePtr LoadTextureByName(TextureCallback textureCallback, void* callbackData, const char* imageName,
                                 const rm::EnginePtr& engine) {
  if (!imageName) return nullptr;
  const PathParts parts = SplitPath(imageName);
  const std::string file = parts.name + parts.extension;
  rm::TexturePtr texture;
  if (textureCallback) {
    if (textureCallback(file.c_str(), callbackData, &texture) != 0) return nullptr;
  } else if (engine) {
    // A texture that is not there, or in a format that cannot be read, is not
    // something to stop the user for: it stays a developer's report.
    const ScopedDebugMode quiet(DEBUG_MODE_SILENT);
    texture = engine->LoadTexture(file);
  }
  if (texture) texture->SetName(file);
  return texture;
}

rm::WrapPtr PlanarWrapForSurface(const LwoSurface& surface, const rm::EnginePtr& engine) {
  if (!engine) return nullptr;
  const LwoTexture& t = surface.textures[LWO_SLOT_COLOUR];
  const uint32_t needed = LWO_TEX_TYPE | LWO_TIMG | LWO_TFLG;
  if ((t.present & needed) != needed || !t.typeName || std::strcmp(t.typeName, "Planar Image Map") != 0)
    return nullptr;
  float size[3] = {1, 1, 1}, centre[3] = {0, 0, 0};
  if (t.present & LWO_TSIZ) std::memcpy(size, t.size, sizeof size);
  if (t.present & LWO_TCTR) std::memcpy(centre, t.centre, sizeof centre);
  int axis;
  if (t.textureFlags & 1) axis = PLANAR_AXIS_X;
  else if (t.textureFlags & 2) axis = PLANAR_AXIS_Y;
  else if (t.textureFlags & 4) axis = PLANAR_AXIS_Z;
  else return nullptr;
  // A size of 0 would scale the map to infinity: no map then. Only the two
  // sizes across the axis count; a flat decal's size along it is 0.
  const int across[3][2] = {{2, 1}, {0, 2}, {0, 1}};
  for (int i : across[axis])
    if (!std::isfinite(size[i]) || size[i] == 0) return nullptr;
  const PlanarWrapFlags& f = GetPlanarWrapFlags();
  const float dir = PlanarSign(f, axis, PLANAR_PARAM_DIRECTION), up = PlanarSign(f, axis, PLANAR_PARAM_UP);
  const float su = PlanarSign(f, axis, PLANAR_PARAM_SCALE_U), sv = PlanarSign(f, axis, PLANAR_PARAM_SCALE_V);
  rm::Vector d, u;
  float scaleU, scaleV;
  switch (axis) {
    case PLANAR_AXIS_X:
      d = {dir, 0, 0}, u = {0, up, 0}, scaleU = su / size[2], scaleV = sv / size[1];
      break;
    case PLANAR_AXIS_Y:
      d = {0, dir, 0}, u = {0, 0, up}, scaleU = su / size[0], scaleV = sv / size[2];
      break;
    default:
      d = {0, 0, dir}, u = {0, up, 0}, scaleU = su / size[0], scaleV = sv / size[1];
      break;
  }
  return engine->CreateWrap(rm::WRAP_FLAT, nullptr, centre[0], centre[1], centre[2], d.x, d.y, d.z, u.x, u.y, u.z,
                            0.5f, 0.5f, scaleU, scaleV);
}

rm::TexturePtr PlanarImageMap(TextureCallback textureCallback, void* callbackData, uint32_t surfaceNumber,
                              const rm::EnginePtr& engine, const LwoSurfaces& surfaces,
                              const LwoSurfaceNames& surfaceNames, const rm::MeshPtr& mesh) {
  const LwoSurface* surface = FindSurface(surfaces, SurfaceNameByIndex(surfaceNames, surfaceNumber));
  if (!surface || !mesh) return nullptr;
  rm::WrapPtr wrap = PlanarWrapForSurface(*surface, engine);
  if (!wrap) return nullptr;
  wrap->Apply(*mesh);
  return LoadTextureByName(textureCallback, callbackData, surface->textures[LWO_SLOT_COLOUR].imageName, engine);
}

rm::MeshPtr LoadLightWaveObjectBytes(std::span<const uint8_t> bytes, const rm::EnginePtr& engine,
                                     TextureCallback textureCallback, void* callbackData, uint32_t flags,
                                     Failure* why, std::span<const uint8_t> uvBytes) {
  if (!engine) return Fail(why, "no engine"), nullptr;
  LwoObject object;
  if (!ParseLightWaveObjectBytes(bytes, object, why, uvBytes)) return nullptr;
  rm::MeshPtr mesh = BuildObjectMesh(engine, object.points, object.surfaces, object.surfaceNames, object.polygons,
                                     object.hasUvSet ? &object.uvSet : nullptr, textureCallback, callbackData, flags,
                                     object.lwo2 ? &object.corners : nullptr);
  if (!mesh) Fail(why, "the mesh could not be built");
  return mesh;
}

rm::MeshPtr LoadLightWaveObject(const char* name, const rm::EnginePtr& engine, TextureCallback textureCallback,
                                void* callbackData, uint32_t flags, Failure* why) {
  if (!engine) return Fail(why, "no engine"), nullptr;
  LwoObject object;
  if (!ParseLightWaveObject(name, object, why)) return nullptr;
  rm::MeshPtr mesh = BuildObjectMesh(engine, object.points, object.surfaces, object.surfaceNames, object.polygons,
                                     object.hasUvSet ? &object.uvSet : nullptr, textureCallback, callbackData, flags,
                                     object.lwo2 ? &object.corners : nullptr);
  if (mesh) {
    mesh->SetName(SplitPath(LightWaveFileNames(name).baseName).name);
  } else if (why && why->empty()) {
    Fail(why, "the mesh could not be built");
    why->file = LightWaveFileNames(name).objectFile;
  }
  return mesh;
}
