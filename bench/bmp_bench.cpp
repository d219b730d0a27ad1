// Run-length bitmap decoding at the largest size the decoders take. A few
// hundred bytes of runs and skips may declare the whole image, so decoding
// must run at memory speed: the bytes per second reported here are pixels
// filled, and must stay within 4x of clearing the same memory.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "diag/Dbug.h"
#include "rm/Image.h"

namespace {

void PutU2(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU4(std::vector<uint8_t>& b, uint32_t v) {
  PutU2(b, v & 0xFFFF);
  PutU2(b, v >> 16);
}

// width x height pixels of runs of 255, rows skipped by deltas in between.
std::vector<uint8_t> RleBitmap(uint32_t width, uint32_t height, bool four) {
  std::vector<uint8_t> pixels;
  for (uint32_t row = 0; row < height; row += 2) {
    for (uint32_t x = 0; x < width; x += 255) pixels.insert(pixels.end(), {255, 0x12});
    pixels.insert(pixels.end(), {0, 2, 0, 1});  // skip a row
    pixels.insert(pixels.end(), {0, 0});
  }
  pixels.insert(pixels.end(), {0, 1});
  const uint32_t colours = four ? 16 : 256, offset = 14 + 40 + 4 * colours;
  std::vector<uint8_t> b = {'B', 'M'};
  PutU4(b, offset + static_cast<uint32_t>(pixels.size()));
  PutU4(b, 0);
  PutU4(b, offset);
  PutU4(b, 40);
  PutU4(b, width);
  PutU4(b, height);
  PutU2(b, 1);
  PutU2(b, four ? 4 : 8);
  PutU4(b, four ? 2 : 1);
  for (int i = 0; i < 5; ++i) PutU4(b, 0);
  for (uint32_t i = 0; i < colours; ++i) PutU4(b, i * 0x010101u);
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

void BM_RleDecode(benchmark::State& state) {
  SetDebugMode(DEBUG_MODE_SILENT);
  const bool four = state.range(0) == 4;
  const std::vector<uint8_t> file = RleBitmap(rm::MAX_IMAGE_SIDE, 4096, four);
  for (auto _ : state) benchmark::DoNotOptimize(rm::DecodeBmp(file));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * rm::MAX_IMAGE_SIDE * 4096 * state.range(0) / 8);
}
BENCHMARK(BM_RleDecode)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_ClearSameMemory(benchmark::State& state) {
  const size_t bytes = size_t{rm::MAX_IMAGE_SIDE} * 4096 * static_cast<size_t>(state.range(0)) / 8;
  for (auto _ : state) {
    std::vector<uint8_t> memory(bytes);
    benchmark::DoNotOptimize(memory.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ClearSameMemory)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
