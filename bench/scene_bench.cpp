// Scene loading must stay linear in the size of the file, and posing one frame
// of playback linear in the number of parts, not in their keys.
#include <benchmark/benchmark.h>

#include <string>

#include "diag/Dbug.h"
#include "lwlib/scene/Anim.h"
#include "lwlib/scene/Lws.h"

namespace {

void AppendMotion(std::string& text, const char* keyword, int keys) {
  text += keyword;
  text += " (unnamed)\n  9\n  " + std::to_string(keys) + "\n";
  for (int k = 0; k < keys; ++k) {
    text += "  " + std::to_string(k) + " 1.5 -2.25 " + std::to_string(k * 3 % 360) + " 0 0 1 1 1\n  " +
            std::to_string(k * 2) + " 0 0 0 0\n";
  }
  text += "EndBehavior 1\n";
}

// A scene of about `bytes` bytes: objects of ten keys each, some unsupported
// keywords among them, a light and a camera.
std::string MakeScene(size_t bytes) {
  std::string text = "LWSC\n1\n\nFirstFrame 1\nLastFrame 60\nFrameStep 1\nFramesPerSecond 30\n\n";
  for (int i = 0; text.size() < bytes; ++i) {
    text += "LoadObject Objects\\part" + std::to_string(i) + ".lwo\nShowObject 6 7\n";
    AppendMotion(text, "ObjectMotion", 10);
    text += "ShadowOptions 7\n";
    if (i > 0) text += "ParentObject " + std::to_string(i) + "\n";
  }
  text += "AmbientColor 255 255 255\nAmbIntensity 0.5\nAddLight\nLightName Light\n";
  AppendMotion(text, "LightMotion", 2);
  text += "ShowCamera 1 2\n";
  AppendMotion(text, "CameraMotion", 2);
  return text;
}

void BM_LoadScene(benchmark::State& state) {
  SetDebugMode(DEBUG_MODE_SILENT);
  const std::string text = MakeScene(static_cast<size_t>(state.range(0)) << 20);
  for (auto _ : state) {
    Scene scene;
    if (!LoadSceneFromMemory(scene, text.data(), text.size())) state.SkipWithError("scene did not load");
    FreeScene(scene);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.SetComplexityN(static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LoadScene)->Arg(1)->Arg(2)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// One frame of playback: every object posed at one time. Arguments: objects,
// keys per object.
void BM_PoseObjects(benchmark::State& state) {
  const int objects = static_cast<int>(state.range(0));
  const int keys = static_cast<int>(state.range(1));
  std::vector<MotionKeys> motions;
  for (int o = 0; o < objects; ++o) {
    auto table = std::make_shared<MotionKeyTable>();
    table->keys.Allocate(static_cast<size_t>(keys));
    for (int k = 0; k < keys; ++k) {
      MotionKey& key = table->keys[static_cast<size_t>(k)];
      key.frame = k * 2;
      key.position[0] = static_cast<float>(k);
      key.heading = static_cast<float>(k % 360);
      key.scale[0] = key.scale[1] = key.scale[2] = 1;
    }
    motions.push_back(std::move(table));
  }
  const float pivot[3] = {0, -1, 0};
  float time = 0;
  for (auto _ : state) {
    float m[4][4];
    for (const MotionKeys& motion : motions) {
      PoseMatrix(m, motion, time, pivot);
      benchmark::DoNotOptimize(m);
    }
    time += 1.37f;
    if (time > static_cast<float>(keys * 2)) time = 0;
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * objects);
}
BENCHMARK(BM_PoseObjects)
    ->Args({1000, 10})
    ->Args({1000, 100})
    ->Args({1000, 1000})
    ->Args({100, 1000})
    ->Args({10000, 1000})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
