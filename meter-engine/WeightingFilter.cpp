#include "meter-engine/WeightingFilter.h"

#include "meter-engine/VectorClones.h"

#include <cmath>
#include <initializer_list>
#include <numbers>
#include <type_traits>

namespace {

constexpr double kPi = std::numbers::pi;

// The K curve's two stages: the shelf's and the high-pass's corner frequencies.
constexpr double kShelfHz = 1681.974450955532;
constexpr double kHighPassHz = 38.13547087611304;

// Each mode's fixed correction: its size in dB, and the gain that is applied. The gains are
// 10^(dB/20) to double precision as the curves were tuned; no one library formula rounds all of
// them to the same last bit, so they are kept as written.
struct Correction
{
  double db, gain;
};
constexpr Correction kNoCorrection{0.0, 1.0};
constexpr Correction kLeqKCorrection{-0.671, 0.9256568088074579};
constexpr Correction kLeqACorrection{1.99, 1.257476854367659};
constexpr Correction kLeqAPlus3Correction{4.99, 1.7762332682884383};
constexpr Correction kLeqBCorrection{0.2, 1.023292992280754};
constexpr Correction kLeqCCorrection{0.1, 1.0115794542598986};
constexpr Correction kLeqMTo48kCorrection{6.2, 2.0417379446695296};
constexpr Correction kLeqMAbove48kCorrection{6.3, 2.0653801558105296};

// Widening of the band-pass bandwidth as the centre frequency nears Nyquist, linear between
// the points; 1.0 at and below r = 0.125, 0.75 above r = 0.5.
double BandwidthCorrection(double r)
{
  static constexpr double kR[] = {0.125, 0.25, 0.294, 0.306, 0.312, 0.375, 0.45, 0.5};
  static constexpr double kF[] = {1.0, 1.1, 1.22, 1.16, 1.14, 0.9, 0.8, 0.75};
  if (r <= kR[0])
    return kF[0];
  for (int i = 1; i < 8; ++i)
    if (r <= kR[i])
      return kF[i - 1] + (kF[i] - kF[i - 1]) * (r - kR[i - 1]) / (kR[i] - kR[i - 1]);
  return kF[7];
}

// Peaking band-pass with reference gain 0, peak gain 1 and a prescribed gain at Nyquist, so
// that the response does not cramp near fs/2.
void DesignBandPass(Biquad& s, double w0, double r, double q)
{
  const double gb = std::sqrt(0.5);
  const double gb2 = gb * gb;
  const double dw = BandwidthCorrection(r) * 2.0 * std::atan(std::sin(w0 / 2.0) / q);
  const double p = kPi * kPi * gb2 * dw * dw / (1.0 - gb2);
  const double n = (w0 * w0 - kPi * kPi) * (w0 * w0 - kPi * kPi);
  const double g1 = std::sqrt(p / (p + n));
  const double g1sq = g1 * g1;
  const double tanHalf = std::tan(w0 / 2.0);
  const double w2 = tanHalf * tanHalf * std::sqrt(std::fabs(1.0 - g1sq));
  const double dW = (1.0 + std::sqrt(gb2 / std::fabs(gb2 - g1sq)) * w2) * std::tan(dw / 2.0);
  const double c = dW * dW * std::fabs(gb2 - g1sq) - 2.0 * w2 * (gb2 - std::sqrt(gb2 * std::fabs(gb2 - g1sq)));
  const double d = 2.0 * w2 * (1.0 - std::sqrt(std::fabs(1.0 - g1sq)));
  const double aq = std::sqrt((c + d) / (1.0 - gb2));
  const double bq = std::sqrt((c + gb2 * d) / (1.0 - gb2));
  const double den = 1.0 + w2 + aq;
  s.b0 = (g1 + bq) / den;
  s.b1 = -2.0 * g1 / den;
  s.b2 = (g1 - bq) / den;
  s.a0 = 1.0;
  s.a1 = -2.0 * (1.0 - w2) / den;
  s.a2 = (1.0 + w2 - aq) / den;
}

void Normalise(Biquad& s, double b0, double b1, double b2, double a0, double a1, double a2)
{
  s.b0 = b0 / a0;
  s.b1 = b1 / a0;
  s.b2 = b2 / a0;
  s.a0 = 1.0;
  s.a1 = a1 / a0;
  s.a2 = a2 / a0;
}

}  // namespace

void BiquadSection::Design(BiquadType sectionType, double frequency, double q, double gainDb, double sampleRate)
{
  ClearState();
  type = sectionType;
  if (static_cast<uint32_t>(sectionType) > static_cast<uint32_t>(BiquadType::HighShelfB))
    return;

  const double f = sampleRate / 2.0 < frequency ? sampleRate / 2.0 - 1.0 : frequency;
  const double w0 = sectionType == BiquadType::LowPass2x ? 2.0 * kPi * f / sampleRate * 0.5
                                                         : 2.0 * kPi * f / sampleRate;
  const double cw = std::cos(w0);
  const double alpha = std::sin(w0) / (2.0 * q);
  const double a = std::pow(10.0, gainDb / 40.0);
  const double sa = 2.0 * std::sqrt(a) * alpha;

  switch (sectionType)
  {
    case BiquadType::HighPass:
      Normalise(*this, (1 + cw) / 2, -(1 + cw), (1 + cw) / 2, 1 + alpha, -2 * cw, 1 - alpha);
      break;
    case BiquadType::LowPass:
    case BiquadType::LowPass2x:
      Normalise(*this, (1 - cw) / 2, 1 - cw, (1 - cw) / 2, 1 + alpha, -2 * cw, 1 - alpha);
      break;
    case BiquadType::LowShelf:
      Normalise(*this, a * ((a + 1) - (a - 1) * cw + sa), 2 * a * ((a - 1) - (a + 1) * cw),
                a * ((a + 1) - (a - 1) * cw - sa), (a + 1) + (a - 1) * cw + sa, -2 * ((a - 1) + (a + 1) * cw),
                (a + 1) + (a - 1) * cw - sa);
      break;
    case BiquadType::HighShelf:
    case BiquadType::HighShelfB:
      Normalise(*this, a * ((a + 1) + (a - 1) * cw + sa), -2 * a * ((a - 1) + (a + 1) * cw),
                a * ((a + 1) + (a - 1) * cw - sa), (a + 1) - (a - 1) * cw + sa, 2 * ((a - 1) - (a + 1) * cw),
                (a + 1) - (a - 1) * cw - sa);
      break;
    case BiquadType::BandPass: DesignBandPass(*this, w0, f / sampleRate, q); break;
  }
}

void KWeightingStage::Design(double rate, double corner, double piF0, double vb, double vl, double vh, double quality)
{
  ClearState();
  sampleRate = rate;
  f0 = corner;
  bandGain = vb;
  lowGain = vl;
  highGain = vh;
  q = quality;
  k = std::tan(piF0 / rate);
  kSquared = k * k;
  denominator = kSquared + k / q + 1.0;
  b0 = (vl * kSquared + vb * k / q + vh) / denominator;
  b1 = 2.0 * (vl * kSquared - vh) / denominator;
  b2 = (vl * kSquared - vb * k / q + vh) / denominator;
  a0 = 1.0;
  a1 = 2.0 * (kSquared - 1.0) / denominator;
  a2 = (kSquared - k / q + 1.0) / denominator;
}

void WeightingFilter::Append(Biquad& stage, bool twice)
{
  run_[runCount_++] = RunEntry{&stage, twice};
}

// Sections 3, 4 and 5 of the A, B and C curves: the high-frequency end, corrected per rate.
void WeightingFilter::DesignHfCorrection(double fs)
{
  struct Row
  {
    double gain3, gain4, lowPassHz, lowPassQ;
  };
  const Row row = fs <= 44100.0    ? Row{0.0, -1.2, 12400.0, 0.48}
                  : fs <= 48000.0  ? Row{0.5, -1.0, 12600.0, 0.48}
                  : fs <= 96000.0  ? Row{8.0, -3.0, 12400.0, 0.5}
                  : fs <= 192000.0 ? Row{10.0, 2.0, 12400.0, 0.5}
                                   : Row{0.0, 0.0, 12400.0, 0.48};
  sections_[3].Design(BiquadType::HighShelf, fs / 2 - 0.083333 * fs, 0.5, row.gain3, fs);
  sections_[4].Design(BiquadType::HighShelf, fs / 2 - 0.083333 * fs / 2, 0.5, row.gain4, fs);
  sections_[5].Design(BiquadType::LowPass2x, row.lowPassHz, row.lowPassQ, 0.0, fs);
}

void WeightingFilter::Design(uint32_t mode, uint32_t lowCutSteep, uint32_t highCutSteep, double fs, double lowCutHz,
                             double highCutHz)
{
  mode_ = mode;
  runCount_ = 0;
  auto correct = [this](const Correction& c) {
    correctionDb_ = c.db;
    correctionGain_ = c.gain;
  };
  correct(kNoCorrection);
  auto runSections = [this](std::initializer_list<int> indices) {
    for (int i : indices)
      Append(sections_[i], sections_[i].type == BiquadType::LowPass2x);
  };

  switch (static_cast<WeightingMode>(mode))
  {
    case WeightingMode::Off: break;
    case WeightingMode::LeqK:
      kShelf_.Design(fs, kShelfHz, kPi * kShelfHz, 1.25872093023256, 1.0, 1.58486470113086, 0.70717523695542);
      kHighPass_.Design(fs, kHighPassHz, kPi * kHighPassHz, 0.0, 0.0, 1.00499489871469, 0.50032703732504);
      Append(kHighPass_, false);
      Append(kShelf_, false);
      correct(kLeqKCorrection);
      break;
    case WeightingMode::LeqA:
    case WeightingMode::LeqAPlus3:
      sections_[0].Design(BiquadType::LowShelf, 30.0, 0.6, 2.0, fs);
      sections_[1].Design(BiquadType::HighPass, 30.0, 0.4, 0.0, fs);
      sections_[2].Design(BiquadType::HighPass, 239.0, 0.29, 0.0, fs);
      DesignHfCorrection(fs);
      runSections({0, 1, 2, 3, 4, 5});
      correct(mode == static_cast<uint32_t>(WeightingMode::LeqA) ? kLeqACorrection : kLeqAPlus3Correction);
      break;
    case WeightingMode::LeqB:
      sections_[1].Design(BiquadType::HighPass, 74.0, 0.39, 0.0, fs);
      DesignHfCorrection(fs);
      runSections({1, 3, 4, 5});
      correct(kLeqBCorrection);
      break;
    case WeightingMode::LeqC:
      sections_[0].Design(BiquadType::LowShelf, 10.0, 0.6, -4.0, fs);
      sections_[1].Design(BiquadType::HighPass, 15.0, 0.41, 0.0, fs);
      DesignHfCorrection(fs);
      runSections({0, 1, 3, 4, 5});
      correct(kLeqCCorrection);
      break;
    case WeightingMode::LeqM:
      // Rates above 192 kHz use the 96-192 kHz design rather than running undesigned sections.
      if (fs <= 48000.0)
      {
        sections_[1].Design(BiquadType::BandPass, 7100.0, 0.5, 0.0, fs);
        sections_[2].Design(BiquadType::LowPass2x, 10800.0, 0.82, 0.0, fs);
        sections_[3].Design(BiquadType::LowPass2x, 10800.0, 0.82, 0.0, fs);
        sections_[4].Design(BiquadType::HighShelfB, 12300.0, 0.7, -6.0, fs);
        sections_[5].Design(BiquadType::HighShelf, 19000.0, 0.64, 8.0, fs);
        sections_[6].Design(BiquadType::HighShelfB, 16000.0, 0.7, 0.4, fs);
        correct(kLeqMTo48kCorrection);
      }
      else
      {
        const bool upTo96k = fs <= 96000.0;
        sections_[1].Design(BiquadType::BandPass, 7700.0, 0.5, 0.0, fs);
        for (int i = 2; i <= 4; ++i)
          sections_[i].Design(BiquadType::LowPass2x, 10700.0, 0.8, 0.0, fs);
        sections_[5].Design(BiquadType::HighShelf, 30000.0, 0.7, upTo96k ? 24.0 : 12.0, fs);
        sections_[6].Design(BiquadType::HighShelfB, 15500.0, 0.7, upTo96k ? 0.0 : 1.0, fs);
        correct(kLeqMAbove48kCorrection);
      }
      runSections({1, 2, 3, 4, 5, 6});
      break;
    case WeightingMode::Custom:
      sections_[7].Design(BiquadType::HighPass, lowCutHz, 0.7, 0.0, fs);
      sections_[8].Design(BiquadType::HighPass, lowCutHz, 0.7, 0.0, fs);
      sections_[9].Design(BiquadType::LowPass2x, highCutHz, 0.7, 0.0, fs);
      sections_[10].Design(BiquadType::LowPass2x, highCutHz, 0.7, 0.0, fs);
      Append(sections_[7], false);
      if (lowCutSteep != 0)
        Append(sections_[8], false);
      Append(sections_[9], true);
      if (highCutSteep != 0)
        Append(sections_[10], true);
      break;
  }
}

namespace {

// Lanes doubles in one vector (a plain double for one lane); each lane is multiplied and added on
// its own, exactly as the scalar code would.
template <int Lanes>
struct LaneVector;
template <>
struct LaneVector<1>
{
  using Type = double;
};
template <>
struct LaneVector<2>
{
  using Type = double __attribute__((vector_size(2 * sizeof(double))));
};
template <>
struct LaneVector<4>
{
  using Type = double __attribute__((vector_size(4 * sizeof(double))));
};
template <int Lanes>
using Lane = typename LaneVector<Lanes>::Type;

// One section's coefficients and state, a lane per filter.
template <int Lanes>
struct StageLanes
{
  using V = Lane<Lanes>;
  V b0, b1, b2, a1, a2, x1, x2, y1, y2;
  bool twice;

  // Returns the output in y. The 1e-24 keeps silent input from decaying into denormal numbers.
  [[gnu::always_inline]] void Step(const V& in, V& y)
  {
    y = b0 * in + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2 + 1e-24;
    x2 = x1;
    x1 = in;
    y2 = y1;
    y1 = y;
  }
};

// Sets lane l of v to field(l). Always inlined: how a vector of four is passed between functions
// depends on the instruction set.
template <int Lanes, class Field>
[[gnu::always_inline]] inline void Gather(Lane<Lanes>& v, Field field)
{
  if constexpr (Lanes == 1)
  {
    v = field(0);
  }
  else
  {
    for (int l = 0; l < Lanes; ++l)
      v[l] = field(l);
  }
}

template <int Lanes>
[[gnu::always_inline]] inline double LaneOf(const Lane<Lanes>& v, int lane)
{
  if constexpr (Lanes == 1)
    return v;
  else
    return v[lane];
}

}  // namespace

template <int Lanes, int Stages>
[[gnu::always_inline]] inline void WeightingFilter::RunStages(WeightingFilter* const* filters, const double* const* in,
                                                              double* const* out, const double* weights, int n,
                                                              int stride)
{
  using V = Lane<Lanes>;
  StageLanes<Lanes> st[Stages];
  for (int s = 0; s < Stages; ++s)
  {
    auto stage = [&](int lane) -> const Biquad& { return *filters[lane]->run_[s].stage; };
    StageLanes<Lanes>& lanes = st[s];
    Gather<Lanes>(lanes.b0, [&](int l) { return stage(l).b0; });
    Gather<Lanes>(lanes.b1, [&](int l) { return stage(l).b1; });
    Gather<Lanes>(lanes.b2, [&](int l) { return stage(l).b2; });
    Gather<Lanes>(lanes.a1, [&](int l) { return stage(l).a1; });
    Gather<Lanes>(lanes.a2, [&](int l) { return stage(l).a2; });
    Gather<Lanes>(lanes.x1, [&](int l) { return stage(l).x1; });
    Gather<Lanes>(lanes.x2, [&](int l) { return stage(l).x2; });
    Gather<Lanes>(lanes.y1, [&](int l) { return stage(l).y1; });
    Gather<Lanes>(lanes.y2, [&](int l) { return stage(l).y2; });
    lanes.twice = filters[0]->run_[s].twice;
  }
  V gain, weight;
  Gather<Lanes>(gain, [&](int l) { return filters[l]->correctionGain_; });
  Gather<Lanes>(weight, [&](int l) { return weights[l]; });
  for (int i = 0; i < n; ++i)
  {
    const size_t at = size_t(i) * size_t(stride);
    V x;
    Gather<Lanes>(x, [&](int l) { return in[l][at]; });
    x += 1e-24;
    V y{};
    // Unrolled, so that every stage's state and coefficients stay in registers.
#pragma GCC unroll 6
    for (int s = 0; s < Stages; ++s)
    {
      if (st[s].twice)
      {
        st[s].Step(x, y);
        st[s].Step(V{} + 1e-24, y);
        y *= 2.0;
      }
      else
      {
        st[s].Step(x, y);
      }
      x = y + 1e-24;
    }
    const V result = y * gain * weight;
    for (int l = 0; l < Lanes; ++l)
      out[l][at] = LaneOf<Lanes>(result, l);
  }
  for (int s = 0; s < Stages; ++s)
    for (int l = 0; l < Lanes; ++l)
    {
      Biquad& stage = *filters[l]->run_[s].stage;
      stage.x1 = LaneOf<Lanes>(st[s].x1, l);
      stage.x2 = LaneOf<Lanes>(st[s].x2, l);
      stage.y1 = LaneOf<Lanes>(st[s].y1, l);
      stage.y2 = LaneOf<Lanes>(st[s].y2, l);
    }
}

template <int Lanes>
[[gnu::always_inline]] inline void WeightingFilter::Run(WeightingFilter* const* filters, const double* const* in,
                                                        double* const* out, const double* weights, int n, int stride)
{
  switch (filters[0]->runCount_)
  {
    case 0:
      // Off, or a mode past Custom: the samples pass as they are (a weight of 1 changes no bit).
      for (int l = 0; l < Lanes; ++l)
        for (int i = 0; i < n; ++i)
          out[l][size_t(i) * size_t(stride)] = in[l][size_t(i) * size_t(stride)] * weights[l];
      break;
    case 1: RunStages<Lanes, 1>(filters, in, out, weights, n, stride); break;
    case 2: RunStages<Lanes, 2>(filters, in, out, weights, n, stride); break;
    case 3: RunStages<Lanes, 3>(filters, in, out, weights, n, stride); break;
    case 4: RunStages<Lanes, 4>(filters, in, out, weights, n, stride); break;
    case 5: RunStages<Lanes, 5>(filters, in, out, weights, n, stride); break;
    default: RunStages<Lanes, 6>(filters, in, out, weights, n, stride); break;
  }
}

double WeightingFilter::Process(double sample)
{
  double y = 0.0;
  Process(&sample, &y, 1, 1, 1.0);
  return y;
}

void WeightingFilter::Process(const double* in, double* out, int n, int stride, double weight)
{
  WeightingFilter* const filters[1] = {this};
  const double* const ins[1] = {in};
  double* const outs[1] = {out};
  const double weights[1] = {weight};
  Run<1>(filters, ins, outs, weights, n, stride);
}

bool WeightingFilter::RunsAlike(const WeightingFilter& other) const
{
  if (runCount_ != other.runCount_)
    return false;
  for (int i = 0; i < runCount_; ++i)
    if (run_[i].twice != other.run_[i].twice)
      return false;
  return true;
}

VECTOR_CLONES void WeightingFilter::RunSideBySide(WeightingFilter* filters, const int* channels, int count,
                                                  const double* in, double* out, int n, int stride,
                                                  const double* weights)
{
  constexpr int kWidest = 4;
  // Four lanes fill a register only with AVX2; without it, two.
  const int widest = __builtin_cpu_supports("avx2") ? kWidest : 2;
  for (int j = 0; j < count;)
  {
    // The widest group of filters from here on that are designed alike.
    int lanes = 1;
    for (int width : {widest, 2})
    {
      bool alike = j + width <= count;
      for (int l = 1; l < width && alike; ++l)
        alike = filters[channels[j + l]].RunsAlike(filters[channels[j]]);
      if (alike)
      {
        lanes = width;
        break;
      }
    }
    WeightingFilter* group[kWidest];
    const double* ins[kWidest];
    double* outs[kWidest];
    double groupWeights[kWidest];
    for (int l = 0; l < lanes; ++l)
    {
      const int k = channels[j + l];
      group[l] = &filters[k];
      ins[l] = in + k;
      outs[l] = out + k;
      groupWeights[l] = weights ? weights[k] : 1.0;
    }
    switch (lanes)
    {
      case 4: Run<4>(group, ins, outs, groupWeights, n, stride); break;
      case 2: Run<2>(group, ins, outs, groupWeights, n, stride); break;
      default: Run<1>(group, ins, outs, groupWeights, n, stride); break;
    }
    j += lanes;
  }
}

void WeightingFilter::ProcessChannels(WeightingFilter* filters, const int* channels, int count, const double* in,
                                      double* out, int n, int stride, const double* weights)
{
  RunSideBySide(filters, channels, count, in, out, n, stride, weights);
}

void WeightingFilter::ClearState()
{
  kShelf_.ClearState();
  kHighPass_.ClearState();
  for (auto& s : sections_)
    s.ClearState();
}
