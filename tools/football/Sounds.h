// The editor's two sounds, synthesised: a button click and a crowd that loops.
#pragma once

#include <cstdint>
#include <vector>

namespace football {

constexpr uint32_t kSampleRate = 22050;

// A mono 16-bit PCM wave file of the samples.
std::vector<uint8_t> WaveFile(const std::vector<int16_t>& samples, uint32_t sampleRate = kSampleRate);

// About 60 ms: a short, bright tick.
std::vector<int16_t> ClickSound();
// Exactly `seconds` of crowd murmur with a drum beat; every part of it
// repeats with that period, so the end runs on into the start without a seam.
std::vector<int16_t> CrowdLoop(int seconds = 2);

}  // namespace football
