#include "speech-detector/VadFft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace {

constexpr int32_t kMaxFftLength = 1024;

bool isSupportedLength(int32_t n)
{
  return n >= 2 && n <= kMaxFftLength && (n & (n - 1)) == 0;
}

// One decimation-in-frequency stage: every span-sized group becomes its sum half and its
// twiddled difference half.
void butterflyStage(float* re, float* im, int32_t n, int32_t span)
{
  const int32_t half = span / 2;
  const double angle = 2.0 * std::numbers::pi / span;
  const double stepRe = std::cos(angle);
  const double stepIm = -std::sin(angle);
  double wRe = 1.0;
  double wIm = 0.0;
  for (int32_t k = 0; k < half; ++k)
  {
    for (int32_t a = k; a < n; a += span)
    {
      const int32_t b = a + half;
      const float dRe = re[a] - re[b];
      const float dIm = im[a] - im[b];
      re[a] += re[b];
      im[a] += im[b];
      re[b] = static_cast<float>(dRe * wRe - dIm * wIm);
      im[b] = static_cast<float>(dRe * wIm + dIm * wRe);
    }
    const double nextRe = wRe * stepRe - wIm * stepIm;
    wIm = wRe * stepIm + wIm * stepRe;
    wRe = nextRe;
  }
}

void bitReverse(float* re, float* im, int32_t n)
{
  for (int32_t i = 1, j = 0; i < n; ++i)
  {
    int32_t bit = n >> 1;
    for (; j & bit; bit >>= 1)
      j ^= bit;
    j |= bit;
    if (i < j)
    {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
  }
}

}  // namespace

int32_t vadFft(float* re, float* im, int32_t n)
{
  if (!re || !im || !isSupportedLength(n))
    return -1;
  for (int32_t span = n; span >= 4; span /= 2)
    butterflyStage(re, im, n, span);
  for (int32_t a = 0; a < n; a += 2)
  {
    const float sumRe = re[a] + re[a + 1];
    const float sumIm = im[a] + im[a + 1];
    re[a + 1] = re[a] - re[a + 1];
    im[a + 1] = im[a] - im[a + 1];
    re[a] = sumRe;
    im[a] = sumIm;
  }
  bitReverse(re, im, n);
  return 0;
}
