#pragma once
// The speech-gated ("Dial") values: each 100 ms block goes to the speech detector, and the
// momentary powers of the blocks it calls speech make a sliding one-hour mean. The detector
// decides only after a delay, measured in blocks when the gate is prepared; block powers (and,
// for the engine, short-term powers) are delayed by as many blocks before they are paired with
// the decisions.
#include <array>
#include <cstdint>
#include <memory>

#include "meter-engine/LoudnessWindows.h"

// The three calls the gate makes of a speech detector. Tests put a scripted detector in place of
// the real one to check the pairing and the delays.
struct SpeechDetectorCalls
{
  uint64_t (*getSize)(uint32_t sampleRate, uint32_t blockLen);
  int32_t (*init)(void* state, uint64_t size, uint32_t sampleRate, uint32_t blockLen);
  // -1 while no decision exists yet, else 0 (no speech) or 1 (speech).
  int32_t (*process)(void* state, const float* samples, uint32_t n);
};

extern const SpeechDetectorCalls kSpeechDetector;

// A fixed ring of at most kCapacity entries that gives back, for each value put in, the value
// put in `length` calls earlier (a default-constructed T until then). Length 0 passes values
// straight through.
template <typename T>
class BlockDelay
{
public:
  static constexpr uint32_t kCapacity = 128;

  void SetLength(uint32_t length)
  {
    length_ = length < kCapacity ? length : kCapacity;
    Clear();
  }
  uint32_t Length() const { return length_; }

  T Exchange(T value)
  {
    if (length_ == 0)
      return value;
    T out = entries_[index_];
    entries_[index_] = value;
    index_ = index_ + 1 == length_ ? 0 : index_ + 1;
    return out;
  }

  void Clear()
  {
    entries_.fill(T{});
    index_ = 0;
  }

private:
  std::array<T, kCapacity> entries_{};
  uint32_t length_ = 0;
  uint32_t index_ = 0;
};

// A short-term power on its way through the engine's delay, with whether its window was full.
struct DelayedShortTerm
{
  double power = 0.0;
  bool windowFull = false;
};

class DialogueGate
{
public:
  static constexpr double kAbsoluteGate = -70.0;  // LUFS

  explicit DialogueGate(const SpeechDetectorCalls& detector = kSpeechDetector) : detector_(detector) {}
  // Movable so that an engine can be built aside and moved in; a moved-from gate must be
  // prepared again before use.
  DialogueGate(DialogueGate&&) = default;
  DialogueGate& operator=(DialogueGate&&) = default;

  // The detector that the next Prepare sets up.
  void UseDetector(const SpeechDetectorCalls& detector) { detector_ = detector; }
  const SpeechDetectorCalls& Detector() const { return detector_; }

  // (Re)creates the detector for the rate and measures its latency. Only 32000, 44100 and
  // 48000 Hz are supported; at any other rate, or when memory or the detector's set-up fails,
  // the gate stays disabled and every block counts as no speech without being counted.
  void Prepare(uint32_t capacity, int32_t blockLength, double sampleRate);

  // One completed block: its samples and the momentary power at its end. Returns 1 when the
  // (delayed) block is speech, else 0.
  int ProcessBlock(const float* samples, double blockPower);

  // Delays a short-term power by the detector latency, as the block powers are.
  DelayedShortTerm DelayShortTerm(DelayedShortTerm value) { return shortTermDelay_.Exchange(value); }

  // Starts a new measurement: clears the speech mean, the counters and both delays, and
  // restarts the detector. The latency stays.
  void Reset();

  bool IsEnabled() const { return enabled_; }
  uint32_t LatencyBlocks() const { return powerDelay_.Length(); }
  uint32_t WriteIndex() const { return writeIndex_; }
  // Whether the speech mean holds any block, also just after the ring has wrapped.
  bool HasSpeech() const { return full_ || writeIndex_ > 0; }
  double MeanSpeechPower() const { return meanSpeechPower_; }
  uint32_t BlockCount() const { return blockCount_; }
  uint32_t SpeechBlockCount() const { return speechBlockCount_; }

private:
  void Disable();
  void ClearMeasurement();
  void AddSpeechPower(double power);

  SpeechDetectorCalls detector_;
  double speechPowerSum_ = 0.0;
  PairwiseSum speechPowers_;  // the ring of the speech blocks' powers
  uint32_t capacity_ = 0;
  uint32_t writeIndex_ = 0;
  bool full_ = false;
  double meanSpeechPower_ = 0.0;
  std::unique_ptr<unsigned char[]> detectorState_;
  int32_t blockLength_ = 0;
  double sampleRate_ = 0.0;
  uint64_t detectorStateSize_ = 0;
  bool enabled_ = false;
  uint32_t blockCount_ = 0;
  uint32_t speechBlockCount_ = 0;
  BlockDelay<double> powerDelay_;
  BlockDelay<DelayedShortTerm> shortTermDelay_;
};
