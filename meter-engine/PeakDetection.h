#pragma once
// Peak detection blocks: the true-peak interpolator, the windowed peak tracker behind PSR, and
// the per-channel peak-meter ballistics with their hold.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <type_traits>

// Loops that run the interpolator are also built for AVX2 on x86-64, picked when the program is
// loaded, so that the four phase sums of the 4x filter share one register where the processor
// has them.
#if defined(__x86_64__) && defined(__ELF__)
#define TRUE_PEAK_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TRUE_PEAK_CLONES
#endif

// One channel's polyphase interpolator: 4x at rates up to 48 kHz, 2x up to 96 kHz, none above.
class TruePeakOversampler {
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
    switch (factor_) {
      case 4: return Step<4>(x);
      case 2: return Step<2>(x);
      default: return Step<1>(x);
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
    constexpr int taps = L == 1 ? 1 : kTaps / L;
    const double s = x * factorAsDouble_;
    pos_ = pos_ == 0 ? taps - 1 : pos_ - 1;
    history_[pos_] = s;
    history_[pos_ + taps] = s;
    const double* h = history_ + pos_;
    // The largest phase magnitude, not below 0; a phase that is not a number counts as 0, just
    // as a running maximum from 0 would pass it by, so the order of the comparisons is free.
    double largest;
    if constexpr (L == 1) {
      accumulator = 0.0 + coefficients_[0] * h[0];
      largest = std::max(0.0, std::abs(accumulator));
    } else {
      using Lanes = std::conditional_t<L == 4, Quad, Pair>;
      Lanes sums = {};
#pragma GCC unroll 24
      for (int i = 0; i < taps; ++i) {
        Lanes c;
        __builtin_memcpy(&c, coefficients_ + i * L, sizeof c);
        sums += c * h[i];
      }
      accumulator = sums[L - 1];
      const Lanes negated = -sums;
      Lanes magnitude = sums > negated ? sums : negated;
      magnitude = magnitude > 0.0 ? magnitude : Lanes{};
      largest = std::max(magnitude[0], magnitude[1]);
      if constexpr (L == 4) largest = std::max(largest, std::max(magnitude[2], magnitude[3]));
    }
    truePeak = std::max(largest, std::abs(x)) * normalisation_;
    truePeakMax = std::max(truePeakMax, truePeak);
    truePeakPeriodMax = std::max(truePeakPeriodMax, truePeak);
    return truePeak;
  }

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
// costs one bin write and at most one bin clear instead of a scan of the window.
class PeakWindowTracker {
public:
  static constexpr int kBinCount = 2900;

  // Returns false, leaving the tracker as it was, when the window holds no sample or the ring
  // cannot be allocated.
  bool Init(double windowMs, double sampleRate);
  void Update(double levelDb);
  // Highest level registered inside the window, or the stored level when no bin is occupied.
  double Maximum() const;
  void Clear();

  int RingLength() const { return ringLength_; }

  double level = 0.0;  // last level registered, or the windowed maximum after a query

private:
  static int BinOf(double levelDb);

  std::array<int32_t, kBinCount> bins_;
  std::unique_ptr<int32_t[]> ring_;  // bin of each level inside the window
  int ringLength_ = 0;
  int position_ = 0;
  bool full_ = false;
};

// One channel's peak meter: smoothed level plus a 3-second hold that then decays.
struct PeakBallistics {
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
  void Process(double v);
  void Clear();
};
