#pragma once

// Vector controls that work over a whole area rather than along one value: a pad whose handle
// moves in two dimensions, graphs of functions on a grid, a labelled frame drawn around a group
// of other controls, and a set of colour cells that edit the control's own style colours.

#include <functional>
#include <initializer_list>
#include <vector>

#include "graphics/IControl.h"
#include "graphics/IGraphicsConstants.h"
#include "graphics/ILayer.h"
#include "graphics/IVectorBase.h"

namespace iplug::igraphics {

// Value 0 is x (left to right), value 1 is y (bottom to top), each linked to its own parameter.
class IVXYPadControl : public IControl, public IVectorBase
{
public:
  IVXYPadControl(const IRECT& bounds, std::initializer_list<int> params, const char* label = "",
                 const IVStyle& style = kStyleDefault, float handleRadius = 10.f);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  // The pointer is pinned to the draw bounds, so a drag outside sets 0 or 1.
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnResize() override;
  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  virtual void DrawHandle(IGraphics& g, const IRECT& trackBounds, const IRECT& handleBounds);
  virtual void DrawTrack(IGraphics& g);

  // Off: the handle's centre stays a radius inside the widget, so the whole handle shows.
  void SetTrackClip(bool clip) { mTrackClip = clip; }

protected:
  float mHandleRadius;
  bool mMouseDown = false;
  bool mTrackClip = true;
};

// One polyline per plotted function of x in 0..1, scaled from min..max to the plot area, over a
// grid. With useLayer the picture is kept and only painted again until the bounds change or a
// plot is added.
class IVPlotControl : public IControl, public IVectorBase
{
public:
  struct Plot
  {
    IColor color;
    std::function<double(double)> func;
  };

  IVPlotControl(const IRECT& bounds, std::initializer_list<Plot> plots, int numPoints, const char* label = "",
                const IVStyle& style = kStyleDefault, bool useLayer = false, float min = -1.f, float max = 1.f);

  void OnResize() override;
  void Draw(IGraphics& g) override;

  void AddPlot(const IColor& color, std::function<double(double)> func);

protected:
  // The widget less one grid row at the top and one at the bottom.
  IRECT PlotArea() const;
  void DrawPlots(IGraphics& g);

  ILayerPtr mLayer;
  std::vector<Plot> mPlots;
  float mMin;
  float mMax;
  bool mUseLayer;
  int mHorizontalDivisions = 10;
  int mVerticalDivisions = 10;
  std::vector<float> mPoints;  // one per sample of x, refilled for each plot
};

// A frame whose top line runs through the middle of its label and leaves a gap for it. Placed by
// hand, or made to surround every control of a named group, grown by the paddings.
class IVGroupControl : public IControl, public IVectorBase
{
public:
  IVGroupControl(const IRECT& bounds, const char* label = "", const IVStyle& style = kStyleDefault,
                 float labelOffset = 10.f);
  // Bounds follow the group once the control is attached.
  IVGroupControl(const char* label, const char* groupName, const IVStyle& style = kStyleDefault, float padL = 0.f,
                 float padT = 0.f, float padR = 0.f, float padB = 0.f);

  void OnResize() override;
  void OnInit() override;
  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  // A group with no controls gives the all-zero rectangle grown by the paddings.
  virtual void SetBoundsBasedOnGroup(const char* groupName, float padL, float padT, float padR, float padB);

protected:
  float CornerRadius() const;

  WDL_String mGroupName;
  float mPadL = 0.f;
  float mPadT = 0.f;
  float mPadR = 0.f;
  float mPadB = 0.f;
  float mLabelOffset;
  float mLabelPadding = 10.f;
};

// Cells that each show one style colour (its slot, 0..8) with an optional text; a click opens the
// colour chooser and the picked colour becomes that style colour. A slot outside the style's
// colours leaves its cell unfilled and unclickable.
class IVColorSwatchControl : public IControl, public IVectorBase
{
public:
  using ColorChosenFunc = std::function<void(int cellIdx, IColor color)>;

  enum ELayout {
    kGrid = 0,  // 3 x 3; further cells cover the whole widget
    kHorizontal,
    kVertical
  };

  IVColorSwatchControl(const IRECT& bounds, const char* label = "", ColorChosenFunc func = nullptr,
                       const IVStyle& style = kStyleDefault, int layout = kGrid,
                       std::initializer_list<int> colorSlots = {kBG, kFG, kPR, kFR, kHL, kSH, kX1, kX2, kX3},
                       std::initializer_list<const char*> labels = {});

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnResize() override;
  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;

  int NCells() const { return static_cast<int>(mCells.size()); }
  const IRECT& GetCellRect(int idx) const { return mCells.at(static_cast<size_t>(idx)); }

protected:
  // The first cell holding the point, -1 for none.
  int CellAt(float x, float y) const;
  // The cell's style colour, or none for a slot outside the style's colours.
  const IColor* SlotColor(int cellIdx) const;
  const char* CellLabel(int idx) const
  {
    return idx < static_cast<int>(mLabels.size()) ? mLabels[static_cast<size_t>(idx)].Get() : "";
  }

  ColorChosenFunc mColorChosenFunc;
  int mCellOver = -1;
  int mLayout;
  std::vector<IRECT> mCells;
  std::vector<WDL_String> mLabels;
  std::vector<int> mColorSlots;
};

}  // namespace iplug::igraphics
