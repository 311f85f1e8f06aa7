// The loudness graph's alert and marker marks along the top of the plot.

#include "meter-ui/GraphDrawing.h"

#include <bit>
#include <optional>

using namespace iplug::igraphics;
using namespace graphdrawing;

void IGraphControl::DrawMarks(IGraphics& g, const Window& w, const Snapshot& memory)
{
  const float mw = static_cast<float>(std::max(mTimeLabelSize / 10, 1));
  const float top = mPlot.T, bottom = mPlot.T + 4 * mw;
  using F = GraphPointSummary;
  struct Kind
  {
    bool shown;
    bool twin;  // the memory entry of the same index
    uint8_t flags;
    int color;
  };
  const bool twins = mShowMemory && memory.summary;
  const Kind kinds[] = {
    {mShowRangeAlerts && twins, true, F::kRangeAlert, kMemoryColor},
    {mShowRangeAlerts != 0, false, F::kRangeAlert, kMaxAlertColor},
    {mShowLoudnessAlerts && twins, true, F::kLoudnessMin | F::kLoudnessMax, kMemoryColor},
    {mShowLoudnessAlerts != 0, false, F::kLoudnessMin, kMinAlertColor},
    {mShowLoudnessAlerts != 0, false, F::kLoudnessMax, kMaxAlertColor},
    {mShowPeakAlerts && twins, true, F::kPeakOver, kMemoryColor},
    {mShowPeakAlerts != 0, false, F::kPeakOver, kMaxAlertColor},
    {true, false, F::kMarked, kMarkerColor},
  };
  constexpr size_t kKinds = std::size(kinds);
  // The kinds shown (the memory's only with a memory), in their order.
  size_t active[kKinds], activeCount = 0;
  for (size_t k = 0; k < kKinds; ++k)
    if (kinds[k].shown)
      active[activeCount++] = k;
  std::optional<MarkRuns> runs[kKinds];
  for (size_t k = 0; k < kKinds; ++k)
    runs[k].emplace(g, &mBlend, mColors[kinds[k].color], top, kinds[k].flags == F::kMarked ? mPlot.B : bottom);
  auto add = [&](size_t k, float first, float last) {
    kinds[k].flags == F::kMarked ? runs[k]->Add(first, last + 1) : runs[k]->Add(first - mw, last + mw);
  };
  // A block of entries within half a pixel, its times in order, adds for each kind what its
  // first and last entry of that kind add: the marks of those between lie inside their run. The
  // kinds go in the order of their first entries, so that runs end, and are drawn, in the order
  // they would entry by entry.
  constexpr size_t n = GraphBlockSummary::kPoints;
  auto addBlock = [&](size_t i) {
    const GraphBlockSummary& own = w.live->blocks[i / n];
    if (twins && !memory.Has(i + n - 1))
      return false;
    const GraphBlockSummary* twin = twins ? &memory.blocks[i / n] : nullptr;
    if (!(own.flags | (twin ? twin->flags : 0)))
      return true;
    // The block's own times, so that a long view need not visit its points.
    const int32_t lastTenths = own.tenths + own.travel;
    if (own.travel < 0 ||
        DayDifference(w.newestTenths, own.tenths) - DayDifference(w.newestTenths, lastTenths) != own.travel)
      return false;
    const float left = w.XAt(own.tenths);
    if (left < mPlot.L || w.XAt(lastTenths) - left > 0.5f)
      return false;
    struct Span
    {
      size_t first, kind, last;
      int32_t firstTenths, lastTenths;  // after the block's first point
    };
    Span spans[kKinds];
    size_t count = 0;
    for (size_t a = 0; a < activeCount; ++a)
    {
      const size_t k = active[a];
      const GraphBlockSummary& b = kinds[k].twin ? *twin : own;
      unsigned bits = b.flags & kinds[k].flags;
      if (!bits)
        continue;
      Span s{n, k, 0, INT32_MAX, 0};
      for (; bits; bits &= bits - 1)
      {
        const int bit = std::countr_zero(bits);
        s.first = std::min<size_t>(s.first, b.firstAt[bit]);
        s.last = std::max<size_t>(s.last, b.lastAt[bit]);
        s.firstTenths = std::min<int32_t>(s.firstTenths, b.firstTenths[bit]);
        s.lastTenths = std::max<int32_t>(s.lastTenths, b.lastTenths[bit]);
      }
      size_t at = count++;  // after the kinds that start no later
      for (; at > 0 && spans[at - 1].first > s.first; --at)
        spans[at] = spans[at - 1];
      spans[at] = s;
    }
    for (size_t s = 0; s < count; ++s)
    {
      const Span& span = spans[s];
      // The memory's marks stand at the live entries' times.
      if (kinds[span.kind].twin)
        add(span.kind, w.X(i + span.first), w.X(i + span.last));
      else
        add(span.kind, w.XAt(own.tenths + span.firstTenths), w.XAt(own.tenths + span.lastTenths));
    }
    return true;
  };
  // One pass over the window, however many kinds are shown: a long view holds a day of entries.
  for (size_t i = w.first; i + 1 < w.end;)
  {
    if (i % n == 0 && i + n < w.end && addBlock(i))
    {
      i += n;
      continue;
    }
    const size_t at = i++;
    const uint8_t own = w.live->summary[at].flags;
    const uint8_t twin = twins && memory.Has(at) ? memory.summary[at].flags : 0;
    if (!(own | twin))
      continue;
    const float x = w.X(at);
    if (x < mPlot.L)
      continue;
    for (size_t a = 0; a < activeCount; ++a)
      if ((kinds[active[a]].twin ? twin : own) & kinds[active[a]].flags)
        add(active[a], x, x);
  }
  for (std::optional<MarkRuns>& kind : runs)
    kind.reset();  // drawn in the order of the kinds, later ones on top
}
