// Reads arbitrary bytes as a ".msh" file; a model that loads must keep its
// faces inside its arrays, rebuild as a mesh and write out again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "diag/Dbug.h"
#include "platform/File.h"
#include "lwlib/model/Mesh.h"
#include "rm/Faces.h"
#include "rm/Rm.h"

namespace {

int32_t AnyTexture(const char*, void*, rm::TexturePtr* texture) {
  *texture = std::make_shared<rm::Texture>();
  return 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const rm::EnginePtr engine = rm::Engine::Create();
  SetDebugMode(DEBUG_MODE_SILENT);
  {
    MeshModel model;
    if (LoadMeshModelBytes(&model, {data, size}, nullptr, AnyTexture, nullptr)) {
      uint32_t sum = 0;
      // A loaded model is walked unchecked: the load must have refused bad faces.
      for (const MeshGroup& g : model.groups)
        for (std::span<const uint32_t> face : rm::Faces(g))
          for (const uint32_t index : face) sum += g.vertices[index].color;
      (void)sum;
      if (!BuildRMMesh(&model, engine)) std::abort();
      if (!SaveMeshModel(&model, "/dev/null")) std::abort();
    }
  }
  if (OpenFileCount() != 0) std::abort();
  if (ReportUnfreedMemory() != 0) std::abort();
  return 0;
}
