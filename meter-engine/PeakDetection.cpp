#include "meter-engine/PeakDetection.h"

#include <new>

#include "meter-engine/SampleCount.h"

namespace {

constexpr std::array<double, 12> kPhase0 = {
    0.0017089843750, 0.0109863281250, -0.0196533203125, 0.0332031250000, -0.0594482421875, 0.1373291015625,
    0.9721679687500, -0.1022949218750, 0.0476074218750, -0.0266113281250, 0.0148925781250, -0.0083007812500};
constexpr std::array<double, 12> kPhase1 = {
    -0.0291748046875, 0.0292968750000, -0.0517578125000, 0.0891113281250, -0.1665039062500, 0.4650878906250,
    0.7797851562500, -0.2003173828125, 0.1015625000000, -0.0582275390625, 0.0330810546875, -0.0189208984375};

// Phases 2 and 3 are phases 1 and 0 reversed.
constexpr std::array<double, 48> MakeTable4x()
{
  std::array<double, 48> t{};
  for (int i = 0; i < 12; ++i) {
    t[0 + 4 * i] = kPhase0[i];
    t[1 + 4 * i] = kPhase1[i];
    t[2 + 4 * i] = kPhase1[11 - i];
    t[3 + 4 * i] = kPhase0[11 - i];
  }
  return t;
}

constexpr std::array<double, 24> kHalf2x = {
    -0.012421945913447892, -0.024823832091983064, 0.019434940547226703, 0.014052821368491314,
    -0.018333256940687492, -0.022660521518825905, 0.02611513759705972,  0.0296900702193718,
    -0.03435201828784526,  -0.03925865005387791,  0.045167818431985335, 0.05151163332103437,
    -0.05926649498744107,  -0.06787615144145479,  0.07859318044406559,  0.0910219580947544,
    -0.10695736031990728,  -0.12683668373336432,  0.1539508183818843,   0.19181534789583438,
    -0.25100243289004,     -0.35544951153620047,  0.5975877215058337,   1.7995978372665244};

constexpr std::array<double, 48> MakeTable2x()
{
  std::array<double, 48> t{};
  for (int n = 0; n < 24; ++n) t[n] = t[47 - n] = kHalf2x[n];
  return t;
}

constexpr double kLowLimit = -145.0;
constexpr double kHighLimit = 145.0;
constexpr double kRange = 290.0;

}  // namespace

const std::array<double, 48> TruePeakOversampler::TruePeakTable4x = MakeTable4x();
const std::array<double, 48> TruePeakOversampler::TruePeakTable2x = MakeTable2x();

void TruePeakOversampler::Prepare(double sampleRate)
{
  // The rate truncated to whole hertz; a rate that is not a number is taken as 0.
  const double rate = std::isnan(sampleRate) ? 0.0 : std::trunc(sampleRate);
  factor_ = rate <= 48000.0 ? 4 : rate <= 96000.0 ? 2 : 1;
  factorAsDouble_ = factor_;
  if (factor_ == 1) {
    coefficients_[0] = 1.0;
    tapSum_ = 1.0;
  } else {
    const auto& table = factor_ == 4 ? TruePeakTable4x : TruePeakTable2x;
    for (int p = 0; p < factor_; ++p)
      for (int i = 0; i < kTaps / factor_; ++i)
        coefficients_[i * factor_ + p] = table[kTaps - 1 - p - factor_ * i];
    tapSum_ = 0.0;
    for (double t : table) tapSum_ += t;
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
  if (length == 0) return false;
  std::unique_ptr<int32_t[]> ring(new (std::nothrow) int32_t[length]);
  if (!ring) return false;
  ring_ = std::move(ring);
  ringLength_ = length;
  Clear();
  return true;
}

int PeakWindowTracker::BinOf(double levelDb)
{
  const double c = levelDb < kLowLimit + 1.0 ? kLowLimit + 1.0 : std::min(kHighLimit - 1.0, levelDb);
  return static_cast<int>((c - kLowLimit) / kRange * kBinCount);
}

void PeakWindowTracker::Update(double levelDb)
{
  if (full_) {
    // The frame leaving the window frees its bin unless a later frame has claimed it.
    const int leaving = ring_[position_];
    if (bins_[leaving] == position_) bins_[leaving] = -1;
  }
  const int bin = BinOf(levelDb);
  bins_[bin] = position_;
  ring_[position_] = bin;
  if (++position_ == ringLength_) {
    position_ = 0;
    full_ = true;
  }
}

double PeakWindowTracker::Maximum() const
{
  for (int i = kBinCount - 1; i >= 0; --i)
    if (bins_[i] != -1) return i / static_cast<double>(kBinCount) * kRange + kLowLimit;
  return level;
}

void PeakWindowTracker::Clear()
{
  bins_.fill(-1);
  std::fill(ring_.get(), ring_.get() + ringLength_, BinOf(0.0));
  level = 0.0;
  full_ = false;
  position_ = 0;
}

void PeakBallistics::Setup(double sampleRate)
{
  attack = holdAttack = 0.0;  // a rise is followed at once
  release = holdDecay = std::pow(10.0, -1.0 / sampleRate);  // tenfold closer per second
  holdLength = SampleCount(3000.0, sampleRate);
  holdCounter = 0;
  Clear();
}

void PeakBallistics::Process(double v)
{
  rawMax = std::max(rawMax, v);
  const double a = std::abs(v);
  inputMax = std::max(inputMax, a);
  smoothed = (smoothed - a) * (a > smoothed ? attack : release) + a;
  holdMax = std::max(holdMax, a);
  if (a > holdLevel) {
    holdLevel = (holdLevel - a) * holdAttack + a;
    holdCounter = 0;
    holdState = 1;
  } else {
    if (holdState == 1) {
      if (holdCounter >= static_cast<uint32_t>(holdLength)) holdState = 4;
      ++holdCounter;
    }
    if (holdState == 4) holdLevel = (holdLevel - a) * holdDecay + a;
  }
  if (holdLevel < 1e-8) holdLevel = 0.0;
}

void PeakBallistics::Clear()
{
  smoothed = inputMax = holdLevel = holdMax = rawMax = 0.0;
  holdState = 0;
}
