#include "Sounds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "writers/ByteWriter.h"

namespace football {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

std::vector<int16_t> Normalised(const std::vector<double>& signal, double peak) {
  double largest = 1e-9;
  for (double s : signal) largest = std::max(largest, std::abs(s));
  std::vector<int16_t> out;
  out.reserve(signal.size());
  for (double s : signal) out.push_back(static_cast<int16_t>(std::lround(s / largest * peak * 32767.0)));
  return out;
}

// A small repeatable generator, so every build writes the same sounds.
struct Random {
  uint32_t state;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / static_cast<double>(1u << 24);
  }
};

}  // namespace

std::vector<uint8_t> WaveFile(const std::vector<int16_t>& samples, uint32_t sampleRate) {
  const uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
  writers::ByteWriter w;
  w.Text("RIFF").LeU4(36 + dataSize).Text("WAVE");
  w.Text("fmt ").LeU4(16).LeU2(1).LeU2(1).LeU4(sampleRate).LeU4(sampleRate * 2).LeU2(2).LeU2(16);
  w.Text("data").LeU4(dataSize);
  for (int16_t s : samples) w.LeI2(s);
  return w.bytes();
}

std::vector<int16_t> ClickSound() {
  const size_t count = kSampleRate * 60 / 1000;
  std::vector<double> s(count);
  Random random{7};
  for (size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double body = std::sin(kTwoPi * 1900 * t) + 0.5 * std::sin(kTwoPi * 3700 * t);
    const double snap = (random.Next() - 0.5) * std::exp(-t / 0.002);
    s[i] = (body * std::exp(-t / 0.009) + snap) * std::min(1.0, t / 0.0005);
  }
  return Normalised(s, 0.6);
}

std::vector<int16_t> CrowdLoop(int seconds) {
  const size_t count = static_cast<size_t>(kSampleRate) * static_cast<size_t>(seconds);
  const double period = seconds;
  std::vector<double> s(count, 0.0);
  Random random{2026};
  // Murmur: many voices at whole numbers of cycles per loop, so the sum
  // repeats exactly; each voice swells and fades once or twice a loop.
  for (int voice = 0; voice < 160; ++voice) {
    const int cycles = static_cast<int>(150 * period + random.Next() * 1400 * period);
    const double frequency = cycles / period;
    const double phase = random.Next() * kTwoPi;
    const double swellPhase = random.Next() * kTwoPi;
    const int swells = 1 + static_cast<int>(random.Next() * 2);
    const double amplitude = 1.0 / std::sqrt(frequency);
    const double step = kTwoPi * frequency / kSampleRate;
    for (size_t i = 0; i < count; ++i) {
      const double t = static_cast<double>(i) / kSampleRate;
      const double swell = 0.6 + 0.4 * std::sin(kTwoPi * swells * t / period + swellPhase);
      s[i] += amplitude * swell * std::sin(phase + step * static_cast<double>(i));
    }
  }
  // A drum four times a loop, each beat dying away well before the next.
  double largest = 1e-9;
  for (double v : s) largest = std::max(largest, std::abs(v));
  for (int beat = 0; beat < 4 * seconds / 2; ++beat) {
    const size_t start = count * static_cast<size_t>(beat) / static_cast<size_t>(4 * seconds / 2);
    for (size_t i = 0; start + i < count && i < kSampleRate / 5; ++i) {
      const double t = static_cast<double>(i) / kSampleRate;
      s[start + i] += 1.2 * largest * std::sin(kTwoPi * 70 * t) * std::exp(-t / 0.03) * std::min(1.0, t / 0.001);
    }
  }
  return Normalised(s, 0.7);
}

}  // namespace football
