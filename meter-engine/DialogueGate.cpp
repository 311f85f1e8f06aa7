#include "meter-engine/DialogueGate.h"

#include "meter-engine/LevelScales.h"
#include "speech-detector/SpeechDetector.h"

#include <algorithm>
#include <new>

const SpeechDetectorCalls kSpeechDetector = {vadGetSize, vadInit, vadProcess};

void DialogueGate::Prepare(uint32_t capacity, int32_t blockLength, double sampleRate)
{
  sampleRate_ = sampleRate;
  Disable();
  // Compared after truncation to whole hertz; the range check keeps the conversion defined.
  const int rate = sampleRate > 0.0 && sampleRate < 1e6 ? static_cast<int>(sampleRate) : 0;
  if ((rate != 32000 && rate != 44100 && rate != 48000) || capacity == 0 || blockLength <= 0)
    return;

  const auto block = static_cast<uint32_t>(blockLength);
  const bool ringMade = speechPowers_.Prepare(capacity);
  detectorStateSize_ = detector_.getSize(rate, block);
  if (detectorStateSize_ > 0)
    detectorState_.reset(new (std::nothrow) unsigned char[detectorStateSize_]);
  if (!ringMade || !detectorState_ || detector_.init(detectorState_.get(), detectorStateSize_, rate, block) < 0)
  {
    Disable();
    return;
  }
  capacity_ = capacity;
  blockLength_ = blockLength;

  // Priming: silence until the first decision. The call count is the latency; the delay is cut
  // at 128 blocks, so priming stops there too rather than run on for a detector that never
  // decides.
  const std::unique_ptr<float[]> zeros(new (std::nothrow) float[block]());
  if (!zeros)
  {
    Disable();
    return;
  }
  constexpr uint32_t maxDelay = BlockDelay<double>::kCapacity;
  const uint64_t samplesPer100ms = rate / 10;
  uint64_t calls = 0;
  for (int32_t decision = -1; decision == -1 && calls * block / samplesPer100ms <= maxDelay; ++calls)
    decision = detector_.process(detectorState_.get(), zeros.get(), block);
  const uint64_t latency = calls * block / samplesPer100ms;
  powerDelay_.SetLength(static_cast<uint32_t>(std::min<uint64_t>(latency, maxDelay)));
  shortTermDelay_.SetLength(powerDelay_.Length());

  enabled_ = true;
  Reset();
}

void DialogueGate::Disable()
{
  enabled_ = false;
  speechPowers_ = PairwiseSum();
  detectorState_.reset();
  detectorStateSize_ = 0;
  capacity_ = 0;
  powerDelay_.SetLength(0);
  shortTermDelay_.SetLength(0);
  ClearMeasurement();
}

void DialogueGate::ClearMeasurement()
{
  speechPowers_.Clear();
  speechPowerSum_ = 0.0;
  meanSpeechPower_ = 0.0;
  writeIndex_ = 0;
  full_ = false;
  blockCount_ = 0;
  speechBlockCount_ = 0;
  powerDelay_.Clear();
  shortTermDelay_.Clear();
}

void DialogueGate::Reset()
{
  ClearMeasurement();
  if (enabled_)
    detector_.init(detectorState_.get(), detectorStateSize_, static_cast<int>(sampleRate_),
                   static_cast<uint32_t>(blockLength_));
}

int DialogueGate::ProcessBlock(const float* samples, double blockPower)
{
  if (!enabled_)
    return 0;
  const double power = powerDelay_.Exchange(blockPower);
  int speech = 0;
  // Blocks below the gate never reach the detector.
  if (levels::Loudness(power) >= kAbsoluteGate &&
      detector_.process(detectorState_.get(), samples, static_cast<uint32_t>(blockLength_)) == 1)
  {
    ++speechBlockCount_;
    AddSpeechPower(power);
    speech = 1;
  }
  ++blockCount_;
  const uint32_t stored = full_ ? capacity_ : writeIndex_;
  if (stored > 0)
    meanSpeechPower_ = speechPowerSum_ / stored;
  if (writeIndex_ == capacity_)
  {
    writeIndex_ = 0;
    full_ = true;
  }
  return speech;
}

void DialogueGate::AddSpeechPower(double power)
{
  speechPowers_.Set(writeIndex_++, power);
  // Until the ring is full no block leaves and the sum only grows; after that the tree's total
  // is taken, in which a block that has left leaves no rounding behind.
  speechPowerSum_ = full_ ? speechPowers_.Total() : speechPowerSum_ + power;
}
