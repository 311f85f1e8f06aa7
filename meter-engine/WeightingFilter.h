#pragma once
// Per-channel frequency weighting applied before loudness is measured: a cascade of
// second-order sections chosen by the weighting mode, followed by a fixed correction gain.
#include <cstdint>

enum class WeightingMode : uint32_t {
  Off = 0,
  LeqK = 1,
  LeqA = 2,
  LeqB = 3,
  LeqC = 4,
  LeqM = 5,
  LeqAPlus3 = 6,
  Custom = 7
};

enum class BiquadType : uint32_t {
  HighPass = 0,
  LowPass2x = 1,  // designed for, and run at, twice the sample rate
  BandPass = 2,   // peak gain 1 with a prescribed gain at the Nyquist frequency
  LowPass = 3,
  LowShelf = 4,
  HighShelf = 5,
  HighShelfB = 6,  // designed and run exactly as HighShelf
};

// One direct-form I second-order section. Coefficients are kept normalised (a0 = 1) so that
// the per-sample step needs no division; the filter runs the step itself, on its own copies of
// the state, and stores the state back after each run.
struct Biquad
{
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  double b0 = 1, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;

  void ClearState() { x1 = x2 = y1 = y2 = 0.0; }
};

struct BiquadSection : Biquad
{
  BiquadType type = BiquadType::HighPass;

  // Clears the state and computes the coefficients; a type code past HighShelfB only clears.
  void Design(BiquadType sectionType, double frequency, double q, double gainDb, double sampleRate);
};

// One stage of the K weighting, designed from its analogue prototype by pre-warping.
struct KWeightingStage : Biquad
{
  double sampleRate = 0, f0 = 0, bandGain = 0, lowGain = 0, highGain = 0, q = 0;
  double k = 0, kSquared = 0, denominator = 0;

  // piF0 is pi times the corner frequency, given directly so the published coefficients are met.
  void Design(double rate, double corner, double piF0, double vb, double vl, double vh, double quality);
};

class WeightingFilter
{
public:
  WeightingFilter() = default;
  // The run list points into the filter itself, so a filter is never copied.
  WeightingFilter(const WeightingFilter&) = delete;
  WeightingFilter& operator=(const WeightingFilter&) = delete;

  void Design(uint32_t mode, uint32_t lowCutSteep, uint32_t highCutSteep, double sampleRate, double lowCutHz,
              double highCutHz);
  double Process(double sample);
  // Filters n samples read from in and written to out, each `stride` doubles after the last; in
  // and out may be the same. Every sample goes through the same steps as in the one-sample call,
  // and its result is then multiplied by weight (the channel's weight in a measurement).
  void Process(const double* in, double* out, int n, int stride, double weight);
  // Filters `count` channels: channel channels[j] runs filters[channels[j]] over
  // in[channels[j] + i * stride] into out[channels[j] + i * stride] for i < n, each result times
  // the channel's weight (weights[channels[j]], or 1 where weights is null), the same as Process
  // on each channel alone. Filters designed alike (as those of one measurement are) run side by
  // side in the lanes of vectors, each lane exactly as its filter alone: one filter's steps wait
  // on one another, the lanes' do not.
  static void ProcessChannels(WeightingFilter* filters, const int* channels, int count, const double* in, double* out,
                              int n, int stride, const double* weights);
  // Restarts the filter from silence; the design stays.
  void ClearState();

  uint32_t Mode() const { return mode_; }
  double CorrectionDb() const { return correctionDb_; }
  double CorrectionGain() const { return correctionGain_; }
  const KWeightingStage& KShelf() const { return kShelf_; }
  const KWeightingStage& KHighPass() const { return kHighPass_; }
  const BiquadSection& Section(int i) const { return sections_[i]; }
  int RunCount() const { return runCount_; }

private:
  // ProcessChannels' work, built for each instruction set the program picks from when loaded; it
  // is called only from its own source, since clang resolves such a function only there.
  static void RunSideBySide(WeightingFilter* filters, const int* channels, int count, const double* in, double* out,
                            int n, int stride, const double* weights);
  void DesignHfCorrection(double sampleRate);
  void Append(Biquad& stage, bool twice);
  bool RunsAlike(const WeightingFilter& other) const;
  // The cascade over n samples of one filter per lane, dispatched on the number of stages so
  // that the compiler keeps every stage's state in registers.
  template <int Lanes>
  static void Run(WeightingFilter* const* filters, const double* const* in, double* const* out, const double* weights,
                  int n, int stride);
  template <int Lanes, int Stages>
  static void RunStages(WeightingFilter* const* filters, const double* const* in, double* const* out,
                        const double* weights, int n, int stride);

  struct RunEntry
  {
    Biquad* stage;
    bool twice;  // a LowPass2x section: one step with the sample, one with an inserted zero
  };

  KWeightingStage kShelf_, kHighPass_;
  BiquadSection sections_[11];
  uint32_t mode_ = 0;
  double correctionDb_ = 0.0;
  double correctionGain_ = 1.0;
  RunEntry run_[6] = {};
  int runCount_ = 0;
};
