#pragma once
// The host's single-precision samples to the processor's double-precision ones and back, four
// samples an instruction group; each sample comes out exactly as a cast of it alone gives.

namespace iplug {

void FloatsToDoubles(const float* in, double* out, int n);
void DoublesToFloats(const double* in, float* out, int n);

}  // namespace iplug
