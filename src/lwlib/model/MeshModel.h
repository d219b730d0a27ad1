// A plain snapshot of a retained-mode mesh, group by group: what every
// exporter and processor reads, and what a .msh file stores.
#pragma once

#include <cstdint>
#include <vector>

#include "diag/TrackedBuffer.h"
#include "rm/Types.h"

struct MeshGroup {
  TrackedBuffer<uint32_t> faceData;  // faceDataSize words
  uint32_t verticesPerFace = 0;      // 0: each face is its count, then its indices
  uint32_t vertexCount = 0;
  uint32_t faceCount = 0;
  uint32_t faceDataSize = 0;
  TrackedBuffer<rm::Vertex> vertices;  // vertexCount records
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
  std::vector<MeshGroup> groups;               // groupCount entries, group-index order
  std::vector<GroupMaterial> groupMaterials;   // same index as groups
  int32_t groupCount = 0;
};
