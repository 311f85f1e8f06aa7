// The loudness graph's overview strip of the whole history.

#include "meter-ui/GraphDrawing.h"
#include "meter-ui/MeterStyle.h"

#include <vector>

using namespace iplug::igraphics;
using namespace graphdrawing;

// The whole history over the strip's width. A day of entries is far more points, lines and marks
// than the strip has pixels, so one pass gathers each pixel column's share (the lowest and the
// highest point of the curve, the widest band, the marks) and the strip is drawn from those: the
// same picture at the strip's resolution, in a few hundred calls at any length of history.
void IGraphControl::DrawOverview(IGraphics& g, const Window& w)
{
  const IRECT& s = mOverview;
  g.DrawRect(mFrameColor, s, &mBlend, 1.f);
  const GraphPointSummary* p = w.live->summary;
  const size_t e = w.count;
  const size_t start = RunStart(e - 1);  // the newest run: earlier ones' times do not follow on
  const int columns = std::max(static_cast<int>(s.W()), 1);
  const int32_t t0 = p[start].tenths;
  // Modulo a day, and never 0: a history that crosses midnight or stands still maps soundly.
  const double duration = std::max(DayDifference(p[e - 1].tenths, t0), 1);
  const double perTenth = columns / duration;
  using F = GraphPointSummary;
  int16_t F::*curveValue = !mShowSL && mShowML ? &F::ml : &F::sl;
  // y in the strip of a stored level (hundredths of a dB), as a straight line of it.
  const double yPerHundredth = mSpan > 0.0 ? -s.H() / mSpan / 100.0 : 0.0;
  const double yAtZero = s.B + s.H() * (mOffset + mBottom) / (mSpan > 0.0 ? mSpan : 1.0);

  // Gathered as stored, in integers: the pass over a day of entries stays a few cycles each.
  struct Column
  {
    int16_t lowest = INT16_MAX, highest = INT16_MIN;  // the curve's value
    int32_t lowestAt = 0, highestAt = 0;              // where they came
    int16_t plr = INT16_MIN, psr = INT16_MIN;
    uint8_t flags = 0;
    bool Sampled() const { return highest != INT16_MIN || lowest != INT16_MAX; }
  };
  std::vector<Column> cols(static_cast<size_t>(columns));
  const size_t step = static_cast<size_t>(w.step);
  const int lastColumn = columns - 1;
  auto before = [&](int32_t tenths) {
    const int32_t d = tenths - t0;
    return d < 0 ? d + kTenthsPerDay : d;
  };
  auto columnAt = [&](int32_t d) { return std::min(static_cast<int>(d * perTenth), lastColumn); };
  auto keepLowest = [](Column& col, int16_t v, int32_t at) {
    if (v < col.lowest)
    {
      col.lowest = v;
      col.lowestAt = at;
    }
  };
  auto keepHighest = [](Column& col, int16_t v, int32_t at) {
    if (v > col.highest)
    {
      col.highest = v;
      col.highestAt = at;
    }
  };
  auto sample = [&](Column& col, size_t i) {
    const F& point = p[i];
    keepLowest(col, point.*curveValue, static_cast<int32_t>(i));
    keepHighest(col, point.*curveValue, static_cast<int32_t>(i));
    col.plr = std::max(col.plr, point.plr);
    col.psr = std::max(col.psr, point.psr);
  };
  // Curve and bands use every step-th entry and the last, as the plot does; the marks every
  // entry. A block of entries that lands in one column is taken whole, in the order it came.
  const bool everyEntry = step == 1;
  const GraphBlockSummary* blocks = w.live->blocks;
  const bool sl = curveValue == &F::sl;
  constexpr size_t n = GraphBlockSummary::kPoints;
  for (size_t i = start; i < e;)
  {
    if (i % n == 0 && i + n <= e)
    {
      const GraphBlockSummary& b = blocks[i / n];
      const int32_t d = before(b.tenths);
      const int c = columnAt(d);
      if (b.travel >= 0 && before(b.tenths + b.travel) == d + b.travel && columnAt(d + b.travel) == c)
      {
        Column& col = cols[static_cast<size_t>(c)];
        col.flags |= b.flags;
        if (everyEntry)
        {
          const auto at = static_cast<int32_t>(i);
          keepLowest(col, sl ? b.lowestSl : b.lowestMl, at + (sl ? b.lowestSlAt : b.lowestMlAt));
          keepHighest(col, sl ? b.highestSl : b.highestMl, at + (sl ? b.highestSlAt : b.highestMlAt));
          col.plr = std::max(col.plr, b.plr);
          col.psr = std::max(col.psr, b.psr);
        }
        i += n;
        continue;
      }
    }
    Column& col = cols[static_cast<size_t>(columnAt(before(p[i].tenths)))];
    col.flags |= p[i].flags;
    if (everyEntry)
      sample(col, i);
    ++i;
  }
  if (!everyEntry)
  {
    for (size_t i = start; i < e; i += step)
      sample(cols[static_cast<size_t>(columnAt(before(p[i].tenths)))], i);
    if ((e - 1) % step != 0)
      sample(cols[static_cast<size_t>(columnAt(before(p[e - 1].tenths)))], e - 1);
  }

  const float mw = static_cast<float>(std::max(mTimeLabelSize / 10, 1));
  auto marks = [&](uint8_t flags, const IColor& color, float top, float bottom) {
    MarkRuns runs(g, &mBlend, color, top, bottom);
    for (int c = 0; c < columns; ++c)
      if (cols[static_cast<size_t>(c)].flags & flags)
        runs.Add(s.L + c, s.L + c + mw);
  };
  marks(F::kMarked, mColors[kMarkerColor], s.T + 1, s.B - 1);

  // A band reaches from its column to the next sampled one, as the pair of entries did.
  auto bands = [&](int16_t Column::*value, double reference) {
    const double centre = mMiddle + mOffset;
    auto yOf = [&](double level) {
      const double n = Norm(level - mOffset);
      return std::clamp(static_cast<float>(s.B - s.H() * (n == n ? n : 0.0)), s.T, s.B);
    };
    for (int c = 0; c < columns;)
    {
      const Column& col = cols[static_cast<size_t>(c)];
      int next = c + 1;
      while (next < columns && !cols[static_cast<size_t>(next)].Sampled())
        ++next;
      if (col.Sampled())
      {
        const double strongest = F::Level(col.*value), extent = NotBelowZero(strongest);
        IColor color = RatioColour(mColors[kBandHighColor], mColors[kBandLowColor], strongest, reference);
        color.A /= 2;
        const float right = next < columns ? s.L + next : s.L + c + 1;
        g.FillRect(color, IRECT(s.L + c, yOf(centre + extent / 2), right, yOf(centre - extent / 2)), &mBlend);
      }
      c = next;
    }
  };
  if (mShowPLR)
    bands(&Column::plr, mPLRReference);
  if (mShowPSR)
    bands(&Column::psr, mPSRReference);

  const float alertBottom = s.T + 1 + 2 * mw;
  if (mShowRangeAlerts)
    marks(F::kRangeAlert, mColors[kMaxAlertColor], s.T + 1, alertBottom);
  if (mShowLoudnessAlerts)
  {
    marks(F::kLoudnessMin, mColors[kMinAlertColor], s.T + 1, alertBottom);
    marks(F::kLoudnessMax, mColors[kMaxAlertColor], s.T + 1, alertBottom);
  }
  if (mShowPeakAlerts)
    marks(F::kPeakOver, mColors[kMaxAlertColor], s.T + 1, alertBottom);

  // The curve as one path through at most two points a column, in the order they came.
  g.PathClear();
  int points = 0;
  for (int c = 0; c < columns; ++c)
  {
    const Column& col = cols[static_cast<size_t>(c)];
    if (!col.Sampled())
      continue;
    const float x = std::clamp(s.L + c + 0.5f, s.L + 1, s.R - 1);
    const bool lowestFirst = col.lowestAt <= col.highestAt;
    for (int16_t v : {lowestFirst ? col.lowest : col.highest, lowestFirst ? col.highest : col.lowest})
    {
      const float y = std::clamp(static_cast<float>(yAtZero + yPerHundredth * v), s.T + 1, s.B - 1);
      if (points++ == 0)
        g.PathMoveTo(x, y);
      else
        g.PathLineTo(x, y);
      if (col.lowest == col.highest)
        break;
    }
  }
  if (points >= 2)
    g.PathStroke(IPattern(mColors[kMemoryColor]), 1.f, IStrokeOptions(), &mBlend);

  auto x = [&](size_t i) { return static_cast<float>(s.L + DayDifference(p[i].tenths, t0) * perTenth); };
  const float left = std::clamp(x(w.first), s.L, s.R);
  const float right = mRunning ? s.R : std::clamp(x(w.end - 1), left, s.R);
  const IRECT window(left, s.T, right, s.B);
  g.FillRect(WithAlpha(mAccentColor, 64), window, &mBlend);
  g.DrawRect(mAccentColor, window, &mBlend, 1.f);
}
