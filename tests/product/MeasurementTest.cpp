// The audio path: what reaches the output, what is measured, the 100 ms work with alerts and
// history points, and measurement resets from the transport.

#include "tests/product/ProductFixture.h"

#include "meter-engine/LevelScales.h"
#include "meter-plugin/MeasurableSamples.h"
#include "tests/framework/AllocationCounter.h"

#include <algorithm>
#include <bit>
#include <array>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>

namespace {

using namespace product_test;

TEST(Measurement, PlayOffPassesEveryChannelBitIdentical)
{
  Vantorelix plug;
  MeterSettings& s = plug.Settings();
  s.preGain = 6.0;
  s.enableLimiter = 1;
  s.maxPeakTarget = -20.0;
  Prepare(plug, 48000.0, 512, 4);
  s.play = 0;
  Block block(4, 512);
  for (int c = 0; c < 4; ++c)
    FillNoise(block.in[size_t(c)], 0.9, unsigned(c + 1));
  for (int i = 0; i < 10; ++i)
    Process(plug, block);
  EXPECT_EQ(block.out, block.in);
  EXPECT_EQ(plug.Engine()->samplePeakMax, 0.0);  // the engine is not fed
}

TEST(Measurement, PreGainActsOnTheMeasuredChannelsOnly)
{
  Vantorelix plug;
  plug.Settings().preGain = -6.0;
  plug.Settings().channelConfig = 1;  // "Left"
  Prepare(plug, 48000.0, 64, 2);
  Block block(2, 64, 0.5);
  Process(plug, block);
  EXPECT_DOUBLE_EQ(block.out[0][10], 0.5 * levels::DbToAmplitude(-6.0));
  EXPECT_EQ(block.out[1][10], 0.5);
}

// "Right" measures channel 2 alone; channel 1 passes unchanged and is written, so the host never
// reads back audio left in its buffer from an earlier block.
TEST(Measurement, RightMeasuresChannelTwoOnlyAndWritesChannelOneUnchanged)
{
  Vantorelix plug;
  plug.Settings().channelConfig = 2;  // "Right"
  plug.Settings().weightingMode = 1;  // K
  plug.Settings().preGain = 3.0;
  Prepare(plug, 48000.0, 480, 2);
  Block loudLeft(2, 480);
  FillNoise(loudLeft.in[0], 0.8, 3);
  std::fill(loudLeft.out[0].begin(), loudLeft.out[0].end(), 7.0);  // stale host audio
  for (int i = 0; i < 20; ++i)
    Process(plug, loudLeft);
  EXPECT_EQ(loudLeft.out[0], loudLeft.in[0]);
  EXPECT_EQ(plug.Engine()->samplePeakMax, 0.0);
  EXPECT_EQ(plug.Engine()->integratedGate.integrated, -144.0);

  Block loudRight(2, 480);
  FillNoise(loudRight.in[1], 0.5, 4);
  for (int i = 0; i < 20; ++i)
    Process(plug, loudRight);
  EXPECT_GT(plug.Engine()->samplePeakMax, 0.5);  // pre-gain applied before the peaks
  EXPECT_GT(plug.Engine()->integratedGate.integrated, -30.0);
}

TEST(Measurement, OutputsBeyondTheInputsAreWrittenSilent)
{
  Vantorelix plug;
  Prepare(plug, 48000.0, 64, 2);
  Block block(2, 64, 0.25);
  std::fill(block.out[1].begin(), block.out[1].end(), 9.0);
  plug.MeasureBlock(block.inPtr.data(), block.outPtr.data(), 64, 1, 2);
  EXPECT_EQ(block.out[0][0], 0.25);
  EXPECT_EQ(block.out[1], std::vector<double>(64, 0.0));
}

// A host may hand the same buffers for input and output: the audio and the measurement come out
// as with separate buffers, with the limiter off and on, for measured and passed-through channels.
TEST(Measurement, OutputsInTheInputBuffersMatchSeparateOutputs)
{
  for (int limiter : {0, 1})
  {
    SCOPED_TRACE(limiter);
    auto measure = [limiter](bool inPlace) {
      Vantorelix plug;
      MeterSettings& s = plug.Settings();
      s.channelConfig = 1;  // "Left": the second channel passes through
      s.preGain = 4.0;
      s.peakMode = 1;
      s.enableLimiter = limiter;
      s.maxPeakTarget = -6.0;
      Prepare(plug, 48000.0, 500, 2);
      Block block(2, 500);
      std::vector<std::vector<double>> out;
      for (int b = 0; b < 20; ++b)
      {
        for (int c = 0; c < 2; ++c)
          FillNoise(block.in[size_t(c)], 0.9, unsigned(b * 2 + c + 1));
        plug.ProcessBlock(block.inPtr.data(), inPlace ? block.inPtr.data() : block.outPtr.data(), 500);
        for (const auto& channel : inPlace ? block.in : block.out)
          out.push_back(channel);
      }
      return std::make_pair(out, plug.Engine()->TruePeakMax());
    };
    const auto separate = measure(false);
    const auto inPlace = measure(true);
    EXPECT_EQ(inPlace.first, separate.first);
    EXPECT_EQ(inPlace.second, separate.second);
    EXPECT_GT(separate.second, 0.5);
  }
}

// A history point with the wall clock's fields cleared, which alone differ from run to run.
LoudnessHistoryPoint WithoutWallClock(LoudnessHistoryPoint p)
{
  p.wallHour = p.wallMinute = p.wallSecond = p.wallTenths = p.wallYear = p.wallMonth = p.wallDay = 0;
  return p;
}

// How the host cuts the audio into blocks changes nothing: every output sample, every measured
// figure, every history point and alert comes out bit for bit the same for blocks of one frame up
// to longer than the audio.
TEST(Measurement, BlockSizeChangesNothing)
{
  struct Run
  {
    std::vector<std::vector<double>> out;
    double momentary, shortTerm, integrated, truePeak, samplePeak, psr, plr;
    std::vector<LoudnessHistoryPoint> history;
    std::vector<std::array<double, 3>> alerts;  // count, seconds, active
  };
  // "Dial" hands the engine one frame at a time; the other gates up to each hop's end.
  auto measure = [](int gateMode, std::initializer_list<int> blockSizes) {
    Vantorelix plug;
    MeterSettings& s = plug.Settings();
    s.channelConfig = 11;  // ten channels, of which three have input
    s.weightingMode = 1;
    s.gateMode = gateMode;
    s.peakMode = 1;
    s.enableLimiter = 1;
    s.maxPeakTarget = -12.0;
    s.preGain = 2.0;
    // Alerts whose periods span several 100 ms steps, one of them reached within the second.
    for (AlertIndex a : {kAlertSlMax, kAlertMlMax, kAlertTpMax})
    {
      s.alerts[a].mode = AlertMode::Auto;
      s.alerts[a].level = -30.0;
      s.alerts[a].period = a == kAlertMlMax ? 0.3 : 2.0;
    }
    Prepare(plug, 48000.0, 4096, 3);
    Block all(3, 48000);
    for (int c = 0; c < 3; ++c)
      FillNoise(all.in[size_t(c)], 0.3 * (c + 1), unsigned(c + 5));
    Run run{std::vector<std::vector<double>>(3, std::vector<double>(48000)), 0, 0, 0, 0, 0, 0, 0, {}, {}};
    auto size = blockSizes.begin();
    for (int start = 0; start < 48000;)
    {
      const int n = std::min(*size, 48000 - start);
      double* in[3];
      double* out[3];
      for (int c = 0; c < 3; ++c)
      {
        in[c] = all.in[size_t(c)].data() + start;
        out[c] = run.out[size_t(c)].data() + start;
      }
      plug.ProcessBlock(in, out, n);
      start += n;
      if (++size == blockSizes.end())
        size = blockSizes.begin();
    }
    const LoudnessEngine& e = *plug.Engine();
    run.momentary = e.momentary.sum;
    run.shortTerm = e.shortTerm.sum;
    run.integrated = e.integratedGate.integrated;
    run.truePeak = e.TruePeakMax();
    run.samplePeak = e.samplePeakMax;
    run.psr = e.psr;
    run.plr = e.plr;
    for (size_t i = 0; i < plug.History().Size(); ++i)
      run.history.push_back(WithoutWallClock(plug.History().At(i)));
    for (const AlertState& a : s.alerts)
      run.alerts.push_back({double(a.count), a.seconds, double(a.active)});
    return run;
  };
  for (int gateMode : {2, 3})
  {
    SCOPED_TRACE(gateMode);
    const Run whole = measure(gateMode, {4096});
    ASSERT_EQ(whole.history.size(), 10u);
    EXPECT_GT(whole.alerts[kAlertMlMax][0], 0.0);
    for (const Run& cut : {measure(gateMode, {1, 63, 64, 65, 127, 700, 2, 4000}), measure(gateMode, {65536})})
    {
      EXPECT_EQ(cut.out, whole.out);
      EXPECT_EQ(cut.momentary, whole.momentary);
      EXPECT_EQ(cut.shortTerm, whole.shortTerm);
      EXPECT_EQ(cut.integrated, whole.integrated);
      EXPECT_EQ(cut.truePeak, whole.truePeak);
      EXPECT_EQ(cut.samplePeak, whole.samplePeak);
      EXPECT_EQ(cut.psr, whole.psr);
      EXPECT_EQ(cut.plr, whole.plr);
      ASSERT_EQ(cut.history.size(), whole.history.size());
      for (size_t i = 0; i < whole.history.size(); ++i)
        EXPECT_EQ(std::memcmp(&cut.history[i], &whole.history[i], sizeof(LoudnessHistoryPoint)), 0) << "point " << i;
      EXPECT_EQ(cut.alerts, whole.alerts);
    }
    EXPECT_GT(whole.momentary, 0.0);
  }
}

// Mean-square power of the momentary window after a second of noise on one channel.
double MomentaryPower(int routing, int weighting, int channel)
{
  Vantorelix plug;
  plug.Settings().channelConfig = 7;  // "5.1/6.0 Ch"
  plug.Settings().channelRouting = routing;
  plug.Settings().weightingMode = weighting;
  Prepare(plug, 48000.0, 480, 6);
  Block block(6, 480);
  FillNoise(block.in[size_t(channel)], 0.5, 11);
  for (int i = 0; i < 100; ++i)
    Process(plug, block);
  return plug.Engine()->momentary.mean;
}

// One sample that is not a finite number is measured as 0; a huge one affects only the windows
// that hold it. Ten seconds after it every window reads as if the sample had been 0, and the
// integrated loudness, whose window is the whole programme, stays a number (the programme's own
// where the sample was not finite).
TEST(Measurement, SamplesThatAreNotNumbersOrExtreme)
{
  auto measure = [](double bad) {
    Vantorelix plug;
    plug.Settings().weightingMode = 1;  // filtered, so that the sample also rings in the filters
    Prepare(plug, 48000.0, 4800, 2);
    for (int b = 0; b < 120; ++b)  // 12 s in blocks of 100 ms, the bad sample at 2 s
    {
      Block block(2, 4800);
      for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 4800; ++i)
          block.in[size_t(c)][size_t(i)] = 0.1 * std::sin(2.0 * M_PI * 997.0 * (b * 4800 + i) / 48000.0);
      if (b == 20)
        block.in[0][100] = bad;
      Process(plug, block);
    }
    const LoudnessEngine& e = *plug.Engine();
    return std::array<double, 3>{levels::PowerLevel(e.momentary.mean), levels::PowerLevel(e.shortTerm.mean),
                                 e.integratedGate.integrated};
  };
  const std::array<double, 3> reference = measure(0.0);
  ASSERT_GT(reference[1], -30.0);
  const double cases[] = {std::nan(""), INFINITY, -INFINITY, 1e30, -3e38};
  for (double bad : cases)
  {
    SCOPED_TRACE(bad);
    const std::array<double, 3> read = measure(bad);
    EXPECT_NEAR(read[0], reference[0], 0.01);
    EXPECT_NEAR(read[1], reference[1], 0.01);
    if (!std::isfinite(bad))
      EXPECT_NEAR(read[2], reference[2], 0.01);
    else
      EXPECT_TRUE(std::isfinite(read[2]));
  }
}

// The gain's two-at-a-time form against the sample-at-a-time one, bit for bit, over every
// length and start up to a few steps, with samples that are not numbers, beyond the float range,
// at its ends, signed zeros and subnormals; in place too.
TEST(Measurement, GainedSamplesMatchTheOneAtATimeForm)
{
  const double largest = std::numeric_limits<float>::max();
  std::vector<double> samples = {
    std::nan(""), -std::nan(""), INFINITY, -INFINITY, 1e300, -3.5e38, largest, -largest, std::nextafter(largest, 1e300),
    -0.0,         0.0,           1e-310,   0.5,       -0.75};
  std::vector<double> noise(50);
  FillNoise(noise, 1.0, 9);
  samples.insert(samples.end(), noise.begin(), noise.end());
  for (double gain : {1.0, levels::DbToAmplitude(-60.0), levels::DbToAmplitude(7.3)})
    for (int start = 0; start < 4; ++start)
      for (int n = 0; n + start <= int(samples.size()); n += n < 13 ? 1 : 17)
      {
        SCOPED_TRACE(testing::Message() << "gain " << gain << ", start " << start << ", " << n << " samples");
        constexpr int kStride = 3;
        std::vector<double> out(size_t(n) + 1, 7.0), column(size_t(n) * kStride + 1, 7.0);
        GainMeasurableSamples(samples.data() + start, n, gain, out.data(), column.data(), kStride);
        std::vector<double> inPlace(samples.begin() + start, samples.begin() + start + n);
        std::vector<double> columnInPlace(column.size(), 7.0);
        GainMeasurableSamples(inPlace.data(), n, gain, inPlace.data(), columnInPlace.data(), kStride);
        for (int i = 0; i < n; ++i)
        {
          const auto expected = std::bit_cast<uint64_t>(MeasurableSample(samples[size_t(start + i)]) * gain);
          EXPECT_EQ(std::bit_cast<uint64_t>(out[size_t(i)]), expected);
          EXPECT_EQ(std::bit_cast<uint64_t>(column[size_t(i * kStride)]), expected);
          EXPECT_EQ(std::bit_cast<uint64_t>(inPlace[size_t(i)]), expected);
          EXPECT_EQ(std::bit_cast<uint64_t>(columnInPlace[size_t(i * kStride)]), expected);
          EXPECT_EQ(column[size_t(i * kStride + 1)], 7.0);  // only every stride-th slot is written
        }
        EXPECT_EQ(out[size_t(n)], 7.0);  // nothing written past the end
        EXPECT_EQ(column.back(), 7.0);
      }
}

TEST(Measurement, FiveOneItuWeightsLfeAndSurrounds)
{
  constexpr int kItu = 15;      // L R C LFE Ls Rs
  for (int weighting : {1, 3})  // K and B: the broadcast weights
  {
    const double front = MomentaryPower(kItu, weighting, 0);
    ASSERT_GT(front, 0.0);
    // The LFE adds nothing beyond the filters' denormal guard on the silent channels.
    EXPECT_LT(MomentaryPower(kItu, weighting, 3) / front, 1e-30);
    EXPECT_NEAR(MomentaryPower(kItu, weighting, 2) / front, 1.0, 1e-12);
    EXPECT_NEAR(MomentaryPower(kItu, weighting, 4) / front, 1.189207 * 1.189207, 1e-9);
    EXPECT_NEAR(MomentaryPower(kItu, weighting, 5) / front, 1.189207 * 1.189207, 1e-9);
  }
  // Leq(M) takes the cinema weights, and "Off" none.
  const double mFront = MomentaryPower(kItu, 5, 0);
  EXPECT_NEAR(MomentaryPower(kItu, 5, 3) / mFront, 1.0, 1e-12);
  EXPECT_NEAR(MomentaryPower(kItu, 5, 4) / mFront, 0.707 * 0.707, 1e-9);
  EXPECT_NEAR(MomentaryPower(kItu, 0, 3) / MomentaryPower(kItu, 0, 0), 1.0, 1e-12);
}

TEST(Measurement, AlertFiresOnTheEvaluationThatCompletesItsPeriod)
{
  struct Case
  {
    AlertMode mode;
    double period;
    int firesOn;
  };
  for (const Case& c : {Case{AlertMode::On, 2.0, 20}, Case{AlertMode::Auto, 2.0, 20}, Case{AlertMode::On, 1.0, 10},
                        Case{AlertMode::On, 0.0, 1}})
  {
    AlertState alert;
    alert.kind = 1;  // maximum
    alert.mode = c.mode;
    alert.level = -23.0;
    alert.period = c.period;
    for (int i = 1; i < c.firesOn; ++i)
    {
      alert.Update(-20.0, 100.0);
      ASSERT_EQ(alert.active, 0) << "evaluation " << i << " of period " << c.period;
    }
    alert.Update(-20.0, 100.0);
    EXPECT_EQ(alert.active, 1);
    EXPECT_EQ(alert.count, 1u);
    alert.Update(-20.0, 100.0);
    EXPECT_EQ(alert.count, 2u);  // every further violation counts
    alert.Update(-30.0, 100.0);  // back below the level
    EXPECT_EQ(alert.active, c.mode == AlertMode::On ? 1 : 0);
    EXPECT_EQ(alert.seconds, 0.0);
    EXPECT_EQ(alert.count, 2u);
  }
  AlertState minimum;
  minimum.mode = AlertMode::On;
  minimum.level = -70.0;
  minimum.Update(-60.0, 100.0);
  EXPECT_EQ(minimum.active, 0);
  minimum.Update(-80.0, 100.0);
  EXPECT_EQ(minimum.active, 1);
  minimum.mode = AlertMode::Off;
  minimum.Update(-80.0, 100.0);
  EXPECT_EQ(minimum.active, 0);
  AlertState other;  // a kind that is neither minimum nor maximum never fires
  other.kind = 2;
  other.mode = AlertMode::Auto;
  other.active = 1;
  other.seconds = 1.0;
  other.Update(100.0, 100.0);
  EXPECT_EQ(other.active, 0);
  EXPECT_EQ(other.seconds, 0.0);
  EXPECT_EQ(other.count, 0u);
}

TEST(Measurement, IntegratedMaximumAlertRaisesItsHistoryFlagAfterTwoSeconds)
{
  Vantorelix plug;
  AlertState& ilMax = plug.Settings().alerts[kAlertIlMax];
  ilMax.mode = AlertMode::On;
  ilMax.level = -40.0;
  ilMax.period = 2.0;
  plug.Settings().gateMode = 2;  // G10
  Prepare(plug, 48000.0, 480, 2);
  Block block(2, 480);
  FillNoise(block.in[0], 0.5, 5);
  FillNoise(block.in[1], 0.5, 6);
  // The first point is made at once, then one every 100 ms (ten blocks).
  size_t firstActive = 0;
  for (int i = 0; i < 40 * 10 && !firstActive; ++i)
  {
    Process(plug, block);
    const LoudnessHistory& history = plug.History();
    if (history.At(history.Size() - 1).alertActive[1])
      firstActive = history.Size();
  }
  ASSERT_GT(firstActive, 0u);
  // The integrated loudness exists from the first 100 ms block on (point 2), so the twentieth
  // violating evaluation is point 21.
  EXPECT_EQ(firstActive, 21u);
  EXPECT_EQ(plug.History().At(firstActive - 1).alertActive[3], 1);  // IL Max at both places
  EXPECT_EQ(ilMax.count, 1u);
}

TEST(Measurement, FirstHistoryPointComesWithTheFirstActiveBlock)
{
  Vantorelix plug;
  Prepare(plug, 48000.0, 64, 2);
  Block block(2, 64, 0.1);
  Process(plug, block);
  ASSERT_EQ(plug.History().Size(), 1u);
  const LoudnessHistoryPoint& first = plug.History().At(0);
  EXPECT_EQ(first.samplePeakPeriodMax, -20.0);
  EXPECT_EQ(first.wallYear >= 2024, true);
  for (int i = 0; i < 74; ++i)  // 4800 frames since the first point
    Process(plug, block);
  EXPECT_EQ(plug.History().Size(), 1u);
  Process(plug, block);
  EXPECT_EQ(plug.History().Size(), 2u);
  EXPECT_EQ(plug.History().At(1).timerTenths, 1u);  // 0.1 s of elapsed time at the second point
}

// One block of a minute and a second makes a point at every 100 ms boundary inside it, each
// stamped with the elapsed time of its boundary, the seconds carried into minutes.
TEST(Measurement, PeriodWorkRunsAtEachBoundaryInsideABlock)
{
  Vantorelix plug;
  Prepare(plug, 1000.0, 61000, 1);
  Block block(1, 61000, 0.1);
  Process(plug, block);
  const LoudnessHistory& history = plug.History();
  ASSERT_EQ(history.Size(), 610u);  // with the first frame, then every 100 frames
  const auto stamp = [&](size_t i) {
    const LoudnessHistoryPoint& p = history.At(i);
    return std::to_string(p.timerHours) + ":" + std::to_string(p.timerMinutes) + ":" + std::to_string(p.timerSeconds) +
           "." + std::to_string(p.timerTenths);
  };
  EXPECT_EQ(stamp(0), "0:0:0.0");
  EXPECT_EQ(stamp(1), "0:0:0.1");
  EXPECT_EQ(stamp(599), "0:0:59.9");
  EXPECT_EQ(stamp(600), "0:1:0.0");
  EXPECT_EQ(stamp(609), "0:1:0.9");

  // On the host's time line, a point inside the block is stamped with its own place on it.
  plug.Settings().timerMode = 1;
  plug.ResetMeasurement();
  plug.Transport().mTempo = 120.0;
  plug.Transport().mTransportIsRunning = true;
  plug.Transport().mSamplePos = 90.0 * 1000.0;
  Process(plug, block);
  EXPECT_EQ(stamp(0), "0:1:30.0");
  EXPECT_EQ(stamp(1), "0:1:30.1");
  EXPECT_EQ(stamp(609), "0:2:30.9");
}

// A transport start with "Sync" on clears the measurement on the audio thread, but the host and
// the editor hear of "Graph Scroll" only from the idle hook. The take is exported when the
// transport stops, not when it starts.
TEST(Measurement, TransportStartResetsAndLeavesTheParameterToTheIdleHook)
{
  Vantorelix plug;
  plug.Settings().sync = 1;
  plug.Settings().autoExportLogCSV = 1;
  Prepare(plug, 48000.0, 480, 2);
  plug.GetParam(kGraphScroll)->Set(0.0);
  iplug::ITransportInfo& transport = plug.Transport();
  transport.mTempo = 120.0;
  Block block(2, 480, 0.2);
  Process(plug, block);  // stopped: nothing accumulates
  EXPECT_EQ(plug.History().Size(), 0u);
  EXPECT_DOUBLE_EQ(block.out[0][0], 0.2);

  plug.Requests().graphReset = 0;
  transport.mTransportIsRunning = true;
  Process(plug, block);
  EXPECT_EQ(plug.History().Size(), 1u);
  EXPECT_EQ(plug.Requests().graphReset, 1);
  EXPECT_EQ(plug.Requests().autoExport, 0);
  EXPECT_EQ(plug.GetParam(kGraphScroll)->Value(), 0.0);
  plug.IdleTick();
  EXPECT_EQ(plug.GetParam(kGraphScroll)->Value(), 1.0);
  EXPECT_EQ(plug.Requests().graphScrollRestore, 0);

  for (int i = 0; i < 20; ++i)
    Process(plug, block);
  EXPECT_EQ(plug.Requests().autoExport, 0);
  transport.mTransportIsRunning = false;
  Process(plug, block);
  EXPECT_EQ(plug.Requests().autoExport, 1);
  EXPECT_EQ(plug.History().Size(), 3u);  // the take's points stay for the export
}

TEST(Measurement, ResetKeepsAlertSettingsAndTheMemoryList)
{
  Vantorelix plug;
  AlertState& slMax = plug.Settings().alerts[kAlertSlMax];
  slMax.mode = AlertMode::On;
  slMax.level = -50.0;
  Prepare(plug, 48000.0, 480, 2);
  Block block(2, 480);
  FillNoise(block.in[0], 0.5, 8);
  for (int i = 0; i < 50; ++i)
    Process(plug, block);
  ASSERT_EQ(slMax.active, 1);
  plug.Memory().AppendCopy(plug.History().At(0));
  plug.ResetMeasurement();
  EXPECT_EQ(slMax.active, 0);
  EXPECT_EQ(slMax.count, 0u);
  EXPECT_EQ(slMax.level, -50.0);
  EXPECT_EQ(slMax.mode, AlertMode::On);
  EXPECT_EQ(plug.History().Size(), 0u);
  EXPECT_EQ(plug.Memory().Size(), 1u);
  EXPECT_EQ(plug.Engine()->integratedGate.integrated, -144.0);
}

TEST(Measurement, FrameCountersRaiseTheIdleFlags)
{
  Vantorelix plug;
  Prepare(plug, 48000.0, 480, 1);
  Block block(1, 480);
  for (int i = 0; i < 4; ++i)
    Process(plug, block);
  EXPECT_EQ(plug.Requests().readoutRefresh, 0);
  Process(plug, block);  // 2400 frames: 50 ms
  EXPECT_EQ(plug.Requests().readoutRefresh, 1);
  EXPECT_EQ(plug.Requests().meterRefresh, 1);
  EXPECT_EQ(plug.Requests().outputParamWrite, 0);  // only while "WriteAutomationData" is on
  plug.Settings().writeAutomationData = 1;
  for (int i = 0; i < 5; ++i)
    Process(plug, block);
  EXPECT_EQ(plug.Requests().outputParamWrite, 1);
}

// Ten seconds through the heaviest settings, with history points and the dialogue gate, allocate
// nothing on the audio thread.
TEST(Measurement, ProcessingAllocatesNothing)
{
  struct Case
  {
    int channels, config, gate, peakMode, weighting;
  };
  for (const Case& c : {Case{2, 0, 2, 1, 1}, Case{10, 11, 2, 1, 7}, Case{2, 0, 3, 0, 5}})
  {
    Vantorelix plug;
    MeterSettings& s = plug.Settings();
    s.channelConfig = c.config;
    s.gateMode = c.gate;
    s.peakMode = c.peakMode;
    s.weightingMode = c.weighting;
    s.enableLimiter = 1;
    s.writeAutomationData = 1;
    for (AlertState& alert : s.alerts)
      alert.mode = AlertMode::Auto;
    Prepare(plug, 48000.0, 512, c.channels);
    Block block(c.channels, 512);
    for (int ch = 0; ch < c.channels; ++ch)
      FillNoise(block.in[size_t(ch)], 0.5, unsigned(ch));
    Process(plug, block);
    const uint64_t before = testing_support::AllocationCount();
    for (int i = 0; i < 940; ++i)
      Process(plug, block);
    EXPECT_EQ(testing_support::AllocationCount(), before) << c.channels << " channels, gate " << c.gate;
    EXPECT_GT(plug.History().Size(), 90u);
  }
}


// Every field of the last history point after 0.9 s of a 1 kHz sine of amplitude 0.1 on both
// channels (unweighted: power level -20.0), for each gating mode and timer mode. The IL and LRA
// alerts are on for the whole programme and off for the dialogue, so the "Dial" swaps show.
TEST(Measurement, HistoryPointContents)
{
  using levels::RoundToTenth;
  constexpr double kSilenceShown = -143.3;  // power level of no power, rounded
  for (int32_t gate = 0; gate <= 3; ++gate)
    for (int32_t timer = 0; timer <= 2; ++timer)
    {
      SCOPED_TRACE("gating mode " + std::to_string(gate) + ", timer mode " + std::to_string(timer));
      const bool dial = gate == 3;
      const int32_t peakMode = timer == 1 ? 1 : 0;
      Vantorelix plug;
      MeterSettings& s = plug.Settings();
      s.gateMode = gate;
      s.timerMode = timer;
      s.peakMode = peakMode;
      s.weightingMode = 0;
      s.slWindowMs = 500.0;  // full at 0.5 s, so the main histogram takes levels
      s.mlWindowMs = 600.0;
      for (AlertState& alert : s.alerts)
        alert.mode = AlertMode::Off;
      for (AlertIndex on : {kAlertIlMax, kAlertLraMin, kAlertPeakMax})
        s.alerts[on].mode = AlertMode::On;
      s.alerts[kAlertIlMax].level = -40.0;
      s.alerts[kAlertLraMin].level = 5.0;
      s.alerts[kAlertPeakMax].level = -30.0;
      Prepare(plug, 48000.0, 512, 2);
      // The host's time line at 1 h 2 min 3.25 s.
      plug.Transport().mSamplePos = 3723.25 * 48000.0;

      Block block(2, 512);
      // The plug-in reads the precise clock; time() reads a coarser one that can still show the
      // last second when the precise clock has passed it.
      const auto wallSeconds = [] {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        return now.tv_sec;
      };
      const time_t before = wallSeconds();
      // Points come with the first block and each time 4800 frames have passed since; the last of
      // 86 blocks makes the tenth, 43520 frames (0.91 s) after the first.
      for (int b = 0; b < 86; ++b)
      {
        for (int i = 0; i < 512; ++i)
          block.in[0][size_t(i)] = block.in[1][size_t(i)] = 0.1 *
                                                            std::sin(2.0 * M_PI * 1000.0 * (b * 512 + i) / 48000.0);
        Process(plug, block);
      }
      const time_t after = wallSeconds();
      ASSERT_EQ(plug.History().Size(), 10u);
      const LoudnessHistoryPoint& p = plug.History().At(9);
      const LoudnessEngine& e = *plug.Engine();

      EXPECT_EQ(p.gateMode, uint32_t(gate));
      EXPECT_EQ(p.peakMode, uint32_t(peakMode));
      // Blocks of the filling 600 ms window gate through in every mode: -21.4 over the whole run.
      EXPECT_NEAR(p.integratedLoudness, -21.4, 1e-9);
      EXPECT_EQ(p.ilShown, dial ? kSilenceShown : p.integratedLoudness);  // no speech yet in "Dial"
      for (double level : {p.slLevel, p.slMax, p.mlLevel, p.mlMax})
        EXPECT_NEAR(level, -20.0, 1e-9);
      const LoudnessHistogram& shown = dial ? e.speechHistogram : e.mainHistogram;
      EXPECT_EQ(p.rangeShown, dial ? -144.0 : 0.0);
      EXPECT_EQ(p.mainRange, dial ? 0.0 : RoundToTenth(e.mainHistogram.low));
      EXPECT_EQ(p.rangeLow, RoundToTenth(shown.low));
      EXPECT_EQ(p.rangeHigh, RoundToTenth(shown.high));
      EXPECT_EQ(p.rangeLow, dial ? -144.0 : p.rangeHigh);
      EXPECT_NEAR(p.rangeHigh, dial ? -144.0 : -20.0, 0.11);
      EXPECT_EQ(p.plr, RoundToTenth(e.plr - levels::kLoudnessOffset));
      EXPECT_NEAR(p.plr, dial ? -144.7 : 1.4, 0.11);  // peak -20.0 over IL -22.1 LUFS, shown 0.691 lower
      EXPECT_EQ(p.psr, RoundToTenth(e.psr));
      EXPECT_EQ(p.psrMin, RoundToTenth(e.psrMin));
      EXPECT_NEAR(p.samplePeakMax, -20.0, 1e-9);
      EXPECT_NEAR(p.samplePeakPeriodMax, -20.0, 1e-9);
      if (peakMode)
      {
        EXPECT_EQ(p.truePeakMax, RoundToTenth(levels::AmplitudeLevel(e.TruePeakMax())));
        EXPECT_NEAR(p.truePeakMax, -20.0, 0.15);
        EXPECT_NEAR(p.truePeakPeriodMax, -20.0, 0.15);
      }
      else  // the interpolators run only for true peaks
      {
        EXPECT_EQ(p.truePeakMax, -144.0);
        EXPECT_EQ(p.truePeakPeriodMax, -144.0);
      }

      const uint32_t clock[4] = {p.timerHours, p.timerMinutes, p.timerSeconds, p.timerTenths};
      const uint32_t wall[4] = {p.wallHour, p.wallMinute, p.wallSecond, p.wallTenths};
      const uint32_t elapsed[4] = {0, 0, 0, 9}, timeline[4] = {1, 2, 3, 2};
      EXPECT_TRUE(std::equal(clock, clock + 4, timer == 0 ? elapsed : timer == 1 ? timeline : wall));
      tm stamp{};
      stamp.tm_year = int(p.wallYear) - 1900;
      stamp.tm_mon = int(p.wallMonth) - 1;
      stamp.tm_mday = int(p.wallDay);
      stamp.tm_hour = int(p.wallHour);
      stamp.tm_min = int(p.wallMinute);
      stamp.tm_sec = int(p.wallSecond);
      stamp.tm_isdst = -1;
      const time_t made = std::mktime(&stamp);
      EXPECT_GE(made, before);
      EXPECT_LE(made, after);
      EXPECT_LT(p.wallTenths, 10u);

      EXPECT_EQ(p.marked, 0);
      EXPECT_EQ(p.dialoguePercentage, 0.0);
      EXPECT_EQ(p.dialoguePresent, 0u);
      // IL Min, IL Max (the dialogue ones in "Dial"), IL Min, IL Max, SL Min, SL Max, ML Min,
      // ML Max, TP Max, Peak Max, LRA Min (LRADial Min in "Dial"), LRA Min, PLR Min, PSR Min,
      // Dialog Min, range available (of the range shown).
      const uint8_t flags[16] = {0, uint8_t(dial ? 0 : 1), 0, 1, 0, 0, 0, 0, 0, 1, uint8_t(dial ? 0 : 1), 1, 0, 0,
                                 0, uint8_t(dial ? 0 : 1)};
      for (int k = 0; k < 16; ++k)
        EXPECT_EQ(p.alertActive[k], flags[k]) << "flag " << k;
    }
}

}  // namespace
