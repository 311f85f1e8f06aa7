#include "meter-engine/PeakDetection.h"

#include <bit>

#include "meter-engine/LevelScales.h"
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
constexpr double kRange = kHighLimit - kLowLimit;

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

int PeakWindowTracker::BinOf(double levelDb)
{
  const double c = levelDb < kLowLimit + 1.0 ? kLowLimit + 1.0 : std::min(kHighLimit - 1.0, levelDb);
  return static_cast<int>((c - kLowLimit) / kRange * kBinCount);
}

// The amplitudes above the -144 dB floor, cut into cells by their exponent and leading mantissa
// bits: 128 cells per octave, narrower than a 0.1 dB bin (a ratio of 1.0116), so that no cell
// holds more than one bin edge. Each cell keeps the bin at its start and the first amplitude in
// it that reaches the next bin, both found once by evaluating the level itself.
class AmplitudeBins {
public:
  static const AmplitudeBins& Get()
  {
    static const AmplitudeBins table;
    return table;
  }

  int Of(double amplitude) const
  {
    const double a = std::fabs(amplitude);
    if (!(a > levels::kAmplitudeFloor)) return lowest_;
    const uint64_t cell = (std::bit_cast<uint64_t>(a) >> kShift) - kFirstKey;
    if (cell >= kCells) return highest_;
    return start_[cell] + (a >= edge_[cell] ? 1 : 0);
  }

private:
  static constexpr int kShift = 45;  // 52 mantissa bits less the 7 that pick the cell
  static constexpr uint64_t kFirstKey = std::bit_cast<uint64_t>(levels::kAmplitudeFloor) >> kShift;
  // Up to the octave of 2^24, above the +144 dB clamp (1.58e7).
  static constexpr uint64_t kCells = (std::bit_cast<uint64_t>(0x1p25) >> kShift) - kFirstKey;

  static int Exact(double a) { return PeakWindowTracker::BinOf(levels::AmplitudeLevel(a)); }
  static double At(uint64_t bits) { return std::bit_cast<double>(bits); }

  AmplitudeBins()
  {
    lowest_ = Exact(0.0);
    highest_ = Exact(HUGE_VAL);
    for (uint64_t cell = 0; cell < kCells; ++cell) {
      // The cell's amplitudes as bit patterns [lo, hi); the first cell starts above the floor.
      uint64_t lo = std::max((kFirstKey + cell) << kShift, std::bit_cast<uint64_t>(levels::kAmplitudeFloor) + 1);
      uint64_t hi = (kFirstKey + cell + 1) << kShift;
      start_[cell] = static_cast<int16_t>(Exact(At(lo)));
      edge_[cell] = HUGE_VAL;
      if (Exact(At(hi - 1)) == start_[cell]) continue;
      // The level rises with the amplitude: the edge is the first amplitude of a raised bin. The
      // amplitude of the edge's level lies within a few steps of it, so the search starts from a
      // narrow bracket round that guess and widens to the cell only when the guess misses.
      const double edgeLevel = (start_[cell] + 1) * (kRange / PeakWindowTracker::kBinCount) + kLowLimit;
      const uint64_t guess = std::bit_cast<uint64_t>(levels::DbToAmplitude(edgeLevel));
      constexpr uint64_t kBracket = 64;
      const uint64_t nearLo = std::clamp(guess - kBracket, lo, hi), nearHi = std::clamp(guess + kBracket, lo, hi);
      if (Exact(At(nearLo)) == start_[cell] && Exact(At(nearHi)) != start_[cell]) {
        lo = nearLo;
        hi = nearHi;
      }
      while (hi - lo > 1) {
        const uint64_t mid = lo + (hi - lo) / 2;
        (Exact(At(mid)) == start_[cell] ? lo : hi) = mid;
      }
      edge_[cell] = At(hi);
    }
  }

  int lowest_ = 0, highest_ = 0;
  std::array<double, kCells> edge_;
  std::array<int16_t, kCells> start_;
};

bool PeakWindowTracker::Init(double windowMs, double sampleRate)
{
  const int length = SampleCount(windowMs, sampleRate);
  if (length == 0) return false;
  amplitudeBins_ = &AmplitudeBins::Get();  // built here, off the audio thread
  windowLength_ = length;
  Clear();
  return true;
}

int PeakWindowTracker::BinOfAmplitude(double amplitude) { return AmplitudeBins::Get().Of(amplitude); }

void PeakWindowTracker::Update(const double* amplitudes, int n)
{
  int newest = newest_;
  int64_t frames = frames_;
  for (int i = 0; i < n; ++i) {
    if (newest >= 0) lastFrame_[newest] = frames - 1;
    newest = amplitudeBins_->Of(amplitudes[i]);
    ++frames;
  }
  newest_ = newest;
  frames_ = frames;
}

double PeakWindowTracker::Maximum() const
{
  const int64_t oldest = frames_ - windowLength_;
  for (int i = kBinCount - 1; i >= 0; --i)
    if (i == newest_ || lastFrame_[i] >= oldest) return i / static_cast<double>(kBinCount) * kRange + kLowLimit;
  return level;
}

void PeakWindowTracker::Clear()
{
  lastFrame_.fill(kNever);
  newest_ = -1;
  frames_ = 0;
  level = 0.0;
}

void PeakBallistics::Setup(double sampleRate)
{
  attack = holdAttack = 0.0;  // a rise is followed at once
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
