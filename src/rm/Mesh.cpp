#include "rm/Mesh.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "diag/Dbug.h"
#include "diag/Failure.h"
#include "platform/Memory.h"
#include "rm/Faces.h"

namespace rm {

bool CheckFaces(std::span<const uint32_t> data, uint32_t faceCount, uint32_t verticesPerFace,
                uint32_t vertexCount, size_t* words, Failure* why) {
  if (verticesPerFace != 0 && verticesPerFace < 3) return Fail(why, "%u vertices per face", verticesPerFace);
  size_t at = 0;
  for (uint32_t f = 0; f < faceCount; ++f) {
    uint32_t n = verticesPerFace;
    if (n == 0) {
      if (at >= data.size()) return Fail(why, "face data ends before face %u of %u", f, faceCount);
      n = data[at++];
    }
    if (n < 3) return Fail(why, "face %u has %u vertices", f, n);
    if (n > data.size() - at) return Fail(why, "face data ends inside face %u of %u", f, faceCount);
    for (uint32_t k = 0; k < n; ++k)
      if (data[at + k] >= vertexCount)
        return Fail(why, "face %u names vertex %u of %u", f, data[at + k], vertexCount);
    at += n;
  }
  if (words) *words = at;
  return true;
}

ObjectPtr Mesh::Clone() const { return CloneMesh(); }

MeshPtr Mesh::CloneMesh() const {
  try {
    auto copy = std::make_shared<Mesh>(*this);
    return copy;
  } catch (const std::bad_alloc&) {
    ReportWarning("Mesh Clone: out of memory");
    return nullptr;
  }
}

namespace {

// The checks of AddGroup; the words the faces use, or false (reported).
bool CheckNewGroup(size_t groups, uint32_t vertexCount, uint32_t faceCount, uint32_t verticesPerFace,
                   std::span<const uint32_t> faceData, size_t& words, bool facesMade = false) {
  if (groups >= static_cast<size_t>(INT32_MAX)) return false;
  if (vertexCount > Mesh::kMaxGroupVertices) {
    ReportWarning(DebugFormat("AddGroup: %u vertices are more than a group holds", vertexCount));
    return false;
  }
  if (facesMade) {
    words = faceData.size();
    return true;
  }
  Failure why;
  if (!CheckFaces(faceData, faceCount, verticesPerFace, vertexCount, &words, &why)) {
    ReportWarning(("AddGroup: " + why.what).c_str());
    return false;
  }
  return true;
}

}  // namespace

int32_t Mesh::AddGroup(uint32_t vertexCount, uint32_t faceCount, uint32_t verticesPerFace,
                       std::span<const uint32_t> faceData) {
  size_t words = 0;
  if (!CheckNewGroup(groups_.size(), vertexCount, faceCount, verticesPerFace, faceData, words)) return -1;
  try {
    MeshGroupData group;
    group.vertices.resize(vertexCount);
    group.faceData.assign(faceData.begin(), faceData.begin() + static_cast<std::ptrdiff_t>(words));
    group.verticesPerFace = verticesPerFace;
    group.faceCount = faceCount;
    groups_.push_back(std::move(group));
  } catch (const std::exception&) {
    ReportWarning(DebugFormat("AddGroup: no memory for %u vertices and %zu face words", vertexCount, words));
    return -1;
  }
  return static_cast<int32_t>(groups_.size() - 1);
}

int32_t Mesh::AddGroupTaking(uint32_t vertexCount, uint32_t faceCount, uint32_t verticesPerFace,
                             std::vector<uint32_t>&& faceData, bool facesMade) {
  size_t words = 0;
  if (!CheckNewGroup(groups_.size(), vertexCount, faceCount, verticesPerFace, faceData, words, facesMade)) return -1;
  std::vector<Vertex> vertices;
  try {
    vertices.reserve(vertexCount);
    PrefaultForWriting(vertices.data(), vertexCount * sizeof(Vertex));
    vertices.resize(vertexCount);
  } catch (const std::exception&) {
    ReportWarning(DebugFormat("AddGroup: no memory for %u vertices and %zu face words", vertexCount, words));
    return -1;
  }
  return PushGroup(std::move(vertices), faceCount, verticesPerFace, std::move(faceData), words);
}

int32_t Mesh::AddGroupTaking(std::vector<Vertex>&& vertices, uint32_t faceCount, uint32_t verticesPerFace,
                             std::vector<uint32_t>&& faceData, bool facesMade) {
  size_t words = 0;
  if (vertices.size() > UINT32_MAX ||
      !CheckNewGroup(groups_.size(), static_cast<uint32_t>(vertices.size()), faceCount, verticesPerFace, faceData,
                     words, facesMade))
    return -1;
  return PushGroup(std::move(vertices), faceCount, verticesPerFace, std::move(faceData), words);
}

int32_t Mesh::PushGroup(std::vector<Vertex>&& vertices, uint32_t faceCount, uint32_t verticesPerFace,
                        std::vector<uint32_t>&& faceData, size_t words) {
  try {
    groups_.reserve(groups_.size() + 1);
    faceData.resize(words);
    MeshGroupData group;
    group.vertices = std::move(vertices);
    group.faceData = std::move(faceData);
    group.verticesPerFace = verticesPerFace;
    group.faceCount = faceCount;
    groups_.push_back(std::move(group));
  } catch (const std::exception&) {
    ReportWarning(DebugFormat("AddGroup: no memory for %zu vertices and %zu face words", vertices.size(), words));
    return -1;
  }
  return static_cast<int32_t>(groups_.size() - 1);
}

bool Mesh::GetGroup(uint32_t group, uint32_t* vertexCount, uint32_t* faceCount, uint32_t* verticesPerFace,
                    uint32_t* faceDataSize, std::span<uint32_t> faceData) const {
  const MeshGroupData* g = Group(group);
  if (!g) return false;
  if (vertexCount) *vertexCount = static_cast<uint32_t>(g->vertices.size());
  if (faceCount) *faceCount = g->faceCount;
  if (verticesPerFace) *verticesPerFace = g->verticesPerFace;
  if (faceDataSize) *faceDataSize = static_cast<uint32_t>(g->faceData.size());
  if (!faceData.empty()) {
    if (faceData.size() < g->faceData.size()) return false;
    std::copy(g->faceData.begin(), g->faceData.end(), faceData.begin());
  }
  return true;
}

const MeshGroupData* Mesh::Group(uint32_t group) const {
  return group < groups_.size() ? &groups_[group] : nullptr;
}

bool Mesh::SetVertices(uint32_t group, uint32_t first, uint32_t count, const Vertex* values) {
  if (group >= groups_.size()) return false;
  auto& v = groups_[group].vertices;
  if (first > v.size() || count > v.size() - first || (count > 0 && !values)) return false;
  if (count > 0) std::memcpy(v.data() + first, values, count * sizeof(Vertex));
  return true;
}

bool Mesh::GetVertices(uint32_t group, uint32_t first, uint32_t count, Vertex* values) const {
  if (group >= groups_.size()) return false;
  const auto& v = groups_[group].vertices;
  if (first > v.size() || count > v.size() - first || (count > 0 && !values)) return false;
  if (count > 0) std::memcpy(values, v.data() + first, count * sizeof(Vertex));
  return true;
}

std::span<Vertex> Mesh::GroupVertices(uint32_t group) {
  if (group >= groups_.size()) return {};
  return groups_[group].vertices;
}

std::span<const Vertex> Mesh::GroupVertices(uint32_t group) const {
  if (group >= groups_.size()) return {};
  return groups_[group].vertices;
}

#define RM_GROUP_SETTER(Name, Type, field)          \
  bool Mesh::Name(uint32_t group, Type value) {     \
    if (group >= groups_.size()) return false;      \
    groups_[group].field = std::move(value);        \
    return true;                                    \
  }
#define RM_GROUP_GETTER(Name, Type, field, none) \
  Type Mesh::Name(uint32_t group) const { return group < groups_.size() ? groups_[group].field : none; }

RM_GROUP_SETTER(SetGroupColor, Color, color)
RM_GROUP_GETTER(GetGroupColor, Color, color, 0)
RM_GROUP_SETTER(SetGroupMaterial, MaterialPtr, material)
RM_GROUP_GETTER(GetGroupMaterial, MaterialPtr, material, nullptr)
RM_GROUP_SETTER(SetGroupTexture, TexturePtr, texture)
RM_GROUP_GETTER(GetGroupTexture, TexturePtr, texture, nullptr)
RM_GROUP_SETTER(SetGroupQuality, RenderQuality, quality)
RM_GROUP_GETTER(GetGroupQuality, RenderQuality, quality, 0)
RM_GROUP_SETTER(SetGroupMapping, MappingFlags, mapping)
RM_GROUP_GETTER(GetGroupMapping, MappingFlags, mapping, 0)
RM_GROUP_SETTER(SetGroupColorSource, ColorSource, colorSource)
RM_GROUP_GETTER(GetGroupColorSource, ColorSource, colorSource, COLOR_FROMFACE)

bool Mesh::SetGroupColorRGB(uint32_t group, float r, float g, float b) {
  return SetGroupColor(group, ColorRGB(r, g, b));
}

bool Mesh::GetBox(Box* box) const {
  Box b{{1, 1, 1}, {-1, -1, -1}};
  bool any = false;
  for (const MeshGroupData& g : groups_) {
    for (const Vertex& v : g.vertices) {
      const Vector& p = v.position;
      if (!any) {
        b.min = b.max = p;
        any = true;
        continue;
      }
      b.min.x = std::min(b.min.x, p.x), b.max.x = std::max(b.max.x, p.x);
      b.min.y = std::min(b.min.y, p.y), b.max.y = std::max(b.max.y, p.y);
      b.min.z = std::min(b.min.z, p.z), b.max.z = std::max(b.max.z, p.z);
    }
  }
  if (box) *box = any ? b : Box{};
  return any;
}

void Mesh::Translate(float x, float y, float z) {
  for (MeshGroupData& g : groups_)
    for (Vertex& v : g.vertices) v.position = v.position + Vector{x, y, z};
}

void Mesh::Scale(float sx, float sy, float sz) {
  // Normals of a scaled surface scale by the inverse.
  const float nx = sx != 0 ? 1 / sx : 0, ny = sy != 0 ? 1 / sy : 0, nz = sz != 0 ? 1 / sz : 0;
  for (MeshGroupData& g : groups_) {
    for (Vertex& v : g.vertices) {
      v.position = {v.position.x * sx, v.position.y * sy, v.position.z * sz};
      v.normal = Normalize({v.normal.x * nx, v.normal.y * ny, v.normal.z * nz});
    }
  }
}

}  // namespace rm
