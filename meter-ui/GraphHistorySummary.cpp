#include "meter-ui/GraphHistorySummary.h"

#include <algorithm>
#include <cmath>

namespace {

int16_t Hundredths(double level)
{
  if (!(level == level))
    return INT16_MIN;  // not a number: nothing measured
  return static_cast<int16_t>(std::clamp(std::lround(std::clamp(level, -400.0, 400.0) * 100.0),
                                         static_cast<long>(INT16_MIN), static_cast<long>(INT16_MAX)));
}

bool Any(const uint8_t* flags, std::initializer_list<int> indices)
{
  for (int i : indices)
    if (flags[i])
      return true;
  return false;
}

GraphPointSummary Summarise(const LoudnessHistoryPoint& p)
{
  const uint8_t* alert = p.alertActive;
  const uint8_t peakOver = p.peakMode == 1 ? alert[kAlertTpMax] : p.peakMode == 0 ? alert[kAlertPeakMax] : 0;
  GraphPointSummary s{};
  s.tenths = PointTenths(p);
  s.sl = Hundredths(p.slLevel);
  s.ml = Hundredths(p.mlLevel);
  s.plr = Hundredths(p.plr);
  s.psr = Hundredths(p.psr);
  s.flags = static_cast<uint8_t>(
    (p.marked ? GraphPointSummary::kMarked : 0) |
    (Any(alert, {kAlertLraMin, kAlertPlrMin, kAlertPsrMin, kAlertDialogMin}) ? GraphPointSummary::kRangeAlert : 0) |
    (Any(alert, {kAlertIlMin, kAlertSlMin, kAlertMlMin}) ? GraphPointSummary::kLoudnessMin : 0) |
    (Any(alert, {kAlertIlMax, kAlertSlMax, kAlertMlMax}) ? GraphPointSummary::kLoudnessMax : 0) |
    (peakOver ? GraphPointSummary::kPeakOver : 0));
  return s;
}

GraphBlockSummary SummariseBlock(const GraphPointSummary* p, size_t count)
{
  GraphBlockSummary b{};
  b.lowestSl = b.lowestMl = INT16_MAX;
  b.highestSl = b.highestMl = b.plr = b.psr = INT16_MIN;
  b.tenths = p[0].tenths;
  int64_t travel = 0;
  bool forward = true;
  for (size_t k = 0; k < count; ++k)
  {
    const GraphPointSummary& s = p[k];
    const auto at = static_cast<uint8_t>(k);
    if (k > 0)
    {
      const int32_t d = s.tenths - p[k - 1].tenths;
      forward = forward && d >= 0;
      travel += d;
    }
    if (s.sl < b.lowestSl)
    {
      b.lowestSl = s.sl;
      b.lowestSlAt = at;
    }
    if (s.sl > b.highestSl)
    {
      b.highestSl = s.sl;
      b.highestSlAt = at;
    }
    if (s.ml < b.lowestMl)
    {
      b.lowestMl = s.ml;
      b.lowestMlAt = at;
    }
    if (s.ml > b.highestMl)
    {
      b.highestMl = s.ml;
      b.highestMlAt = at;
    }
    b.plr = std::max(b.plr, s.plr);
    b.psr = std::max(b.psr, s.psr);
    for (int bit = 0; bit < GraphBlockSummary::kFlagBits; ++bit)
      if (s.flags & (1 << bit))
      {
        const auto offset = static_cast<uint16_t>(std::clamp<int64_t>(travel, 0, UINT16_MAX));
        if (!(b.flags & (1 << bit)))
        {
          b.firstAt[bit] = at;
          b.firstTenths[bit] = offset;
        }
        b.lastAt[bit] = at;
        b.lastTenths[bit] = offset;
      }
    b.flags |= s.flags;
  }
  b.travel = forward && travel <= UINT16_MAX ? static_cast<int32_t>(travel) : -1;
  return b;
}

}  // namespace

int32_t PointTenths(const LoudnessHistoryPoint& p)
{
  // Fields out of their clock ranges (a damaged state) still give a time within one day.
  const int64_t tenths = ((static_cast<int64_t>(p.timerHours) * 60 + p.timerMinutes) * 60 + p.timerSeconds) * 10 +
                         p.timerTenths;
  return static_cast<int32_t>(tenths % kTenthsPerDay);
}

void GraphHistorySummary::Update(const LoudnessHistory& history, size_t count)
{
  const uint32_t revision = history.Revision();
  if (revision != mRevision || count < mPoints.size())
  {
    mPoints.clear();
    mRevision = revision;
  }
  const size_t before = mPoints.size();
  mPoints.reserve(count);
  for (size_t i = before; i < count; ++i)
    mPoints.push_back(Summarise(history.At(i)));
  // The block that was filling up and every new one.
  constexpr size_t n = GraphBlockSummary::kPoints;
  mBlocks.resize(before / n);
  for (size_t first = mBlocks.size() * n; first < count; first += n)
    mBlocks.push_back(SummariseBlock(mPoints.data() + first, std::min(n, count - first)));
}
