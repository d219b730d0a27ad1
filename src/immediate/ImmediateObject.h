// Objects for the immediate-mode path: each retained-mode group becomes an
// indexed triangle list with a material (and texture) made on the
// immediate-mode device once, and is then drawn every frame from inside the
// scene by a user visual.
#pragma once

#include <cstdint>
#include <vector>

#include "diag/TrackedBuffer.h"
#include "immediate/D3DTexture.h"
#include "lwlib/model/MeshModel.h"
#include "rm/Rm.h"

struct ImmediateGroup {
  rm::MaterialHandle materialHandle = 0;
  rm::ImMaterialPtr material;
  rm::TextureHandle textureHandle = 0;  // 0: drawn untextured
  D3DTexture texture;
  uint32_t vertexCount = 0;
  uint32_t triangleCount = 0;
  TrackedBuffer<uint16_t> indices;          // 3 per triangle
  TrackedBuffer<rm::D3DVERTEX> vertices;    // lit objects
  TrackedBuffer<rm::D3DLVERTEX> lvertices;  // coloured objects
};

struct ImmediateObject {
  int32_t groupCount = 0;
  std::vector<ImmediateGroup> groups;
};

// Each face gives one triangle, from its first three corners: the path draws
// triangle meshes, and a larger face shows only its first triangle. Vertex
// indices are 16 bits, so a group of more than 65,536 vertices is refused
// (reported). False, with the object empty, when the device has no
// immediate-mode device or memory runs out; a texture that does not load
// leaves its group untextured.
bool BuildImmediateObject(ImmediateObject* object, const rm::MeshPtr& mesh, rm::Device& device, float ambientRed,
                          float ambientGreen, float ambientBlue, float ambientAlpha);
// The same from a mesh model with pre-lit vertices in the vertex colours,
// without textures.
bool BuildColouredImmediateObject(ImmediateObject* object, const MeshModel* model, rm::Device& device,
                                  float ambientRed, float ambientGreen, float ambientBlue, float ambientAlpha);
void FreeImmediateObject(ImmediateObject* object);

// User-visual render callbacks: `call` is the ImmediateCall (UserVisual.h)
// whose argument is the object. One draw per group; 1 always.
int RenderImmediateObject(void* call, rm::Frame* frame, rm::Engine* rm, rm::Device* device, rm::Viewport* viewport);
int RenderColouredObject(void* call, rm::Frame* frame, rm::Engine* rm, rm::Device* device, rm::Viewport* viewport);
