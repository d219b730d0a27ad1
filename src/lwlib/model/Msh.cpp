// The ".msh" file: "MESH", the group count, then per group its material
// record, its texture's name and its mesh group record, face data and
// vertices, all little-endian.
#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <string>

#include "diag/Dbug.h"
#include "diag/Failure.h"
#include "platform/File.h"
#include "lwlib/model/Mesh.h"
#include "rm/Faces.h"
#include "rm/Rm.h"

namespace {

constexpr uint32_t kMaterialRecord = 48;
constexpr uint32_t kGroupRecord = 24;
constexpr uint32_t kVertexRecord = 36;
// Texture names travel through a 1024-byte buffer with its terminator.
constexpr uint32_t kMaxTextureName = 1023;

void PutU4(std::string& out, uint32_t v) {
  const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
  out.append(b, 4);
}
void PutF4(std::string& out, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  PutU4(out, v);
}

uint32_t GetU4(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
float GetF4(const uint8_t* p) {
  const uint32_t v = GetU4(p);
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

// Reads forward through the file; every read is checked against the bytes
// the file has left, so a count can never ask for more than the file holds.
struct Reader {
  FILE* file;
  uint64_t left;
  bool Read(void* to, uint64_t n) {
    if (n > left) return false;
    if (n && FileRead(to, 1, static_cast<size_t>(n), file) != n) return false;
    left -= n;
    return true;
  }
};

void SwapWords(void* data, size_t words) {
  auto* p = static_cast<uint32_t*>(data);
  for (size_t i = 0; i < words; ++i) p[i] = __builtin_bswap32(p[i]);
}

std::string GroupHeader(const MeshGroup& group, const GroupMaterial& material) {
  std::string out;
  PutU4(out, 0);  // the material and texture slots carry nothing
  PutU4(out, 0);
  for (float f : material.specular) PutF4(out, f);
  for (float f : material.emissive) PutF4(out, f);
  PutF4(out, material.power);
  PutF4(out, material.red);
  PutF4(out, material.green);
  PutF4(out, material.blue);
  std::string name;
  if (material.texture) name = material.texture->GetName();
  // A name that would not fit the name buffer is not asked for: no name.
  if (name.size() > kMaxTextureName) name.clear();
  PutU4(out, static_cast<uint32_t>(name.size()));
  out += name;
  PutU4(out, 0);
  PutU4(out, group.verticesPerFace);
  PutU4(out, group.vertexCount());
  PutU4(out, group.faceCount);
  PutU4(out, group.faceDataSize());
  PutU4(out, 0);
  return out;
}

// Face data and vertices: the in-memory records are the file's records on a
// little-endian machine, so they go out as they stand.
bool WriteGroupArrays(const MeshGroup& group, FILE* file) {
  const uint32_t faceWords = group.faceDataSize(), vertices = group.vertexCount();
  if constexpr (std::endian::native == std::endian::little) {
    return (faceWords == 0 || FileWrite(group.faceData.data(), 4, faceWords, file) == faceWords) &&
           (vertices == 0 || FileWrite(group.vertices.data(), kVertexRecord, vertices, file) == vertices);
  }
  std::string out;
  for (uint32_t i = 0; i < faceWords; ++i) PutU4(out, group.faceData[i]);
  for (uint32_t i = 0; i < vertices; ++i) {
    const rm::Vertex& v = group.vertices[i];
    for (float f : {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z, v.tu, v.tv})
      PutF4(out, f);
    PutU4(out, v.color);
  }
  return FileWrite(out.data(), 1, out.size(), file) == out.size();
}

bool ReadGroup(Reader& r, MeshGroup& group, GroupMaterial& material, std::string& textureName) {
  uint8_t m[kMaterialRecord + 4];
  if (!r.Read(m, sizeof m)) return false;
  for (int i = 0; i < 3; ++i) {
    material.specular[i] = GetF4(m + 8 + 4 * i);
    material.emissive[i] = GetF4(m + 20 + 4 * i);
  }
  material.power = GetF4(m + 32);
  material.red = GetF4(m + 36);
  material.green = GetF4(m + 40);
  material.blue = GetF4(m + 44);
  const uint32_t nameLength = GetU4(m + 48);
  if (nameLength > kMaxTextureName) {
    ReportWarning(DebugFormat("Texture name of %u bytes in a mesh file refused", nameLength));
    return false;
  }
  char name[kMaxTextureName + 1] = {};
  if (!r.Read(name, nameLength)) return false;
  // A name with a zero byte inside ends there, as it would have when read.
  textureName = name;

  uint8_t g[kGroupRecord];
  if (!r.Read(g, sizeof g)) return false;
  group.verticesPerFace = GetU4(g + 4);
  const uint32_t vertexCount = GetU4(g + 8);
  group.faceCount = GetU4(g + 12);
  const uint32_t faceDataSize = GetU4(g + 16);
  // Counts are checked against the bytes left before anything is allocated,
  // and a group the engine could not hold is refused here rather than later.
  if (vertexCount > rm::Mesh::kMaxGroupVertices) return false;
  if (faceDataSize > r.left / 4) return false;
  if (vertexCount > (r.left - 4 * static_cast<uint64_t>(faceDataSize)) / kVertexRecord) return false;
  if (!group.faceData.Allocate(faceDataSize) || !group.vertices.Allocate(vertexCount)) return false;
  // The file's records are the in-memory ones on a little-endian machine.
  if (!r.Read(group.faceData.data(), 4 * static_cast<uint64_t>(faceDataSize)) ||
      !r.Read(group.vertices.data(), kVertexRecord * static_cast<uint64_t>(vertexCount)))
    return false;
  if constexpr (std::endian::native == std::endian::big) {
    SwapWords(group.faceData.data(), faceDataSize);
    SwapWords(group.vertices.data(), static_cast<size_t>(vertexCount) * (kVertexRecord / 4));
  }
  // Everything that reads a model walks its faces unchecked.
  Failure why;
  if (!rm::CheckFaces(group.faceData.span(), group.faceCount, group.verticesPerFace, vertexCount, nullptr, &why)) {
    ReportWarning(("Mesh file group refused: " + why.what).c_str());
    return false;
  }
  return true;
}

rm::TexturePtr FindTexture(const std::string& name, const rm::EnginePtr& engine, TextureCallback callback,
                           void* callbackData) {
  rm::TexturePtr texture;
  if (callback) {
    if (callback(name.c_str(), callbackData, &texture) != 0) texture = nullptr;
  } else if (engine) {
    texture = engine->LoadTexture(name);
  }
  if (texture) texture->SetName(name);
  return texture;
}

bool ReadMeshFile(MeshModel* model, const char* fileName, const rm::EnginePtr& engine, TextureCallback callback,
                  void* callbackData) {
  ScopedFile file(FileOpen(fileName, "rb"));
  if (!file) return false;
  const int64_t length = FileLength(file.get());
  if (length < 8) return false;
  Reader r{file.get(), static_cast<uint64_t>(length)};
  uint8_t head[8];
  if (!r.Read(head, sizeof head) || std::memcmp(head, "MESH", 4) != 0) return false;
  const int32_t groupCount = static_cast<int32_t>(GetU4(head + 4));
  // Every group takes at least its two records and a name length.
  if (groupCount < 0 || static_cast<uint64_t>(groupCount) > r.left / (kMaterialRecord + 4 + kGroupRecord))
    return false;
  model->groups.resize(static_cast<size_t>(groupCount));
  model->groupMaterials.resize(static_cast<size_t>(groupCount));
  std::vector<std::string> textureNames(static_cast<size_t>(groupCount));
  for (int32_t g = 0; g < groupCount; ++g)
    if (!ReadGroup(r, model->groups[g], model->groupMaterials[g], textureNames[g])) return false;
  file.Close();
  // Textures are looked for only once the whole file has read, so a broken
  // file asks nobody for images.
  for (int32_t g = 0; g < groupCount; ++g)
    if (!textureNames[g].empty())
      model->groupMaterials[g].texture = FindTexture(textureNames[g], engine, callback, callbackData);
  return true;
}

}  // namespace

bool SaveMeshModel(const MeshModel* model, const char* fileName) {
  if (!model || !fileName) return false;
  ScopedFile file(FileOpen(fileName, "wb"));
  if (!file) return false;
  bool ok = true;
  try {
    const size_t count = std::min(model->groups.size(), model->groupMaterials.size());
    std::string head = "MESH";
    PutU4(head, static_cast<uint32_t>(count));
    ok = FileWrite(head.data(), 1, head.size(), file.get()) == head.size();
    for (size_t g = 0; ok && g < count; ++g) {
      const std::string bytes = GroupHeader(model->groups[g], model->groupMaterials[g]);
      ok = FileWrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
           WriteGroupArrays(model->groups[g], file.get());
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (!file.Close()) ok = false;
  if (!ok) ReportWarning(DebugFormat("Could not write mesh file %s", fileName));
  return ok;
}

bool LoadMeshModel(MeshModel* model, const char* fileName, const rm::EnginePtr& engine,
                   TextureCallback textureCallback, void* callbackData) {
  if (!model) return false;
  FreeMeshModel(model);
  if (!fileName) return false;
  bool ok = false;
  try {
    ok = ReadMeshFile(model, fileName, engine, textureCallback, callbackData);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (!ok) FreeMeshModel(model);
  return ok;
}
