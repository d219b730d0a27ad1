// A plain snapshot of a retained-mode mesh, group by group: what every
// exporter and processor reads, and what a .msh file stores.
#pragma once

#include <cstdint>
#include <vector>

#include "diag/TrackedBuffer.h"
#include "rm/Types.h"

// Each size is the size of its array, so nothing can disagree with it. Face
// data is checked (rm::CheckFaces) where a group comes in: capture from a mesh
// and the .msh loader; exporters walk it with rm::Faces and trust it.
struct MeshGroup {
  TrackedBuffer<uint32_t> faceData;  // faceDataSize() words
  uint32_t verticesPerFace = 0;      // 0: each face is its count, then its indices
  uint32_t faceCount = 0;
  TrackedBuffer<rm::Vertex> vertices;  // vertexCount() records

  uint32_t vertexCount() const { return static_cast<uint32_t>(vertices.size()); }
  uint32_t faceDataSize() const { return static_cast<uint32_t>(faceData.size()); }
};

struct GroupMaterial {
  rm::MaterialPtr material;  // one reference held by the model, or none
  rm::TexturePtr texture;    // likewise
  float specular[3] = {0, 0, 0};
  float emissive[3] = {0, 0, 0};
  float power = 0;
  float red = 0, green = 0, blue = 0;  // group colour, 0..1
};

struct MeshModel {
  std::vector<MeshGroup> groups;               // group-index order
  std::vector<GroupMaterial> groupMaterials;   // same index as groups

  int32_t groupCount() const { return static_cast<int32_t>(groups.size()); }
};
