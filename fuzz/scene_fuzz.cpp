// Loads arbitrary bytes as a scene, builds its animation and poses it at a few
// times: nothing may read out of bounds, hang or keep tracked blocks.
#include <cstdint>
#include <cstdlib>

#include "diag/Dbug.h"
#include "lwlib/scene/Anim.h"
#include "lwlib/scene/Lws.h"
#include "lwlib/scene/Parse.h"
#include "rm/Engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetDebugMode(DEBUG_MODE_SILENT);
  {
    Scene scene;
    if (LoadSceneFromMemory(scene, data, size)) {
      GetScenePlaybackRate(scene);
      static const rm::EnginePtr engine = rm::Engine::Create();
      AnimationPtr animation = CreateAnimation(scene, engine);
      if (animation) {
        CreateSceneLights(scene, *animation, engine, nullptr);
        CopySceneCamera(scene, *animation);
        const rm::FramePtr camera = engine->CreateFrame();
        for (float time : {-1.0f, 0.0f, 7.5f, 1e6f})
          SetAnimationTime(*animation, time, camera, ANIMATE_CAMERA | ANIMATE_OBJECTS | ANIMATE_LIGHTS);
      }
      FreeScene(scene);  // before the animation: the keys they share must stay alive
      if (animation) SetAnimationTime(*animation, 3.0f, nullptr, ANIMATE_OBJECTS);
      FreeAnimation(animation);
    }
    FreeScene(scene);
  }
  RemoveDelimiter(0);
  if (ReportUnfreedMemory() != 0) std::abort();
  return 0;
}
