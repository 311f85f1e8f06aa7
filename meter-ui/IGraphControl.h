#pragma once
// The loudness graph: the live history and the stored memory beside it over a dB scale, with
// zone bands, marks, the LRA, dialogue, PLR and PSR bands, a level distribution, an overview of
// the whole history and a read-out under the pointer. Gestures that change a setting are not
// applied here: the control stores a command and reports it to the plug-in under its action id.

#include "framework/WDLMutex.h"
#include "framework/WDLString.h"
#include "graphics/IControl.h"
#include "meter-engine/MeasurementRecords.h"
#include "meter-ui/GraphHistorySummary.h"

#include <array>
#include <cstdint>
#include <vector>

class IGraphControl : public iplug::igraphics::IControl
{
public:
  using IColor = iplug::igraphics::IColor;
  using IRECT = iplug::igraphics::IRECT;

  // What the report under the action id asks of the plug-in.
  enum GraphCommand : int32_t {
    kNone = 0,
    kViewMoved = 1,    // stop following the newest point
    kLongerTimescale,  // "Graph Timescale" one step up
    kShorterTimescale,
    kRangeUp,  // display range 1 dB up
    kRangeDown,
    kRangeWider,  // 1 dB more at each end
    kRangeNarrower,
    kPointerOver,  // a redraw only
  };

  // Roles in the colour table.
  enum ColorRole {
    kZoneAbove1 = 1,
    kZone1To2 = 3,
    kZone2To3 = 5,
    kZone3To4 = 7,
    kZoneBelow4 = 9,
    kILColor = 10,
    kMemoryColor = 11,
    kLRAColor = 12,
    kReferenceLineColor = 13,
    kBandHighColor = 14,
    kBandLowColor = 15,
    kTargetColor = 19,
    kDialogueColor = 21,
    kMarkerColor = 22,
    kMinAlertColor = 23,
    kMaxAlertColor = 24,
    kColorCount = 25
  };

  IGraphControl(const IRECT& bounds, int actionId);

  void SetLook(const IColor& textColor, int size, const IColor& accent, const IColor& frame, const IColor& minorLine,
               const WDL_String& caption);
  void SetRange(int scaleKind, double max, double min, double offset, double target, double plrReference,
                double psrReference);
  // The plug-in's lists (the memory may be absent) and the lock under which it changes them,
  // taken only to finish a clear that had to wait for a drawing.
  void SetHistories(LoudnessHistory* live, LoudnessHistory* memory, WDL_Mutex* lock);
  LoudnessHistory* History() const { return mLive; }
  // Lays the strips out in the bounds; the plot starts further right with the distribution on.
  void UpdateLayout();

  void OnResize() override;
  void Draw(iplug::igraphics::IGraphics& g) override;
  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const iplug::igraphics::IMouseMod& mod, float d) override;
  void OnMouseOver(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseOut() override;

  const IRECT& PlotArea() const { return mPlot; }
  const IRECT& OverviewStrip() const { return mOverview; }
  const IRECT& DistributionStrip() const { return mDistribution; }
  const IRECT& DistributionArea() const { return mDistributionArea; }
  double RangeTop() const { return mTop; }
  double RangeBottom() const { return mBottom; }
  double LabelStep() const { return mLabelStep; }
  double MinorStep() const { return mMinorStep; }
  double TargetPosition() const { return mTargetPosition; }
  int BinCount() const { return mBinCount; }

  // Written by the plug-in (settings hand-over, graph commands, reset) and the scale set-up.
  int32_t mCommand = kNone;
  int32_t mRunning = 1;
  int32_t mFrozenCount = 0;
  int32_t mViewEnd = 0;
  double mTimeScaleFactor = 0.5;  // visible span in units of 30 s
  int32_t mShowIL = 0, mShowSL = 0, mShowML = 0, mShowLRA = 0, mShowPLR = 0, mShowPSR = 0;
  int32_t mShowLoudnessAlerts = 0, mShowPeakAlerts = 0, mShowRangeAlerts = 0;
  int32_t mShowTarget = 0, mShowDialogue = 0, mShowMemory = 0;
  int32_t mDistributionMode = 0;  // 0 off, 1 IL, 2 SL, 3 ML, 4 LRA, 5 PLR, 6 PSR
  bool mPointerActive = false;
  std::array<IColor, kColorCount> mColors{};
  double mZoneLevels[4] = {0.0, -6.0, -12.0, -24.0};
  double mZonePositions[4] = {};

private:
  struct ReadScope;
  struct Snapshot;
  struct Window;
  class MarkRuns;

  void Report(int command);
  bool InPlot(float x, float y) const { return mPlot.Contains(x, y); }
  // Moves a stopped view by that many entries (positive: towards older ones).
  void ScrollStoppedView(int entries);
  int DecimationStep() const;
  // Runs of the live history: a point whose time steps back (a measurement begun again after a
  // restored history, more than half a day back, so not midnight) starts a new run, which the
  // graph never joins to the one before.
  void UpdateRuns(const GraphPointSummary* points, size_t count);
  // The first entry of the run that holds entry `last`.
  size_t RunStart(size_t last) const;

  double Norm(double displayLevel) const;
  // y of a measured level (the offset is taken off), clamped to the plot.
  float LevelY(double level) const;

  void DrawGraph(iplug::igraphics::IGraphics& g, const Snapshot& live, const Snapshot& memory);
  void DrawScaleLabels(iplug::igraphics::IGraphics& g, bool distribution);
  void DrawZoneBands(iplug::igraphics::IGraphics& g, bool distribution);
  void DrawTimeGrid(iplug::igraphics::IGraphics& g, const Window& w);
  void DrawMarks(iplug::igraphics::IGraphics& g, const Window& w, const Snapshot& memory);
  void DrawBands(iplug::igraphics::IGraphics& g, const Window& w);
  void DrawCurves(iplug::igraphics::IGraphics& g, const Window& w, const Snapshot& memory);
  void DrawLevelCurve(iplug::igraphics::IGraphics& g, const Window& w, const Snapshot& list,
                      double LoudnessHistoryPoint::*level, bool live, float thickness);
  void DrawDistribution(iplug::igraphics::IGraphics& g, const Window& w);
  void DrawILLine(iplug::igraphics::IGraphics& g, const Window& w);
  void DrawReadout(iplug::igraphics::IGraphics& g, const Window& w, const Snapshot& memory);
  void DrawOverview(iplug::igraphics::IGraphics& g, const Window& w);
  void DrawCurve(iplug::igraphics::IGraphics& g, const IColor& color, std::vector<float>& x, std::vector<float>& y,
                 bool stroke, bool smooth, float thickness);

  IRECT mPlot, mOverview, mScaleStrip, mDistribution, mDistributionArea;
  int mLabelSize = 10;
  int mTimeLabelSize = 10;
  int mReadoutSize = 13;
  IColor mTextColor;
  iplug::igraphics::IText mScaleText;
  iplug::igraphics::IText mReadoutText;
  IColor mFrameColor, mMinorLineColor, mAccentColor;
  double mTargetLevel = 0.0;
  double mPLRReference = 12.0, mPSRReference = 12.0;
  double mTop = 6.0, mBottom = -60.0, mSpan = 66.0, mMiddle = -27.0;
  double mTargetPosition = 0.0;
  double mPLRPositions[2] = {}, mPSRPositions[2] = {};
  double mLabelStep = 12.0, mMinorStep = 6.0;
  double mOffset = 0.0;
  WDL_String mCaption;
  LoudnessHistory* mLive = nullptr;
  LoudnessHistory* mMemory = nullptr;
  WDL_Mutex* mLock = nullptr;
  int32_t mScaleKind = 0;
  std::vector<int32_t> mBins;
  int mBinCount = 0;
  int mActionId;
  float mPointerX = -1.f, mPointerY = -1.f;
  bool mHorizontalDrag = false, mVerticalDrag = false;
  GraphHistorySummary mLiveSummary, mMemorySummary;
  std::vector<size_t> mRunStarts;                       // every entry after the first that begins a run, in order
  size_t mRunsScanned = 0;                              // entries looked at so far
  int32_t mRunsScannedFirst = 0, mRunsScannedLast = 0;  // their first and last time, to see a new list
};
