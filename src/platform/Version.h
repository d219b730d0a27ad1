// The suite's version, one place for every program that shows it.
#pragma once

inline constexpr const char kSuiteName[] = "LightWave Conversion Suite";
inline constexpr const char kSuiteVersion[] = "0.1";
