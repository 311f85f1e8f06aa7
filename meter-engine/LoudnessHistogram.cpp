#include "meter-engine/LoudnessHistogram.h"

#include <algorithm>
#include <cmath>

#include "meter-engine/LevelScales.h"

bool LoudnessHistogram::Prepare(uint32_t capacity, double absoluteGate, double relativeGate, double lowPercentile,
                                double highPercentile)
{
  ZeroedArray<int32_t> ring = NewZeroedArray<int32_t>(capacity > 0 ? capacity : 1);
  ZeroedArray<uint32_t> counts = NewZeroedArray<uint32_t>(kBinCount);
  if (!ring || !counts)
    return false;
  ring_ = std::move(ring);
  binCounts_ = std::move(counts);
  writeIndex = 0;  // the counts are fresh: nothing to clear
  full = 0;
  capacity_ = capacity > 0 ? capacity : 1;
  absoluteGate_ = absoluteGate;
  relativeGate_ = relativeGate;
  lowPercentile_ = lowPercentile;
  highPercentile_ = highPercentile;
  Clear();
  return true;
}

// The ring is sized for an hour of levels, and a slot is read only when a full ring drops the level
// stored there a lap before: clearing leaves the ring as it is, and a short measurement touches
// only the slots it fills. A histogram that holds no level has every count at zero.
void LoudnessHistogram::Clear()
{
  if (HasEntries())
    std::fill(binCounts_.get(), binCounts_.get() + kBinCount, 0u);
  low = high = range = meanLevel = -144.0;
  relativeThreshold = -144.0;
  powerSum = 0.0;
  writeIndex = 0;
  full = 0;
}

void LoudnessHistogram::Add(double power)
{
  const double v = levels::PowerLevel(power);
  if (v < absoluteGate_)
  {
    relativeThreshold = -144.0;
    return;
  }
  const bool wasFull = full != 0;
  if (wasFull)
  {
    const int32_t leaving = ring_[writeIndex];
    powerSum -= BinPower(leaving);
    --binCounts_[leaving];
  }
  const double clamped = std::clamp(v, -70.0, 30.0);
  const int32_t bin = std::clamp(static_cast<int32_t>((clamped - absoluteGate_) * 10.0), 0,
                                 static_cast<int32_t>(kBinCount) - 1);
  powerSum += BinPower(bin);
  ring_[writeIndex] = bin;
  ++binCounts_[bin];
  ++writeIndex;

  const uint32_t n = wasFull ? capacity_ : writeIndex;
  meanLevel = levels::PowerLevel(powerSum / n);
  relativeThreshold = meanLevel + relativeGate_;

  // The gated levels are a run of whole bins from `first` upward, ascending by construction;
  // the percentiles are read from the cumulative bin counts.
  int first = 0;
  uint32_t below = 0;
  if (relativeGate_ >= -140.0)
  {
    while (first < static_cast<int>(kBinCount) - 1 && BinLevel(first) < relativeThreshold)
      below += binCounts_[first++];
  }
  const uint32_t m = std::max(n - below, 1u);  // the highest level present always passes
  const auto indexOf = [m](double percentile) {
    return static_cast<uint32_t>(std::floor((m - 1) * percentile / 100.0 + 0.5));
  };
  low = LevelAt(indexOf(lowPercentile_), first);
  high = LevelAt(indexOf(highPercentile_), first);
  range = levels::RoundToTenth(std::max(0.0, high - low));

  if (writeIndex == capacity_)
  {
    writeIndex = 0;
    full = 1;
  }
}

double LoudnessHistogram::LevelAt(uint32_t i, int first) const
{
  uint32_t seen = 0;
  for (int b = first; b < static_cast<int>(kBinCount); ++b)
  {
    seen += binCounts_[b];
    if (seen > i)
      return BinLevel(b);
  }
  return BinLevel(static_cast<int>(kBinCount) - 1);
}
