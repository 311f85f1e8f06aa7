#include "tests/support/TestSignals.h"

#include <algorithm>
#include <cstdio>
#include <numbers>

namespace testsignals {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double Amplitude(double dbfs)
{
  return std::pow(10.0, dbfs / 20.0);
}

uint32_t FramesOf(double seconds, uint32_t sampleRate)
{
  return uint32_t(std::llround(seconds * sampleRate));
}

// Adds a sine of the given peak amplitude to frames [begin, end) of a channel. The phase counts
// from frame 0 of the buffer, so consecutive calls continue one another without a jump.
void AddSine(float* channel, uint32_t begin, uint32_t end, double frequency, double sampleRate, double amplitude,
             double phase = 0.0)
{
  const double step = kTwoPi * frequency / sampleRate;
  for (uint32_t n = begin; n < end; ++n)
    channel[n] += float(amplitude * std::sin(step * n + phase));
}

bool RenderTones(const ConformanceCase& testCase, uint32_t sampleRate, Audio& out)
{
  double seconds = 0.0;
  for (const Step& step : testCase.steps)
    seconds += step.seconds;
  if (!out.Allocate(FramesOf(seconds * testCase.repeats, sampleRate), 2, sampleRate))
    return false;
  // Step boundaries are taken from the running time, so rounding never accumulates over repeats.
  double time = 0.0;
  for (int r = 0; r < testCase.repeats; ++r)
  {
    for (const Step& step : testCase.steps)
    {
      const uint32_t begin = FramesOf(time, sampleRate);
      time += step.seconds;
      const uint32_t end = std::min(FramesOf(time, sampleRate), out.Frames());
      for (uint16_t c = 0; c < 2; ++c)
        AddSine(out.Channel(c), begin, end, 1000.0, sampleRate, Amplitude(step.dbfs));
    }
  }
  return true;
}

bool RenderSurround(uint32_t sampleRate, Audio& out)
{
  static constexpr double kLevels[5] = {-28.0, -24.0, -28.0, -30.0, -30.0};  // L C R Ls Rs
  if (!out.Allocate(FramesOf(20.0, sampleRate), 5, sampleRate))
    return false;
  for (uint16_t c = 0; c < 5; ++c)
    AddSine(out.Channel(c), 0, out.Frames(), 1000.0, sampleRate, Amplitude(kLevels[c]));
  return true;
}

// The sine fades in and out over 50 ms: an abrupt start away from a zero crossing would make
// any band-limited interpolator ring above the sine's own peak. Above 48 kHz the sine keeps its
// 48 kHz frequency: the cases are about peaks between the samples of audio-band content, and a
// meter may oversample less at those rates, where a quarter of the rate lies above the audio band.
bool RenderTruePeak(const ConformanceCase& testCase, uint32_t sampleRate, Audio& out)
{
  if (!out.Allocate(FramesOf(3.0, sampleRate), 2, sampleRate))
    return false;
  const double phase = testCase.phaseDegrees * std::numbers::pi / 180.0;
  const double frequency = std::min(sampleRate, 48000u) / testCase.divisor;
  for (uint16_t c = 0; c < 2; ++c)
    AddSine(out.Channel(c), 0, out.Frames(), frequency, sampleRate, Amplitude(testCase.peakDbfs), phase);
  const uint32_t fade = FramesOf(0.05, sampleRate);
  for (uint32_t n = 0; n < fade; ++n)
  {
    const float gain = float(0.5 - 0.5 * std::cos(std::numbers::pi * n / fade));
    for (uint16_t c = 0; c < 2; ++c)
    {
      out.Channel(c)[n] *= gain;
      out.Channel(c)[out.Frames() - 1 - n] *= gain;
    }
  }
  return true;
}

std::vector<ConformanceCase> MakeCases()
{
  using Kind = ConformanceCase::Kind;
  auto steady = [](double lufs) { return Reading{lufs, lufs, lufs}; };
  auto integrated = [](double lufs) { return Reading{kUnset, kUnset, lufs}; };
  auto range = [](double lu) { return Reading{kUnset, kUnset, kUnset, lu}; };
  auto truePeak = [](double dbtp) { return Reading{kUnset, kUnset, kUnset, kUnset, dbtp}; };
  return {
    {"loudness-1", Kind::Tones, {{20, -23}}, 1, 0, 0, 0, steady(-23.0), 96000},
    {"loudness-2", Kind::Tones, {{20, -33}}, 1, 0, 0, 0, steady(-33.0)},
    {"loudness-3", Kind::Tones, {{10, -36}, {60, -23}, {10, -36}}, 1, 0, 0, 0, integrated(-23.0), 96000},
    {"loudness-4", Kind::Tones, {{10, -72}, {10, -36}, {60, -23}, {10, -36}, {10, -72}}, 1, 0, 0, 0, integrated(-23.0)},
    {"loudness-5", Kind::Tones, {{20, -26}, {20.1, -20}, {20, -26}}, 1, 0, 0, 0, integrated(-23.0)},
    {"loudness-6", Kind::Surround, {}, 1, 0, 0, 0, steady(-23.0), 96000},
    // Every 3 s window holds one period, so the short-term loudness is constant at the end.
    {"loudness-9", Kind::Tones, {{1.34, -20}, {1.66, -30}}, 5, 0, 0, 0, Reading{kUnset, -23.0}},
    // The same with 400 ms periods for the momentary window.
    {"loudness-12", Kind::Tones, {{0.18, -20}, {0.22, -30}}, 25, 0, 0, 0, Reading{-23.0}, 96000},
    {"range-1", Kind::Tones, {{20, -20}, {20, -30}}, 1, 0, 0, 0, range(10.0), 96000},
    {"range-2", Kind::Tones, {{20, -20}, {20, -15}}, 1, 0, 0, 0, range(5.0)},
    {"range-3", Kind::Tones, {{20, -40}, {20, -20}}, 1, 0, 0, 0, range(20.0)},
    {"range-4", Kind::Tones, {{20, -50}, {20, -35}, {20, -20}, {20, -35}, {20, -50}}, 1, 0, 0, 0, range(15.0)},
    {"true-peak-quarter-0", Kind::TruePeak, {}, 1, 4, 0, -6, truePeak(-6.0)},
    {"true-peak-quarter-45", Kind::TruePeak, {}, 1, 4, 45, -6, truePeak(-6.0), 96000},
    {"true-peak-sixth-60", Kind::TruePeak, {}, 1, 6, 60, -6, truePeak(-6.0)},
    {"true-peak-eighth-67", Kind::TruePeak, {}, 1, 8, 67.5, -6, truePeak(-6.0)},
    // Samples at full scale, the waveform between them 3 dB above.
    {"true-peak-quarter-45-over", Kind::TruePeak, {}, 1, 4, 45, 3.0103, truePeak(3.0), 44100},
  };
}

void AppendMismatch(std::string& text, const char* what, double expected, double measured, double below, double above)
{
  if (std::isnan(expected))
    return;
  if (measured >= expected - below && measured <= expected + above)
    return;  // NaN measured fails both comparisons and is reported
  char line[128];
  std::snprintf(line, sizeof line, "%s: expected %.2f (-%.1f/+%.1f), measured %.2f\n", what, expected, below, above,
                measured);
  text += line;
}

// Deterministic white noise, uniform in [-1, 1).
class Noise
{
public:
  float Next()
  {
    mState ^= mState << 13;
    mState ^= mState >> 17;
    mState ^= mState << 5;
    return float(double(mState) / 2147483648.0 - 1.0);
  }

private:
  uint32_t mState = 0x9E3779B9u;
};

}  // namespace

Audio::Audio() : mBuffer(std::make_unique<AudioFileBuffer>())
{
  audioFileInit(mBuffer.get());
}

Audio::~Audio()
{
  audioFileFree(mBuffer.get());
}

bool Audio::Allocate(uint32_t frames, uint16_t channels, uint32_t sampleRate, uint16_t bits)
{
  return audioFileAllocate(mBuffer.get(), frames, channels, bits, sampleRate, 0) == 0;
}

int Audio::Read(const std::string& path)
{
  return audioFileRead(mBuffer.get(), path.c_str(), 0, 0, false);
}

int Audio::Write(const std::string& path) const
{
  return audioFileWriteWav(mBuffer.get(), path.c_str());
}

std::string Mismatches(const Reading& expected, const Reading& measured)
{
  std::string text;
  AppendMismatch(text, "momentary", expected.momentary, measured.momentary, kLoudnessTolerance, kLoudnessTolerance);
  AppendMismatch(text, "short-term", expected.shortTerm, measured.shortTerm, kLoudnessTolerance, kLoudnessTolerance);
  AppendMismatch(text, "integrated", expected.integrated, measured.integrated, kLoudnessTolerance, kLoudnessTolerance);
  AppendMismatch(text, "range", expected.range, measured.range, kRangeTolerance, kRangeTolerance);
  AppendMismatch(text, "true peak", expected.truePeak, measured.truePeak, kTruePeakBelow, kTruePeakAbove);
  return text;
}

const std::vector<ConformanceCase>& ConformanceCases()
{
  static const std::vector<ConformanceCase> cases = MakeCases();
  return cases;
}

const std::vector<uint32_t>& ConformanceRates()
{
  static const std::vector<uint32_t> rates = {48000, 44100, 88200, 96000};
  return rates;
}

bool RenderCase(const ConformanceCase& testCase, uint32_t sampleRate, Audio& out)
{
  if (sampleRate == 0)
    return false;
  switch (testCase.kind)
  {
    case ConformanceCase::Kind::Tones: return RenderTones(testCase, sampleRate, out);
    case ConformanceCase::Kind::Surround: return RenderSurround(sampleRate, out);
    case ConformanceCase::Kind::TruePeak: return testCase.divisor >= 2 && RenderTruePeak(testCase, sampleRate, out);
  }
  return false;
}

bool RenderMixedProgramme(const Audio& speech, double seconds, uint16_t bits, Audio& out)
{
  const uint32_t rate = speech.SampleRate();
  if (rate == 0 || speech.Frames() == 0 || !out.Allocate(FramesOf(seconds, rate), 2, rate, bits))
    return false;

  enum class Source { Speech, Noise, Chord, LowTone, Silence };
  struct Segment
  {
    Source source;
    double seconds;  // ignored for speech, which plays the whole recording
    double dbfs;     // gain for speech, RMS level for noise, peak level per partial for tones
  };
  static constexpr Segment kCycle[] = {
    {Source::Speech, 0, -3},  {Source::Noise, 6, -28}, {Source::Silence, 3, 0},   {Source::Chord, 5, -20},
    {Source::Speech, 0, -12}, {Source::Noise, 4, -16}, {Source::LowTone, 4, -22}, {Source::Silence, 2, 0},
  };

  Noise noise;
  uint32_t at = 0;
  for (int cycle = 0; at < out.Frames(); ++cycle)
  {
    // Each pass through the cycle sits at another level, between -8 and +2 dB.
    const double offset = double((cycle * 5) % 11 - 8);
    for (const Segment& segment : kCycle)
    {
      const uint32_t length = segment.source == Source::Speech ? speech.Frames() : FramesOf(segment.seconds, rate);
      const uint32_t end = uint32_t(std::min<uint64_t>(uint64_t(at) + length, out.Frames()));
      const double gain = Amplitude(segment.dbfs + offset);
      for (uint16_t c = 0; c < 2; ++c)
      {
        float* channel = out.Channel(c);
        switch (segment.source)
        {
          case Source::Speech:
          {
            const float* source = speech.Channel(std::min<uint16_t>(c, speech.Channels() - 1));
            for (uint32_t n = at; n < end; ++n)
              channel[n] = float(gain * source[n - at]);
            break;
          }
          case Source::Noise:
            for (uint32_t n = at; n < end; ++n)
              channel[n] = float(gain * std::sqrt(3.0) * noise.Next());  // uniform noise: RMS is peak / sqrt 3
            break;
          case Source::Chord:
            for (double frequency : {250.0, 1000.0 + 10.0 * c, 4000.0})
              AddSine(channel, at, end, frequency, rate, gain);
            break;
          case Source::LowTone: AddSine(channel, at, end, 100.0, rate, gain); break;
          case Source::Silence: break;
        }
      }
      at = end;
    }
  }
  return true;
}

}  // namespace testsignals
