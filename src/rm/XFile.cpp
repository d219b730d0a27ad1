// DirectX .X files. Writing is our own (the text encoding only); reading goes
// through assimp, which knows the text, binary and compressed encodings.
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <new>
#include <string>

#include "diag/Dbug.h"
#include "platform/File.h"
#include "rm/Engine.h"
#include "rm/Faces.h"
#include "rm/Image.h"
#include "rm/Material.h"
#include "rm/MeshBuilder.h"
#include "rm/Texture.h"
#include "rm/XFileCheck.h"

namespace rm {

namespace {

// Numbers are written in the shortest form that reads back to the same
// float, whatever locale the program runs in.
void Number(std::string& out, float v) {
  if (!std::isfinite(v) || v == 0) v = 0;  // no "-0" either
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
  // Some readers take "1,5" for one and a half; a decimal point in every
  // number keeps lists of them unambiguous.
  if (std::find_if(buf, r.ptr, [](char c) { return c == '.' || c == 'e'; }) == r.ptr) out += ".0";
}

void Number(std::string& out, uint32_t v) { out += std::to_string(v); }

bool IsIdentifier(const std::string& name) {
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
  for (const char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
  return true;
}

void Triple(std::string& out, float a, float b, float c, const char* end) {
  Number(out, a), out += ';', Number(out, b), out += ';', Number(out, c), out += end;
}

// Faces of the builder with indices into the merged vertex list.
struct MergedFace {
  uint32_t group;
  uint32_t first;  // into `indices`
  uint32_t count;
};

// A count, then one vector of every vertex (its position or its normal).
void WriteVectors(std::string& out, const std::vector<Vertex>& vertices, Vector Vertex::*member,
                  const char* indent) {
  Number(out, static_cast<uint32_t>(vertices.size()));
  out += ";\n";
  for (size_t i = 0; i < vertices.size(); ++i) {
    const Vector& v = vertices[i].*member;
    out += indent;
    Triple(out, v.x, v.y, v.z, i + 1 < vertices.size() ? ";,\n" : ";;\n");
  }
}

void WriteFaces(std::string& out, const std::vector<MergedFace>& faces, const std::vector<uint32_t>& indices,
                const char* indent) {
  Number(out, static_cast<uint32_t>(faces.size()));
  out += ";\n";
  for (size_t f = 0; f < faces.size(); ++f) {
    out += indent;
    Number(out, faces[f].count);
    out += ';';
    for (uint32_t k = 0; k < faces[f].count; ++k) {
      if (k) out += ',';
      Number(out, indices[faces[f].first + k]);
    }
    out += f + 1 < faces.size() ? ";,\n" : ";;\n";
  }
}

std::string XText(const Mesh& mesh, const std::string& name, XofSaveFlags flags) {
  std::vector<Vertex> vertices;
  std::vector<uint32_t> indices;
  std::vector<MergedFace> faces;
  for (uint32_t g = 0; g < mesh.GetGroupCount(); ++g) {
    const MeshGroupData& group = *mesh.Group(g);
    const uint32_t base = static_cast<uint32_t>(vertices.size());
    vertices.insert(vertices.end(), group.vertices.begin(), group.vertices.end());
    for (std::span<const uint32_t> face : Faces(group)) {
      faces.push_back({g, static_cast<uint32_t>(indices.size()), static_cast<uint32_t>(face.size())});
      for (const uint32_t index : face) indices.push_back(base + index);
    }
  }

  std::string out = "xof 0302txt 0032\n\nMesh ";
  if (IsIdentifier(name)) out += name + ' ';
  out += "{\n  ";
  WriteVectors(out, vertices, &Vertex::position, "  ");
  out += "  ";
  WriteFaces(out, faces, indices, "  ");

  if (flags & XOFSAVE_MATERIALS) {
    out += "\n  MeshMaterialList {\n    ";
    Number(out, mesh.GetGroupCount());
    out += ";\n    ";
    Number(out, static_cast<uint32_t>(faces.size()));
    out += ";\n";
    for (size_t f = 0; f < faces.size(); ++f) {
      out += "    ";
      Number(out, faces[f].group);
      out += f + 1 < faces.size() ? ",\n" : ";\n";
    }
    for (uint32_t g = 0; g < mesh.GetGroupCount(); ++g) {
      const MeshGroupData& group = *mesh.Group(g);
      const Material none;
      const Material& m = group.material ? *group.material : none;
      out += "    Material {\n      ";
      Number(out, ColorRed(group.color)), out += ';', Number(out, ColorGreen(group.color)), out += ';';
      Number(out, ColorBlue(group.color)), out += ';', Number(out, ColorAlpha(group.color)), out += ";;\n      ";
      Number(out, m.GetPower());
      out += ";\n      ";
      Triple(out, m.GetSpecular().red, m.GetSpecular().green, m.GetSpecular().blue, ";;\n      ");
      Triple(out, m.GetEmissive().red, m.GetEmissive().green, m.GetEmissive().blue, ";;\n");
      if ((flags & XOFSAVE_TEXTURENAMES) && group.texture && !group.texture->GetName().empty()) {
        std::string texName = group.texture->GetName();
        if (texName.find('"') != std::string::npos) {
          ReportWarning(DebugFormat("Save: texture name %s loses its quotes", texName.c_str()));
          std::erase(texName, '"');
        }
        out += "      TextureFilename {\n        \"" + texName + "\";\n      }\n";
      }
      out += "    }\n";
    }
    out += "  }\n";
  }

  if (flags & XOFSAVE_NORMALS) {
    out += "\n  MeshNormals {\n    ";
    WriteVectors(out, vertices, &Vertex::normal, "    ");
    out += "    ";
    WriteFaces(out, faces, indices, "    ");
    out += "  }\n";
  }

  if (flags & XOFSAVE_TEXTURECOORDINATES) {
    out += "\n  MeshTextureCoords {\n    ";
    Number(out, static_cast<uint32_t>(vertices.size()));
    out += ";\n";
    for (size_t i = 0; i < vertices.size(); ++i) {
      out += "    ";
      Number(out, vertices[i].tu), out += ';', Number(out, vertices[i].tv);
      out += i + 1 < vertices.size() ? ";,\n" : ";;\n";
    }
    out += "  }\n";
  }

  // Colours per vertex only for meshes that have them, so other meshes are
  // written as they always were; vertices of the other groups there take
  // their group's colour.
  bool anyVertexColors = false;
  for (uint32_t g = 0; g < mesh.GetGroupCount(); ++g)
    anyVertexColors = anyVertexColors || mesh.GetGroupColorSource(g) == COLOR_FROMVERTEX;
  if (anyVertexColors) {
    out += "\n  MeshVertexColors {\n    ";
    Number(out, static_cast<uint32_t>(vertices.size()));
    out += ";\n";
    uint32_t i = 0;
    for (uint32_t g = 0; g < mesh.GetGroupCount(); ++g) {
      const MeshGroupData& group = *mesh.Group(g);
      for (const Vertex& v : group.vertices) {
        const Color c = group.colorSource == COLOR_FROMVERTEX ? v.color : group.color;
        out += "    ";
        Number(out, i), out += ';';
        Number(out, ColorRed(c)), out += ';', Number(out, ColorGreen(c)), out += ';';
        Number(out, ColorBlue(c)), out += ';', Number(out, ColorAlpha(c));
        out += ++i < vertices.size() ? ";;,\n" : ";;;\n";
      }
    }
    out += "  }\n";
  }
  out += "}\n";
  return out;
}

Color ColorOf(const aiColor4D& c) {
  auto byte = [](float v) { return static_cast<uint32_t>(Clamp01(v) * 255.0f + 0.5f); };
  return byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

}  // namespace

bool MeshBuilder::Save(const std::string& path, XofFormat format, XofSaveFlags flags) const {
  if (format != XOF_TEXT) {
    ReportWarning(DebugFormat("Save %s: only the text encoding is written", path.c_str()));
    return false;
  }
  std::string text;
  try {
    text = XText(mesh_, GetName(), flags);
  } catch (const std::bad_alloc&) {
    ReportWarning(DebugFormat("Save %s: out of memory", path.c_str()));
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    ReportWarning(DebugFormat("Save: cannot create %s", path.c_str()));
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    ReportWarning(DebugFormat("Save: cannot write %s", path.c_str()));
    return false;
  }
  return true;
}

namespace {

struct LoadContext {
  const aiScene* scene;
  Mesh* mesh;
  std::map<unsigned, uint32_t> groupOfMaterial;
  std::vector<std::vector<uint32_t>> faceData;  // per group, count-prefixed
  std::vector<uint32_t> faceCount;
  std::vector<std::vector<Vertex>> vertices;
  std::vector<bool> vertexColors;  // per group: a mesh of it had colours per vertex
};

void AddNodeMeshes(LoadContext& c, const aiNode* node, const aiMatrix4x4& parent) {
  const aiMatrix4x4 world = parent * node->mTransformation;
  aiMatrix3x3 normalMatrix(world);
  normalMatrix.Inverse().Transpose();
  for (unsigned i = 0; i < node->mNumMeshes; ++i) {
    if (node->mMeshes[i] >= c.scene->mNumMeshes) continue;
    const aiMesh* m = c.scene->mMeshes[node->mMeshes[i]];
    auto [it, added] = c.groupOfMaterial.try_emplace(m->mMaterialIndex, static_cast<uint32_t>(c.vertices.size()));
    if (added)
      c.vertices.emplace_back(), c.faceData.emplace_back(), c.faceCount.push_back(0), c.vertexColors.push_back(false);
    if (m->mColors[0]) c.vertexColors[it->second] = true;
    const uint32_t g = it->second;
    auto& verts = c.vertices[g];
    const uint32_t base = static_cast<uint32_t>(verts.size());
    for (unsigned v = 0; v < m->mNumVertices; ++v) {
      Vertex out;
      const aiVector3D p = world * m->mVertices[v];
      out.position = {p.x, p.y, p.z};
      if (m->mNormals) {
        aiVector3D n = normalMatrix * m->mNormals[v];
        n.NormalizeSafe();
        out.normal = {n.x, n.y, n.z};
      }
      // The reader turns v upside down for its own conventions; undo it.
      if (m->mTextureCoords[0]) out.tu = m->mTextureCoords[0][v].x, out.tv = 1.0f - m->mTextureCoords[0][v].y;
      if (m->mColors[0]) out.color = ColorOf(m->mColors[0][v]);
      verts.push_back(out);
    }
    for (unsigned f = 0; f < m->mNumFaces; ++f) {
      const aiFace& face = m->mFaces[f];
      if (face.mNumIndices < 3) continue;  // points and lines are not faces of ours
      c.faceData[g].push_back(face.mNumIndices);
      for (unsigned k = 0; k < face.mNumIndices; ++k) c.faceData[g].push_back(base + face.mIndices[k]);
      ++c.faceCount[g];
      if (m->mNormals) continue;
      // A mesh written without normals would be lit by zero vectors: give each
      // vertex the mean of its faces' normals (front faces run clockwise).
      const Vector& a = verts[base + face.mIndices[0]].position;
      const Vector& b = verts[base + face.mIndices[1]].position;
      const Vector& d = verts[base + face.mIndices[2]].position;
      const Vector n = Cross(b - a, d - a);
      for (unsigned k = 0; k < face.mNumIndices; ++k) {
        Vector& sum = verts[base + face.mIndices[k]].normal;
        sum = sum + n;
      }
    }
    if (!m->mNormals)
      for (unsigned v = 0; v < m->mNumVertices; ++v) verts[base + v].normal = Normalize(verts[base + v].normal);
  }
  for (unsigned i = 0; i < node->mNumChildren; ++i) AddNodeMeshes(c, node->mChildren[i], world);
}

}  // namespace

bool MeshBuilder::Load(const std::string& path, Failure* why) { return LoadFrom(path, nullptr, 0, why); }

bool MeshBuilder::Load(const void* data, size_t size, const std::string& name, Failure* why) {
  if (!data) data = "";  // no bytes is an empty file, not a path
  return LoadFrom(name, data, size, why);
}

// `data` null: `path` is the file to read; otherwise it only names the bytes.
bool MeshBuilder::LoadFrom(const std::string& path, const void* data, size_t size, Failure* why) {
  mesh_.DeleteGroups();
  const auto fail = [&](const std::string& what) {
    if (why && why->empty()) {
      Fail(why, "%s", what.c_str());
      why->file = path;
    }
    return false;
  };
  try {
    // The library allocates what a file's counts say before it reads the
    // elements, so they are measured against the file first.
    std::vector<uint8_t> fileBytes;
    if (!data && FileExists(path.c_str())) {
      ScopedFile file(FileOpen(path.c_str(), "rb"));
      const int64_t length = file ? FileLength(file.get()) : -1;
      if (length > 0) {
        fileBytes.resize(static_cast<size_t>(length));
        fileBytes.resize(FileRead(fileBytes.data(), 1, fileBytes.size(), file.get()));
      }
    }
    Failure refused;
    if (!CheckXCounts(data ? static_cast<const uint8_t*>(data) : fileBytes.data(), data ? size : fileBytes.size(),
                      &refused)) {
      ReportWarning(DebugFormat("Load %s: %s", path.c_str(), refused.Text().c_str()));
      if (why && why->empty()) *why = refused, why->file = path;
      return false;
    }
    Assimp::Importer importer;
    // The reader turns the file's left-handed data into right-handed data;
    // the same two steps turn it back, so we see the file's own numbers.
    const unsigned steps = aiProcess_MakeLeftHanded | aiProcess_FlipWindingOrder | aiProcess_JoinIdenticalVertices;
    const aiScene* scene = data ? importer.ReadFileFromMemory(data, size, steps, "x")
                                : importer.ReadFile(FindFileAnyCase(path), steps);
    if (!scene || !scene->mRootNode) {
      ReportWarning(DebugFormat("Load %s: %s", path.c_str(), importer.GetErrorString()));
      return fail(importer.GetErrorString());
    }
    LoadContext c{scene, &mesh_, {}, {}, {}, {}, {}};
    AddNodeMeshes(c, scene->mRootNode, aiMatrix4x4());
    uint32_t faces = 0;
    for (const uint32_t n : c.faceCount) faces += n;
    if (faces == 0) {
      ReportWarning(DebugFormat("Load %s: the file holds no mesh with faces", path.c_str()));
      return fail("the file holds no mesh with faces");
    }
    const std::filesystem::path directory = data ? std::filesystem::path() : std::filesystem::path(path).parent_path();
    std::vector<std::pair<unsigned, uint32_t>> order(c.groupOfMaterial.begin(), c.groupOfMaterial.end());
    std::sort(order.begin(), order.end(), [](auto& a, auto& b) { return a.second < b.second; });
    for (const auto& [materialIndex, g] : order) {
      const int32_t index = mesh_.AddGroup(static_cast<uint32_t>(c.vertices[g].size()), c.faceCount[g], 0,
                                           c.faceData[g]);
      if (index < 0) {
        mesh_.DeleteGroups();
        ReportWarning(DebugFormat("Load %s: a mesh cannot be made into a group", path.c_str()));
        return fail("mesh " + std::to_string(materialIndex) + " cannot be made into a group");
      }
      const uint32_t i = static_cast<uint32_t>(index);
      mesh_.SetVertices(i, 0, static_cast<uint32_t>(c.vertices[g].size()), c.vertices[g].data());
      if (c.vertexColors[g]) mesh_.SetGroupColorSource(i, COLOR_FROMVERTEX);
      if (materialIndex >= scene->mNumMaterials) continue;
      const aiMaterial* am = scene->mMaterials[materialIndex];
      aiColor4D diffuse(1, 1, 1, 1);
      am->Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
      mesh_.SetGroupColor(i, ColorOf(diffuse));
      float power = 0;
      aiColor3D specular(0, 0, 0), emissive(0, 0, 0);
      am->Get(AI_MATKEY_SHININESS, power);
      am->Get(AI_MATKEY_COLOR_SPECULAR, specular);
      am->Get(AI_MATKEY_COLOR_EMISSIVE, emissive);
      auto material = std::make_shared<Material>(power);
      material->SetSpecular(specular.r, specular.g, specular.b);
      material->SetEmissive(emissive.r, emissive.g, emissive.b);
      mesh_.SetGroupMaterial(i, material);
      // The reader sorts texture names into kinds by words in them; any
      // kind is the group's texture to us.
      aiString textureName;
      for (int type = aiTextureType_DIFFUSE; type <= aiTextureType_UNKNOWN; ++type) {
        if (am->GetTexture(static_cast<aiTextureType>(type), 0, &textureName) == AI_SUCCESS) break;
        textureName.Clear();
      }
      if (textureName.length > 0) mesh_.SetGroupTexture(i, FindTexture(textureName.C_Str(), directory.string()));
    }
  } catch (const std::exception& e) {
    mesh_.DeleteGroups();
    ReportWarning(DebugFormat("Load %s: %s", path.c_str(), e.what()));
    return fail(e.what());
  }
  return true;
}

TexturePtr MeshBuilder::FindTexture(const std::string& name, const std::string& directory) const {
  const std::string beside = directory.empty() ? std::string() : FindImageFile(name, directory);
  TexturePtr texture;
  if (!beside.empty()) {
    if (SurfacePtr surface = LoadImageFile(beside)) texture = std::make_shared<Texture>(surface);
  } else if (engine_) {
    texture = engine_->LoadTexture(name);
  }
  if (!texture) {
    ReportWarning(DebugFormat("Texture %s is not loaded; the group keeps its name only", name.c_str()));
    texture = std::make_shared<Texture>();
  }
  texture->SetName(name);
  return texture;
}

}  // namespace rm
