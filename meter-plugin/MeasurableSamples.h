#pragma once
// A sample that is not a finite number is measured as silence: it would otherwise stay in the
// filters and the running sums for good, and in the integrated loudness, whose window is the whole
// programme. The host's samples are floats, so beyond the largest float lies only infinity. Finite
// samples, however large, are measured as they are. This runs where each input sample is first
// read, so the test costs one compare a sample.

#include <cmath>
#include <limits>

inline double MeasurableSample(double x)
{
  constexpr double kLargest = std::numeric_limits<float>::max();
  return std::fabs(x) <= kLargest ? x : 0.0;
}

// out[i] = column[i * stride] = MeasurableSample(in[i]) * gain for n samples, two a step, bit for
// bit as one at a time. out may be in.
void GainMeasurableSamples(const double* in, int n, double gain, double* out, double* column, int stride);
