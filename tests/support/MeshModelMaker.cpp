#include "MeshModelMaker.h"

#include <algorithm>
#include <stdexcept>

#include "rm/Faces.h"

namespace testsupport {

void AddMeshGroup(MeshModel& model, const std::vector<rm::Vertex>& vertices, const std::vector<uint32_t>& faceData,
                  uint32_t verticesPerFace, uint32_t faceCount) {
  MeshGroup group;
  group.verticesPerFace = verticesPerFace;
  group.faceCount = faceCount;
  if (!group.vertices.Allocate(vertices.size()) || !group.faceData.Allocate(faceData.size()))
    throw std::runtime_error("cannot allocate a test mesh group");
  std::copy(vertices.begin(), vertices.end(), group.vertices.data());
  std::copy(faceData.begin(), faceData.end(), group.faceData.data());
  // Models are walked unchecked, as every real one comes through a check.
  if (!rm::CheckFaces(faceData, faceCount, verticesPerFace, group.vertexCount()))
    throw std::runtime_error("a test mesh group with bad faces");
  model.groups.push_back(std::move(group));
  model.groupMaterials.emplace_back();
}

void AddMeshGroup(MeshModel& model, const std::vector<rm::Vector>& positions, const std::vector<uint32_t>& faceData,
                  uint32_t verticesPerFace, uint32_t faceCount) {
  std::vector<rm::Vertex> vertices(positions.size());
  for (size_t i = 0; i < positions.size(); ++i) vertices[i].position = positions[i];
  AddMeshGroup(model, vertices, faceData, verticesPerFace, faceCount);
}

MeshModel TriangleSoupModel(const std::vector<std::array<rm::Vector, 3>>& triangles) {
  MeshModel model;
  std::vector<rm::Vector> positions;
  std::vector<uint32_t> faces;
  for (const auto& t : triangles) {
    for (const rm::Vector& p : t) {
      faces.push_back(static_cast<uint32_t>(positions.size()));
      positions.push_back(p);
    }
  }
  AddMeshGroup(model, positions, faces, 3, static_cast<uint32_t>(triangles.size()));
  return model;
}

MeshModel CubeMeshModel() {
  const std::vector<rm::Vector> corners = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                           {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  const std::vector<uint32_t> faces = {0, 2, 1, 0, 3, 2,   // z = 0
                                       4, 5, 6, 4, 6, 7,   // z = 1
                                       0, 1, 5, 0, 5, 4,   // y = 0
                                       3, 7, 6, 3, 6, 2,   // y = 1
                                       0, 4, 7, 0, 7, 3,   // x = 0
                                       1, 2, 6, 1, 6, 5};  // x = 1
  MeshModel model;
  AddMeshGroup(model, corners, faces, 3, 12);
  return model;
}

MeshModel TwoTetrahedraMeshModel() {
  const std::vector<rm::Vector> corners = {{3, 3, -1}, {5, 3, 1}, {3, 5, 1}, {3, 3, 2},  // E F G H
                                           {0, 0, 0},  {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};  // A B C D
  const std::vector<uint32_t> faces = {1, 2, 3, 0, 2, 1, 0, 1, 3, 0, 3, 2,   // FGH EGF EFH EHG
                                       4, 5, 7, 4, 7, 6, 5, 6, 7, 4, 6, 5};  // ABD ADC BCD ACB
  MeshModel model;
  AddMeshGroup(model, corners, faces, 3, 8);
  return model;
}

}  // namespace testsupport
