#include "framework/SampleConversion.h"

#include <cstring>

namespace iplug {

namespace {

using FourFloats = float __attribute__((vector_size(4 * sizeof(float))));
using FourDoubles = double __attribute__((vector_size(4 * sizeof(double))));

// Four samples a step, then the rest one at a time.
template <typename InFour, typename OutFour, typename In, typename Out>
void Convert(const In* in, Out* out, int n)
{
  int i = 0;
  for (; i + 4 <= n; i += 4)
  {
    InFour from;
    std::memcpy(&from, in + i, sizeof from);
    const OutFour to = __builtin_convertvector(from, OutFour);
    std::memcpy(out + i, &to, sizeof to);
  }
  for (; i < n; ++i)
    out[i] = static_cast<Out>(in[i]);
}

}  // namespace

void FloatsToDoubles(const float* in, double* out, int n)
{
  Convert<FourFloats, FourDoubles>(in, out, n);
}
void DoublesToFloats(const double* in, float* out, int n)
{
  Convert<FourDoubles, FourFloats>(in, out, n);
}

}  // namespace iplug
