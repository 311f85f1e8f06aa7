// The engine's speech-gated ("Dial") values with a scripted detector, so that the pairing of
// decisions, block powers and short-term powers can be checked exactly.
#include "meter-engine/LoudnessEngine.h"

#include "meter-engine/LevelScales.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace {

// Decides at once, on the block's first sample: positive means speech. Its latency is one block.
const SpeechDetectorCalls kSignDetector = {
  [](uint32_t, uint32_t) -> uint64_t { return 1; },
  [](void*, uint64_t, uint32_t, uint32_t) -> int32_t { return 0; },
  [](void*, const float* samples, uint32_t) -> int32_t { return samples[0] > 0.0f ? 1 : 0; },
};

constexpr int32_t kDial = 3;
constexpr uint32_t kSum = 0;

double PowerOf(double lufs)
{
  return std::pow(10.0, (lufs + levels::kLoudnessOffset) / 10.0);
}

struct Stretch
{
  double seconds;
  double lufs;
  bool speech;
};

// One channel, ML 400 ms, SL 3 s, Sum mode.
class DialEngine
{
public:
  explicit DialEngine(double rate = 48000.0, const SpeechDetectorCalls& detector = kSignDetector)
  : engine_(std::make_unique<LoudnessEngine>()), rate_(rate)
  {
    engine_->dialogueGate.UseDetector(detector);
    EXPECT_TRUE(engine_->Setup(kDial, kSum, rate, 3000.0, 400.0));
  }

  // A constant signal of the stretch's power; the speech sample tells the detector its answer.
  // The frames go in as the measurement loop hands them over, as many as FramesToHop() allows.
  void Run(const std::vector<Stretch>& stretches)
  {
    const ChannelConfig& mono = ChannelConfigTable[0];
    constexpr int kMostFrames = 64;
    double y[kMostFrames][kMeterChannels] = {};
    double speech[kMostFrames];
    for (const Stretch& s : stretches)
    {
      for (auto& frame : y)
        frame[0] = std::sqrt(PowerOf(s.lufs));
      std::fill(std::begin(speech), std::end(speech), s.speech ? 1.0 : -1.0);
      const auto frames = static_cast<int64_t>(s.seconds * rate_);
      for (int64_t i = 0; i < frames;)
      {
        const int run = static_cast<int>(std::min<int64_t>({frames - i, engine_->FramesToHop(), kMostFrames}));
        engine_->ProcessPeaks(mono.enabled, 0, y, run);
        engine_->Process(mono, false, true, false, y, speech, run);
        i += run;
      }
    }
  }

  LoudnessEngine& operator*() { return *engine_; }
  LoudnessEngine* operator->() { return engine_.get(); }

private:
  std::unique_ptr<LoudnessEngine> engine_;
  double rate_;
};

TEST(DialogueEngine, PairsEachDecisionWithTheMomentaryPowerOneBlockEarlier)
{
  const std::vector<Stretch> programme = {{5.0, -20.0, true}, {5.0, -30.0, false}, {5.0, -26.0, true}};
  DialEngine e;
  e.Run(programme);
  const DialogueGate& gate = e->dialogueGate;
  ASSERT_EQ(gate.LatencyBlocks(), 1u);

  // Model: the momentary power at the end of block k is the mean of the last four block powers
  // (the 400 ms window divides by its full length from the start); block k's decision pairs
  // with the power at the end of block k - 1.
  std::vector<double> blockPower, speech;
  for (const Stretch& s : programme)
    for (int b = 0; b < 50; ++b)
    {
      blockPower.push_back(PowerOf(s.lufs));
      speech.push_back(s.speech);
    }
  double sum = 0.0;
  uint32_t speechBlocks = 0;
  for (size_t k = 1; k < blockPower.size(); ++k)
  {
    if (!speech[k])
      continue;
    double momentary = 0.0;
    for (size_t j = k >= 4 ? k - 4 : 0; j < k; ++j)
      momentary += blockPower[j] / 4.0;
    sum += momentary;
    ++speechBlocks;
  }
  EXPECT_EQ(gate.BlockCount(), 150u);
  EXPECT_EQ(gate.SpeechBlockCount(), speechBlocks);
  EXPECT_EQ(speechBlocks, 99u);
  EXPECT_NEAR(gate.MeanSpeechPower() / (sum / speechBlocks), 1.0, 1e-9);
  EXPECT_EQ(e->dialoguePresent, 1);

  // PLR follows the dialogue loudness in this mode.
  const double dialogue = levels::RoundToTenth(levels::Loudness(gate.MeanSpeechPower()));
  EXPECT_DOUBLE_EQ(e->plr, levels::RoundToTenth(levels::AmplitudeLevel(e->samplePeakMax)) - dialogue);
}

TEST(DialogueEngine, SpeechRangeTakesOnlySpeechBlocksWithFullWindows)
{
  DialEngine e;
  e.Run({{20.0, -20.0, true}, {20.0, -30.0, true}, {20.0, -10.0, false}});
  EXPECT_NEAR(e->speechHistogram.range, 10.0, 1.0);
  EXPECT_NEAR(e->mainHistogram.range, 20.0, 1.0);
  EXPECT_EQ(e->dialoguePresent, 0);

  // Steady speech has no range: the short-term values of the first 3 s, whose window is not yet
  // full, stay out of the speech histogram as they do out of the main one.
  DialEngine steady;
  steady.Run({{10.0, -20.0, true}});
  EXPECT_EQ(steady->speechHistogram.range, 0.0);
  EXPECT_EQ(steady->mainHistogram.range, 0.0);
}

TEST(DialogueEngine, ResetEngineMeasuresLikeANewOne)
{
  const std::vector<Stretch> programme = {{4.0, -20.0, true}, {1.0, -40.0, false}, {4.0, -25.0, true}};
  DialEngine fresh;
  fresh.Run(programme);

  DialEngine reused;
  reused.Run({{6.0, -15.0, true}});
  reused->Reset();
  reused.Run(programme);
  EXPECT_EQ(reused->dialogueGate.BlockCount(), fresh->dialogueGate.BlockCount());
  EXPECT_EQ(reused->dialogueGate.SpeechBlockCount(), fresh->dialogueGate.SpeechBlockCount());
  EXPECT_EQ(reused->dialogueGate.MeanSpeechPower(), fresh->dialogueGate.MeanSpeechPower());
  EXPECT_EQ(reused->speechHistogram.range, fresh->speechHistogram.range);
  EXPECT_EQ(reused->speechHistogram.low, fresh->speechHistogram.low);
  EXPECT_EQ(reused->plr, fresh->plr);
}

TEST(DialogueEngine, NinetySixKilohertzDisablesTheGate)
{
  DialEngine e(96000.0, kSpeechDetector);
  e.Run({{5.0, -20.0, true}});
  EXPECT_FALSE(e->dialogueGate.IsEnabled());
  EXPECT_EQ(e->dialogueGate.BlockCount(), 0u);
  EXPECT_EQ(e->dialogueGate.SpeechBlockCount(), 0u);
  EXPECT_EQ(e->dialoguePresent, 0);
  EXPECT_EQ(e->speechHistogram.range, -144.0);
  EXPECT_TRUE(e->integratedGate.HasBlocks());  // the programme gate still measures
}

}  // namespace
