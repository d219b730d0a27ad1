#include "immediate/ImmediateObject.h"

#include <algorithm>
#include <span>
#include <string>

#include "diag/Dbug.h"
#include "immediate/UserVisual.h"
#include "lwlib/model/Mesh.h"
#include "rm/Faces.h"

namespace {

constexpr uint32_t kMaxIndexedVertices = 65536;  // indices are 16 bits

struct Ambient {
  float r, g, b, a;
};

bool CreateImmediateMaterial(ImmediateGroup& group, rm::ImDevice& device, rm::Direct3D& d3d,
                             const GroupMaterial& source, const Ambient& ambient) {
  if (d3d.CreateMaterial(&group.material) != rm::DD_OK) return false;
  rm::D3DMATERIAL m;
  m.diffuse = {source.red, source.green, source.blue, 0};
  m.ambient = {ambient.r, ambient.g, ambient.b, ambient.a};
  m.specular = {source.specular[0], source.specular[1], source.specular[2], 0};
  m.emissive = {source.emissive[0], source.emissive[1], source.emissive[2], 0};
  m.power = source.power;
  m.texture = group.textureHandle;
  m.rampSize = 8;
  return group.material->SetMaterial(m) == rm::DD_OK &&
         group.material->GetHandle(device, &group.materialHandle) == rm::DD_OK;
}

// One triangle per face from its first three corners (face data is checked
// where a model comes in).
bool BuildIndices(ImmediateGroup& group, const MeshGroup& source) {
  if (!group.indices.Allocate(static_cast<size_t>(source.faceCount) * 3)) return false;
  uint32_t t = 0;
  for (std::span<const uint32_t> face : rm::Faces(source)) {
    for (int k = 0; k < 3; ++k) group.indices[t * 3 + k] = static_cast<uint16_t>(face[k]);
    ++t;
  }
  group.triangleCount = t;
  return true;
}

bool Build(ImmediateObject* object, const MeshModel& model, rm::Device& device, const Ambient& ambient,
           bool coloured) {
  const rm::ImDevicePtr im = device.GetDirect3DDevice();
  rm::Direct3DPtr d3d;
  if (!im || im->GetDirect3D(&d3d) != rm::DD_OK || !d3d) {
    ReportWarning("The 3D device has no immediate mode");
    return false;
  }
  const size_t groupCount = model.groups.size();
  if (model.groupMaterials.size() < groupCount) return false;
  object->groups.resize(groupCount);
  object->groupCount = static_cast<int32_t>(groupCount);
  for (size_t g = 0; g < groupCount; ++g) {
    const MeshGroup& source = model.groups[g];
    const GroupMaterial& material = model.groupMaterials[g];
    ImmediateGroup& group = object->groups[g];
    const uint32_t n = source.vertexCount();
    if (n > kMaxIndexedVertices) {
      ReportWarning(DebugFormat("Group %u has %u vertices; the immediate-mode path draws at most 65536 per group",
                                static_cast<unsigned>(g), n));
      FreeImmediateObject(object);
      return false;
    }
    group.vertexCount = n;
    const bool made = coloured ? group.lvertices.Allocate(n) : group.vertices.Allocate(n);
    if (!made || !BuildIndices(group, source)) {
      FreeImmediateObject(object);
      return false;
    }
    for (uint32_t i = 0; i < n; ++i) {
      const rm::Vertex& v = source.vertices[i];
      if (coloured)
        group.lvertices[i] = {v.position.x, v.position.y, v.position.z, 0, v.color, 0xFF000000u, v.tu, v.tv};
      else
        group.vertices[i] = {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z,
                             v.tu, v.tv};
    }
    if (!coloured && material.texture && !material.texture->GetName().empty()) {
      const std::string name = material.texture->GetName().substr(0, 1024);
      // A texture found through the search path may not open by its name
      // from here; its image is already in memory then.
      if (group.texture.Load(*im, name.c_str()) ||
          (material.texture->GetSurface() &&
           group.texture.LoadBitmap(*im, name.c_str(), material.texture->GetSurface())))
        group.textureHandle = group.texture.handle();
    }
    if (!CreateImmediateMaterial(group, *im, *d3d, material, ambient)) {
      ReportWarning("The immediate-mode device refused a material");
      FreeImmediateObject(object);
      return false;
    }
  }
  return true;
}

int Render(void* call, rm::VertexType type) {
  const auto* c = static_cast<const ImmediateCall*>(call);
  if (!c || !c->interfaces || !c->interfaces->device || !c->arg) return 1;
  rm::ImDevice& device = *c->interfaces->device;
  const auto& object = *static_cast<const ImmediateObject*>(c->arg);
  for (const ImmediateGroup& group : object.groups) {
    device.SetLightState(rm::LIGHTSTATE_MATERIAL, type == rm::VT_VERTEX ? group.materialHandle : 0);
    device.SetRenderState(rm::RENDERSTATE_TEXTUREMAPBLEND, rm::TBLEND_MODULATEALPHA);
    device.SetRenderState(rm::RENDERSTATE_ZWRITEENABLE, 1);
    device.SetRenderState(rm::RENDERSTATE_ZENABLE, 1);
    device.SetRenderState(rm::RENDERSTATE_TEXTUREHANDLE, group.textureHandle);
    if (c->interfaces->viewport) device.SetCurrentViewport(c->interfaces->viewport);
    device.SetRenderState(rm::RENDERSTATE_SHADEMODE, rm::SHADE_MODE_GOURAUD);
    const void* vertices = type == rm::VT_VERTEX ? static_cast<const void*>(group.vertices.data())
                                                 : static_cast<const void*>(group.lvertices.data());
    device.DrawIndexedPrimitive(rm::PT_TRIANGLELIST, type, vertices, group.vertexCount, group.indices.data(),
                                group.triangleCount * 3, rm::DP_WAIT);
  }
  return 1;
}

}  // namespace

bool BuildImmediateObject(ImmediateObject* object, const rm::MeshPtr& mesh, rm::Device& device, float ambientRed,
                          float ambientGreen, float ambientBlue, float ambientAlpha) {
  if (!object) return false;
  FreeImmediateObject(object);
  MeshModel model;
  if (!CaptureMeshModel(&model, mesh)) return false;
  const bool built =
      Build(object, model, device, {ambientRed, ambientGreen, ambientBlue, ambientAlpha}, false);
  FreeMeshModel(&model);
  return built;
}

bool BuildColouredImmediateObject(ImmediateObject* object, const MeshModel* model, rm::Device& device,
                                  float ambientRed, float ambientGreen, float ambientBlue, float ambientAlpha) {
  if (!object) return false;
  FreeImmediateObject(object);
  if (!model) return false;
  return Build(object, *model, device, {ambientRed, ambientGreen, ambientBlue, ambientAlpha}, true);
}

void FreeImmediateObject(ImmediateObject* object) {
  if (!object) return;
  for (ImmediateGroup& group : object->groups)
    if (group.texture.memorySurface() || group.texture.deviceSurface()) group.texture.Release();
  object->groups.clear();
  object->groupCount = 0;
}

int RenderImmediateObject(void* call, rm::Frame*, rm::Engine*, rm::Device*, rm::Viewport*) {
  return Render(call, rm::VT_VERTEX);
}

int RenderColouredObject(void* call, rm::Frame*, rm::Engine*, rm::Device*, rm::Viewport*) {
  return Render(call, rm::VT_LVERTEX);
}
