#include "meter-plugin/MeasurableSamples.h"

#include <cstring>

void GainMeasurableSamples(const double* in, double* out, int n, double gain)
{
  using Two = double __attribute__((vector_size(2 * sizeof(double))));
  constexpr double kLargest = std::numeric_limits<float>::max();
  int i = 0;
  for (; i + 2 <= n; i += 2)
  {
    Two x;
    std::memcpy(&x, in + i, sizeof x);
    // Both compares fail for a NaN, as the magnitude's compare does.
    x = (x <= kLargest) & (x >= -kLargest) ? x : Two{};
    x *= gain;
    std::memcpy(out + i, &x, sizeof x);
  }
  for (; i < n; ++i)
    out[i] = MeasurableSample(in[i]) * gain;
}
