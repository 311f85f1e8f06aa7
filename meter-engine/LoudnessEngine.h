#pragma once
// Turns the weighted samples of up to ten channels into momentary, short-term and integrated
// loudness, loudness range, PLR and PSR, and keeps the peak figures of the same frames.
#include <cstdint>
#include <memory>

#include "meter-engine/DialogueGate.h"
#include "meter-engine/LoudnessHistogram.h"
#include "meter-engine/LoudnessWindows.h"
#include "meter-engine/MeasurementRecords.h"
#include "meter-engine/PeakDetection.h"

enum class MeasurementMode : uint32_t { Sum = 0, AES17 = 1, Avg = 2 };
enum class GateMode : int32_t { Off = 0, G8 = 1, G10 = 2, Dial = 3 };

// The measured channels of a configuration in slot order, listed once so that the per-frame
// work walks them instead of testing all ten slots.
struct ChannelList
{
  ChannelList(const ChannelConfig& config);  // implicit: a configuration stands for its list
  int index[kMeterChannels];
  int count = 0;
};

// An attack/release one-pole follower: s = (s - x) * c + x.
struct Smoother
{
  double attack = 0.0;
  double release = 0.0;
  double state = 0.0;

  double Step(double x) { return state = (state - x) * (x > state ? attack : release) + x; }
};

// Plain members throughout: the display feed, the alerts and the history read the result
// fields directly.
class LoudnessEngine
{
public:
  static constexpr int kChannels = kMeterChannels;

  // An engine with no buffers; it must be set up before use.
  LoudnessEngine() = default;

  // (Re)builds every buffer for the settings and clears the measurement. On failure (a rate
  // too low for a 100 ms hop, or memory) the engine is left exactly as it was and false is
  // returned.
  bool Setup(int32_t gateMode, uint32_t measurementMode, double sampleRate, double shortTermMs, double momentaryMs);
  // A new engine set up for the settings, its speech detector `detector`; null where Setup
  // would fail. For a caller that builds the engine aside itself and needs no second one.
  static std::unique_ptr<LoudnessEngine> Create(int32_t gateMode, uint32_t measurementMode, double sampleRate,
                                                double shortTermMs, double momentaryMs,
                                                const SpeechDetectorCalls& detector = kSpeechDetector);
  // Clears the measurement without reallocating.
  void Reset();
  // False until a set-up has succeeded; until then the per-frame stages do nothing.
  bool IsSetUp() const { return momentary.length > 0; }

  // Peak stage on n frames: sample peaks, true peaks, the windowed peak and the meters, with the
  // results of handing the frames over one at a time. Each channel's interpolator runs through
  // all n frames at once, where the frames' sums overlap instead of waiting on one another.
  void ProcessPeaks(const uint8_t enabled[kChannels], int32_t peakMode, const double (*x)[kChannels], int n);
  // Loudness stage on n frames of weighted, channel-weighted samples y, with the speech
  // detector's sample of each frame. A hop's figures read the peaks of the frames up to its
  // end, so the peak stage must have seen those frames: hand over at most FramesToHop() frames
  // after their peaks, or more where no peak figure matters.
  void Process(const ChannelList& channels, bool truePeak, bool active, bool leqM, const double (*y)[kChannels],
               const double* speech, int n);
  // Frames up to and including the end of the current 100 ms hop; 1 in "Dial", where every
  // frame's speech sample goes to the detector on its own and PLR follows every frame.
  int FramesToHop() const;
  // Starts the next 100 ms period of the period maxima.
  void ClearPeriodMaxima();

  // Largest true peak of the ten channels since the last reset (not below 0).
  double TruePeakMax() const;
  // Largest true peak of the ten channels in the current 100 ms period (not below 0).
  double TruePeakPeriodMax() const;

  MeasurementMode measurementMode = MeasurementMode::Sum;
  GateMode gateMode = GateMode::Off;
  double momentaryMs = 0.0;
  double shortTermMs = 0.0;
  double gateAbsolute = -144.0;
  double gateRelative = -144.0;
  double rangeAbsoluteGate = -70.0, rangeRelativeGate = -20.0, rangeLowPercentile = 10.0, rangeHighPercentile = 95.0;

  double samplePeak = 0.0;
  double samplePeakMax = 0.0;        // since the last reset, for PLR
  double samplePeakPeriodMax = 0.0;  // of the current 100 ms period
  TruePeakOversampler oversamplers[kChannels];

  SlidingPowerWindow shortTerm;
  SlidingPowerWindow momentary;
  PowerHistory powerHistory;  // the powers of both windows
  HopSampleBuffer hopBuffer;
  IntegratedGate integratedGate;
  DialogueGate dialogueGate;
  LoudnessHistogram mainHistogram;
  LoudnessHistogram speechHistogram;
  int32_t dialoguePresent = 0;
  double plr = -144.0;
  PeakWindowTracker peakTracker;
  Smoother windowPeakSmoother;
  double psr = 0.0;
  double psrMin = 0.0;
  PeakBallistics ballistics[kChannels];
  Smoother leqMSmoother;

private:
  // The work of ProcessPeaks, built once for each instruction set. Only ProcessPeaks calls it:
  // compilers agree on how to call such a function only after its definition, in the same file.
  void PeakStage(const uint8_t enabled[kChannels], int32_t peakMode, const double (*x)[kChannels], int n);
  bool Build(int32_t gate, uint32_t mode, double sampleRate, double shortTerm, double momentary);
  // The work after the windows have taken a frame that may end a hop.
  void FinishFrame(bool truePeak, bool leqM, double speechSample);
  // PLR against a reference loudness in LUFS.
  void UpdatePlr(double reference, bool truePeak);
  void UpdatePsr();
};
