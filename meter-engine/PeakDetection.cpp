#include "meter-engine/PeakDetection.h"

#include <bit>

#include "meter-engine/AmplitudeBinsTable.h"
#include "meter-engine/LevelScales.h"
#include "meter-engine/SampleCount.h"

namespace {

constexpr std::array<double, 12> kPhase0 = {0.0017089843750,  0.0109863281250,  -0.0196533203125, 0.0332031250000,
                                            -0.0594482421875, 0.1373291015625,  0.9721679687500,  -0.1022949218750,
                                            0.0476074218750,  -0.0266113281250, 0.0148925781250,  -0.0083007812500};
constexpr std::array<double, 12> kPhase1 = {-0.0291748046875, 0.0292968750000,  -0.0517578125000, 0.0891113281250,
                                            -0.1665039062500, 0.4650878906250,  0.7797851562500,  -0.2003173828125,
                                            0.1015625000000,  -0.0582275390625, 0.0330810546875,  -0.0189208984375};

// Phases 2 and 3 are phases 1 and 0 reversed.
constexpr std::array<double, 48> MakeTable4x()
{
  std::array<double, 48> t{};
  for (int i = 0; i < 12; ++i)
  {
    t[0 + 4 * i] = kPhase0[i];
    t[1 + 4 * i] = kPhase1[i];
    t[2 + 4 * i] = kPhase1[11 - i];
    t[3 + 4 * i] = kPhase0[11 - i];
  }
  return t;
}

constexpr std::array<double, 24> kHalf2x = {
  -0.012421945913447892, -0.024823832091983064, 0.019434940547226703, 0.014052821368491314, -0.018333256940687492,
  -0.022660521518825905, 0.02611513759705972,   0.0296900702193718,   -0.03435201828784526, -0.03925865005387791,
  0.045167818431985335,  0.05151163332103437,   -0.05926649498744107, -0.06787615144145479, 0.07859318044406559,
  0.0910219580947544,    -0.10695736031990728,  -0.12683668373336432, 0.1539508183818843,   0.19181534789583438,
  -0.25100243289004,     -0.35544951153620047,  0.5975877215058337,   1.7995978372665244};

constexpr std::array<double, 48> MakeTable2x()
{
  std::array<double, 48> t{};
  for (int n = 0; n < 24; ++n)
    t[n] = t[47 - n] = kHalf2x[n];
  return t;
}

}  // namespace

const std::array<double, 48> TruePeakOversampler::TruePeakTable4x = MakeTable4x();
const std::array<double, 48> TruePeakOversampler::TruePeakTable2x = MakeTable2x();

void TruePeakOversampler::Prepare(double sampleRate)
{
  // The rate truncated to whole hertz; a rate that is not a number is taken as 0.
  const double rate = std::isnan(sampleRate) ? 0.0 : std::trunc(sampleRate);
  factor_ = rate <= 48000.0 ? 4 : rate <= 96000.0 ? 2 : 1;
  factorAsDouble_ = factor_;
  if (factor_ == 1)
  {
    coefficients_[0] = 1.0;
    tapSum_ = 1.0;
  }
  else
  {
    const auto& table = factor_ == 4 ? TruePeakTable4x : TruePeakTable2x;
    for (int p = 0; p < factor_; ++p)
      for (int i = 0; i < kTaps / factor_; ++i)
        coefficients_[i * factor_ + p] = table[kTaps - 1 - p - factor_ * i];
    tapSum_ = 0.0;
    for (double t : table)
      tapSum_ += t;
  }
  normalisation_ = 1.0 / tapSum_;
  Clear();
}

void TruePeakOversampler::Clear()
{
  std::fill(std::begin(history_), std::end(history_), 0.0);
  pos_ = 0;
  truePeak = truePeakMax = truePeakPeriodMax = accumulator = 0.0;
}

bool PeakWindowTracker::Init(double windowMs, double sampleRate)
{
  const int length = SampleCount(windowMs, sampleRate);
  ZeroedArray<int64_t> leavesAt = length > 0 ? NewZeroedArray<int64_t>(kBinCount) : nullptr;
  if (!leavesAt)
    return false;
  leavesAt_ = std::move(leavesAt);
  windowLength_ = length;
  frames_ = 0;  // the bins are fresh: nothing to clear
  Clear();
  return true;
}

// The amplitudes above the -144 dB floor are cut into cells by their exponent and leading mantissa
// bits, each with the bin at its start and the first amplitude in it that reaches the next bin: a
// table the build computes from the level itself (tools/make-amplitude-bins.cpp), so that no start
// evaluates thousands of logarithms to find the edges.
int PeakWindowTracker::BinOfAmplitude(double amplitude)
{
  using namespace amplitude_bins;
  const double a = std::fabs(amplitude);
  if (!(a > levels::kAmplitudeFloor))
    return kLowest;
  const uint64_t cell = (std::bit_cast<uint64_t>(a) >> kShift) - kFirstKey;
  if (cell >= kCells)
    return kHighest;
  return kStart[cell] + (a >= kEdge[cell] ? 1 : 0);
}

void PeakWindowTracker::Update(const double* amplitudes, int n)
{
  int newest = newest_;
  int64_t frames = frames_;
  const int64_t window = windowLength_;
  for (int i = 0; i < n; ++i)
  {
    // The previous frame, number frames - 1, stays in the window while fewer than frames + window
    // frames have been registered.
    if (newest >= 0)
      leavesAt_[newest] = frames + window;
    newest = BinOfAmplitude(amplitudes[i]);
    ++frames;
  }
  newest_ = newest;
  frames_ = frames;
}

double PeakWindowTracker::Maximum() const
{
  for (int i = kBinCount - 1; i >= 0; --i)
    if (i == newest_ || leavesAt_[i] > frames_)
      return i / static_cast<double>(kBinCount) * kRange + kLowLimit;
  return level;
}

void PeakWindowTracker::Clear()
{
  if (frames_ > 0)
    std::fill(leavesAt_.get(), leavesAt_.get() + kBinCount, int64_t{0});
  newest_ = -1;
  frames_ = 0;
  level = 0.0;
}

void PeakBallistics::Setup(double sampleRate)
{
  attack = holdAttack = 0.0;                                // a rise is followed at once
  release = holdDecay = std::pow(10.0, -1.0 / sampleRate);  // tenfold closer per second
  holdLength = SampleCount(3000.0, sampleRate);
  holdCounter = 0;
  Clear();
}

void PeakBallistics::Clear()
{
  smoothed = inputMax = holdLevel = holdMax = rawMax = 0.0;
  holdState = 0;
}
