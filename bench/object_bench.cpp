// Object loading and .msh speed. Loading must grow linearly with the polygons
// (4x the polygons in at most 5x the time) and reach 2 million polygons a
// second; .msh save and load must stay within 3x of copying the file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "diag/Dbug.h"
#include "lwlib/model/Mesh.h"
#include "lwlib/object/ObjectMesh.h"
#include "rm/Rm.h"

#include "Scratch.h"

namespace {

namespace fs = std::filesystem;

void PutU2(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}
void PutU4(std::vector<uint8_t>& b, uint32_t v) {
  PutU2(b, static_cast<uint16_t>(v >> 16));
  PutU2(b, static_cast<uint16_t>(v));
}
void PutF4(std::vector<uint8_t>& b, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  PutU4(b, v);
}
void PutChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
  out.insert(out.end(), id, id + 4);
  PutU4(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

const fs::path& Scratch() { return BenchScratch("lwcs-object-bench"); }

// A 256 x 256 grid of points; `quads` quadrilaterals run over it again and
// again (16-bit indices cap the points), in four surfaces by turns of a grid.
std::string WriteObject(uint32_t quads) {
  const std::string path = (Scratch() / ("grid" + std::to_string(quads) + ".lwo")).string();
  if (fs::exists(path)) return path;
  std::vector<uint8_t> points, names, polygons, file;
  for (uint32_t y = 0; y < 256; ++y)
    for (uint32_t x = 0; x < 256; ++x) {
      PutF4(points, static_cast<float>(x));
      PutF4(points, static_cast<float>((x * 7 + y * 3) % 5) * 0.1f);
      PutF4(points, static_cast<float>(y));
    }
  // Four names, each padded to even length.
  static const char kNames[] = "S1\0\0S2\0\0S3\0\0S4\0";
  names.assign(kNames, kNames + 16);
  polygons.reserve(static_cast<size_t>(quads) * 12);
  for (uint32_t q = 0; q < quads; ++q) {
    const uint32_t cell = q % (255 * 255), x = cell % 255, y = cell / 255;
    const uint16_t a = static_cast<uint16_t>(y * 256 + x);
    PutU2(polygons, 4);
    PutU2(polygons, a);
    PutU2(polygons, static_cast<uint16_t>(a + 256));
    PutU2(polygons, static_cast<uint16_t>(a + 257));
    PutU2(polygons, static_cast<uint16_t>(a + 1));
    PutU2(polygons, static_cast<uint16_t>(1 + (q / (255 * 255)) % 4));
  }
  std::vector<uint8_t> body;
  body.insert(body.end(), {'L', 'W', 'O', 'B'});
  PutChunk(body, "PNTS", points);
  PutChunk(body, "SRFS", names);
  PutChunk(body, "POLS", polygons);
  file.insert(file.end(), {'F', 'O', 'R', 'M'});
  PutU4(file, static_cast<uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);
  return path;
}

void BM_LoadObject(benchmark::State& state) {
  SetDebugMode(DEBUG_MODE_SILENT);
  const uint32_t quads = static_cast<uint32_t>(state.range(0));
  const std::string path = WriteObject(quads);
  const rm::EnginePtr engine = rm::Engine::Create();
  for (auto _ : state) {
    rm::MeshPtr mesh = LoadLightWaveObject(path.c_str(), engine, nullptr, nullptr, 0);
    if (!mesh) state.SkipWithError("object did not load");
    benchmark::DoNotOptimize(mesh);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * quads);
}
BENCHMARK(BM_LoadObject)->Arg(250000)->Arg(1000000)->Arg(1040400)->Unit(benchmark::kMillisecond)->UseRealTime();

// A model of four groups of 250,000 triangles each.
const MeshModel& BigModel() {
  static MeshModel model = [] {
    MeshModel m;
    m.groups.resize(4);
    m.groupMaterials.resize(4);
    for (MeshGroup& g : m.groups) {
      g.faceCount = 250000;
      g.verticesPerFace = 3;
      g.vertices.Allocate(250000);
      g.faceData.Allocate(750000);
      for (uint32_t i = 0; i < g.faceDataSize(); ++i) g.faceData[i] = (i * 7919u) % g.vertexCount();
      for (uint32_t i = 0; i < g.vertexCount(); ++i) g.vertices[i].position = {float(i), 1, 2};
    }
    return m;
  }();
  return model;
}

void BM_SaveMsh(benchmark::State& state) {
  const std::string path = (Scratch() / "big.msh").string();
  for (auto _ : state)
    if (!SaveMeshModel(&BigModel(), path.c_str())) state.SkipWithError("save failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_SaveMsh)->Unit(benchmark::kMillisecond);

void BM_LoadMsh(benchmark::State& state) {
  const std::string path = (Scratch() / "big.msh").string();
  SaveMeshModel(&BigModel(), path.c_str());
  for (auto _ : state) {
    MeshModel model;
    if (!LoadMeshModel(&model, path.c_str(), nullptr, nullptr, nullptr)) state.SkipWithError("load failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_LoadMsh)->Unit(benchmark::kMillisecond);

// The yardstick: copying the same file as a program does, reading it into
// memory of its own and writing that out.
void BM_CopyMshFile(benchmark::State& state) {
  const std::string path = (Scratch() / "big.msh").string();
  const std::string copy = (Scratch() / "copy.msh").string();
  SaveMeshModel(&BigModel(), path.c_str());
  const size_t size = static_cast<size_t>(fs::file_size(path));
  for (auto _ : state) {
    std::vector<char> bytes(size);
    FILE* in = std::fopen(path.c_str(), "rb");
    const size_t got = std::fread(bytes.data(), 1, size, in);
    std::fclose(in);
    FILE* out = std::fopen(copy.c_str(), "wb");
    std::fwrite(bytes.data(), 1, got, out);
    std::fclose(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}
BENCHMARK(BM_CopyMshFile)->Unit(benchmark::kMillisecond);

// The same copy done by the kernel alone, for reference.
void BM_KernelCopyMshFile(benchmark::State& state) {
  const std::string path = (Scratch() / "big.msh").string();
  const std::string copy = (Scratch() / "copy.msh").string();
  SaveMeshModel(&BigModel(), path.c_str());
  for (auto _ : state) fs::copy_file(path, copy, fs::copy_options::overwrite_existing);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_KernelCopyMshFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
