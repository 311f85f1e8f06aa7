#include "meter-ui/IGraphControl.h"

#include "graphics/IGraphics.h"
#include "meter-engine/LoudnessEngine.h"
#include "meter-ui/EditorAction.h"
#include "meter-ui/GraphDrawing.h"
#include "meter-ui/MeterStyle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

using namespace iplug::igraphics;
using namespace graphdrawing;

namespace {

constexpr double kNoRange = -144.0;  // an LRA at or below this was not measured

// The range a graph shows until the editor gives it the settings' own: the peak meter's default
// scale of +6 to -60 dB unshifted, the default loudness target, and PLR and PSR bands 12 dB wide.
struct DefaultRange
{
  static constexpr int kScaleKind = 0;
  static constexpr double kMax = 6.0, kMin = -60.0, kOffset = 0.0, kTarget = -18.0;
  static constexpr double kPLRReference = 12.0, kPSRReference = 12.0;
};
const IColor kLiveMLColor(255, 127, 127, 127);
const IColor kSLFillColor(64, 81, 140, 193);
const IColor kSLStrokeColor(255, 81, 140, 193);
const IColor kDistributionFill(64, 127, 127, 127);
const IColor kDistributionStroke(255, 127, 127, 127);
const IColor kReadoutBackground(192, 0, 0, 0);

// The colour table until the meter scale set-up writes it.
constexpr std::array<IColor, IGraphControl::kColorCount> kDefaultColors = {
  {{255, 255, 0, 0},     {128, 255, 0, 0},     {255, 255, 255, 0},   {128, 255, 255, 0},   {255, 0, 255, 0},
   {128, 0, 255, 0},     {255, 0, 0, 255},     {128, 0, 0, 255},     {255, 0, 0, 128},     {128, 0, 0, 128},
   {255, 0, 255, 0},     {255, 127, 127, 127}, {255, 127, 127, 127}, {255, 127, 127, 127}, {255, 255, 255, 255},
   {255, 255, 255, 255}, {255, 255, 255, 0},   {255, 255, 0, 0},     {255, 255, 0, 0},     {255, 0, 255, 0},
   {255, 255, 255, 0},   {255, 255, 0, 0},     {255, 0, 255, 0},     {255, 0, 0, 255},     {255, 255, 0, 0}}};

}  // namespace

// A list marked in use for one drawing: a clear asked for meanwhile waits, and is carried out
// when the drawing is done, under the owner's lock because the audio thread may be appending.
struct IGraphControl::ReadScope
{
  ReadScope(LoudnessHistory* list, WDL_Mutex* lock) : list(list), lock(lock), count(list ? list->BeginRead() : 0) {}
  ~ReadScope()
  {
    if (!list)
      return;
    list->EndRead();
    if (list->clearPending && lock)
    {
      WDL_MutexLock hold(*lock);
      list->FinishPendingClear();
    }
  }
  ReadScope(const ReadScope&) = delete;
  ReadScope& operator=(const ReadScope&) = delete;

  LoudnessHistory* const list;
  WDL_Mutex* const lock;
  const size_t count;
};

IGraphControl::IGraphControl(const IRECT& bounds, int actionId) : IControl(bounds, -1, nullptr), mActionId(actionId)
{
  mCaption.Set("dBFS");
  SetLook(IColor(255, 0, 0, 0), 10, IColor(255, 0, 0, 0), IColor(255, 127, 127, 127), IColor(255, 127, 127, 127),
          WDL_String("dBFS"));
  SetRange(DefaultRange::kScaleKind, DefaultRange::kMax, DefaultRange::kMin, DefaultRange::kOffset,
           DefaultRange::kTarget, DefaultRange::kPLRReference, DefaultRange::kPSRReference);
  mColors = kDefaultColors;
  for (int i = 0; i < 4; ++i)
    mZonePositions[i] = Norm(mZoneLevels[i]);
  SetDirty(true, -1);
}

void IGraphControl::SetLook(const IColor& textColor, int size, const IColor& accent, const IColor& frame,
                            const IColor& minorLine, const WDL_String& caption)
{
  mLabelSize = size;
  mCaption.Set(caption.Get());
  mTextColor = textColor;
  mFrameColor = frame;
  mMinorLineColor = minorLine;
  mAccentColor = accent;
  OnResize();
  SetDirty(true, -1);
}

void IGraphControl::OnResize()
{
  mTimeLabelSize = mLabelSize;
  mReadoutSize = mLabelSize + 3;
  mScaleText = IText(static_cast<float>(mLabelSize), mTextColor, "Roboto-Regular", EAlign::Far, EVAlign::Middle);
  mReadoutText = IText(static_cast<float>(mReadoutSize), mTextColor, "Roboto-Regular", EAlign::Near, EVAlign::Middle);
  UpdateLayout();
}

void IGraphControl::UpdateLayout()
{
  const float l = mRECT.L, t = mRECT.T, r = mRECT.R, b = mRECT.B;
  mScaleStrip = IRECT(l, t + 10, l + 26, b - 20);
  mDistribution = IRECT(l + 28, t + 10, l + 74, b - 20);
  mDistributionArea = IRECT(l + 32, t + 10, l + 72, b - 20);
  mPlot = IRECT(mDistributionMode != 0 ? l + 78 : l + 30, t + 10, r - 6, b - 20);
  mOverview = IRECT(mPlot.L, b - 18, r - 6, b);
}

void IGraphControl::SetRange(int scaleKind, double max, double min, double offset, double target, double plrReference,
                             double psrReference)
{
  mOffset = offset;
  mTop = std::floor(max - offset + 0.5);
  mBottom = std::floor(min - offset + 0.5);
  mSpan = mTop - mBottom;
  mMiddle = (mTop + mBottom) / 2;
  const ScaleSteps steps = ScaleStepsFor(mSpan);
  mLabelStep = steps.label;
  mMinorStep = steps.minor;
  mTargetLevel = target - offset;
  mPLRReference = plrReference;
  mPSRReference = psrReference;
  mTargetPosition = Norm(mTargetLevel);
  mPLRPositions[0] = Norm(mMiddle - plrReference / 2);
  mPLRPositions[1] = Norm(mMiddle + plrReference / 2);
  mPSRPositions[0] = Norm(mMiddle - psrReference / 2);
  mPSRPositions[1] = Norm(mMiddle + psrReference / 2);
  mScaleKind = scaleKind;
  const double bins = std::trunc(max - min);
  mBinCount = bins >= 1.0 ? static_cast<int>(std::min(bins, 1e6)) : 0;
  mBins.assign(static_cast<size_t>(std::max(mBinCount, 1)), 0);
  SetDirty(true, -1);
}

void IGraphControl::SetHistories(LoudnessHistory* live, LoudnessHistory* memory, WDL_Mutex* lock)
{
  mLive = live;
  mMemory = memory;
  mLock = lock;
}

// ---- geometry ------------------------------------------------------------------------------

double IGraphControl::Norm(double displayLevel) const
{
  return mSpan > 0.0 ? (displayLevel - mBottom) / mSpan : 0.0;
}

float IGraphControl::LevelY(double level) const
{
  const double n = Norm(level - mOffset);
  return static_cast<float>(mPlot.B - mPlot.H() * (n == n ? std::clamp(n, 0.0, 1.0) : 0.0));
}

int IGraphControl::DecimationStep() const
{
  return std::max(static_cast<int>(std::min(mTimeScaleFactor, 1e6)), 1);
}

// ---- mouse ---------------------------------------------------------------------------------

void IGraphControl::Report(int command)
{
  mCommand = command;
  FireEditorAction(*this, mActionId);
  mCommand = kNone;
}

void IGraphControl::ScrollStoppedView(int entries)
{
  const int64_t perEntry = std::max(static_cast<int64_t>(std::trunc(std::min(2 * mTimeScaleFactor, 1e6))), int64_t{1});
  const int64_t lowest = std::trunc(mTimeScaleFactor) < 1
                           ? 2
                           : 2 * static_cast<int64_t>(std::trunc(std::min(mTimeScaleFactor, 1e6)));
  const int64_t moved = static_cast<int64_t>(mViewEnd) - perEntry * entries;
  // A frozen count below the lowest end (a short history) leaves the lowest end.
  mViewEnd = static_cast<int32_t>(std::max(std::min(moved, static_cast<int64_t>(mFrozenCount)), lowest));
  SetDirty(true, -1);
}

void IGraphControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mPointerX = x;
  mPointerY = y;
  mPointerActive = mHorizontalDrag = mVerticalDrag = false;
  OnMouseDrag(x, y, 0.f, 0.f, mod);
}

void IGraphControl::OnMouseUp(float x, float y, const IMouseMod&)
{
  mPointerX = x;
  mPointerY = y;
  mPointerActive = true;
  mHorizontalDrag = mVerticalDrag = false;
}

void IGraphControl::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod&)
{
  mPointerX = x;
  mPointerY = y;
  const bool inPlot = InPlot(x, y);
  // The distribution strip lies under the plot's left part while the distribution is off.
  const bool inDistribution = mDistributionMode != 0 && mDistribution.Contains(x, y);
  if (inPlot)
  {
    if (!mRunning)
      mHorizontalDrag = mVerticalDrag = true;
    else if (!mHorizontalDrag && !mVerticalDrag)
    {
      mHorizontalDrag = std::fabs(dX) > std::fabs(dY);
      mVerticalDrag = std::fabs(dX) < std::fabs(dY);
    }
    if (mVerticalDrag && dY != 0.f)
      Report(dY > 0.f ? kRangeUp : kRangeDown);
    if (mRunning && mHorizontalDrag)
    {
      Report(kViewMoved);
      SetDirty(true, -1);
    }
  }
  if (inDistribution && mRunning)
  {
    Report(kViewMoved);
    SetDirty(true, -1);
  }
  if (!mRunning)
  {
    if (inPlot && dX != 0.f)
      ScrollStoppedView(static_cast<int>(std::trunc(dX)));
    else if (inDistribution && dX != 0.f)
      ScrollStoppedView(static_cast<int>(std::trunc(-dX)));
  }
}

void IGraphControl::OnMouseWheel(float x, float y, const IMouseMod& mod, float d)
{
  mPointerX = x;
  mPointerY = y;
  if (mod.S)
  {
    if (d != 0.f)
      Report(d > 0.f ? kRangeWider : kRangeNarrower);
  }
  else if (mod.C)
  {
    if (mRunning)
    {
      Report(kViewMoved);
      SetDirty(true, -1);
    }
    else if (InPlot(x, y) && d != 0.f)
      ScrollStoppedView(8 * static_cast<int>(std::trunc(d)));
  }
  else if (d != 0.f)
    Report(d > 0.f ? kLongerTimescale : kShorterTimescale);
}

void IGraphControl::OnMouseOver(float x, float y, const IMouseMod&)
{
  mPointerX = x;
  mPointerY = y;
  mPointerActive = InPlot(x, y);
  if (mPointerActive)
    Report(kPointerOver);
  SetDirty(true, -1);
}

void IGraphControl::OnMouseOut()
{
  mPointerX = mPointerY = -1.f;
  mPointerActive = false;
  SetDirty(true, -1);
}

// ---- drawing -------------------------------------------------------------------------------

void IGraphControl::Draw(IGraphics& g)
{
  if (!mLive)
    return;
  const ReadScope liveRead(mLive, mLock);
  const ReadScope memoryRead(mMemory, mLock);
  Snapshot live{mLive, liveRead.count};
  Snapshot memory{mMemory, memoryRead.count};
  mLiveSummary.Update(*mLive, live.count);
  live.summary = mLiveSummary.Data();
  live.blocks = mLiveSummary.Blocks();
  UpdateRuns(live.summary, live.count);
  if (mMemory && mShowMemory)
  {
    mMemorySummary.Update(*mMemory, memory.count);
    memory.summary = mMemorySummary.Data();
    memory.blocks = mMemorySummary.Blocks();
  }
  DrawGraph(g, live, memory);
}

void IGraphControl::UpdateRuns(const GraphPointSummary* points, size_t count)
{
  // A list cleared meanwhile (shorter, or other times where the scan left off) is scanned anew.
  if (count < mRunsScanned || (mRunsScanned > 0 && (points[0].tenths != mRunsScannedFirst ||
                                                    points[mRunsScanned - 1].tenths != mRunsScannedLast)))
  {
    mRunStarts.clear();
    mRunsScanned = 0;
  }
  for (size_t i = std::max<size_t>(mRunsScanned, 1); i < count; ++i)
    if (DayDifference(points[i].tenths, points[i - 1].tenths) > kTenthsPerDay / 2)
      mRunStarts.push_back(i);
  mRunsScanned = count;
  if (count > 0)
  {
    mRunsScannedFirst = points[0].tenths;
    mRunsScannedLast = points[count - 1].tenths;
  }
}

size_t IGraphControl::RunStart(size_t last) const
{
  const auto after = std::upper_bound(mRunStarts.begin(), mRunStarts.end(), last);
  return after == mRunStarts.begin() ? 0 : *(after - 1);
}

void IGraphControl::DrawGraph(IGraphics& g, const Snapshot& live, const Snapshot& memory)
{
  const bool distribution = mDistributionMode != 0;
  g.DrawRect(mFrameColor, mPlot, &mBlend, 1.f);
  if (distribution)
    g.DrawRect(mFrameColor, mDistribution, &mBlend, 1.f);
  DrawScaleLabels(g, distribution);
  DrawZoneBands(g, distribution);

  Window w;
  w.live = &live;
  const double factor = mTimeScaleFactor;
  w.step = DecimationStep();
  w.labelPeriod = factor < 0.3 ? 1 : std::max(static_cast<int>(std::min(5 * factor, 1e6)), 5);
  w.count = live.count;
  const size_t step = static_cast<size_t>(w.step);
  if (w.count < 2 * step)
    return;
  // A stopped view never ends beyond the list: a clear may have shortened it since.
  size_t end = mRunning ? w.count : std::min(static_cast<size_t>(std::max(mViewEnd, 0)), w.count);
  end -= end % step;
  if (end < 2 * step)
    return;
  w.end = end;
  w.spanTenths = static_cast<int32_t>(std::clamp(std::floor(factor * 300 + 0.5), 1.0, double(kTenthsPerDay)));
  w.spanSeconds = w.spanTenths / 10.0;
  const size_t visible = 10 * static_cast<size_t>(std::trunc(w.spanSeconds));
  w.first = end > visible ? end - visible : 0;
  w.first -= w.first % step;
  // The view begins no earlier than the run it ends in: an earlier run's times do not follow on.
  w.runStart = RunStart(end - 1);
  if (w.first < w.runStart)
    w.first = w.runStart + (step - w.runStart % step) % step;
  if (w.first + 2 * step > end)
    return;
  w.newestTenths = w.Tenths(end - 1);
  w.plotR = mPlot.R;
  w.plotW = mPlot.W();

  DrawTimeGrid(g, w);
  if (mShowTarget)
  {
    const float y = static_cast<float>(mPlot.B - mPlot.H() * mTargetPosition);
    if (y > mPlot.T && y < mPlot.B)
      g.DrawLine(mColors[kTargetColor], mPlot.L, y, mPlot.R, y, &mBlend, 2.f);
  }
  DrawMarks(g, w, memory);
  DrawBands(g, w);
  DrawCurves(g, w, memory);
  if (distribution)
    DrawDistribution(g, w);
  if (mShowIL)
    DrawILLine(g, w);
  if (mPointerActive && mPointerX > mPlot.L && mPointerX < mPlot.R && w.first < w.end)
    DrawReadout(g, w, memory);
  DrawOverview(g, w);
}

void IGraphControl::DrawScaleLabels(IGraphics& g, bool distribution)
{
  const int n = mLabelSize;
  auto yIn = [this](const IRECT& r, double v) {
    const double f = Norm(v);
    return r.B - std::trunc(r.H() * (f == f ? std::clamp(f, 0.0, 1.0) : 0.0));
  };
  auto line = [&](double v, const IColor& plotColor, const IColor& stripColor, float thickness) {
    const float y = static_cast<float>(yIn(mPlot, v));
    g.DrawLine(plotColor, mPlot.L, y, mPlot.R, y, &mBlend, thickness);
    if (distribution)
    {
      const float ys = static_cast<float>(yIn(mDistribution, v));
      g.DrawLine(stripColor, mDistribution.L, ys, mDistribution.R, ys, &mBlend, thickness);
    }
  };
  auto label = [&](double v) {
    const float top = static_cast<float>(yIn(mPlot, v) - n / 2);
    g.DrawText(mScaleText, LevelText(v).c_str(), IRECT(mScaleStrip.L - 2, top, mScaleStrip.R - 2, top + n), &mBlend);
  };

  if (mScaleKind == 0)
  {
    for (double v = mTop; v >= mBottom; v -= 1.0)
      if (static_cast<int64_t>(v) % static_cast<int64_t>(mMinorStep) == 0)
        line(v, mMinorLineColor, mMinorLineColor, 1.f);
    for (double v = mTop - mLabelStep; v >= mBottom + mLabelStep; v -= 1.0)
      if (static_cast<int64_t>(v) % static_cast<int64_t>(mLabelStep) == 0)
      {
        line(v, mFrameColor, mMinorLineColor, 1.5f);
        label(v);
      }
    for (double v : {mTop, mBottom})
    {
      line(v, mFrameColor, mFrameColor, 1.5f);
      label(v);
    }
    if (mBottom <= 0 && mTop >= 0)
    {
      line(0.0, mAccentColor, mAccentColor, 1.5f);
      label(0.0);
    }
  }
  else
  {
    for (double v : FixedScaleMarks(mScaleKind))
      if (v >= mBottom && v <= mTop)
      {
        line(v, mAccentColor, mMinorLineColor, 1.5f);
        label(v);
      }
  }
}

void IGraphControl::DrawZoneBands(IGraphics& g, bool distribution)
{
  const int colors[5] = {kZoneBelow4, kZone3To4, kZone2To3, kZone1To2, kZoneAbove1};
  double edges[6] = {0.0, mZonePositions[3], mZonePositions[2], mZonePositions[1], mZonePositions[0], 1.0};
  for (double& e : edges)
    e = e == e ? std::clamp(e, 0.0, 1.0) : 0.0;
  for (const IRECT* r : {&mPlot, distribution ? &mDistribution : nullptr})
    if (r)
      for (int k = 0; k < 5; ++k)
      {
        const float lower = static_cast<float>(r->B - r->H() * edges[k]);
        const float upper = static_cast<float>(r->B - r->H() * edges[k + 1]);
        g.FillRect(WithAlpha(mColors[colors[k]], 32), IRECT(r->L, std::min(upper, lower), r->R, std::max(upper, lower)),
                   &mBlend);
      }
}

// One label per period boundary: the boundary is found between two visited entries, so a long
// view need not visit every entry, and its place comes from the boundary's own time.
void IGraphControl::DrawTimeGrid(IGraphics& g, const Window& w)
{
  const int n = mTimeLabelSize;
  const int32_t period = w.labelPeriod;
  int32_t lastPeriod = -1;
  for (size_t i = w.first; i < w.end; i += static_cast<size_t>(w.step))
  {
    const int32_t tenths = w.Tenths(i);
    const int32_t second = tenths / 10;
    const int32_t index = second / period;
    const bool firstVisit = lastPeriod < 0;
    const bool boundary = firstVisit ? second % period == 0 : index != lastPeriod;
    lastPeriod = index;
    if (!boundary)
      continue;
    const int32_t labelSecond = firstVisit ? second : index * period;
    const float x = w.XBefore(DayDifference(w.newestTenths, labelSecond * 10));
    if (!(x > mPlot.L))
      continue;
    g.FillRect(mFrameColor, IRECT(x, mPlot.T, x + 1, mPlot.B), &mBlend);
    if (x - 5 * n > mPlot.L)
    {
      char text[16];
      std::snprintf(text, sizeof text, "%02d:%02d:%02d", labelSecond / 3600, labelSecond / 60 % 60, labelSecond % 60);
      g.DrawText(mScaleText, text, IRECT(x - 2 * n, mPlot.T - n, x, mPlot.T), &mBlend);
    }
  }
}

void IGraphControl::DrawCurves(IGraphics& g, const Window& w, const Snapshot& memory)
{
  const bool twins = mShowMemory && memory.list;
  if (mShowML)
  {
    if (twins)
      DrawLevelCurve(g, w, memory, &LoudnessHistoryPoint::mlLevel, false, 1.f);
    DrawLevelCurve(g, w, *w.live, &LoudnessHistoryPoint::mlLevel, true, 1.5f);
  }
  if (mShowSL)
  {
    if (twins)
      DrawLevelCurve(g, w, memory, &LoudnessHistoryPoint::slLevel, false, 2.f);
    DrawLevelCurve(g, w, *w.live, &LoudnessHistoryPoint::slLevel, true, 3.f);
  }
}

// Points at every step-th entry of the window (and the one before it, at the left edge); the
// memory's entries take the place of the live entries of the same index.
void IGraphControl::DrawLevelCurve(IGraphics& g, const Window& w, const Snapshot& list,
                                   double LoudnessHistoryPoint::*level, bool live, float thickness)
{
  std::vector<float> xs, ys;
  for (size_t i = w.first > w.runStart ? w.first - 1 : w.first; i < w.end && list.Has(i);
       i += static_cast<size_t>(w.step))
  {
    xs.push_back(std::max(w.X(i), mPlot.L));
    ys.push_back(LevelY(list.At(i).*level));
  }
  if (xs.size() < 4)
    return;
  xs.insert(xs.end(), {xs.back(), xs.front()});
  ys.insert(ys.end(), {mPlot.B, mPlot.B});
  if (!live)
    DrawCurve(g, mColors[kMemoryColor], xs, ys, true, false, thickness);
  else if (level == &LoudnessHistoryPoint::mlLevel)
    DrawCurve(g, kLiveMLColor, xs, ys, true, false, thickness);
  else
  {
    // Below the curve's lowest point the area is a plain rectangle: filled as one, it spares the
    // concave fill, which covers its whole extent twice, most of its pixels. The cut lies on a
    // pixel boundary, so the two meet without a seam.
    const size_t last = xs.size() - 3;
    const float cut = std::min(std::ceil(*std::max_element(ys.begin(), ys.end() - 2)), mPlot.B);
    if (cut < mPlot.B)
      g.FillRect(kSLFillColor, IRECT(xs.front(), cut, xs[last], mPlot.B), &mBlend);
    ys[last + 1] = ys[last + 2] = cut;
    DrawCurve(g, kSLFillColor, xs, ys, false, true, thickness);
    DrawCurve(g, kSLStrokeColor, xs, ys, true, false, thickness);
  }
}

void IGraphControl::DrawCurve(IGraphics& g, const IColor& color, std::vector<float>& x, std::vector<float>& y,
                              bool stroke, bool smooth, float thickness)
{
  const int c = static_cast<int>(x.size()) - 2;  // the last two are the closing points
  g.PathClear();
  g.PathMoveTo(x[0], y[0]);
  int next = 1;
  if ((!stroke || smooth) && c >= 4)
    for (; next < c - 2; next += 3)
      g.PathBezierTo(x[next], y[next], x[next + 1], y[next + 1], x[next + 2], y[next + 2]);
  if (stroke && !smooth)
    for (int i = 1; i < c; ++i)
      g.PathLineTo(x[i], y[i]);
  else
    g.PathLineTo(x[c - 1], y[c - 1]);
  if (stroke)
  {
    g.PathStroke(IPattern(color), thickness, IStrokeOptions(), &mBlend);
    return;
  }
  g.PathLineTo(x[c], y[c]);
  g.PathLineTo(x[c + 1], y[c + 1]);
  g.PathFill(IPattern(color), IFillOptions(), &mBlend);
}

void IGraphControl::DrawDistribution(IGraphics& g, const Window& w)
{
  g.DrawRect(mFrameColor, mDistribution, &mBlend, 1.f);
  if (mBinCount < 1 || !(mSpan > 0.0))
    return;  // no bins to count into
  std::fill(mBins.begin(), mBins.end(), 0);
  int32_t highest = 0;
  auto count = [&](double v) {
    const double bin = std::floor(((v - mOffset - mBottom) / mSpan) * mBinCount + 0.5);
    if (bin >= 0 && bin <= mBinCount - 1)
      highest = std::max(highest, ++mBins[static_cast<size_t>(bin)]);
  };
  const double centre = mMiddle + mOffset;
  for (size_t i = w.first; i + 1 < w.end; i += static_cast<size_t>(w.step))
  {
    const LoudnessHistoryPoint& p = w.live->At(i);
    switch (mDistributionMode)
    {
      case 1: count(p.ilShown); break;
      case 2: count(p.slLevel); break;
      case 3: count(p.mlLevel); break;
      case 4:
        count(p.rangeLow);
        count(p.rangeHigh);
        break;
      case 5:
      case 6:
      {
        const double v = NotBelowZero(mDistributionMode == 5 ? p.plr : p.psr);
        count(centre - v / 2);
        count(centre + v / 2);
        break;
      }
      default: break;
    }
  }
  if (highest == 0)
    return;  // nothing counted: no curve rather than a division by zero
  const IRECT& a = mDistributionArea;
  std::vector<float> xs, ys;
  for (int k = 0; k < mBinCount; ++k)
  {
    xs.push_back(static_cast<float>(a.R - static_cast<double>(mBins[static_cast<size_t>(k)]) / highest * a.W()));
    // Bin k counts the levels nearest to k bins above the bottom of the range: it sits there.
    const double f = static_cast<double>(k) / mBinCount;
    ys.push_back(static_cast<float>(a.B - a.H() * std::clamp(f, 0.0, 1.0)));
  }
  xs.insert(xs.end(), {a.R, a.R});
  ys.insert(ys.end(), {ys.back(), ys.front()});
  DrawCurve(g, kDistributionFill, xs, ys, false, true, 2.f);
  DrawCurve(g, kDistributionStroke, xs, ys, true, true, 2.f);
}

void IGraphControl::DrawILLine(IGraphics& g, const Window& w)
{
  const size_t i = mRunning ? w.end - 1 : std::min(static_cast<size_t>(std::max(mViewEnd - 1, 0)), w.count - 1);
  const float y = LevelY(w.live->At(i).ilShown);  // the dialogue-gated IL under the dialogue gate
  if (y > mPlot.T && y < mPlot.B)
    g.DrawLine(mColors[kILColor], mPlot.L, y, mPlot.R, y, &mBlend, 2.f);
}

void IGraphControl::DrawReadout(IGraphics& g, const Window& w, const Snapshot& memory)
{
  const int32_t target = static_cast<int32_t>(std::trunc(w.spanSeconds * 10 * (mPlot.R - mPointerX) / mPlot.W()));
  size_t found = w.end;
  for (size_t i = w.first; i < w.end; i += static_cast<size_t>(w.step))
    if (w.Before(i) < target)
    {
      found = i;
      break;
    }
  if (found == w.end || found == 0)
    return;
  const size_t index = found - 1;
  const LoudnessHistoryPoint& p = w.live->At(index);
  const LoudnessHistoryPoint* twin = memory.Has(index) ? &memory.At(index) : nullptr;

  g.FillRect(
    mAccentColor,
    IRECT(std::clamp(mPointerX, mPlot.L, mPlot.R), mPlot.T, std::clamp(mPointerX, mPlot.L, mPlot.R) + 1, mPlot.B),
    &mBlend);
  const float m = static_cast<float>(mReadoutSize);
  const float bw = 8.5f * m, bh = 9.f * m;
  float left = mPointerX - bw / 2;
  if (left + bw > mPlot.R)
    left = mPlot.R - bw;
  if (left < mPlot.L)
    left = mPlot.L;
  float top = mPointerY - bh;
  if (top < mPlot.T)
    top = mPlot.T;
  if (top + bh > mPlot.B)
    top = mPlot.B - bh;
  const IRECT box(left, top, left + bw, top + bh);
  g.FillRoundRect(kReadoutBackground, box, 4.f, &mBlend);
  g.DrawRoundRect(mAccentColor, box, 4.f, &mBlend, 2.f);

  const char* gate = p.gateMode == static_cast<uint32_t>(GateMode::Dial) ? "D" : "";
  char lines[8][64];
  int n = 0;
  auto value = [&](const char* name, const char* suffix, double live, double stored) {
    if (twin)
      std::snprintf(lines[n++], sizeof lines[0], "%s%s: %.01lf/%.01lf", name, suffix, live, stored);
    else
      std::snprintf(lines[n++], sizeof lines[0], "%s%s: %.01lf", name, suffix, live);
  };
  std::snprintf(lines[n++], sizeof lines[0], "Time: %02d:%02d:%02d.%01d", static_cast<int>(p.timerHours),
                static_cast<int>(p.timerMinutes), static_cast<int>(p.timerSeconds), static_cast<int>(p.timerTenths));
  value("IL", gate, p.ilShown - mOffset, twin ? twin->ilShown - mOffset : 0.0);
  value("SL", "", p.slLevel - mOffset, twin ? twin->slLevel - mOffset : 0.0);
  value("ML", "", p.mlLevel - mOffset, twin ? twin->mlLevel - mOffset : 0.0);
  if (p.rangeShown > kNoRange)
    value("LRA", gate, p.rangeShown, twin ? twin->rangeShown : 0.0);
  else
    std::snprintf(lines[n++], sizeof lines[0], twin ? "LRA:%s -/-" : "LRA%s: -", gate);
  value("PLR", "", NotBelowZero(p.plr), twin ? twin->plr : 0.0);
  value("PSR", "", NotBelowZero(p.psr), twin ? twin->psr : 0.0);
  if (p.peakMode == 1)
    value("TP", "", p.truePeakPeriodMax, twin ? twin->truePeakPeriodMax : 0.0);
  else if (p.peakMode == 0)
    value("PK", "", p.samplePeakPeriodMax, twin ? twin->samplePeakPeriodMax : 0.0);
  const float textLeft = left + std::trunc(m / 2);
  for (int k = 0; k < n; ++k)
  {
    const float y = top + (k + 0.5f) * m;
    g.DrawText(mReadoutText, lines[k], IRECT(textLeft, y, textLeft + bw, y + m), &mBlend);
  }
}
