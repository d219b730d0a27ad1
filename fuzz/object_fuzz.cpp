// Loads arbitrary bytes as a LightWave object and builds its mesh, with a
// texture loader that refuses everything, then snapshots the mesh and walks
// every face so a vertex index outside its group shows. object_fuzz (seeded
// with LWOB objects) and lwo2_fuzz (seeded with LWO2 ones) share this body.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "diag/Dbug.h"
#include "lwlib/object/Iff.h"
#include "lwlib/model/Mesh.h"
#include "lwlib/object/ObjectMesh.h"
#include "rm/Faces.h"
#include "rm/Rm.h"

namespace {

int32_t NoTexture(const char*, void*, rm::TexturePtr* texture) {
  *texture = nullptr;
  return RMERR_BADVALUE;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const rm::EnginePtr engine = rm::Engine::Create();
  SetDebugMode(DEBUG_MODE_SILENT);

  const uint32_t flags = size ? data[size - 1] & 3u : 0;
  // Only LWO2 objects carry vertex colours: an LWOB one builds as it always did.
  const bool lwob = size >= 12 && std::memcmp(data + 8, "LWOB", 4) == 0;
  SetLwoCurrentTextureSlot(LWO_SLOT_NONE);
  if (rm::MeshPtr mesh = LoadLightWaveObjectBytes({data, size}, engine, NoTexture, nullptr, flags)) {
    MeshModel model;
    if (CaptureMeshModel(&model, mesh)) {
      uint32_t colours = 0;
      volatile float sum = 0;
      for (const MeshGroup& g : model.groups)
        for (std::span<const uint32_t> face : rm::Faces(g))
          for (const uint32_t index : face) sum = sum + g.vertices[index].tu, colours |= g.vertices[index].color;
      if (lwob && colours != 0) std::abort();
    }
  }
  if (IffHandlerRegistry() != nullptr) std::abort();
  if (ReportUnfreedMemory() != 0) std::abort();  // every block must come back
  return 0;
}
