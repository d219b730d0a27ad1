// Loads arbitrary bytes as a scene and poses whatever it read at a few times:
// neither may read out of bounds, hang or keep tracked blocks.
#include <cstdint>
#include <cstdlib>

#include "diag/Dbug.h"
#include "lwlib/Anim.h"
#include "lwlib/Lws.h"
#include "lwlib/Parse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetDebugMode(DEBUG_MODE_SILENT);
  {
    Scene scene;
    if (LoadSceneFromMemory(scene, data, size)) {
      GetScenePlaybackRate(scene);
      float m[4][4];
      for (float time : {-1.0f, 0.0f, 7.5f, 1e6f}) {
        for (const SceneObject& object : scene.objects.list) PoseMatrix(m, object.keys, time, object.pivot);
        for (const SceneLight& light : scene.lights.list) PoseMatrix(m, light.keys, time, nullptr);
        PoseMatrix(m, scene.camera.keys, time, nullptr);
      }
    }
    FreeScene(scene);
  }
  RemoveDelimiter(0);
  if (ReportUnfreedMemory() != 0) std::abort();
  return 0;
}
