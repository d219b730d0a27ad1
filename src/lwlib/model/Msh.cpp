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

// Reads forward through the file or the bytes; every read is checked against
// the bytes left, so a count can never ask for more than the file holds.
struct Reader {
  FILE* file;                // null: read from bytes
  const uint8_t* bytes;
  uint64_t size;
  uint64_t left;
  Failure* why;
  int64_t Offset() const { return static_cast<int64_t>(size - left); }
  bool Read(void* to, uint64_t n) {
    if (n > left) return false;
    if (file) {
      if (n && FileRead(to, 1, static_cast<size_t>(n), file) != n) return false;
    } else if (n) {
      std::memcpy(to, bytes + (size - left), static_cast<size_t>(n));
    }
    left -= n;
    return true;
  }
  // Reads a record of group g; a file that ends first is the reason.
  bool Record(void* to, uint64_t n, int32_t g, const char* record) {
    if (n > left) return FailAt(why, nullptr, Offset(), "group %d: the file ends inside its %s", g, record);
    if (!Read(to, n)) return FailAt(why, nullptr, Offset(), "group %d: cannot read its %s", g, record);
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

bool ReadGroup(Reader& r, int32_t index, MeshGroup& group, GroupMaterial& material, std::string& textureName) {
  Failure* why = r.why;
  uint8_t m[kMaterialRecord + 4];
  if (!r.Record(m, sizeof m, index, "material record")) return false;
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
    return FailAt(why, nullptr, r.Offset() - 4, "group %d: a texture name of %s bytes is longer than %s", index,
                  Thousands(nameLength).c_str(), Thousands(kMaxTextureName).c_str());
  }
  char name[kMaxTextureName + 1] = {};
  if (!r.Record(name, nameLength, index, "texture name")) return false;
  // A name with a zero byte inside ends there, as it would have when read.
  textureName = name;

  uint8_t g[kGroupRecord];
  if (!r.Record(g, sizeof g, index, "group record")) return false;
  group.verticesPerFace = GetU4(g + 4);
  const uint32_t vertexCount = GetU4(g + 8);
  group.faceCount = GetU4(g + 12);
  const uint32_t faceDataSize = GetU4(g + 16);
  // Counts are checked against the bytes left before anything is allocated,
  // and a group the engine could not hold is refused here rather than later.
  const int64_t counts = r.Offset() - kGroupRecord;
  if (vertexCount > rm::Mesh::kMaxGroupVertices)
    return FailAt(why, nullptr, counts, "group %d: %s vertices are more than a group can hold (%s)", index,
                  Thousands(vertexCount).c_str(), Thousands(rm::Mesh::kMaxGroupVertices).c_str());
  if (faceDataSize > r.left / 4)
    return FailAt(why, nullptr, counts, "group %d: %s face data words need %s bytes but %s are left", index,
                  Thousands(faceDataSize).c_str(), Thousands(4 * int64_t{faceDataSize}).c_str(),
                  Thousands(static_cast<int64_t>(r.left)).c_str());
  const uint64_t afterFaces = r.left - 4 * static_cast<uint64_t>(faceDataSize);
  if (vertexCount > afterFaces / kVertexRecord)
    return FailAt(why, nullptr, counts, "group %d: %s vertices need %s bytes but %s are left after the face data",
                  index, Thousands(vertexCount).c_str(), Thousands(int64_t{kVertexRecord} * vertexCount).c_str(),
                  Thousands(static_cast<int64_t>(afterFaces)).c_str());
  if (!group.faceData.Allocate(faceDataSize) || !group.vertices.Allocate(vertexCount))
    return Fail(why, "out of memory for group %d", index);
  // The file's records are the in-memory ones on a little-endian machine.
  if (!r.Record(group.faceData.data(), 4 * static_cast<uint64_t>(faceDataSize), index, "face data") ||
      !r.Record(group.vertices.data(), kVertexRecord * static_cast<uint64_t>(vertexCount), index, "vertices"))
    return false;
  if constexpr (std::endian::native == std::endian::big) {
    SwapWords(group.faceData.data(), faceDataSize);
    SwapWords(group.vertices.data(), static_cast<size_t>(vertexCount) * (kVertexRecord / 4));
  }
  // Everything that reads a model walks its faces unchecked.
  Failure faces;
  if (!rm::CheckFaces(group.faceData.span(), group.faceCount, group.verticesPerFace, vertexCount, nullptr, &faces)) {
    ReportWarning(("Mesh file group refused: " + faces.what).c_str());
    return FailAt(why, nullptr, counts + kGroupRecord, "group %d: %s", index, faces.what.c_str());
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

bool ReadMesh(MeshModel* model, Reader& r, ScopedFile* file, const rm::EnginePtr& engine, TextureCallback callback,
              void* callbackData) {
  Failure* why = r.why;
  if (r.size < 8)
    return FailAt(why, nullptr, 0, "the file ends after %s bytes, inside the 8-byte header",
                  Thousands(static_cast<int64_t>(r.size)).c_str());
  uint8_t head[8];
  if (!r.Read(head, sizeof head)) return Fail(why, "cannot be read");
  if (std::memcmp(head, "MESH", 4) != 0) return FailAt(why, nullptr, 0, "not a mesh file: it does not start with MESH");
  const int32_t groupCount = static_cast<int32_t>(GetU4(head + 4));
  // Every group takes at least its two records and a name length.
  if (groupCount < 0 || static_cast<uint64_t>(groupCount) > r.left / (kMaterialRecord + 4 + kGroupRecord))
    return FailAt(why, nullptr, 4, "%s groups cannot fit in the %s bytes that follow",
                  Thousands(static_cast<uint32_t>(groupCount)).c_str(), Thousands(static_cast<int64_t>(r.left)).c_str());
  model->groups.resize(static_cast<size_t>(groupCount));
  model->groupMaterials.resize(static_cast<size_t>(groupCount));
  std::vector<std::string> textureNames(static_cast<size_t>(groupCount));
  for (int32_t g = 0; g < groupCount; ++g)
    if (!ReadGroup(r, g, model->groups[g], model->groupMaterials[g], textureNames[g])) return false;
  if (file) file->Close();
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

namespace {

template <typename Read>
bool Guarded(MeshModel* model, Failure* why, Read read) {
  if (!model) return Fail(why, "no model");
  FreeMeshModel(model);
  bool ok = false;
  try {
    ok = read();
  } catch (const std::bad_alloc&) {
    ok = Fail(why, "out of memory");
  }
  if (!ok) FreeMeshModel(model);
  return ok;
}

}  // namespace

bool LoadMeshModel(MeshModel* model, const char* fileName, const rm::EnginePtr& engine,
                   TextureCallback textureCallback, void* callbackData, Failure* why) {
  if (!fileName) return Fail(why, "no file name");
  const bool ok = Guarded(model, why, [&] {
    ScopedFile file(FileOpen(fileName, "rb"));
    if (!file) return Fail(why, "cannot be opened");
    const int64_t length = FileLength(file.get());
    if (length < 0) return Fail(why, "cannot be read");
    Reader r{file.get(), nullptr, static_cast<uint64_t>(length), static_cast<uint64_t>(length), why};
    return ReadMesh(model, r, &file, engine, textureCallback, callbackData);
  });
  if (!ok && why && why->file.empty()) why->file = fileName;
  return ok;
}

bool LoadMeshModelBytes(MeshModel* model, std::span<const uint8_t> bytes, const rm::EnginePtr& engine,
                        TextureCallback textureCallback, void* callbackData, Failure* why) {
  return Guarded(model, why, [&] {
    Reader r{nullptr, bytes.data(), bytes.size(), bytes.size(), why};
    return ReadMesh(model, r, nullptr, engine, textureCallback, callbackData);
  });
}
