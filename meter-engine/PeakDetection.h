#pragma once
// Peak detection blocks: the true-peak interpolator, the windowed peak tracker behind PSR, and
// the per-channel peak-meter ballistics with their hold.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "meter-engine/VectorClones.h"
#include "meter-engine/ZeroedPages.h"

// One channel's polyphase interpolator: 4x at rates up to 48 kHz, 2x up to 96 kHz, none above.
class TruePeakOversampler
{
public:
  static constexpr int kTaps = 48;
  // Prototype order: entry p + 4*i is tap i of phase p.
  static const std::array<double, kTaps> TruePeakTable4x;
  static const std::array<double, kTaps> TruePeakTable2x;

  void Prepare(double sampleRate);
  // Returns the new true peak (linear) and raises both maxima. Always inlined, so that it takes
  // the instruction set of the loop that calls it.
  [[gnu::always_inline]] double Process(double x)
  {
    switch (factor_)
    {
      case 4: return Step<4>(x);
      case 2: return Step<2>(x);
      default: return Step<1>(x);
    }
  }
  // Runs n inputs, read stride doubles apart, and writes their true peaks to out: the same as n
  // calls of Process, with the maxima kept in registers until the end.
  [[gnu::always_inline]] void Process(const double* x, std::ptrdiff_t stride, int n, double* out)
  {
    switch (factor_)
    {
      case 4: Run<4>(x, stride, n, out); break;
      case 2: Run<2>(x, stride, n, out); break;
      default: Run<1>(x, stride, n, out); break;
    }
  }
  // Forgets the signal and the maxima; the design stays.
  void Clear();

  int Factor() const { return factor_; }
  double TapSum() const { return tapSum_; }
  double Normalisation() const { return normalisation_; }

  double truePeak = 0.0;
  double truePeakMax = 0.0;        // since the last clearing
  double truePeakPeriodMax = 0.0;  // of the current 100 ms period, cleared by the caller
  double accumulator = 0.0;        // the last phase output

private:
  // Vectors of doubles; each lane is multiplied and added on its own, exactly as scalar code.
  using Pair = double __attribute__((vector_size(2 * sizeof(double))));
  using Quad = double __attribute__((vector_size(4 * sizeof(double))));

  // Each phase output is a_p = sum over i of table[47 - p - L*i] * s(n - i), summed in order of
  // i. The L phases run side by side in the lanes of one vector (their sums are independent),
  // which keeps every sum's order and so its result while the phases share each history load.
  template <int L>
  [[gnu::always_inline]] double Step(double x)
  {
    truePeak = Interpolate<L>(x);
    truePeakMax = std::max(truePeakMax, truePeak);
    truePeakPeriodMax = std::max(truePeakPeriodMax, truePeak);
    return truePeak;
  }

  // The same as n steps. The inputs are laid out in one line after the history, so that the
  // outputs of neighbouring inputs share a register: each lane of a vector holds one input's sum
  // for a phase, and the sums of a run, each a chain of dependent adds, overlap instead of waiting
  // on one another and on the history's stores.
  template <int L>
  [[gnu::always_inline]] void Run(const double* x, std::ptrdiff_t stride, int n, double* out)
  {
    if constexpr (L == 1)
    {
      for (int i = 0; i < n; ++i)
        out[i] = Step<1>(x[i * stride]);
    }
    else
    {
      constexpr int taps = kTaps / L;
      constexpr int kChunk = 64;
      // line[taps - 1 + j] is input j of a chunk, scaled; before it, the inputs that came
      // earlier, oldest first; after the chunk, zeros up to a whole block.
      double line[taps - 1 + kChunk + kBlock] = {};
      for (int i = 0; i < taps - 1; ++i)
        line[taps - 2 - i] = history_[pos_ + i];
      Quad largest = {};
      for (int start = 0; start < n; start += kChunk)
      {
        const int m = std::min(kChunk, n - start);
        const double* in = x + start * stride;
        for (int j = 0; j < m; ++j)
          line[taps - 1 + j] = in[j * stride] * factorAsDouble_;
        std::fill(line + taps - 1 + m, line + taps - 1 + m + kBlock, 0.0);
        int j = 0;
        for (; j + 2 * kBlock <= m; j += 2 * kBlock)
          InterpolateBlock<L, 2>(line + j, in + j * stride, stride, out + start + j, 2 * kBlock, largest);
        for (; j < m; j += kBlock)
        {
          const int count = std::min(kBlock, m - j);
          InterpolateBlock<L, 1>(line + j, in + j * stride, stride, out + start + j, count, largest);
        }
        std::copy(line + m, line + m + taps - 1, line);
      }
      // Back into the ring, newest first at position 0.
      pos_ = 0;
      for (int i = 0; i < taps - 1; ++i)
        history_[i] = history_[i + taps] = line[taps - 2 - i];
      if (n > 0)
      {
        const double runMax = std::max(std::max(largest[0], largest[1]), std::max(largest[2], largest[3]));
        truePeak = out[n - 1];
        truePeakMax = std::max(truePeakMax, runMax);
        truePeakPeriodMax = std::max(truePeakPeriodMax, runMax);
      }
    }
  }

  // The true peak of the next input; only the history and the last phase output change.
  template <int L>
  [[gnu::always_inline]] double Interpolate(double x)
  {
    constexpr int taps = L == 1 ? 1 : kTaps / L;
    const double s = x * factorAsDouble_;
    pos_ = pos_ == 0 ? taps - 1 : pos_ - 1;
    history_[pos_] = s;
    history_[pos_ + taps] = s;
    const double* h = history_ + pos_;
    if constexpr (L == 1)
    {
      accumulator = 0.0 + coefficients_[0] * h[0];
      return std::max(std::max(0.0, std::abs(accumulator)) * normalisation_, std::abs(x));
    }
    else
    {
      Lanes<L> sums = {};
#pragma GCC unroll 24
      for (int i = 0; i < taps; ++i)
      {
        Lanes<L> c;
        __builtin_memcpy(&c, coefficients_ + i * L, sizeof c);
        sums += c * h[i];
      }
      accumulator = sums[L - 1];
      return Peak<L>(sums, x);
    }
  }

  // The true peaks of the first `count` of 4 * G inputs, x[k * stride] for k < 4 * G, whose scaled
  // values stand at line[taps - 1 + k] after the inputs that came before them: the same sums as
  // single steps, each in its own order, with the inputs in the lanes of a vector and the phases
  // in vectors of their own. Raises `largest`, lane by lane, to the true peaks stored.
  template <int L, int G>
  [[gnu::always_inline]] void InterpolateBlock(const double* line, const double* x, std::ptrdiff_t stride, double* out,
                                               int count, Quad& largest)
  {
    constexpr int taps = kTaps / L;
    Quad sums[G][L] = {};
    // Not unrolled: the sums stay in registers and each coefficient is fetched where it is used.
#pragma GCC unroll 1
    for (int i = 0; i < taps; ++i)
    {
      Quad inputs[G];
#pragma GCC unroll 2
      for (int g = 0; g < G; ++g)
        __builtin_memcpy(&inputs[g], line + taps - 1 + kBlock * g - i, sizeof(Quad));
#pragma GCC unroll 4
      for (int p = 0; p < L; ++p)
      {
        const double c = coefficients_[i * L + p];
#pragma GCC unroll 2
        for (int g = 0; g < G; ++g)
          sums[g][p] += c * inputs[g];
      }
    }
#pragma GCC unroll 2
    for (int g = 0; g < G; ++g)
    {
      const int stored = std::min(kBlock, count - kBlock * g);
      accumulator = sums[g][L - 1][stored - 1];
      Quad peak = {};
#pragma GCC unroll 4
      for (int p = 0; p < L; ++p)
      {
        TakeMagnitude(sums[g][p]);
        Raise(peak, sums[g][p]);
      }
      Quad input = {};
      for (int k = 0; k < stored; ++k)
        input[k] = std::abs(x[(kBlock * g + k) * stride]);
      // As in Peak: an input that is not a number does not count.
      peak *= normalisation_;
      peak = peak < input ? input : peak;
      __builtin_memcpy(out + kBlock * g, &peak, stored * sizeof(double));
      // The lanes past the inputs stored hold no true peak; every true peak is at least 0.
      constexpr Quad lane = {0.0, 1.0, 2.0, 3.0};
      Raise(largest, lane < stored ? peak : Quad{});
    }
  }

  template <int L>
  using Lanes = std::conditional_t<L == 4, Quad, Pair>;

  // Each lane's magnitude, 0 for a lane that is not a number, just as a running maximum from 0
  // would pass it by; the order in which such magnitudes are compared is then free.
  template <class V>
  [[gnu::always_inline]] static void TakeMagnitude(V& lanes)
  {
    const V negated = -lanes;
    lanes = lanes > negated ? lanes : negated;
    lanes = lanes > 0.0 ? lanes : V{};
  }
  // std::max lane by lane.
  [[gnu::always_inline]] static void Raise(Quad& a, const Quad& b)
  {
    a = a < b ? b : a;
  }

  // The largest phase magnitude, normalised, not below 0 nor below the input's own: the
  // interpolated curve passes through the samples, so a true peak is never below the sample peak
  // (a table that reads a phase low near Nyquist would otherwise pull the sample itself down).
  template <int L>
  [[gnu::always_inline]] double Peak(const Lanes<L>& sums, double x) const
  {
    Lanes<L> magnitude = sums;
    TakeMagnitude(magnitude);
    double largest = std::max(magnitude[0], magnitude[1]);
    if constexpr (L == 4)
      largest = std::max(largest, std::max(magnitude[2], magnitude[3]));
    return std::max(largest * normalisation_, std::abs(x));
  }

  static constexpr int kBlock = 4;  // inputs a vector

  int factor_ = 1;
  double factorAsDouble_ = 1.0;
  double tapSum_ = 1.0;
  double normalisation_ = 1.0;
  // coefficients_[i * factor + p] multiplies the input i samples back in phase p; at factor 1 a
  // single unit tap makes the true peak the sample magnitude.
  alignas(32) double coefficients_[kTaps] = {1.0};
  // The last 48 / factor scaled inputs, stored twice so that every phase reads them as one
  // contiguous run starting at pos_ (newest first).
  double history_[2 * kTaps] = {};
  int pos_ = 0;
};

// The highest peak level inside the short-term window, kept in 0.1 dB bins so that a frame
// costs one bin write instead of a scan of the window.
class PeakWindowTracker
{
public:
  static constexpr int kBinCount = 2900;
  static constexpr double kLowLimit = -145.0;  // the bins span kLowLimit to kLowLimit + kRange dB
  static constexpr double kHighLimit = 145.0;
  static constexpr double kRange = kHighLimit - kLowLimit;

  // Returns false, leaving the tracker as it was, when the window holds no sample.
  bool Init(double windowMs, double sampleRate);
  // Registers a frame's peak amplitude in the bin of its level.
  void Update(double amplitude) { Update(&amplitude, 1); }
  // Registers the peak amplitudes of n frames in order.
  void Update(const double* amplitudes, int n);
  // Highest level registered inside the window; before the first frame, the stored level.
  double Maximum() const;
  void Clear();

  int WindowLength() const { return windowLength_; }

  // The bin of a level in dB, levels beyond +-144 dB clamped.
  static int BinOf(double levelDb)
  {
    const double c = levelDb < kLowLimit + 1.0 ? kLowLimit + 1.0 : std::min(kHighLimit - 1.0, levelDb);
    return static_cast<int>((c - kLowLimit) / kRange * kBinCount);
  }
  // BinOf(levels::AmplitudeLevel(amplitude)) for every amplitude, without the logarithm.
  static int BinOfAmplitude(double amplitude);

  double level = 0.0;  // the windowed maximum as the engine last read it

private:
  // For each bin, the frame count at which the last frame that fell in it leaves the window: a bin
  // is occupied while the count is below that, so a frame leaving the window needs no
  // bookkeeping. Zero for a bin no frame fell in; at zero frames every bin is at zero.
  ZeroedArray<int64_t> leavesAt_;
  // The newest frame's bin, or -1; it is written into leavesAt_ by the next update. Its place
  // there is known only once the frame's peak is, and a store to a place not yet known holds up
  // the loads that follow it, the next frame's included.
  int newest_ = -1;
  int64_t frames_ = 0;  // registered since the last clearing
  int windowLength_ = 0;
};

// One channel's peak meter: smoothed level plus a 3-second hold that then decays.
struct PeakBallistics
{
  double attack = 0.0, release = 0.0;
  double smoothed = 0.0;
  double inputMax = 0.0;
  double holdAttack = 0.0, holdDecay = 0.0;
  int32_t holdLength = 0;
  uint32_t holdCounter = 0;
  double holdLevel = 0.0;
  double holdMax = 0.0;
  uint32_t holdState = 0;  // 0 before the first rise, 1 holding, 4 decaying
  double rawMax = 0.0;

  void Setup(double sampleRate);
  // Defined here so that the engine's peak loop can keep a channel's meter in registers while it
  // runs through a run of frames.
  void Process(double v)
  {
    rawMax = std::max(rawMax, v);
    const double a = std::abs(v);
    inputMax = std::max(inputMax, a);
    smoothed = (smoothed - a) * (a > smoothed ? attack : release) + a;
    holdMax = std::max(holdMax, a);
    if (a > holdLevel)
    {
      holdLevel = (holdLevel - a) * holdAttack + a;
      holdCounter = 0;
      holdState = 1;
    }
    else
    {
      if (holdState == 1)
      {
        if (holdCounter >= static_cast<uint32_t>(holdLength))
          holdState = 4;
        ++holdCounter;
      }
      if (holdState == 4)
        holdLevel = (holdLevel - a) * holdDecay + a;
    }
    if (holdLevel < 1e-8)
      holdLevel = 0.0;
  }
  // The same as n calls of Process on each of `count` meters (at most 4 * G), meter m reading
  // inputs[m][i], with the meters side by side in the lanes of G vectors of four: one meter's
  // steps wait on one another, the lanes' do not. Always inlined, so that it takes the
  // instruction set of the loop that calls it.
  template <int G>
  [[gnu::always_inline]] static void RunSideBySide(PeakBallistics* const* meters, const double* const* inputs,
                                                   int count, int n)
  {
    // Each lane takes exactly the steps of Process, with the branches made selections; the hold's
    // counter and state are whole numbers, exact as doubles.
    using Quad = double __attribute__((vector_size(4 * sizeof(double))));
    using Bits = int64_t __attribute__((vector_size(4 * sizeof(double))));
    constexpr int kLanes = 4 * G;
    struct MeterLanes
    {
      Quad attack, release, holdAttack, holdDecay, holdLength;
      Quad smoothed, inputMax, holdCounter, holdLevel, holdMax, holdState, rawMax;
    } lanes[G];
    const double* in[kLanes];
    for (int l = 0; l < kLanes; ++l)
    {
      const PeakBallistics& m = *meters[l < count ? l : 0];  // lanes past the meters run on a copy
      in[l] = inputs[l < count ? l : 0];
      MeterLanes& v = lanes[l / 4];
      const int k = l % 4;
      v.attack[k] = m.attack;
      v.release[k] = m.release;
      v.holdAttack[k] = m.holdAttack;
      v.holdDecay[k] = m.holdDecay;
      v.holdLength[k] = static_cast<uint32_t>(m.holdLength);
      v.smoothed[k] = m.smoothed;
      v.inputMax[k] = m.inputMax;
      v.holdCounter[k] = m.holdCounter;
      v.holdLevel[k] = m.holdLevel;
      v.holdMax[k] = m.holdMax;
      v.holdState[k] = m.holdState;
      v.rawMax[k] = m.rawMax;
    }
    const Quad zero = {};
    for (int i = 0; i < n; ++i)
    {
#pragma GCC unroll 3
      for (int g = 0; g < G; ++g)
      {
        MeterLanes& v = lanes[g];
        const Quad x = {in[4 * g][i], in[4 * g + 1][i], in[4 * g + 2][i], in[4 * g + 3][i]};
        v.rawMax = v.rawMax < x ? x : v.rawMax;
        const Quad a = (Quad)((Bits)x & INT64_MAX);  // std::abs
        v.inputMax = v.inputMax < a ? a : v.inputMax;
        v.smoothed = (v.smoothed - a) * (a > v.smoothed ? v.attack : v.release) + a;
        v.holdMax = v.holdMax < a ? a : v.holdMax;
        const auto rise = a > v.holdLevel;
        const auto holding = v.holdState == 1.0;
        const auto expired = holding & (v.holdCounter >= v.holdLength);
        const auto decaying = (v.holdState == 4.0) | expired;
        const Quad moved = (v.holdLevel - a) * (rise ? v.holdAttack : v.holdDecay) + a;
        v.holdLevel = rise | decaying ? moved : v.holdLevel;
        v.holdLevel = v.holdLevel < 1e-8 ? zero : v.holdLevel;
        v.holdCounter = rise ? zero : holding ? v.holdCounter + 1.0 : v.holdCounter;
        v.holdState = rise ? zero + 1.0 : expired ? zero + 4.0 : v.holdState;
      }
    }
    for (int l = 0; l < count; ++l)
    {
      PeakBallistics& m = *meters[l];
      const MeterLanes& v = lanes[l / 4];
      const int k = l % 4;
      m.smoothed = v.smoothed[k];
      m.inputMax = v.inputMax[k];
      m.holdCounter = static_cast<uint32_t>(v.holdCounter[k]);
      m.holdLevel = v.holdLevel[k];
      m.holdMax = v.holdMax[k];
      m.holdState = static_cast<uint32_t>(v.holdState[k]);
      m.rawMax = v.rawMax[k];
    }
  }
  void Clear();
  // Forgets the running maximum (kept as the input, hold and raw maxima, which the meter's
  // non-negative inputs make equal); the level and the hold go on.
  void ClearMaximum()
  {
    inputMax = holdMax = rawMax = 0.0;
  }
};
