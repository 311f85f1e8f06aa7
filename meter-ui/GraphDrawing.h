#pragma once
// What the graph control's drawing units share: a drawing's view of the lists, the visible part
// of the live list, runs of marks, and a few small rules. IGraphControl.cpp draws the frame, the
// scale, the grid, the curves, the distribution and the read-out; GraphMarks.cpp the alert and
// marker marks; GraphBands.cpp the LRA, dialogue, PLR and PSR bands; GraphOverview.cpp the
// overview strip. Only they include this header.

#include "graphics/IGraphics.h"
#include "meter-ui/IGraphControl.h"

#include <algorithm>
#include <cstdint>

namespace graphdrawing {

inline iplug::igraphics::IColor WithAlpha(iplug::igraphics::IColor c, int alpha)
{
  c.A = std::clamp(alpha, 0, 255);
  return c;
}

// Both times lie within one day.
inline int32_t DayDifference(int32_t later, int32_t earlier)
{
  const int32_t d = later - earlier;
  return d < 0 ? d + kTenthsPerDay : d;
}

inline double NotBelowZero(double v)
{
  return v > 0.0 ? v : 0.0;  // also for a value that is not a number
}

}  // namespace graphdrawing

// A list as one drawing sees it: the points below count stay as they are until the drawing ends.
struct IGraphControl::Snapshot
{
  const LoudnessHistory* list = nullptr;
  size_t count = 0;
  const GraphPointSummary* summary = nullptr;
  const GraphBlockSummary* blocks = nullptr;

  bool Has(size_t i) const { return list && i < count; }
  const LoudnessHistoryPoint& At(size_t i) const { return list->At(i); }
};

// The visible part of the live list: entries first .. end - 1, the newest at the plot's right edge.
struct IGraphControl::Window
{
  const Snapshot* live = nullptr;
  int step = 1;            // curves and bands use every step-th entry
  int32_t spanTenths = 1;  // the plot's width in tenths of a second
  double spanSeconds = 0.0;
  int labelPeriod = 1;  // seconds between time labels
  size_t count = 0, first = 0, end = 0;
  size_t runStart = 0;  // the first entry of the run the view ends in
  int32_t newestTenths = 0;

  float plotR = 0.f, plotW = 0.f;

  int32_t Tenths(size_t i) const { return live->summary[i].tenths; }
  // Taken modulo a day, so that a view across midnight keeps its older half.
  int32_t Before(size_t i) const { return graphdrawing::DayDifference(newestTenths, Tenths(i)); }
  float XBefore(int32_t tenths) const
  {
    return static_cast<float>(plotR - plotW * static_cast<double>(tenths) / spanTenths);
  }
  float XAt(int32_t tenths) const { return XBefore(graphdrawing::DayDifference(newestTenths, tenths)); }
  float X(size_t i) const { return XAt(Tenths(i)); }
};

// Marks of one colour and height that touch or overlap are drawn as one rectangle: a long view
// or the overview can hold a mark on every point, and many share a pixel.
class IGraphControl::MarkRuns
{
public:
  MarkRuns(iplug::igraphics::IGraphics& g, const iplug::igraphics::IBlend* blend, const IColor& color, float top,
           float bottom)
  : mG(g), mBlend(blend), mColor(color), mTop(top), mBottom(bottom)
  {
  }
  ~MarkRuns() { Flush(); }
  MarkRuns(const MarkRuns&) = delete;
  MarkRuns& operator=(const MarkRuns&) = delete;

  void Add(float left, float right)
  {
    if (mOpen && left <= mRight && right >= mLeft)
    {
      mLeft = std::min(mLeft, left);
      mRight = std::max(mRight, right);
      return;
    }
    Flush();
    mLeft = left;
    mRight = right;
    mOpen = true;
  }

private:
  void Flush()
  {
    if (mOpen)
      mG.FillRect(mColor, IRECT(mLeft, mTop, mRight, mBottom), mBlend);
    mOpen = false;
  }

  iplug::igraphics::IGraphics& mG;
  const iplug::igraphics::IBlend* mBlend;
  IColor mColor;
  float mTop, mBottom;
  float mLeft = 0.f, mRight = 0.f;
  bool mOpen = false;
};
