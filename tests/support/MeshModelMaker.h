// Mesh models made directly in memory for tests: groups from positions and
// face words, and a few small solids whose trees are worked out by hand.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "lwlib/model/MeshModel.h"
#include "rm/Types.h"

namespace testsupport {

// Appends a group with the given vertices (or positions, other vertex fields
// zero) and face words, and a default material.
void AddMeshGroup(MeshModel& model, const std::vector<rm::Vertex>& vertices, const std::vector<uint32_t>& faceData,
                  uint32_t verticesPerFace, uint32_t faceCount);
void AddMeshGroup(MeshModel& model, const std::vector<rm::Vector>& positions, const std::vector<uint32_t>& faceData,
                  uint32_t verticesPerFace, uint32_t faceCount);

// One group of triangles, three vertices of their own each.
MeshModel TriangleSoupModel(const std::vector<std::array<rm::Vector, 3>>& triangles);

// The unit cube, two triangles per side wound outwards, the two triangles of
// a side next to each other.
MeshModel CubeMeshModel();

// Two tetrahedra wound outwards: EFGH near (3, 3, 0), then ABCD at the
// origin. The last face (z = 0) cuts through EFGH, leaving E alone below;
// no other face's plane passes through the other solid.
MeshModel TwoTetrahedraMeshModel();

}  // namespace testsupport
