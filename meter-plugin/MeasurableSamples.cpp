#include "meter-plugin/MeasurableSamples.h"

#include <cstring>

void GainMeasurableSamples(const double* in, int n, double gain, double* out, double* column, int stride)
{
  using Two = double __attribute__((vector_size(2 * sizeof(double))));
  constexpr double kLargest = std::numeric_limits<float>::max();
  int i = 0;
  for (; i + 2 <= n; i += 2)
  {
    Two x;
    std::memcpy(&x, in + i, sizeof x);
    // Both compares fail for a NaN, as the magnitude's compare does.
    x = ((x <= kLargest) & (x >= -kLargest)) ? x : Two{};
    x *= gain;
    std::memcpy(out + i, &x, sizeof x);
    column[size_t(i) * size_t(stride)] = x[0];
    column[size_t(i + 1) * size_t(stride)] = x[1];
  }
  for (; i < n; ++i)
    out[i] = column[size_t(i) * size_t(stride)] = MeasurableSample(in[i]) * gain;
}
