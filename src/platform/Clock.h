#pragma once
#include <cstdint>

// Milliseconds from a steady clock; wraps like the system timer it replaces,
// so callers take differences of two readings.
uint32_t GetMilliseconds();
