// Converting a mesh to LAB text must grow linearly with its vertices: the
// vertex and normal tables find equal entries through a hash map.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "lwlib/model/MeshModel.h"
#include "psx/Hmd.h"

namespace {

// A side x side grid of distinct vertices with one quad per cell, as one group.
MeshModel Grid(uint32_t side) {
  MeshModel model;
  MeshGroup g;
  g.vertices.Allocate(side * side);
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x) {
      const float fx = static_cast<float>(x) / static_cast<float>(side), fy = static_cast<float>(y) / static_cast<float>(side);
      g.vertices[y * side + x] = rm::Vertex{{fx, fy, std::sin(fx * 6.0f) * 0.1f}, {fx, fy, 1.0f}, fx, fy, 0};
    }
  const uint32_t cells = (side - 1) * (side - 1);
  g.faceCount = cells;
  g.faceData.Allocate(cells * 5);
  uint32_t at = 0;
  for (uint32_t y = 0; y + 1 < side; ++y)
    for (uint32_t x = 0; x + 1 < side; ++x) {
      const uint32_t i = y * side + x;
      g.faceData[at++] = 4;
      g.faceData[at++] = i, g.faceData[at++] = i + 1, g.faceData[at++] = i + side + 1, g.faceData[at++] = i + side;
    }
  model.groups.push_back(std::move(g));
  model.groupMaterials.emplace_back();
  return model;
}

void BM_ConvertToLab(benchmark::State& state) {
  const uint32_t side = static_cast<uint32_t>(state.range(0));
  const std::string out = (std::filesystem::temp_directory_path() / "lwcs-hmd-bench").string();
  for (auto _ : state) {
    state.PauseTiming();
    MeshModel model = Grid(side);
    state.ResumeTiming();
    if (!ConvertToHmd(out, model, 1, 1, 1, 0)) state.SkipWithError("conversion failed");
  }
  std::remove((out + ".lab").c_str());
  state.SetComplexityN(static_cast<int64_t>(side) * side);
  state.counters["vertices"] = static_cast<double>(side) * side;
}

}  // namespace

// 64 x 64 = 4,096 and 256 x 256 = 65,536 vertices.
BENCHMARK(BM_ConvertToLab)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

BENCHMARK_MAIN();
