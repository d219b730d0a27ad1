// Building a mesh, its bounding box and its copy must grow linearly with the
// number of vertices: 100 groups of N / 100 vertices, up to 1,000,000.
#include <benchmark/benchmark.h>

#include <vector>

#include "rm/Mesh.h"

namespace {

constexpr uint32_t kGroups = 100;

struct GroupInput {
  std::vector<rm::Vertex> vertices;
  std::vector<uint32_t> faces;  // triangles over consecutive vertices
  uint32_t faceCount = 0;
};

GroupInput MakeGroup(uint32_t vertexCount, uint32_t seed) {
  GroupInput g;
  g.vertices.resize(vertexCount);
  for (uint32_t i = 0; i < vertexCount; ++i) {
    const float f = static_cast<float>((i * 2654435761u + seed) % 10007);
    g.vertices[i].position = {f, f * 0.5f - 100, -f};
    g.vertices[i].normal = {0, 1, 0};
  }
  for (uint32_t i = 0; i + 2 < vertexCount; i += 3) g.faces.insert(g.faces.end(), {i, i + 1, i + 2}), ++g.faceCount;
  return g;
}

rm::Mesh Build(const GroupInput& input) {
  rm::Mesh mesh;
  const uint32_t n = static_cast<uint32_t>(input.vertices.size());
  for (uint32_t g = 0; g < kGroups; ++g) {
    const int32_t index = mesh.AddGroup(n, input.faceCount, 3, input.faces);
    mesh.SetVertices(static_cast<uint32_t>(index), 0, n, input.vertices.data());
  }
  return mesh;
}

void BM_BuildMesh(benchmark::State& state) {
  const GroupInput input = MakeGroup(static_cast<uint32_t>(state.range(0)) / kGroups, 1);
  for (auto _ : state) {
    rm::Mesh mesh = Build(input);
    benchmark::DoNotOptimize(mesh.GetGroupCount());
  }
  state.SetComplexityN(state.range(0));
}

void BM_GetBox(benchmark::State& state) {
  const rm::Mesh mesh = Build(MakeGroup(static_cast<uint32_t>(state.range(0)) / kGroups, 2));
  for (auto _ : state) {
    rm::Box box;
    benchmark::DoNotOptimize(mesh.GetBox(&box));
    benchmark::DoNotOptimize(box);
  }
  state.SetComplexityN(state.range(0));
}

void BM_Clone(benchmark::State& state) {
  const rm::Mesh mesh = Build(MakeGroup(static_cast<uint32_t>(state.range(0)) / kGroups, 3));
  for (auto _ : state) {
    rm::MeshPtr copy = mesh.CloneMesh();
    benchmark::DoNotOptimize(copy.get());
  }
  state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_BuildMesh)->RangeMultiplier(10)->Range(10000, 1000000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetBox)->RangeMultiplier(10)->Range(10000, 1000000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Clone)->RangeMultiplier(10)->Range(10000, 1000000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
