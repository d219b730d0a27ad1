#include <algorithm>
#include <limits>
#include <new>
#include <string>

#include "diag/Dbug.h"
#include "diag/Failure.h"
#include "lwlib/model/Mesh.h"
#include "rm/Faces.h"
#include "rm/Rm.h"

namespace {

bool CaptureGroup(MeshGroup& group, GroupMaterial& material, const rm::Mesh& mesh, uint32_t g) {
  uint32_t vertexCount = 0, faceCount = 0, verticesPerFace = 0, faceDataSize = 0;
  if (!mesh.GetGroup(g, &vertexCount, &faceCount, &verticesPerFace, &faceDataSize)) return false;
  if (!group.faceData.Allocate(faceDataSize) || !group.vertices.Allocate(vertexCount)) return false;
  if (faceDataSize && !mesh.GetGroup(g, nullptr, nullptr, nullptr, nullptr, group.faceData.span())) return false;
  if (vertexCount && !mesh.GetVertices(g, 0, vertexCount, group.vertices.data())) return false;
  group.verticesPerFace = verticesPerFace;
  group.faceCount = faceCount;
  // The engine checked these faces when the group was made; the model is
  // walked without checks from here on, so it takes nothing on trust.
  Failure why;
  if (!rm::CheckFaces(group.faceData.span(), faceCount, verticesPerFace, vertexCount, nullptr, &why)) {
    ReportWarning(("CaptureMeshModel: group " + std::to_string(g) + ": " + why.what).c_str());
    return false;
  }

  material.material = mesh.GetGroupMaterial(g);
  material.texture = mesh.GetGroupTexture(g);
  const rm::Color colour = mesh.GetGroupColor(g);
  material.red = rm::ColorRed(colour);
  material.green = rm::ColorGreen(colour);
  material.blue = rm::ColorBlue(colour);
  if (material.material) {
    const rm::ColorRGBf specular = material.material->GetSpecular();
    const rm::ColorRGBf emissive = material.material->GetEmissive();
    material.specular[0] = specular.red;
    material.specular[1] = specular.green;
    material.specular[2] = specular.blue;
    material.emissive[0] = emissive.red;
    material.emissive[1] = emissive.green;
    material.emissive[2] = emissive.blue;
    material.power = material.material->GetPower();
  } else {
    // A group without a material keeps nothing else either: exporters read an
    // all-zero record as "no material".
    material = GroupMaterial{};
  }
  return true;
}

}  // namespace

bool CaptureMeshModel(MeshModel* model, const rm::MeshPtr& mesh) {
  if (!model) return false;
  FreeMeshModel(model);
  if (!mesh) return false;
  const uint32_t count = mesh->GetGroupCount();
  if (count == 0 || count > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) return false;
  try {
    model->groups.resize(count);
    model->groupMaterials.resize(count);
  } catch (const std::bad_alloc&) {
    FreeMeshModel(model);
    return false;
  }
  for (uint32_t g = 0; g < count; ++g) {
    if (!CaptureGroup(model->groups[g], model->groupMaterials[g], *mesh, g)) {
      FreeMeshModel(model);
      return false;
    }
  }
  return true;
}

void FreeMeshModel(MeshModel* model) {
  if (!model) return;
  model->groups.clear();
  model->groups.shrink_to_fit();
  model->groupMaterials.clear();
  model->groupMaterials.shrink_to_fit();
}

rm::MeshPtr BuildRMMesh(const MeshModel* model, const rm::EnginePtr& engine) {
  if (!model || !engine) return nullptr;
  rm::MeshPtr mesh = engine->CreateMesh();
  if (!mesh) return nullptr;
  const size_t count = std::min(model->groups.size(), model->groupMaterials.size());
  for (size_t g = 0; g < count; ++g) {
    const MeshGroup& group = model->groups[g];
    const GroupMaterial& material = model->groupMaterials[g];
    const int32_t index =
        mesh->AddGroup(group.vertexCount(), group.faceCount, group.verticesPerFace, group.faceData.span());
    // The engine has said why. Skipping the group would give every later one
    // this one's index, and so another group's colours and texture.
    if (index < 0) return nullptr;
    const uint32_t at = static_cast<uint32_t>(index);
    if (group.vertexCount()) mesh->SetVertices(at, 0, group.vertexCount(), group.vertices.data());
    if (material.material) mesh->SetGroupMaterial(at, material.material);
    if (material.texture) mesh->SetGroupTexture(at, material.texture);
  }
  return mesh;
}

bool SaveMeshAsX(const rm::MeshPtr& mesh, const rm::EnginePtr& engine, const char* fileName) {
  if (!mesh || !engine || !fileName) return false;
  rm::MeshBuilderPtr builder = engine->CreateMeshBuilder();
  if (!builder || !builder->AddMesh(*mesh)) return false;
  return builder->Save(fileName, rm::XOF_TEXT,
                       rm::XOFSAVE_NORMALS | rm::XOFSAVE_TEXTURECOORDINATES | rm::XOFSAVE_MATERIALS |
                           rm::XOFSAVE_TEXTURENAMES);
}
