#include "meter-engine/LoudnessEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "meter-engine/LevelScales.h"
#include "meter-engine/WeightingFilter.h"
#include "tests/meter-engine/TestSignals.h"

namespace {

constexpr double kNoSpeech = 0.0;  // the speech detector's input, read in "Dial" only

// The measurement chain of the EBU preset (K weighting, G10, ML 400 ms, SL 3000 ms, true peak)
// fed with a 1 kHz sine on both channels of a stereo configuration. Readings follow the
// display convention: loudness values are shown 0.691 above the internal LUFS.
class Meter
{
public:
  explicit Meter(double fs, int32_t gate = 2, uint32_t mode = 0) : fs_(fs)
  {
    EXPECT_TRUE(engine.Setup(gate, mode, fs, 3000.0, 400.0));
    for (auto& f : filters_)
      f.Design(1, 0, 0, fs, 300.0, 16000.0);
    // One exact period of 1 kHz: fs / gcd(fs, 1000) samples.
    const long rate = static_cast<long>(fs);
    sine_.resize(rate / std::gcd(rate, 1000L));
    for (size_t n = 0; n < sine_.size(); ++n)
      sine_[n] = SineSample(1.0, 1000.0, fs, static_cast<long>(n));
  }

  void Play(double dbfs, double seconds, const ChannelConfig& config = ChannelConfigTable[0])
  {
    const double amplitude = dbfs <= -144.0 ? 0.0 : DbToLinear(dbfs);
    const long frames = std::lround(seconds * fs_);
    for (long i = 0; i < frames; ++i, ++n_)
    {
      double x[10] = {}, y[10] = {};
      x[0] = x[1] = amplitude * sine_[n_ % sine_.size()];
      engine.ProcessPeaks(config.enabled, peakMode, &x, 1);
      for (int k = 0; k < 2; ++k)
        y[k] = filters_[k].Process(x[k]);
      engine.Process(config, peakMode == 1, true, false, &y, &kNoSpeech, 1);
    }
  }

  // A new measurement from a clean chain: the engine reset, the filters still, the sine at 0.
  void Restart()
  {
    engine.Reset();
    for (auto& f : filters_)
      f.ClearState();
    n_ = 0;
  }

  double M() const { return levels::PowerLevel(engine.momentary.mean); }
  double S() const { return levels::PowerLevel(engine.shortTerm.mean); }
  double I() const { return engine.integratedGate.integrated + levels::kLoudnessOffset; }
  double Lra() const { return engine.mainHistogram.range; }

  LoudnessEngine engine;
  int32_t peakMode = 1;  // true peak, as in the preset; sample peaks where only loudness matters

private:
  double fs_;
  WeightingFilter filters_[2];
  std::vector<double> sine_;
  long n_ = 0;
};

struct Segment
{
  double dbfs, seconds;
};

void PlayAll(Meter& m, std::initializer_list<Segment> segments)
{
  m.peakMode = 0;
  for (Segment s : segments)
    m.Play(s.dbfs, s.seconds);
}

TEST(LoudnessEngineStandards, SteadySinesReadTheirLevel)
{
  for (double level : {-23.0, -33.0})
  {
    Meter m(48000.0);
    m.Play(level, 20.0);
    EXPECT_NEAR(m.M(), level, 0.1);
    EXPECT_NEAR(m.S(), level, 0.1);
    EXPECT_NEAR(m.I(), level, 0.1);
    // A sine's peak equals its loudness: PLR and PSR read 0 as shown (the true peak of a low
    // frequency reads about 0.1 dB high through the interpolator's normalisation).
    EXPECT_NEAR(m.engine.plr - levels::kLoudnessOffset, 0.1, 0.1);
    EXPECT_NEAR(m.engine.psr, 0.0, 0.1);
  }
}

// The windowed peak behind PSR is smoothed once per hop, whatever the rate: five seconds of a
// steady tone read a PSR of about 0 at every rate and in both peak modes (it read -0.8 at 96 kHz
// and -3.1 at 192 kHz when the smoothing followed the rate). What is left between the rates is
// the windowed peak's 0.1 dB bins and the interpolator's 0.1 dB at factor 4.
TEST(LoudnessEngineStandards, PsrOfASteadyToneIsTheSameAtEveryRate)
{
  for (int32_t peakMode : {0, 1})
  {
    for (double fs : {44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0})
    {
      Meter m(fs);
      m.peakMode = peakMode;
      m.Play(-20.0, 5.0);
      EXPECT_NEAR(m.engine.psr, -0.1, 0.11) << fs << " Hz, peak mode " << peakMode;
    }
  }
}

TEST(LoudnessEngineStandards, GatingIgnoresQuietPassages)
{
  Meter a(48000.0);
  PlayAll(a, {{-36, 10}, {-23, 60}, {-36, 10}});
  EXPECT_NEAR(a.I(), -23.0, 0.1);
  Meter b(48000.0);
  PlayAll(b, {{-72, 10}, {-36, 10}, {-23, 60}, {-36, 10}, {-72, 10}});
  EXPECT_NEAR(b.I(), -23.0, 0.1);
  Meter c(48000.0);
  PlayAll(c, {{-26, 20}, {-20, 20.1}, {-26, 20}});
  EXPECT_NEAR(c.I(), -23.0, 0.1);
}

TEST(LoudnessEngineStandards, LoudnessRange)
{
  struct Case
  {
    std::initializer_list<Segment> segments;
    double range;
  };
  const Case cases[] = {
    {{{-20, 20}, {-30, 20}}, 10.0},
    {{{-20, 20}, {-15, 20}}, 5.0},
    {{{-40, 20}, {-20, 20}}, 20.0},
    {{{-50, 20}, {-35, 20}, {-20, 20}, {-35, 20}, {-50, 20}}, 15.0},
  };
  for (const Case& c : cases)
  {
    Meter m(48000.0);
    PlayAll(m, c.segments);
    EXPECT_NEAR(m.Lra(), c.range, 1.0);
  }
}

TEST(LoudnessEngineStandards, OtherRatesAgreeWith48k)
{
  Meter reference(48000.0);
  reference.Play(-23.0, 10.0);
  for (double fs : {44100.0, 96000.0, 32000.0})
  {
    Meter m(fs);
    m.Play(-23.0, 10.0);
    EXPECT_NEAR(m.I(), reference.I(), 0.1) << fs;
    EXPECT_NEAR(m.M(), reference.M(), 0.1) << fs;
    EXPECT_NEAR(m.S(), reference.S(), 0.1) << fs;
  }
}

TEST(LoudnessEngine, NoEnabledChannelReadsSilenceInEveryMode)
{
  const ChannelConfig none{"none", 0, {}};
  for (uint32_t mode : {0u, 1u, 2u})
  {
    for (int32_t gate : {0, 2})
    {
      Meter m(48000.0, gate, mode);
      m.Play(-10.0, 4.0, none);
      EXPECT_EQ(m.M(), -144.0);
      EXPECT_EQ(m.S(), -144.0);
      EXPECT_EQ(m.engine.integratedGate.integrated, -144.0);
      EXPECT_EQ(m.engine.mainHistogram.range, -144.0);
      EXPECT_EQ(m.engine.samplePeakMax, 0.0);
    }
  }
}

// The engine runs the interpolators, the windowed peak and the meters in loops of its own (built
// for wider vectors where the processor has them, the meters side by side in vector lanes once
// there are more than two) over runs of frames; after every run it must hold exactly what the
// blocks hold when they are fed frame by frame, with idle channels keeping their last true peak in
// the frame maximum. Runs of 1 to 150 frames cross the engine's passes; each case switches from
// one channel set to another while a channel that then goes idle is loud, then falls silent for
// 15 s, in both peak modes. At 1 kHz the meters' holds run out and decay to nothing within that.
TEST(LoudnessEngine, PeakStageMatchesItsBlocksExactly)
{
  struct Case
  {
    int first, then;
    double fs;
    int32_t peakMode;
  };
  const Case cases[] = {{6, 2, 48000.0, 1},  {6, 2, 96000.0, 1}, {11, 0, 48000.0, 1}, {4, 9, 44100.0, 1},
                        {11, 2, 48000.0, 0}, {0, 5, 48000.0, 0}, {0, 11, 1000.0, 1},  {1, 5, 1000.0, 0}};
  for (const Case& c : cases)
  {
    LoudnessEngine e;
    ASSERT_TRUE(e.Setup(2, 0, c.fs, 100.0, 400.0));
    TruePeakOversampler tp[10];
    PeakBallistics meters[10];
    PeakWindowTracker window;
    ASSERT_TRUE(window.Init(100.0, c.fs));
    for (int k = 0; k < 10; ++k)
    {
      tp[k].Prepare(c.fs);
      meters[k].Setup(c.fs);
    }
    std::mt19937 rng(9);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    std::uniform_int_distribution<int> runLength(1, 150);
    std::vector<double> frames;
    for (int n = 0; n < 30000;)
    {
      const ChannelConfig& config = ChannelConfigTable[n < 13000 ? c.first : c.then];
      const int run = runLength(rng);
      frames.resize(run * 10);
      for (int i = 0; i < run; ++i, ++n)
      {
        double* x = &frames[i * 10];
        const double level = n >= 14000 && n < 29000 ? 0.0 : n % 4000 < 2000 ? 1.0 : 1e-4;
        for (int k = 0; k < 10; ++k)
          x[k] = noise(rng) * (k == 3 ? 2.0 : 0.1 * (k + 1)) * level;
        double framePeak = 0.0;
        for (int k = 0; k < 10; ++k)
        {
          if (c.peakMode == 0)
          {
            if (config.enabled[k])
            {
              meters[k].Process(std::abs(x[k]));
              framePeak = std::max(framePeak, std::abs(x[k]));
            }
          }
          else
          {
            if (config.enabled[k])
              meters[k].Process(tp[k].Process(x[k]));
            framePeak = std::max(framePeak, tp[k].truePeak);
          }
        }
        window.Update(framePeak);
      }
      e.ProcessPeaks(config.enabled, c.peakMode, reinterpret_cast<const double(*)[10]>(frames.data()), run);
      const std::string where = "case " + std::to_string(&c - cases) + " frame " + std::to_string(n);
      for (int k = 0; k < 10; ++k)
      {
        ASSERT_EQ(e.oversamplers[k].truePeak, tp[k].truePeak) << where << " channel " << k;
        ASSERT_EQ(e.oversamplers[k].truePeakMax, tp[k].truePeakMax) << where << " channel " << k;
        const PeakBallistics& got = e.ballistics[k];
        const PeakBallistics& want = meters[k];
        ASSERT_EQ(got.smoothed, want.smoothed) << where << " channel " << k;
        ASSERT_EQ(got.holdLevel, want.holdLevel) << where << " channel " << k;
        ASSERT_EQ(got.holdCounter, want.holdCounter) << where << " channel " << k;
        ASSERT_EQ(got.holdState, want.holdState) << where << " channel " << k;
        ASSERT_EQ(got.inputMax, want.inputMax) << where << " channel " << k;
        ASSERT_EQ(got.holdMax, want.holdMax) << where << " channel " << k;
        ASSERT_EQ(got.rawMax, want.rawMax) << where << " channel " << k;
      }
      ASSERT_EQ(e.peakTracker.Maximum(), window.Maximum()) << where;
    }
  }
}

// AES17 counts a sine twice as loud as Avg; Sum adds the channels.
TEST(LoudnessEngine, MeasurementModesScaleThePower)
{
  auto momentary = [](uint32_t mode) {
    LoudnessEngine e;
    EXPECT_TRUE(e.Setup(2, mode, 48000.0, 3000.0, 400.0));
    for (long i = 0; i < 48000; ++i)
    {
      const double y[10] = {SineSample(0.5, 1000.0, 48000.0, i), 0.0};
      e.Process(ChannelConfigTable[0], false, true, false, &y, &kNoSpeech, 1);
    }
    return levels::PowerLevel(e.momentary.mean);
  };
  const double sum = momentary(0), aes17 = momentary(1), avg = momentary(2);
  EXPECT_NEAR(sum - avg, 10 * std::log10(2.0), 1e-9);
  EXPECT_NEAR(aes17 - avg, 10 * std::log10(2.0), 1e-9);
}

// Gate Off takes every block, silence included: the integrated loudness is the loudness of
// the mean power. G10 keeps the silent blocks out.
TEST(LoudnessEngine, GateOffAcceptsSilence)
{
  Meter off(48000.0, 0), g10(48000.0, 2);
  for (Meter* m : {&off, &g10})
  {
    m->Play(-144.0, 1.0);
    m->Play(-20.0, 10.0);
    m->Play(-144.0, 10.0);
  }
  EXPECT_NEAR(off.I(), -20.0 + 10.0 * std::log10(100.0 / 210.0), 0.1);  // 100 of 210 blocks loud
  EXPECT_NEAR(g10.I(), -20.0, 0.2);  // the partial blocks at the edges stay inside the gate
  EXPECT_EQ(off.engine.integratedGate.writeIndex, 210u);
}

// Hops tick every 4800 samples from the first one, whether or not a window is full; the 3 s
// window feeds the range first on the tick of the sample that fills it.
TEST(LoudnessEngine, HopTicksAndFirstRangeEntry)
{
  LoudnessEngine e;
  ASSERT_TRUE(e.Setup(2, 0, 48000.0, 3000.0, 400.0));
  const double y[10] = {0.1, 0.1};
  for (long i = 1; i <= 144000; ++i)
  {
    e.Process(ChannelConfigTable[0], false, true, false, &y, &kNoSpeech, 1);
    ASSERT_EQ(e.momentary.hopTick, i % 4800 == 0) << i;
    ASSERT_EQ(e.mainHistogram.HasEntries(), i == 144000) << i;
  }
}

// Frames handed over in runs up to each hop's end give every figure bit for bit as frames handed
// over one at a time: the window means and maxima, the gate, the range, PLR, PSR and the peaks.
TEST(LoudnessEngine, RunsOfFramesMatchSingleFrames)
{
  for (int32_t gate : {0, 2, 3})
  {
    LoudnessEngine single, runs;
    ASSERT_TRUE(single.Setup(gate, 1, 44100.0, 700.0, 130.0));
    ASSERT_TRUE(runs.Setup(gate, 1, 44100.0, 700.0, 130.0));
    const ChannelList stereo(ChannelConfigTable[0]);
    std::vector<double> speech(44100 * 3);
    std::vector<std::array<double, kMeterChannels>> x(speech.size()), y(speech.size());
    for (size_t i = 0; i < speech.size(); ++i)
    {
      const double level = (i / 9000) % 3 == 1 ? 0.0 : 0.4 / double(1 + (i / 9000) % 4);
      x[i] = {SineSample(level, 440.0, 44100.0, long(i)), SineSample(level * 0.5, 3000.0, 44100.0, long(i))};
      y[i] = {x[i][0] * 0.9, x[i][1] * 1.1};
      speech[i] = x[i][0];
    }
    auto frames = [](const std::vector<std::array<double, kMeterChannels>>& v, size_t i) {
      return reinterpret_cast<const double(*)[kMeterChannels]>(v[i].data());
    };
    for (size_t i = 0; i < speech.size(); ++i)
    {
      single.ProcessPeaks(ChannelConfigTable[0].enabled, 1, frames(x, i), 1);
      single.Process(stereo, true, true, false, frames(y, i), &speech[i], 1);
    }
    // Both stages take the frames up to each hop's end together, as the measurement loop does.
    for (size_t i = 0; i < speech.size();)
    {
      const size_t run = std::min(speech.size() - i, size_t(runs.FramesToHop()));
      runs.ProcessPeaks(ChannelConfigTable[0].enabled, 1, frames(x, i), int(run));
      runs.Process(stereo, true, true, false, frames(y, i), &speech[i], int(run));
      i += run;
    }
    for (SlidingPowerWindow LoudnessEngine::*w : {&LoudnessEngine::momentary, &LoudnessEngine::shortTerm})
    {
      EXPECT_EQ((runs.*w).mean, (single.*w).mean) << gate;
      EXPECT_EQ((runs.*w).maximum, (single.*w).maximum) << gate;
      EXPECT_EQ((runs.*w).sum, (single.*w).sum) << gate;
    }
    EXPECT_EQ(runs.integratedGate.integrated, single.integratedGate.integrated) << gate;
    EXPECT_EQ(runs.mainHistogram.range, single.mainHistogram.range) << gate;
    EXPECT_EQ(runs.plr, single.plr) << gate;
    EXPECT_EQ(runs.psr, single.psr) << gate;
    EXPECT_EQ(runs.psrMin, single.psrMin) << gate;
    EXPECT_EQ(runs.TruePeakMax(), single.TruePeakMax()) << gate;
    EXPECT_GT(single.momentary.maximum, single.momentary.mean) << gate;
  }
}

// Leq(M) smooths only the blocks of the integrated loudness: the momentary reading is the same,
// and after a drop the slower decay keeps the integrated loudness higher.
TEST(LoudnessEngine, LeqMSmoothsOnlyTheIntegratedBlocks)
{
  LoudnessEngine plain, smoothed;
  ASSERT_TRUE(plain.Setup(0, 0, 48000.0, 3000.0, 400.0));
  ASSERT_TRUE(smoothed.Setup(0, 0, 48000.0, 3000.0, 400.0));
  for (long i = 0; i < 96000; ++i)
  {
    const double y[10] = {i < 48000 ? 0.5 : 0.005};
    plain.Process(ChannelConfigTable[1], false, true, false, &y, &kNoSpeech, 1);
    smoothed.Process(ChannelConfigTable[1], false, true, true, &y, &kNoSpeech, 1);
    ASSERT_EQ(plain.momentary.mean, smoothed.momentary.mean);
  }
  EXPECT_GT(smoothed.integratedGate.integrated, plain.integratedGate.integrated + 0.1);
}

// Below -141 LUFS of integrated loudness the PLR is 0, whatever the peak.
TEST(LoudnessEngine, NoPlrWithoutLoudness)
{
  LoudnessEngine e;
  ASSERT_TRUE(e.Setup(0, 0, 48000.0, 3000.0, 400.0));
  for (long i = 0; i < 48000; ++i)
  {
    const double x[10] = {i == 100 ? 1.0 : 0.0};
    const double silence[10] = {};
    e.ProcessPeaks(ChannelConfigTable[1].enabled, 0, &x, 1);
    e.Process(ChannelConfigTable[1], false, true, false, &silence, &kNoSpeech, 1);
  }
  EXPECT_EQ(e.samplePeakMax, 1.0);
  EXPECT_EQ(e.plr, 0.0);
}

TEST(LoudnessEngine, SetupKeepsTheRunningEngineWhenItFails)
{
  // An engine whose first set-up failed ignores frames instead of touching missing buffers.
  LoudnessEngine never;
  EXPECT_FALSE(never.Setup(2, 0, 5.0, 3000.0, 400.0));
  const double x[10] = {0.5, 0.5};
  never.ProcessPeaks(ChannelConfigTable[0].enabled, 1, &x, 1);
  never.Process(ChannelConfigTable[0], true, true, false, &x, &kNoSpeech, 1);
  EXPECT_FALSE(never.IsSetUp());
  EXPECT_EQ(never.samplePeakMax, 0.0);

  Meter m(48000.0);
  m.Play(-23.0, 5.0);
  const double before = m.I();
  for (double badRate : {5.0, 0.0, -48000.0, std::nan(""), 1e12})
    EXPECT_FALSE(m.engine.Setup(2, 0, badRate, 60000.0, 60000.0)) << badRate;
  EXPECT_EQ(m.I(), before);
  EXPECT_EQ(m.engine.momentary.length, 19200);
  m.Play(-23.0, 1.0);
  EXPECT_NEAR(m.I(), -23.0, 0.1);

  ASSERT_TRUE(m.engine.Setup(2, 0, 44100.0, 5.0, 5.0));  // windows below 10 ms are clamped
  EXPECT_EQ(m.engine.momentary.length, 441);
  EXPECT_EQ(m.engine.momentary.hopLength, 4410);
  EXPECT_EQ(m.engine.hopBuffer.count, 4410);
  EXPECT_EQ(m.engine.integratedGate.integrated, -144.0);
}

TEST(LoudnessEngine, ResetClearsTheMeasurement)
{
  Meter m(48000.0);
  m.Play(-20.0, 5.0);
  ASSERT_GT(m.engine.samplePeakMax, 0.0);
  m.engine.Reset();
  EXPECT_EQ(m.M(), -144.0);
  EXPECT_EQ(m.engine.integratedGate.integrated, -144.0);
  EXPECT_EQ(m.engine.mainHistogram.range, -144.0);
  EXPECT_EQ(m.engine.plr, -144.0);
  EXPECT_EQ(m.engine.psr, 0.0);
  EXPECT_EQ(m.engine.TruePeakMax(), 0.0);
  EXPECT_EQ(m.engine.samplePeakMax, 0.0);
  EXPECT_EQ(m.engine.momentary.maximum, 0.0);
}

// A reset empties only what the measurement used of the gate's bins, the range histogram and the
// peak tracker. A measurement after one must read exactly as on an engine that never measured.
TEST(LoudnessEngine, AfterAResetEveryFigureIsAsOnAFreshEngine)
{
  const auto play = [](Meter& m, std::initializer_list<Segment> segments) {
    for (Segment s : segments)
      m.Play(s.dbfs, s.seconds);
  };
  Meter used(48000.0), fresh(48000.0);
  play(used, {{-6.0, 4.0}, {-45.0, 4.0}, {-25.0, 4.0}, {-60.0, 2.0}});
  used.Restart();
  for (Meter* m : {&used, &fresh})
    play(*m, {{-30.0, 4.0}, {-18.0, 3.5}});
  EXPECT_EQ(used.M(), fresh.M());
  EXPECT_EQ(used.S(), fresh.S());
  EXPECT_EQ(used.I(), fresh.I());
  EXPECT_EQ(used.Lra(), fresh.Lra());
  EXPECT_EQ(used.engine.mainHistogram.low, fresh.engine.mainHistogram.low);
  EXPECT_EQ(used.engine.mainHistogram.high, fresh.engine.mainHistogram.high);
  EXPECT_EQ(used.engine.plr, fresh.engine.plr);
  EXPECT_EQ(used.engine.psr, fresh.engine.psr);
  EXPECT_EQ(used.engine.peakTracker.Maximum(), fresh.engine.peakTracker.Maximum());
  EXPECT_EQ(used.engine.TruePeakMax(), fresh.engine.TruePeakMax());
}

}  // namespace
