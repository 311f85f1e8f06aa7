#include "meter-engine/LoudnessWindows.h"

#include <new>

#include "meter-engine/LevelScales.h"
#include "meter-engine/SampleCount.h"

namespace {

template <typename T>
std::unique_ptr<T[]> NewArray(int64_t n)
{
  return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<size_t>(n)]);
}

}  // namespace

double SumOf(const double* values, size_t n)
{
  // Eight partial sums, so that the adds overlap instead of waiting on one another.
  double part[8] = {};
  size_t i = 0;
  for (; i + 8 <= n; i += 8)
    for (size_t j = 0; j < 8; ++j) part[j] += values[i + j];
  for (; i < n; ++i) part[0] += values[i];
  return ((part[0] + part[1]) + (part[2] + part[3])) + ((part[4] + part[5]) + (part[6] + part[7]));
}

bool SlidingPowerWindow::Prepare(double windowMs, double sampleRate)
{
  const int32_t windowLength = SampleCount(windowMs, sampleRate);
  const int32_t hop = SampleCount(100.0, sampleRate);
  if (windowLength == 0 || hop == 0) return false;
  auto newRing = NewArray<double>(windowLength);
  if (!newRing) return false;
  ring = std::move(newRing);
  length = windowLength;
  hopLength = hop;
  Clear();
  return true;
}

void SlidingPowerWindow::Clear()
{
  std::fill(ring.get(), ring.get() + length, 0.0);
  writeIndex = 0;
  sum = leaving = mean = maximum = 0.0;
  full = hopTick = hasData = hopCounter = 0;
}

bool HopSampleBuffer::Prepare(double lengthMs, double sampleRate)
{
  const int32_t n = SampleCount(lengthMs, sampleRate);
  if (n == 0) return false;
  auto newSamples = NewArray<float>(n);
  if (!newSamples) return false;
  samples = std::move(newSamples);
  count = n;
  Clear();
  return true;
}

void HopSampleBuffer::Clear()
{
  std::fill(samples.get(), samples.get() + count, 0.0f);
  writeIndex = 0;
  complete = 0;
}

bool IntegratedGate::Prepare(uint32_t blocks, double absolute, double relative)
{
  if (blocks < 1) return false;
  auto newRing = NewArray<double>(blocks);
  auto newLoudness = NewArray<double>(blocks);
  if (!newRing || !newLoudness) return false;
  ring = std::move(newRing);
  ringLoudness = std::move(newLoudness);
  capacity = blocks;
  absoluteGate = absolute;
  relativeGate = relative;
  Clear();
  return true;
}

void IntegratedGate::Clear()
{
  std::fill(ring.get(), ring.get() + capacity, 0.0);
  std::fill(ringLoudness.get(), ringLoudness.get() + capacity, levels::kSilenceLevel);
  writeIndex = 0;
  full = 0;
  sum = 0.0;
  gatedMean = -144.0;
  integrated = -144.0;
}

void IntegratedGate::AddBlock(double power)
{
  const bool wasFull = full != 0;
  const double loudness = levels::Loudness(power);
  if (loudness >= absoluteGate) {
    ring[writeIndex] = power;
    ringLoudness[writeIndex] = loudness;
    ++writeIndex;
    // Until the ring is full no block leaves and the sum only grows.
    sum = wasFull ? SumOf(ring.get(), capacity) : sum + power;
  }
  const uint32_t count = wasFull ? capacity : writeIndex;
  if (count > 0) {
    gatedMean = levels::Loudness(sum / count);
    const double threshold = gatedMean + relativeGate;
    double gatedSum = 0.0;
    uint32_t gatedCount = 0;
    // Adding 0.0 for a block below the threshold leaves the sum unchanged, so the pass can run
    // without a branch per block.
    for (uint32_t i = 0; i < count; ++i) {
      const bool passes = ringLoudness[i] >= threshold;
      gatedSum += passes ? ring[i] : 0.0;
      gatedCount += passes;
    }
    integrated = gatedCount > 0 ? levels::Loudness(gatedSum / gatedCount) : levels::kSilenceLevel;
  } else {
    gatedMean = integrated;
  }
  if (writeIndex == capacity) {
    writeIndex = 0;
    full = 1;
  }
}
