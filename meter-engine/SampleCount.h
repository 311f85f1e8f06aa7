#pragma once
#include <cstdint>

// Samples in a span of milliseconds at a rate, truncated; 0 when the span holds no sample or
// too many to index, so that callers reject it instead of converting out of range.
inline int32_t SampleCount(double ms, double sampleRate)
{
  const double n = ms * 0.001 * sampleRate;
  return n >= 1.0 && n < 2147483647.0 ? static_cast<int32_t>(n) : 0;
}
