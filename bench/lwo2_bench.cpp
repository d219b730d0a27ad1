// The same object as LWOB and as LWO2, loaded side by side: LWO2 objects must
// load at no less than 80% of the LWOB speed. The object is the one the LWOB
// benchmark loads: a 256 x 256 grid of points under 1,040,400 quadrilaterals
// in four surfaces, here with a smoothing angle in the LWO2 form so both
// build smooth groups. Each iteration loads both, one after the other, so a
// machine busy with other work slows both alike; the figures are the medians
// of the iterations' times and the ratio of the medians (LWOB time over LWO2
// time: the LWO2 speed as a fraction of the LWOB speed).
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "diag/Dbug.h"
#include "lwlib/object/ObjectMesh.h"
#include "rm/Rm.h"
#include "writers/Lwo2Writer.h"
#include "writers/LwobWriter.h"

#include "Scratch.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kQuads = 1040400;

struct Objects {
  std::string lwob, lwo2;
};

const Objects& WriteObjects() {
  static const Objects objects = [] {
    const fs::path& dir = BenchScratch("lwcs-lwo2-bench");
    std::vector<std::array<float, 3>> points;
    for (uint32_t y = 0; y < 256; ++y)
      for (uint32_t x = 0; x < 256; ++x)
        points.push_back({static_cast<float>(x), static_cast<float>((x * 7 + y * 3) % 5) * 0.1f, static_cast<float>(y)});
    std::vector<writers::LwobPolygon> lwob(kQuads);
    std::vector<writers::Lwo2Polygon> lwo2(kQuads);
    for (uint32_t q = 0; q < kQuads; ++q) {
      const uint32_t cell = q % (255 * 255), x = cell % 255, y = cell / 255, a = y * 256 + x;
      const uint16_t surface = static_cast<uint16_t>((q / (255 * 255)) % 4);
      lwo2[q] = {{a, a + 256, a + 257, a + 1}, surface};
      lwob[q].points = {static_cast<uint16_t>(a), static_cast<uint16_t>(a + 256), static_cast<uint16_t>(a + 257),
                        static_cast<uint16_t>(a + 1)};
      lwob[q].surface = static_cast<int16_t>(surface + 1);
    }
    Objects o{(dir / "grid.lwo").string(), (dir / "grid2.lwo").string()};
    writers::LwobWriter().Points(points).SurfaceNames({"S1", "S2", "S3", "S4"}).Polygons(lwob).Save(o.lwob);
    writers::Lwo2Writer w;
    w.Tags({"S1", "S2", "S3", "S4"}).Layer(0).Points(points).Polygons(lwo2);
    for (const char* name : {"S1", "S2", "S3", "S4"}) {
      writers::Lwo2Surface s{name};
      s.smoothingAngle = 1.5625f;  // 89.5 degrees, as LightWave sets it
      w.Surface(s);
    }
    w.Save(o.lwo2);
    return o;
  }();
  return objects;
}

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// One load's wall and CPU time (of every thread of the process), in ms.
std::pair<double, double> Load(const std::string& path, const rm::EnginePtr& engine, benchmark::State& state) {
  const double cpu = CpuMs();
  const auto start = std::chrono::steady_clock::now();
  rm::MeshPtr mesh = LoadLightWaveObject(path.c_str(), engine, nullptr, nullptr, 0);
  const auto end = std::chrono::steady_clock::now();
  const double cpuEnd = CpuMs();
  if (!mesh) state.SkipWithError(("did not load: " + path).c_str());
  benchmark::DoNotOptimize(mesh);
  mesh.reset();
  return {std::chrono::duration<double, std::milli>(end - start).count(), cpuEnd - cpu};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void BM_LoadLwobAndLwo2(benchmark::State& state) {
  SetDebugMode(DEBUG_MODE_SILENT);
  const Objects& o = WriteObjects();
  const rm::EnginePtr engine = rm::Engine::Create();
  std::vector<double> lwob, lwo2, lwobCpu, lwo2Cpu;
  for (auto _ : state) {
    const auto [b, bCpu] = Load(o.lwob, engine, state);
    const auto [two, twoCpu] = Load(o.lwo2, engine, state);
    lwob.push_back(b), lwobCpu.push_back(bCpu), lwo2.push_back(two), lwo2Cpu.push_back(twoCpu);
  }
  const double b = Median(lwob), two = Median(lwo2), bCpu = Median(lwobCpu), twoCpu = Median(lwo2Cpu);
  state.counters["lwob_ms"] = b;
  state.counters["lwo2_ms"] = two;
  state.counters["lwo2_speed"] = two > 0 ? b / two : 0;  // must be 0.8 or more
  state.counters["lwob_cpu_ms"] = bCpu;
  state.counters["lwo2_cpu_ms"] = twoCpu;
  state.counters["lwo2_cpu_speed"] = twoCpu > 0 ? bCpu / twoCpu : 0;
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 2 * kQuads);
}
BENCHMARK(BM_LoadLwobAndLwo2)->Iterations(9)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
