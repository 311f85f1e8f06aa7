#pragma once
// Test signals for loudness and true-peak measurement: the 1 kHz tone sequences, the 5-channel
// tone and the true-peak sines of the broadcast conformance cases, and long mixed material
// (speech, tones, noise, silence) for comparisons with other meters. Each signal is generated
// into an owned buffer of the audio-file layer and can be written as a WAV file.

#include "reports/AudioFile.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace testsignals {

// An owned audio-file buffer: planar 32-bit float samples.
class Audio
{
public:
  Audio();
  ~Audio();
  Audio(const Audio&) = delete;
  Audio& operator=(const Audio&) = delete;

  // bits is the sample width a later Write uses (16, 24, or 32 for float).
  bool Allocate(uint32_t frames, uint16_t channels, uint32_t sampleRate, uint16_t bits = 32);
  int Read(const std::string& path);         // the file layer's result code
  int Write(const std::string& path) const;  // the file layer's result code

  uint32_t Frames() const { return mBuffer->frames; }
  uint16_t Channels() const { return mBuffer->channels; }
  uint32_t SampleRate() const { return mBuffer->sampleRate; }
  float* Channel(uint16_t channel) { return mBuffer->samples + size_t(channel) * mBuffer->frames; }
  const float* Channel(uint16_t channel) const { return mBuffer->samples + size_t(channel) * mBuffer->frames; }

private:
  std::unique_ptr<AudioFileBuffer> mBuffer;
};

constexpr double kUnset = std::numeric_limits<double>::quiet_NaN();

// Values read from a meter at the end of a file; kUnset where a reading is not taken.
// Loudness in LUFS, range in LU, true peak in dBTP.
struct Reading
{
  double momentary = kUnset;
  double shortTerm = kUnset;
  double integrated = kUnset;
  double range = kUnset;
  double truePeak = kUnset;
};

// The accepted deviations: loudness 0.1 LU, range 1 LU, true peak +0.2/-0.4 dB.
constexpr double kLoudnessTolerance = 0.1;
constexpr double kRangeTolerance = 1.0;
constexpr double kTruePeakAbove = 0.2;
constexpr double kTruePeakBelow = 0.4;

// One line per expected value that the measured reading misses, empty when all agree.
std::string Mismatches(const Reading& expected, const Reading& measured);

// A level step of a 1 kHz tone: duration and sine peak level.
struct Step
{
  double seconds;
  double dbfs;
};

// A conformance signal and what a meter must read at its end.
struct ConformanceCase
{
  enum class Kind {
    Tones,     // stereo 1 kHz tone through the steps, the whole list played `repeats` times
    Surround,  // five channels in film order L C R Ls Rs: 1 kHz at -28, -24, -28, -30, -30 dBFS
    TruePeak,  // stereo sine at sampleRate / divisor, starting phase and sample-free peak level
  };
  std::string name;  // usable as a file name and a test name
  Kind kind;
  std::vector<Step> steps;
  int repeats = 1;
  double divisor = 0;
  double phaseDegrees = 0;
  double peakDbfs = 0;
  Reading expected;
  // Worth repeating at the other sample rates up to this one (0: at 48 kHz only). A case whose
  // samples must sit at a quarter of the rate stops below the rates where that leaves the audio band.
  uint32_t highestRate = 0;
};

// The loudness cases (1 kHz tones: levels, gating, 5 channels, the momentary and short-term
// windows), the loudness-range cases and the true-peak sines. Independent of the sample rate.
const std::vector<ConformanceCase>& ConformanceCases();

// The rates the cases are generated at; 48 kHz first.
const std::vector<uint32_t>& ConformanceRates();

// Generates a case at a sample rate. False when the rate cannot carry it or memory fails.
bool RenderCase(const ConformanceCase& testCase, uint32_t sampleRate, Audio& out);

// Long stereo programme material: a repeating sequence of speech (from the given recording,
// which must have the target rate), tone chords, noise and silence at changing levels.
// Deterministic for the same arguments. False on a rate mismatch or allocation failure.
bool RenderMixedProgramme(const Audio& speech, double seconds, uint16_t bits, Audio& out);

}  // namespace testsignals
