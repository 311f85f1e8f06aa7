#pragma once

// Vector controls that show several values as parallel tracks, one value slot per track, each
// linked to its own parameter: optional step cells, a baseline the filled part starts from, and
// a name in each track. The range slider shows its values as triangular handles on one shared
// track, fills the spans between neighbours, and keeps each handle between its neighbours.

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "graphics/IControl.h"
#include "graphics/IGraphicsConstants.h"
#include "graphics/IVectorBase.h"

namespace iplug::igraphics {

class IVTrackControlBase : public IControl, public IVectorBase
{
public:
  // Vertical tracks are columns whose values rise upward; horizontal ones are rows whose values
  // grow to the right. numSteps 0 is continuous.
  IVTrackControlBase(const IRECT& bounds, const char* label, const IVStyle& style, std::initializer_list<int> params,
                     int numSteps = 0, EDirection direction = EDirection::Vertical,
                     std::initializer_list<const char*> trackNames = {});

  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnResize() override;
  // The first track under the point, -1 for none.
  int ValueIndexAt(float x, float y) const override;

  void DrawWidget(IGraphics& g) override;
  // Also marks the baseline, when there is one, across the rectangle.
  void DrawBackground(IGraphics& g, const IRECT& r) override;
  virtual void DrawTrack(IGraphics& g, const IRECT& r, int chIdx);
  virtual void DrawTrackBackground(IGraphics& g, const IRECT& r, int chIdx);
  virtual void DrawTrackName(IGraphics& g, const IRECT& r, int chIdx);
  virtual void DrawTrackHandle(IGraphics& g, const IRECT& r, int chIdx, bool aboveBaseline);
  virtual void DrawValueMarker(IGraphics& g, const IRECT& r, int chIdx, bool aboveBaseline);
  virtual void MakeTrackRects(const IRECT& bounds);
  virtual void MakeStepRects(const IRECT& bounds, int nSteps);

  // The value the filled part starts from; 0 or less fills from the track's start.
  void SetBaseline(double baseline)
  {
    mBaseline = std::min(baseline, 1.0);
    SetDirty(false);
  }
  // -1 for none.
  void SetHighlightedTrack(int chIdx)
  {
    mHighlightedTrack = chIdx;
    SetDirty(false);
  }
  void SetTrackPadding(float padding)
  {
    mTrackPadding = padding;
    OnResize();
  }
  // Whether an extra step cell stands for the value 0.
  void SetZeroStep(bool zeroStep)
  {
    mZeroValueStepHasBounds = zeroStep;
    OnResize();
  }
  void SetDrawTrackFrame(bool draw)
  {
    mDrawTrackFrame = draw;
    SetDirty(false);
  }

  const std::vector<IRECT>& GetTrackRects() const { return mTrackBounds; }
  // Step 0 first: the bottom cell of vertical tracks, the rightmost of horizontal ones.
  const std::vector<IRECT>& GetStepRects() const { return mStepBounds; }
  int GetMouseOverTrack() const { return mMouseOverTrack; }

protected:
  // The part of track r filled for value v, from the baseline or the track's start.
  IRECT FilledRect(const IRECT& r, double v) const;

  EDirection mDirection;
  std::vector<IRECT> mTrackBounds;  // one per value slot
  std::vector<IRECT> mStepBounds;   // step 0 first
  std::vector<WDL_String> mTrackNames;
  int mNSteps;
  float mTrackPadding = 0.f;
  float mMarkerThickness = 1.f;
  int mHighlightedTrack = -1;
  int mMouseOverTrack = -1;
  double mBaseline = 0.0;
  bool mDrawTrackFrame = true;
  bool mZeroValueStepHasBounds = true;
};

class IVRangeSliderControl : public IVTrackControlBase
{
public:
  IVRangeSliderControl(const IRECT& bounds, std::initializer_list<int> params, const char* label = "",
                       const IVStyle& style = kStyleDefault, EDirection direction = EDirection::Horizontal,
                       float handleSize = 8.f, float trackSize = 2.f);

  // Grabs the handle under the pointer, if any, and moves it there.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  // Moves the grabbed handle to the pointer, no further than its neighbours.
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  // Draws handle chIdx.
  void DrawTrack(IGraphics& g, const IRECT& r, int chIdx) override;
  void MakeTrackRects(const IRECT& bounds) override;

  // Odd handles sit above (or right of) the track line, even ones below (or left of) it.
  IRECT GetHandleBounds(int chIdx) const;
  int GetMouseOverHandle() const { return mMouseOverHandle; }

protected:
  // Where value v lies along track chIdx.
  float PositionOf(int chIdx, double v) const;

  int mMouseOverHandle = -1;
  float mHandleSize;
  bool mMouseDown = false;
};

}  // namespace iplug::igraphics
