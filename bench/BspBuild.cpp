// Tree builds of generated models. The builder takes the last triangle of
// each list as its splitter, so the work is the sum of the list lengths over
// all nodes: per node it grows with the tree's depth, not with the model.
// The counters show each tree's size so times can be read against it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "diag/Dbug.h"
#include "lwlib/model/Bsp.h"

namespace {

MeshModel ModelOf(const std::vector<rm::Vector>& positions, const std::vector<uint32_t>& faces) {
  MeshModel model;
  MeshGroup group;
  group.verticesPerFace = 3;
  group.faceCount = static_cast<uint32_t>(faces.size() / 3);
  group.vertices.Allocate(positions.size());
  for (size_t i = 0; i < positions.size(); ++i) group.vertices[i].position = positions[i];
  group.faceData.Allocate(faces.size());
  for (size_t i = 0; i < faces.size(); ++i) group.faceData[i] = faces[i];
  model.groups.push_back(std::move(group));
  model.groupMaterials.emplace_back();
  return model;
}

// Rolling terrain: a square grid of two triangles per cell, row by row.
MeshModel Terrain(int triangles) {
  const int side = static_cast<int>(std::sqrt(triangles / 2.0));
  std::vector<rm::Vector> positions;
  for (int y = 0; y <= side; ++y)
    for (int x = 0; x <= side; ++x)
      positions.push_back({static_cast<float>(x), static_cast<float>(y),
                           3.0f * std::sin(x * 0.21f) * std::cos(y * 0.17f)});
  std::vector<uint32_t> faces;
  const auto at = [&](int x, int y) { return static_cast<uint32_t>(y * (side + 1) + x); };
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      faces.insert(faces.end(), {at(x, y), at(x + 1, y), at(x + 1, y + 1)});
      faces.insert(faces.end(), {at(x, y), at(x + 1, y + 1), at(x, y + 1)});
    }
  }
  return ModelOf(positions, faces);
}

// Small triangles scattered through a box: many cuts.
MeshModel Scatter(int triangles) {
  std::mt19937 random(1234);
  const float extent = std::cbrt(static_cast<float>(triangles)) * 2.0f;
  std::uniform_real_distribution<float> where(0, extent), offset(-0.6f, 0.6f);
  std::vector<rm::Vector> positions;
  std::vector<uint32_t> faces;
  for (int i = 0; i < triangles; ++i) {
    const rm::Vector c{where(random), where(random), where(random)};
    for (int k = 0; k < 3; ++k) {
      faces.push_back(static_cast<uint32_t>(positions.size()));
      positions.push_back({c.x + offset(random), c.y + offset(random), c.z + offset(random)});
    }
  }
  return ModelOf(positions, faces);
}

template <MeshModel (*Make)(int)>
void BuildTree(benchmark::State& state) {
  SetDebugMode(getenv("BSP_BENCH_VERBOSE") ? DEBUG_MODE_OUTPUT : DEBUG_MODE_SILENT);
  const MeshModel model = Make(static_cast<int>(state.range(0)));
  BspTree tree;
  for (auto _ : state) {
    if (!BuildBspTree(tree, model, BSP_TREE_SPLIT)) {
      state.SkipWithError("build failed");
      break;
    }
  }
  const BspCounters c = GetBspCounters();
  state.counters["triangles"] = c.trianglesIn;
  state.counters["nodes"] = c.nodes;
  state.counters["splits"] = c.splits;
  state.counters["depth"] = tree.depth;
  state.counters["per_node"] =
      benchmark::Counter(static_cast<double>(c.nodes), benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}

BENCHMARK_TEMPLATE(BuildTree, Terrain)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BuildTree, Scatter)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
