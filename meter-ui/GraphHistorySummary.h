#pragma once
// What the graph needs of every history point for the passes that visit the whole history each
// frame (the overview strip, the marks of a long view), packed into 16 bytes: a day of points
// then streams through the cache in about a millisecond, where the 224-byte points take many.
// The summary grows with the list and is rebuilt when the list was cleared or its points edited.

#include "meter-engine/MeasurementRecords.h"

#include <cstdint>
#include <vector>

struct GraphPointSummary
{
  enum Flags : uint8_t {
    kMarked = 1,
    kRangeAlert = 2,
    kLoudnessMin = 4,
    kLoudnessMax = 8,
    kPeakOver = 16,  // the over flag of the point's own peak mode
  };

  int32_t tenths;            // time of day in tenths of a second
  int16_t sl, ml, plr, psr;  // hundredths of a dB (or LU), clamped to what 16 bits hold
  uint8_t flags;
  uint8_t padding[3];

  static double Level(int16_t hundredths) { return hundredths / 100.0; }
};

static_assert(sizeof(GraphPointSummary) == 16);

inline constexpr int32_t kTenthsPerDay = 24 * 60 * 60 * 10;

// A run of kPoints points in one: when a run lands in a single pixel column of the overview, the
// overview takes it whole instead of visiting every point.
struct GraphBlockSummary
{
  static constexpr size_t kPoints = 64;

  int32_t tenths;  // of the first point
  // Tenths from the first point to the last when times never step back through the run, nor
  // cross midnight, nor spread further than the offsets below hold; -1 otherwise.
  int32_t travel;
  int16_t lowestSl, highestSl, lowestMl, highestMl;
  uint8_t lowestSlAt, highestSlAt, lowestMlAt, highestMlAt;  // the first point with that value
  int16_t plr, psr;                                          // the highest
  uint8_t flags;                                             // of all the points
  // For each flag (bit k), its first and last point, and their times after the first point's.
  static constexpr int kFlagBits = 5;
  uint8_t firstAt[kFlagBits], lastAt[kFlagBits];
  uint16_t firstTenths[kFlagBits], lastTenths[kFlagBits];
};

// Time of day of a point in tenths of a second.
int32_t PointTenths(const LoudnessHistoryPoint& point);

class GraphHistorySummary
{
public:
  // Brings the summary up to the first `count` points of the list (read under BeginRead).
  void Update(const LoudnessHistory& history, size_t count);

  const GraphPointSummary* Data() const { return mPoints.data(); }
  size_t Size() const { return mPoints.size(); }
  // Block k holds points k * kPoints onwards; the last block may be short of points.
  const GraphBlockSummary* Blocks() const { return mBlocks.data(); }

private:
  std::vector<GraphPointSummary> mPoints;
  std::vector<GraphBlockSummary> mBlocks;
  uint32_t mRevision = 0;
};
