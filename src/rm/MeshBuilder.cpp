#include "rm/MeshBuilder.h"

#include <new>

#include "diag/Dbug.h"

namespace rm {

MeshBuilder::MeshBuilder(EnginePtr engine) : engine_(std::move(engine)) {}

ObjectPtr MeshBuilder::Clone() const {
  try {
    return std::make_shared<MeshBuilder>(*this);
  } catch (const std::bad_alloc&) {
    ReportWarning("MeshBuilder Clone: out of memory");
    return nullptr;
  }
}

bool MeshBuilder::AddMesh(const Mesh& mesh) try {
  // Build the new groups on a copy so a failure leaves the builder as it was.
  Mesh merged = mesh_;
  for (uint32_t g = 0; g < mesh.GetGroupCount(); ++g) {
    const MeshGroupData& src = *mesh.Group(g);
    const int32_t index = merged.AddGroup(static_cast<uint32_t>(src.vertices.size()), src.faceCount,
                                          src.verticesPerFace, src.faceData);
    if (index < 0) return false;
    const uint32_t i = static_cast<uint32_t>(index);
    merged.SetVertices(i, 0, static_cast<uint32_t>(src.vertices.size()), src.vertices.data());
    merged.SetGroupColor(i, src.color);
    merged.SetGroupMaterial(i, src.material);
    merged.SetGroupTexture(i, src.texture);
    merged.SetGroupQuality(i, src.quality);
    merged.SetGroupMapping(i, src.mapping);
    merged.SetGroupColorSource(i, src.colorSource);
  }
  mesh_ = std::move(merged);
  return true;
} catch (const std::bad_alloc&) {
  ReportWarning("MeshBuilder AddMesh: out of memory");
  return false;
}

MeshPtr MeshBuilder::CreateMesh() const {
  MeshPtr mesh = mesh_.CloneMesh();
  if (mesh) mesh->SetName(GetName());
  return mesh;
}

}  // namespace rm
