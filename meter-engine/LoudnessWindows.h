#pragma once
// The sample-exact windows and the block history behind the loudness figures.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>

#include "meter-engine/ZeroedPages.h"

// The sum of n powers. A running sum keeps the rounding of every value it ever held: a value far
// larger than the rest takes the small ones' digits with it when it leaves, for good. The holders
// of running sums recount them with this whenever values have left, so that a value affects
// only the sums that hold it.
double SumOf(const double* values, size_t n);

// SumOf of a ring's lap, kept as the lap's values are written in order, so that the recount at
// the end of a lap costs one add a value spread over the lap instead of a pass over it at once.
// SumOf adds value i to partial sum i % 8 and the values after the last whole eight to the
// first; taking the values in the same order gives the same partial sums and the same total.
class LapSum
{
public:
  void Clear() { std::fill(std::begin(part_), std::end(part_), 0.0); }
  // Takes the value at `index` of a lap whose whole eights end at `wholeEights`.
  void Add(uint32_t index, uint32_t wholeEights, double value) { part_[index < wholeEights ? index % 8 : 0] += value; }
  // SumOf the lap's values; the next lap starts from nothing.
  double Take()
  {
    const double total = Combine(part_);
    Clear();
    return total;
  }

  static double Combine(const double (&part)[8])
  {
    return ((part[0] + part[1]) + (part[2] + part[3])) + ((part[4] + part[5]) + (part[6] + part[7]));
  }

private:
  double part_[8] = {};
};

// The sum of a fixed number of values, any of which may be replaced at any time, kept as a tree of
// pairwise sums: a replacement adds again only the sums on its path to the root (log2 n adds),
// and the total depends on nothing but the values held, never on values replaced before them.
class PairwiseSum
{
public:
  // Returns false, leaving the sum as it was, when n is 0 or the tree cannot be allocated.
  bool Prepare(uint32_t n);
  // Sets every value to 0.
  void Clear();
  void Set(uint32_t index, double value)
  {
    uint32_t node = n_ + index;
    node_[node] = value;
    for (node /= 2; node > 0; node /= 2)
      node_[node] = node_[2 * node] + node_[2 * node + 1];
  }
  double Total() const { return node_[1]; }

private:
  // Value i at node n + i; node k (from 1) holds the sum of nodes 2k and 2k + 1, so node 1 holds
  // them all. With one value, node 1 is that value.
  std::unique_ptr<double[]> node_;
  uint32_t n_ = 0;
};

// The powers the sliding windows have taken, as many of the latest as the longest window holds.
// Each window reads the power that leaves it from here, its own length back, so the windows share
// one ring instead of each keeping a copy of the same powers.
struct PowerHistory
{
  ZeroedArray<double> ring;
  int32_t length = 0;
  uint32_t writeIndex = 0;
  int32_t full = 0;

  // Returns false, leaving the history as it was, when the length is empty or the ring cannot be
  // allocated.
  bool Prepare(int32_t ringLength);
  // Zeroes the part of the ring written since it was last all zeros: the whole of it once it has
  // been filled, else the slots before the write index.
  void Clear();
};

// Mean power over the last `length` samples as a running sum, with a tick every 100 ms hop from
// the first sample on. The powers it holds are those of a PowerHistory at least as long; the sum
// is recounted at the end of every lap of `length` samples.
struct SlidingPowerWindow
{
  int32_t length = 0;
  uint32_t writeIndex = 0;  // the place in the current lap
  double sum = 0.0;
  LapSum lap;  // of the values written in the current lap
  double leaving = 0.0;
  double mean = 0.0;
  double maximum = 0.0;  // of the mean since the last clearing
  int32_t full = 0;
  int32_t hopTick = 0;
  int32_t hasData = 0;
  int32_t hopCounter = 0;
  int32_t hopLength = 0;

  // Returns false, leaving the window as it was, when the lengths are empty.
  bool Prepare(double windowMs, double sampleRate);
  // Empties the window; the history it reads must be cleared with it.
  void Clear();

  // Takes n powers into the history and into each of the windows, as n single steps of each
  // would; the means, their maxima and the hop ticks are those after the last. A hop may end only
  // at the last power. No window may be longer than the history, and the history must have been
  // cleared with the windows. The windows go side by side, so that their running sums, each a
  // chain of dependent adds, overlap instead of waiting on one another.
  template <int N>
  static void Step(PowerHistory& history, SlidingPowerWindow* const (&windows)[N], const double* powers, int n)
  {
    bool filling = false;
    for (const SlidingPowerWindow* window : windows)
      filling = filling || !window->full;
    if (filling)
      Run<N, true>(history, windows, powers, n);
    else
      Run<N, false>(history, windows, powers, n);
  }

private:
  // Step, with kFilling set while a window has not yet held its length of powers since it was
  // cleared. What leaves such a window is zero and is not read: it would be read from the part of
  // the history not yet written, whose pages a measurement shorter than the longest window never
  // needs to touch.
  template <int N, bool kFilling>
  static void Run(PowerHistory& history, SlidingPowerWindow* const (&windows)[N], const double* powers, int n)
  {
    double s[N], out[N], top[N];
    double* const ring = history.ring.get();
    const auto ringLength = static_cast<uint32_t>(history.length);
    uint32_t h = history.writeIndex;
    uint32_t r[N], w[N], wholeEights[N];
    bool full[N];
    for (int k = 0; k < N; ++k)
    {
      s[k] = windows[k]->sum;
      out[k] = windows[k]->leaving;
      top[k] = 0.0;
      const auto length = static_cast<uint32_t>(windows[k]->length);
      r[k] = h >= length ? h - length : h + ringLength - length;  // the power written `length` ago
      w[k] = windows[k]->writeIndex;
      wholeEights[k] = length / 8 * 8;
      full[k] = windows[k]->full != 0;
    }
    for (int i = 0; i < n; ++i)
    {
      const double p = powers[i];
#pragma GCC unroll 4
      for (int k = 0; k < N; ++k)
      {
        s[k] += p;
        out[k] = kFilling && !full[k] ? 0.0 : ring[r[k]];
        if (++r[k] == ringLength)
          r[k] = 0;
        windows[k]->lap.Add(w[k], wholeEights[k], p);
        s[k] = std::max(0.0, s[k] - out[k]);  // rounding must not drive the sum negative
        top[k] = std::max(top[k], s[k]);
        if (++w[k] == static_cast<uint32_t>(windows[k]->length))
        {
          w[k] = 0;
          full[k] = true;
          windows[k]->full = 1;
          s[k] = windows[k]->lap.Take();
        }
      }
      // Written after every window has read: the longest reads the very slot.
      ring[h] = p;
      if (++h == ringLength)
      {
        h = 0;
        history.full = 1;
      }
    }
    history.writeIndex = h;
    for (int k = 0; k < N; ++k)
      windows[k]->Finish(s[k], out[k], top[k], w[k], n);
  }

  // Stores what a run of n steps ends with.
  void Finish(double runSum, double lastLeaving, double largestSum, uint32_t index, int n)
  {
    sum = runSum;
    leaving = lastLeaving;
    writeIndex = index;
    mean = sum / length;
    // The sums are never negative nor NaN, and dividing by the length keeps their order, so the
    // largest sum gives the largest of the means.
    maximum = std::max(maximum, largestSum / length);
    hasData = n > 0 ? 1 : hasData;
    hopCounter += n;
    hopTick = 0;
    if (hopCounter >= hopLength)
    {
      hopCounter = 0;
      hopTick = 1;
    }
  }
};

// The samples of the current 100 ms hop, for the speech detector.
struct HopSampleBuffer
{
  std::unique_ptr<float[]> samples;
  int32_t count = 0;
  int32_t writeIndex = 0;
  uint8_t complete = 0;  // 1 only on the sample that fills the last slot

  bool Prepare(double lengthMs, double sampleRate);
  void Clear();

  void Push(float sample)
  {
    samples[writeIndex] = sample;
    complete = 0;
    if (++writeIndex == count)
    {
      writeIndex = 0;
      complete = 1;
    }
  }
};

// The blocks an IntegratedGate holds, sorted into 0.1 LU bins of their loudness from the absolute
// gate up (the top bin takes everything above). Each bin keeps its count, the sum of its powers
// and its blocks oldest first, so that the relative pass adds up whole bins above the threshold
// and looks at single blocks only in the bin the threshold falls in: its cost does not grow with
// the number of blocks held. A bin's sum starts again from zero whenever the bin empties, so a
// block leaves no rounding behind in bins it never was in.
class GateBins
{
public:
  struct Gated
  {
    double sum = 0.0;
    uint32_t count = 0;
  };

  bool Prepare(uint32_t capacity, double lowest);
  void Clear();
  // Files the block in ring slot `slot`, which must not be filed already.
  void Insert(uint32_t slot, double loudness, double power);
  // Takes out the block in ring slot `slot`, which must be the oldest of its bin.
  void Remove(uint32_t slot, double loudness, double power);
  // The sum of the powers held, bin by bin.
  double Total() const;
  // The blocks whose loudness is at or above the threshold, given every slot's loudness and power.
  Gated AtOrAbove(double threshold, const double* loudness, const double* power) const;

private:
  static constexpr double kBinsPerLu = 10.0;
  static constexpr int kBinCount = 1940;  // 194 LU: from the lowest gate, -144 LUFS, up to +50
  static constexpr uint32_t kNone = UINT32_MAX;

  // The bin of a loudness, -1 below the lowest; comparing bins keeps the order of the loudness.
  int BinOf(double loudness) const;

  // All zeros is an empty bin; an empty bin's ends are never read.
  struct Bin
  {
    double sum = 0.0;
    uint32_t count = 0;
    uint32_t oldest = 0, newest = 0;
  };
  ZeroedArray<Bin> bins_;
  ZeroedArray<uint32_t> next_;  // the next newer slot in the same bin
  uint32_t capacity_ = 0;
  double lowest_ = 0.0;
  // The bins filed in since the last clearing lie between these; the rest are empty.
  int lowestUsed_ = kBinCount;
  int highestUsed_ = -1;
};

// Two-stage gated loudness of the last hour of 100 ms blocks: an absolute gate on entry, then a
// relative gate below the mean of the blocks held.
struct IntegratedGate
{
  static constexpr uint32_t kCapacity = 36000;

  double sum = 0.0;  // of the stored powers
  double gatedMean = -144.0;
  ZeroedArray<double> ring;
  // Loudness of each stored power, computed once when it is stored so that the relative pass
  // compares without a logarithm per entry (the same values the pass would compute).
  ZeroedArray<double> ringLoudness;
  uint32_t capacity = 0;
  uint32_t writeIndex = 0;
  int32_t full = 0;
  double integrated = -144.0;
  double absoluteGate = -144.0;
  double relativeGate = -144.0;
  GateBins bins;

  bool Prepare(uint32_t blocks, double absolute, double relative);
  void Clear();
  void AddBlock(double power);
  bool HasBlocks() const { return full != 0 || writeIndex > 0; }
};
