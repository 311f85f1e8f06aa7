#include "speech-detector/VadFeatures.h"

#include "speech-detector/VadFft.h"
#include "speech-detector/VadWindowsTable.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>

namespace {

constexpr uint32_t kBlockRingMask = 127;

float mean(const float* values, uint32_t n)
{
  float sum = 0.0f;
  for (uint32_t i = 0; i < n; ++i)
    sum += values[i];
  return sum / static_cast<float>(n);
}

float peakMagnitude(const float* x, uint32_t n)
{
  float peak = 0.0f;
  for (uint32_t i = 0; i < n; ++i)
    peak = std::max(peak, std::fabs(x[i]));
  return peak;
}

float blockEnergy(const float* x)
{
  float sum = 0.0f;
  for (uint32_t i = 0; i < kVadQuarterLength; ++i)
    sum += x[i] * x[i];
  return sum / kVadQuarterLength;
}

void pushBlockValue(VadBlockRing& ring, float value)
{
  ring.values[ring.pos] = value;
  ring.pos = (ring.pos + 1) & kBlockRingMask;
}

// The ring oldest first: the entry at the current position is the oldest.
void copyInTimeOrder(const VadBlockRing& ring, float* out)
{
  for (uint32_t j = 0; j <= kBlockRingMask; ++j)
    out[j] = ring.values[(ring.pos + j) & kBlockRingMask];
}

// Counts sign changes; a sample of exactly 0 keeps the state.
void pushCrossingCount(VadCrossingRing& ring, const float* x)
{
  uint32_t count = 0;
  for (uint32_t i = 0; i < kVadQuarterLength; ++i)
  {
    if (ring.sign == 0 && x[i] < 0.0f)
    {
      ring.sign = 1;
      ++count;
    }
    else if (ring.sign == 1 && x[i] > 0.0f)
    {
      ring.sign = 0;
      ++count;
    }
  }
  ring.counts[ring.pos] = static_cast<float>(count);
  ring.pos = (ring.pos + 1) & kBlockRingMask;
}

// Unnormalised circular autocorrelation of re (im must be zero) into re: the transform of the
// power spectrum. The power spectrum is real and even, so the forward transform serves.
void autocorrelate(float* re, float* im, int32_t n)
{
  vadFft(re, im, n);
  for (int32_t k = 0; k < n; ++k)
  {
    re[k] = re[k] * re[k] + im[k] * im[k];
    im[k] = 0.0f;
  }
  vadFft(re, im, n);
}

float logOrZero(float x)
{
  return x > 0.0f ? std::log(x) : 0.0f;
}

}  // namespace

// Spectral flux ----------------------------------------------------------------------------

uint64_t vadSpectralFluxGetSize()
{
  return sizeof(VadSpectralFlux);
}

void vadSpectralFluxInit(VadSpectralFlux* state)
{
  *state = {};
}

void vadSpectralFluxProcess(VadSpectralFlux* state, const float* frame)
{
  VadSpectralFlux& s = *state;
  const float scale = 1.0f / std::max(1.0f, peakMagnitude(frame, kVadFrameLength));
  for (uint32_t i = 0; i < kVadFrameLength; ++i)
  {
    s.re[i] = frame[i] * scale * vad_windows::kFrame[i];
    s.im[i] = 0.0f;
  }
  vadFft(s.re, s.im, kVadFrameLength);

  constexpr uint32_t bins = kVadFrameLength / 2;
  float energy = 0.0f;
  for (uint32_t k = 0; k < bins; ++k)
  {
    const float power = s.re[k] * s.re[k] + s.im[k] * s.im[k];
    s.re[k] = power > 0.0f ? std::sqrt(power) : 0.0f;  // the magnitude
    energy += s.re[k] * s.re[k] + s.previous[k] * s.previous[k];
  }
  energy /= kVadFrameLength;
  const float norm = energy > 0.0f ? std::sqrt(energy) : 1.0f;

  // The lowest and highest bins carry hum and the resampler's roll-off; they are left out.
  float flux = 0.0f;
  for (uint32_t k = 0; k < bins; ++k)
  {
    const float d = (k >= 7 && k < 500 ? s.re[k] - s.previous[k] : 0.0f) / norm;
    s.previous[k] = s.re[k];
    flux += d * d;
  }
  s.flux[s.pos] = flux;
  s.pos = (s.pos + 1) & 31;
}

float vadSpectralFluxFeature(const VadSpectralFlux* state)
{
  return logOrZero(mean(state->flux, 32));
}

// Spectral tilt ----------------------------------------------------------------------------

uint64_t vadSpectralTiltGetSize()
{
  return sizeof(VadSpectralTilt);
}

void vadSpectralTiltInit(VadSpectralTilt* state)
{
  *state = {};
  std::fill(std::begin(state->peaks), std::end(state->peaks), 32768.0f);
}

namespace {

// Least-squares slope of the log power spectrum against the bin index over the lower half.
float spectralSlope(VadSpectralTilt& s, const float* x)
{
  float sum = 0.0f;
  for (uint32_t i = 0; i < kVadHalfLength; ++i)
    sum += x[i];
  const float dc = sum / kVadHalfLength;

  s.peaks[s.peakPos] = std::max(1.0f, peakMagnitude(x, kVadHalfLength));
  s.peakPos = (s.peakPos + 1) & 15;
  const float norm = std::max(1.0f, *std::max_element(std::begin(s.peaks), std::end(s.peaks)));

  for (uint32_t i = 0; i < kVadHalfLength; ++i)
  {
    s.re[i] = vad_windows::kHalf[i] * (x[i] - dc) / norm;
    s.im[i] = 0.0f;
  }
  vadFft(s.re, s.im, kVadHalfLength);

  constexpr uint32_t bins = kVadHalfLength / 2;
  constexpr double sumK = bins * (bins - 1) / 2.0;
  constexpr double sumKSquared = bins * (bins - 1) * (2.0 * bins - 1) / 6.0;
  constexpr double denominator = bins * sumKSquared - sumK * sumK;
  double sumL = 0.0;
  double sumKL = 0.0;
  for (uint32_t k = 0; k < bins; ++k)
  {
    const float power = s.re[k] * s.re[k] + s.im[k] * s.im[k];
    const double level = power > 0.0f ? 10.0 * std::log10(power) : -120.0;
    sumL += level;
    sumKL += k * level;
  }
  return static_cast<float>((bins * sumKL - sumL * sumK) / denominator);
}

}  // namespace

void vadSpectralTiltProcess(VadSpectralTilt* state, const float* half)
{
  VadSpectralTilt& s = *state;
  float magnitudeSum = 0.0f;
  for (uint32_t i = 0; i < kVadHalfLength; ++i)
    magnitudeSum += std::fabs(half[i]);
  // Near-silent blocks (average magnitude below 10 in 16-bit units) have no meaningful tilt.
  s.slopes[s.pos] = magnitudeSum < 5120.0f ? 0.0f : spectralSlope(s, half);
  s.pos = (s.pos + 1) & 63;
}

float vadSpectralTiltFeature(const VadSpectralTilt* state)
{
  const float m = mean(state->slopes, 64);
  float moment = 0.0f;
  for (float slope : state->slopes)
    moment += (slope - m) * (slope - m) * (slope - m);
  moment /= 64.0f;
  return moment != 0.0f ? std::log(std::fabs(moment)) : 0.0f;
}

// Energy dips ------------------------------------------------------------------------------

uint64_t vadEnergyDipsGetSize()
{
  return sizeof(VadEnergyDips);
}

void vadEnergyDipsInit(VadEnergyDips* state)
{
  *state = {};
}

void vadEnergyDipsProcess(VadEnergyDips* state, const float* quarter)
{
  pushBlockValue(state->energies, blockEnergy(quarter));
}

float vadEnergyDipsFeature(const VadEnergyDips* state)
{
  // Pairs are taken in storage order, so the pair across the wrap point (newest, oldest) is
  // skipped and the one across the write position counts like any other.
  const float* e = state->energies.values;
  const float m = mean(e, 128);
  uint32_t dips = 0;
  for (uint32_t i = 1; i < 128; ++i)
    if (4.0f * e[i] < m && 4.0f * e[i - 1] > m)
      ++dips;
  return static_cast<float>(dips);
}

// Zero-crossing skewness -------------------------------------------------------------------

uint64_t vadZeroCrossingSkewnessGetSize()
{
  return sizeof(VadZeroCrossingSkewness);
}

void vadZeroCrossingSkewnessInit(VadZeroCrossingSkewness* state)
{
  *state = {};
}

void vadZeroCrossingSkewnessProcess(VadZeroCrossingSkewness* state, const float* quarter)
{
  pushCrossingCount(state->crossings, quarter);
}

float vadZeroCrossingSkewnessFeature(const VadZeroCrossingSkewness* state)
{
  const float* c = state->crossings.counts;
  const float m = mean(c, 128);
  float m2 = 0.0f;
  float m3 = 0.0f;
  for (uint32_t i = 0; i < 128; ++i)
  {
    const float d = c[i] - m;
    m2 += d * d;
    m3 += d * d * d;
  }
  m2 /= 128.0f;
  m3 /= 128.0f;
  return m3 != 0.0f && m2 > 0.0f ? m3 / (m2 * std::sqrt(m2)) : 0.0f;
}

// Zero-crossing median ---------------------------------------------------------------------

uint64_t vadZeroCrossingMedianGetSize()
{
  return sizeof(VadZeroCrossingMedian);
}

void vadZeroCrossingMedianInit(VadZeroCrossingMedian* state)
{
  *state = {};
}

void vadZeroCrossingMedianProcess(VadZeroCrossingMedian* state, const float* quarter)
{
  pushCrossingCount(state->crossings, quarter);
}

float vadZeroCrossingMedianFeature(VadZeroCrossingMedian* state)
{
  float* sorted = state->scratch;
  std::copy(std::begin(state->crossings.counts), std::end(state->crossings.counts), sorted);
  const float m = mean(sorted, 128);
  std::sort(sorted, sorted + 128, std::greater<float>());
  const float median = (sorted[63] + sorted[64]) / 2.0f;
  return m != 0.0f ? median / m : 0.0f;
}

// Variance periodicity ---------------------------------------------------------------------

uint64_t vadVariancePeriodicityGetSize()
{
  return sizeof(VadVariancePeriodicity);
}

void vadVariancePeriodicityInit(VadVariancePeriodicity* state)
{
  *state = {};
}

void vadVariancePeriodicityProcess(VadVariancePeriodicity* state, const float* quarter)
{
  float sum = 0.0f;
  for (uint32_t i = 0; i < kVadQuarterLength; ++i)
    sum += quarter[i];
  const float mu = sum / kVadQuarterLength;
  float variance = 0.0f;
  for (uint32_t i = 0; i < kVadQuarterLength; ++i)
    variance += (quarter[i] - mu) * (quarter[i] - mu);
  pushBlockValue(state->variances, variance / kVadQuarterLength);
}

float vadVariancePeriodicityFeature(VadVariancePeriodicity* state)
{
  VadVariancePeriodicity& s = *state;
  const float m = mean(s.variances.values, 128);
  if (m <= 0.0f)
    return 0.0f;

  copyInTimeOrder(s.variances, s.re);
  for (uint32_t j = 0; j < 128; ++j)
    s.re[j] /= m;
  const float centre = mean(s.re, 128);
  for (uint32_t j = 0; j < 128; ++j)
    s.re[j] -= centre;
  std::fill(s.re + 128, s.re + 256, 0.0f);
  std::fill(std::begin(s.im), std::end(s.im), 0.0f);
  autocorrelate(s.re, s.im, 256);

  // Smoothed with the two previous autocorrelations; the sum goes to re in place of r.
  for (uint32_t k = 0; k < 128; ++k)
  {
    const float r = s.re[k];
    s.re[k] = r + 0.5f * s.previous[k] + 0.25f * s.beforePrevious[k];
    s.beforePrevious[k] = s.previous[k];
    s.previous[k] = r;
  }
  const float peak = std::max(0.0f, *std::max_element(s.re + 10, s.re + 128));
  return s.re[0] != 0.0f ? peak / s.re[0] : 0.0f;
}

// Energy periodicity -----------------------------------------------------------------------

uint64_t vadEnergyPeriodicityGetSize()
{
  return sizeof(VadEnergyPeriodicity);
}

void vadEnergyPeriodicityInit(VadEnergyPeriodicity* state)
{
  *state = {};
}

void vadEnergyPeriodicityProcess(VadEnergyPeriodicity* state, const float* quarter)
{
  pushBlockValue(state->energies, blockEnergy(quarter));
}

float vadEnergyPeriodicityFeature(VadEnergyPeriodicity* state)
{
  VadEnergyPeriodicity& s = *state;
  std::copy(std::begin(s.history), std::end(s.history), s.re);
  copyInTimeOrder(s.energies, s.re + 128);
  const float m = mean(s.re, 256);
  for (uint32_t j = 0; j < 256; ++j)
    s.re[j] -= m;
  std::fill(s.re + 256, s.re + 512, 0.0f);
  std::fill(std::begin(s.im), std::end(s.im), 0.0f);

  // The 32 oldest ring entries are overwritten before the next feature: they move to the
  // history, so that the next window follows this one without a gap.
  std::copy(s.history + 32, s.history + 128, s.history);
  for (uint32_t j = 0; j < 32; ++j)
    s.history[96 + j] = s.energies.values[(s.energies.pos + j) & kBlockRingMask];

  autocorrelate(s.re, s.im, 512);
  const float peak = std::max(0.0f, *std::max_element(s.re + 30, s.re + 256));
  return s.re[0] > 0.0f ? peak / s.re[0] : 0.0f;
}
