#include "meter-engine/LoudnessWindows.h"

#include <cmath>
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
    for (size_t j = 0; j < 8; ++j)
      part[j] += values[i + j];
  for (; i < n; ++i)
    part[0] += values[i];
  return LapSum::Combine(part);
}

bool PairwiseSum::Prepare(uint32_t n)
{
  if (n == 0)
    return false;
  auto nodes = NewArray<double>(2 * int64_t(n));
  if (!nodes)
    return false;
  node_ = std::move(nodes);
  n_ = n;
  Clear();
  return true;
}

void PairwiseSum::Clear()
{
  std::fill(node_.get(), node_.get() + 2 * size_t(n_), 0.0);
}

bool PowerHistory::Prepare(int32_t ringLength)
{
  if (ringLength < 1)
    return false;
  ZeroedArray<double> newRing = NewZeroedArray<double>(static_cast<size_t>(ringLength));
  if (!newRing)
    return false;
  ring = std::move(newRing);
  length = ringLength;
  writeIndex = 0;
  full = 0;
  return true;
}

void PowerHistory::Clear()
{
  std::fill(ring.get(), ring.get() + (full ? length : static_cast<int32_t>(writeIndex)), 0.0);
  writeIndex = 0;
  full = 0;
}

bool SlidingPowerWindow::Prepare(double windowMs, double sampleRate)
{
  const int32_t windowLength = SampleCount(windowMs, sampleRate);
  const int32_t hop = SampleCount(100.0, sampleRate);
  if (windowLength == 0 || hop == 0)
    return false;
  length = windowLength;
  hopLength = hop;
  Clear();
  return true;
}

void SlidingPowerWindow::Clear()
{
  writeIndex = 0;
  lap.Clear();
  sum = leaving = mean = maximum = 0.0;
  full = hopTick = hasData = hopCounter = 0;
}

bool HopSampleBuffer::Prepare(double lengthMs, double sampleRate)
{
  const int32_t n = SampleCount(lengthMs, sampleRate);
  if (n == 0)
    return false;
  auto newSamples = NewArray<float>(n);
  if (!newSamples)
    return false;
  samples = std::move(newSamples);
  count = n;
  Clear();
  return true;
}

// The samples are read only once a whole hop has been written, so the old ones need no clearing.
void HopSampleBuffer::Clear()
{
  writeIndex = 0;
  complete = 0;
}

bool GateBins::Prepare(uint32_t capacity, double lowest)
{
  auto newBins = NewZeroedArray<Bin>(kBinCount);
  auto newNext = NewZeroedArray<uint32_t>(capacity);
  if (!newBins || !newNext)
    return false;
  bins_ = std::move(newBins);
  next_ = std::move(newNext);
  capacity_ = capacity;
  lowest_ = std::max(lowest, levels::kSilenceLevel);
  lowestUsed_ = kBinCount;
  highestUsed_ = -1;
  return true;
}

// Only the bins used since the last clearing can hold anything. A slot's link is written when the
// slot is filed and read only while it is, so the links of an hour of slots are left as they are.
void GateBins::Clear()
{
  if (highestUsed_ >= lowestUsed_)
    std::fill(bins_.get() + lowestUsed_, bins_.get() + highestUsed_ + 1, Bin{});
  lowestUsed_ = kBinCount;
  highestUsed_ = -1;
}

int GateBins::BinOf(double loudness) const
{
  // Clamped as a double: a loudness may be infinite. It is never NaN.
  const double bin = std::floor((loudness - lowest_) * kBinsPerLu);
  return static_cast<int>(std::clamp(bin, -1.0, kBinCount - 1.0));
}

void GateBins::Insert(uint32_t slot, double loudness, double power)
{
  const int b = std::max(0, BinOf(loudness));
  lowestUsed_ = std::min(lowestUsed_, b);
  highestUsed_ = std::max(highestUsed_, b);
  Bin& bin = bins_[b];
  if (bin.count++ == 0)
    bin.oldest = slot;
  else
    next_[bin.newest] = slot;
  bin.newest = slot;
  next_[slot] = kNone;
  bin.sum += power;
}

void GateBins::Remove(uint32_t slot, double loudness, double power)
{
  Bin& bin = bins_[std::max(0, BinOf(loudness))];
  bin.oldest = next_[slot];
  bin.sum = --bin.count == 0 ? 0.0 : bin.sum - power;
}

double GateBins::Total() const
{
  double total = 0.0;
  for (int b = lowestUsed_; b <= highestUsed_; ++b)
    total += bins_[b].sum;
  return total;
}

GateBins::Gated GateBins::AtOrAbove(double threshold, const double* loudness, const double* power) const
{
  // A block in a bin above the threshold's lies above the threshold, one in a bin below lies
  // below it; only the threshold's own bin needs its blocks compared one by one.
  const int edge = BinOf(threshold);
  Gated gated;
  for (int b = highestUsed_; b > edge; --b)
  {
    gated.sum += bins_[b].sum;
    gated.count += bins_[b].count;
  }
  if (edge >= 0 && bins_[edge].count > 0)
    for (uint32_t slot = bins_[edge].oldest; slot != kNone; slot = next_[slot])
      if (loudness[slot] >= threshold)
      {
        gated.sum += power[slot];
        ++gated.count;
      }
  return gated;
}

bool IntegratedGate::Prepare(uint32_t blocks, double absolute, double relative)
{
  if (blocks < 1)
    return false;
  auto newRing = NewZeroedArray<double>(blocks);
  auto newLoudness = NewZeroedArray<double>(blocks);
  GateBins newBins;
  if (!newRing || !newLoudness || !newBins.Prepare(blocks, absolute))
    return false;
  ring = std::move(newRing);
  ringLoudness = std::move(newLoudness);
  bins = std::move(newBins);
  capacity = blocks;
  absoluteGate = absolute;
  relativeGate = relative;
  Clear();
  return true;
}

// The rings are sized for an hour of blocks. A slot is read only once written: the block leaving a
// full ring was stored a lap before, and the bins file only stored slots. So clearing leaves the
// rings as they are, and a short measurement touches only the slots it fills.
void IntegratedGate::Clear()
{
  bins.Clear();
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
  if (loudness >= absoluteGate)
  {
    if (wasFull)
      bins.Remove(writeIndex, ringLoudness[writeIndex], ring[writeIndex]);
    ring[writeIndex] = power;
    ringLoudness[writeIndex] = loudness;
    bins.Insert(writeIndex, loudness, power);
    ++writeIndex;
    // Until the ring is full no block leaves and the sum only grows; after that it is recounted
    // from the bins, so that a block that has left takes its rounding with it.
    sum = wasFull ? bins.Total() : sum + power;
  }
  const uint32_t count = wasFull ? capacity : writeIndex;
  if (count > 0)
  {
    gatedMean = levels::Loudness(sum / count);
    const GateBins::Gated gated = bins.AtOrAbove(gatedMean + relativeGate, ringLoudness.get(), ring.get());
    integrated = gated.count > 0 ? levels::Loudness(gated.sum / gated.count) : levels::kSilenceLevel;
  }
  else
  {
    gatedMean = integrated;
  }
  if (writeIndex == capacity)
  {
    writeIndex = 0;
    full = 1;
  }
}
