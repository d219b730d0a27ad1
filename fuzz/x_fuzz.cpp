// Loads arbitrary bytes as a DirectX .X file (text, binary or compressed)
// through the engine's mesh builder, straight from memory, then snapshots the
// mesh and walks every face so a vertex index outside its group shows.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "diag/Dbug.h"
#include "lwlib/model/Mesh.h"
#include "lwlib/model/MeshModel.h"
#include "rm/Faces.h"
#include "rm/MeshBuilder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetDebugMode(DEBUG_MODE_SILENT);
  {
    rm::MeshBuilder builder;
    if (builder.Load(data, size, "fuzz.x")) {
      if (builder.GetMesh().GetGroupCount() == 0) std::abort();  // success means a mesh
      MeshModel model;
      if (CaptureMeshModel(&model, builder.CreateMesh())) {
        uint64_t sum = 0;
        for (const MeshGroup& g : model.groups)
          for (std::span<const uint32_t> face : rm::Faces(g))
            for (const uint32_t index : face) {
              if (index >= g.vertexCount()) std::abort();
              sum += g.vertices[index].color;
            }
        (void)sum;
      }
    } else if (builder.GetMesh().GetGroupCount() != 0) {
      std::abort();  // a failed load leaves the builder empty
    }
  }
  if (ReportUnfreedMemory() != 0) std::abort();
  return 0;
}

// The .X reader library leaks a few blocks when it gives up on a broken
// file (a compressed one: its inflate state), which is not ours to fix, so
// only our own leaks count.
extern "C" const char* __lsan_default_suppressions() { return "leak:libassimp.so\nleak:inflateInit2_\n"; }
