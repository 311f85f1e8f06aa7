#include "speech-detector/VadResampler.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace {

constexpr uint32_t kOutputRate = 16000;

// Blackman-windowed sinc low-pass designed at L times the input rate, scaled so that the taps
// sum to 0.99 L: every polyphase branch then passes DC with a gain of about 0.99. Stored branch
// by branch (taps b, b + L, b + 2L, ... for b = 0 .. L-1, each branch padded with zeros to the
// same length) so that every output sample reads its taps contiguously.
template <uint32_t N, uint32_t L>
struct TapTable
{
  static constexpr uint32_t kBranchLength = (N + L - 1) / L;
  float taps[L * kBranchLength] = {};

  explicit TapTable(double a)
  {
    double sum = 0.0;
    for (uint32_t n = 0; n < N; ++n)
      sum += prototype(a, n);
    const double gain = 0.99 * L / sum;
    for (uint32_t n = 0; n < N; ++n)
      taps[(n % L) * kBranchLength + n / L] = static_cast<float>(gain * prototype(a, n));
  }

  static double prototype(double a, uint32_t n)
  {
    const double pi = std::numbers::pi;
    const double x = a * (static_cast<double>(n) - (N - 1) / 2.0);
    const double sinc = x == 0.0 ? 1.0 : std::sin(pi * x) / (pi * x);
    const double phase = 2.0 * pi * static_cast<double>(n) / (N - 1);
    return sinc * (0.42 - 0.5 * std::cos(phase) + 0.08 * std::cos(2.0 * phase));
  }
};

struct RateRow
{
  uint32_t inRate;
  uint32_t L;
  uint32_t M;
  uint32_t taps;
  const float* (*coefficients)();
};

// Built on first use, which is detector set-up, never the audio thread.
const float* coefficients32000()
{
  static const TapTable<129, 1> table(0.44825);
  return table.taps;
}

const float* coefficients44100()
{
  static const TapTable<28225, 160> table(0.00209718);
  return table.taps;
}

const float* coefficients48000()
{
  static const TapTable<193, 1> table(0.31032);
  return table.taps;
}

constexpr RateRow kRates[] = {
  {32000, 1, 2, 129, coefficients32000},
  {44100, 160, 441, 28225, coefficients44100},
  {48000, 1, 3, 193, coefficients48000},
};

const RateRow* findRate(uint32_t inRate, uint32_t outRate)
{
  if (outRate != kOutputRate)
    return nullptr;
  for (const RateRow& row : kRates)
    if (row.inRate == inRate)
      return &row;
  return nullptr;
}

uint32_t inputNeeded(const RateRow& row, uint32_t outLen)
{
  const uint64_t whole = static_cast<uint64_t>(outLen) * row.M / row.L;
  return static_cast<uint32_t>(whole + (row.M % row.L != 0 ? 1 : 0));
}

uint32_t ringLength(const RateRow& row)
{
  const uint32_t perPhase = (row.taps + row.L - 1) / row.L;
  uint32_t length = 1;
  while (length < perPhase)
    length *= 2;
  return length;
}

uint64_t stateSize(const RateRow& row)
{
  return sizeof(VadResampler) + 4ull * ringLength(row);
}

// sum of c[k] * newest[-k] for k < count, with four partial sums so that the additions do not
// wait on each other.
float backwardDot(const float* c, const float* newest, uint32_t count)
{
  float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
  const float* x = newest;
  for (; count >= 4; count -= 4, c += 4, x -= 4)
  {
    s0 += c[0] * x[0];
    s1 += c[1] * x[-1];
    s2 += c[2] * x[-2];
    s3 += c[3] * x[-3];
  }
  for (; count > 0; --count)
    s0 += *c++ * *x--;
  return (s0 + s1) + (s2 + s3);
}

}  // namespace

uint64_t vadResamplerGetSize(uint32_t inRate, uint32_t outRate, uint32_t outLen, uint32_t* need)
{
  const RateRow* row = findRate(inRate, outRate);
  if (!row || outLen == 0 || !need)
    return 0;
  *need = inputNeeded(*row, outLen);
  return stateSize(*row);
}

int32_t vadResamplerInit(VadResampler* state, uint64_t size, uint32_t outLen, uint32_t inRate, uint32_t outRate)
{
  const RateRow* row = findRate(inRate, outRate);
  if (!row || outLen == 0 || !state || size < stateSize(*row))
    return -1;
  state->L = row->L;
  state->M = row->M;
  state->outLen = outLen;
  state->need = inputNeeded(*row, outLen);
  state->taps = row->taps;
  state->ringLength = ringLength(*row);
  state->ringMask = state->ringLength - 1;
  state->phase = 0;
  state->writePos = 0;
  state->pendingFlag = 0;
  state->coef = row->coefficients();
  state->ring = reinterpret_cast<float*>(state + 1);
  state->pendingSample = 0.0f;
  state->primed = 0;
  for (uint32_t i = 0; i < state->ringLength; ++i)
    state->ring[i] = 0.0f;
  return 0;
}

uint32_t vadResamplerInputNeeded(const VadResampler* state)
{
  return state->need - state->pendingFlag;
}

int32_t vadResamplerProcess(VadResampler* state, uint32_t nIn, const float* in, float* out)
{
  if (nIn != vadResamplerInputNeeded(state) || nIn == 0)
    return -1;
  VadResampler& s = *state;
  uint32_t consumed = 0;
  if (!s.primed)
  {
    s.writePos = 0;
    s.ring[0] = in[consumed++];
    s.primed = 1;
  }
  const uint32_t branchLength = (s.taps + s.L - 1) / s.L;
  uint32_t phase = s.phase;
  uint32_t pos = s.writePos;
  const auto push = [&](float sample) {
    pos = (pos + 1) & s.ringMask;
    s.ring[pos] = sample;
  };
  for (uint32_t i = 0; i < s.outLen; ++i)
  {
    // The newest sample meets tap `phase`, older ones every L-th tap after it: the taps of
    // branch phase % L from position phase / L on. The ring is read backwards in at most two
    // contiguous runs: down from the write position, then down from the end.
    float acc = 0.0f;
    if (phase < s.taps)
    {
      const uint32_t terms = (s.taps - phase + s.L - 1) / s.L;
      const uint32_t first = std::min(terms, pos + 1);
      const float* coef = s.coef + (phase % s.L) * branchLength + phase / s.L;
      acc = backwardDot(coef, s.ring + pos, first) + backwardDot(coef + first, s.ring + s.ringMask, terms - first);
    }
    out[i] = acc;
    phase += s.M;
    if (phase > s.L)
    {
      push(s.pendingFlag ? s.pendingSample : in[consumed++]);
      s.pendingFlag = 0;
      for (phase -= s.L; phase > s.L; phase -= s.L)
        push(in[consumed++]);
    }
  }
  // At most one input sample is left over; it goes into the ring first on the next frame.
  if (consumed < nIn)
  {
    s.pendingSample = in[consumed];
    s.pendingFlag = 1;
  }
  s.phase = phase;
  s.writePos = pos;
  return 0;
}
