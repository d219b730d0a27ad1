// Meshes: groups of vertices and faces, each group with its own colour,
// material, texture, render quality and mapping.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "rm/Math.h"
#include "rm/Object.h"

namespace rm {

// One group as the mesh stores it. Face data holds indices into the group's
// own vertices: with verticesPerFace 0 every face is its vertex count followed
// by that many indices; otherwise faces are verticesPerFace indices each.
struct MeshGroupData {
  std::vector<Vertex> vertices;
  std::vector<uint32_t> faceData;
  uint32_t verticesPerFace = 0;
  uint32_t faceCount = 0;
  Color color = 0xFFFFFFFFu;
  MaterialPtr material;
  TexturePtr texture;
  RenderQuality quality = RENDER_GOURAUD;
  MappingFlags mapping = 0;
  ColorSource colorSource = COLOR_FROMFACE;
};

class Mesh : public Visual {
 public:
  // A bound on hostile counts: 16M vertices (576 MB) per group.
  static constexpr uint32_t kMaxGroupVertices = 1u << 24;

  const char* GetClassName() const override { return "Mesh"; }
  // Copies every group (vertices and faces deeply); the copy shares the
  // groups' materials and textures, as they are engine objects of their own.
  ObjectPtr Clone() const override;
  MeshPtr CloneMesh() const;

  // Adds a group of vertexCount zeroed vertices and faceCount faces taken
  // from faceData. Returns the new group's index, or -1 (reported) when the
  // face data is shorter than its faces, a face has fewer than 3 or (with
  // verticesPerFace 0) a zero count, an index is not below vertexCount,
  // vertexCount is above kMaxGroupVertices, or the memory cannot be had. Words after the last face are ignored.
  int32_t AddGroup(uint32_t vertexCount, uint32_t faceCount, uint32_t verticesPerFace,
                   std::span<const uint32_t> faceData);
  // The same taking the face data over instead of copying it; on failure it
  // is left as it was. `facesMade` is for a builder that numbered the
  // vertices itself and sized the data to its faces: the walk that checks
  // every index is skipped (the vertex bound is still checked).
  int32_t AddGroupTaking(uint32_t vertexCount, uint32_t faceCount, uint32_t verticesPerFace,
                         std::vector<uint32_t>&& faceData, bool facesMade = false);
  // The same taking vertices made by the caller over as well.
  int32_t AddGroupTaking(std::vector<Vertex>&& vertices, uint32_t faceCount, uint32_t verticesPerFace,
                         std::vector<uint32_t>&& faceData, bool facesMade = false);
  uint32_t GetGroupCount() const { return static_cast<uint32_t>(groups_.size()); }
  // Sizes of a group, and its face data when `faceData` is not empty (it must
  // then hold at least faceDataSize words). Any out pointer may be null.
  // False for a bad group index or a too small buffer.
  bool GetGroup(uint32_t group, uint32_t* vertexCount, uint32_t* faceCount, uint32_t* verticesPerFace,
                uint32_t* faceDataSize, std::span<uint32_t> faceData = {}) const;
  // The group itself, or null for a bad index.
  const MeshGroupData* Group(uint32_t group) const;
  // Drops every group.
  void DeleteGroups() { groups_.clear(); }

  // Vertices first .. first + count - 1 of a group; false (and nothing
  // copied) when that range is not inside the group.
  bool SetVertices(uint32_t group, uint32_t first, uint32_t count, const Vertex* values);
  bool GetVertices(uint32_t group, uint32_t first, uint32_t count, Vertex* values) const;
  // All of a group's vertices, for callers that change many at once; empty
  // for a bad index.
  std::span<Vertex> GroupVertices(uint32_t group);
  std::span<const Vertex> GroupVertices(uint32_t group) const;

  // Group attributes. Setters return false for a bad group index; getters
  // give 0 / null then.
  bool SetGroupColor(uint32_t group, Color color);
  bool SetGroupColorRGB(uint32_t group, float r, float g, float b);
  Color GetGroupColor(uint32_t group) const;
  bool SetGroupMaterial(uint32_t group, MaterialPtr material);
  MaterialPtr GetGroupMaterial(uint32_t group) const;
  bool SetGroupTexture(uint32_t group, TexturePtr texture);
  TexturePtr GetGroupTexture(uint32_t group) const;
  bool SetGroupQuality(uint32_t group, RenderQuality quality);
  RenderQuality GetGroupQuality(uint32_t group) const;
  bool SetGroupMapping(uint32_t group, MappingFlags mapping);
  MappingFlags GetGroupMapping(uint32_t group) const;
  bool SetGroupColorSource(uint32_t group, ColorSource source);
  ColorSource GetGroupColorSource(uint32_t group) const;

  // The box around every vertex of every group; false and a zero box when the
  // mesh has no vertices.
  bool GetBox(Box* box) const;
  // Moves or scales every vertex position (normals are left alone by
  // Translate and renormalised by Scale).
  void Translate(float x, float y, float z);
  void Scale(float sx, float sy, float sz);

 private:
  int32_t PushGroup(std::vector<Vertex>&& vertices, uint32_t faceCount, uint32_t verticesPerFace,
                    std::vector<uint32_t>&& faceData, size_t words);
  std::vector<MeshGroupData> groups_;
};

}  // namespace rm
