#pragma once
// Loudness range over a sliding one-hour history of short-term levels, quantised to 0.1 dB.
#include <cstdint>
#include <memory>

#include "meter-engine/LevelScales.h"
#include "meter-engine/ZeroedPages.h"

class LoudnessHistogram
{
public:
  static constexpr uint32_t kBinCount = 1001;  // 0.1 dB bins from the absolute gate up to +30 dB

  // Allocates the ring and clears; returns false, leaving the histogram as it was, when the
  // ring cannot be allocated.
  bool Prepare(uint32_t capacity, double absoluteGate, double relativeGate, double lowPercentile,
               double highPercentile);
  // Empties the history; the settings stay.
  void Clear();
  // One short-term power; levels below the absolute gate are not counted.
  void Add(double power);

  bool HasEntries() const { return full != 0 || writeIndex > 0; }
  uint32_t Capacity() const { return capacity_; }
  uint32_t BinCount(int bin) const { return binCounts_[bin]; }
  double BinLevel(int bin) const { return bin / 10.0 + absoluteGate_; }
  double RelativeGate() const { return relativeGate_; }

  uint32_t writeIndex = 0;
  int32_t full = 0;
  double range = -144.0;
  double powerSum = 0.0;  // of the quantised levels in the ring
  double meanLevel = -144.0;
  double relativeThreshold = -144.0;
  double low = -144.0;
  double high = -144.0;

private:
  // Level of the value at index i of the ascending list of the gated levels, starting at bin
  // `first`: the bin whose cumulative count passes i.
  double LevelAt(uint32_t i, int first) const;
  // The power of a bin's level: what a level in the bin adds to powerSum.
  double BinPower(int bin) const { return levels::PowerOfLevel(BinLevel(bin)); }

  ZeroedArray<int32_t> ring_;  // bin of each accepted level
  ZeroedArray<uint32_t> binCounts_;
  uint32_t capacity_ = 0;
  double absoluteGate_ = -70.0;
  double relativeGate_ = -20.0;
  double lowPercentile_ = 10.0;
  double highPercentile_ = 95.0;
};
