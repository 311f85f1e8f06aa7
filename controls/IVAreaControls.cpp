#include "controls/IVAreaControls.h"

#include <algorithm>

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

// ---- XY pad -------------------------------------------------------------------------------

IVXYPadControl::IVXYPadControl(const IRECT& bounds, std::initializer_list<int> params, const char* label,
                               const IVStyle& style, float handleRadius)
: IControl(bounds, params), IVectorBase(style), mHandleRadius(handleRadius)
{
  AttachIControl(this, label);
  mShape = EWidgetShape::Ellipse;
}

void IVXYPadControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseDown = true;
  if (mStyle.hideCursor && GetUI())
  {
    GetUI()->SetCursorHidden(true, false);
  }
  OnMouseDrag(x, y, 0.f, 0.f, mod);
}

void IVXYPadControl::OnMouseUp(float, float, const IMouseMod&)
{
  if (mStyle.hideCursor && GetUI())
  {
    GetUI()->SetCursorHidden(false, true);
  }
  mMouseDown = false;
  SetDirty(true);
}

void IVXYPadControl::OnMouseDrag(float x, float y, float, float, const IMouseMod&)
{
  const IRECT& r = mRECT;
  // Bounds without extent along an axis give no position on it.
  if (r.W() > 0.f)
  {
    SetValue((std::clamp(x, r.L, r.R) - r.L) / r.W(), 0);
  }
  if (r.H() > 0.f)
  {
    SetValue(1.0 - (std::clamp(y, r.T, r.B) - r.T) / r.H(), 1);
  }
  SetDirty(true);
}

void IVXYPadControl::OnResize()
{
  mTargetRECT = LayoutRects(mRECT);
  mMouseIsOver = false;
  SetDirty(false);
}

void IVXYPadControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawLabel(g);
  if (mStyle.drawFrame)
  {
    g.DrawRect(GetColor(kFR), mWidgetBounds, &mBlend, mStyle.frameThickness);
  }
  DrawWidget(g);
}

void IVXYPadControl::DrawWidget(IGraphics& g)
{
  DrawTrack(g);
  const float r = mHandleRadius;
  const IRECT area = mTrackClip ? mWidgetBounds : mWidgetBounds.GetPadded(-r);
  const float cx = area.L + area.W() * static_cast<float>(GetValue(0));
  const float cy = area.B - area.H() * static_cast<float>(GetValue(1));
  DrawHandle(g, area, IRECT(cx - r, cy - r, cx + r, cy + r));
}

void IVXYPadControl::DrawTrack(IGraphics& g)
{
  g.DrawVerticalLine(GetColor(kSH), mWidgetBounds, 0.5f, nullptr, 1.f);
  g.DrawHorizontalLine(GetColor(kSH), mWidgetBounds, 0.5f, nullptr, 1.f);
}

void IVXYPadControl::DrawHandle(IGraphics& g, const IRECT& trackBounds, const IRECT& handleBounds)
{
  if (mTrackClip)
  {
    g.ClipToRegion(trackBounds.GetPadded(-0.5f * mStyle.frameThickness));
  }
  DrawPressableShape(g, mShape, handleBounds, mMouseDown, mMouseIsOver, IsDisabled());
}

// ---- Plot ---------------------------------------------------------------------------------

IVPlotControl::IVPlotControl(const IRECT& bounds, std::initializer_list<Plot> plots, int numPoints, const char* label,
                             const IVStyle& style, bool useLayer, float min, float max)
: IControl(bounds),
  IVectorBase(style),
  mMin(min),
  mMax(max),
  mUseLayer(useLayer),
  mPoints(static_cast<size_t>(std::max(numPoints, 0)))
{
  AttachIControl(this, label);
  for (const Plot& plot : plots)
  {
    AddPlot(plot.color, plot.func);
  }
}

void IVPlotControl::AddPlot(const IColor& color, std::function<double(double)> func)
{
  mPlots.push_back({color, std::move(func)});
  // A kept picture would not show the new graph.
  if (mLayer)
  {
    mLayer->Invalidate();
  }
}

void IVPlotControl::OnResize()
{
  mTargetRECT = LayoutRects(mRECT);
  mMouseIsOver = false;
  SetDirty(false);
}

IRECT IVPlotControl::PlotArea() const
{
  const float cell = mWidgetBounds.H() / static_cast<float>(mVerticalDivisions + 2);
  return IRECT(mWidgetBounds.L, mWidgetBounds.T + cell, mWidgetBounds.R, mWidgetBounds.B - cell);
}

void IVPlotControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawLabel(g);
  if (!mUseLayer)
  {
    DrawPlots(g);
    return;
  }
  if (!g.LayerIsValid(mLayer))
  {
    g.BeginLayer(this, mRECT, true);
    DrawPlots(g);
    mLayer = g.FinishLayer();
  }
  g.PaintLayer(mLayer, &mBlend);
}

void IVPlotControl::DrawPlots(IGraphics& g)
{
  const IRECT area = PlotArea();
  g.DrawGrid(GetColor(kSH), area, mWidgetBounds.W() / static_cast<float>(mHorizontalDivisions),
             mWidgetBounds.H() / static_cast<float>(mVerticalDivisions + 2), nullptr, 1.f);
  // A single point has no x step and an empty range no scale: there is no graph to draw.
  const int n = static_cast<int>(mPoints.size());
  const double range = static_cast<double>(mMax) - mMin;
  if (n >= 2 && range != 0.0)
  {
    for (const Plot& plot : mPlots)
    {
      if (!plot.func)
      {
        continue;
      }
      for (int k = 0; k < n; ++k)
      {
        const double y = plot.func(static_cast<double>(k) / (n - 1));
        mPoints[static_cast<size_t>(k)] = static_cast<float>((y - mMin) / range);
      }
      g.DrawPlot(plot.color, area, mPoints.data(), n, nullptr, &mBlend, mTrackSize);
    }
  }
  if (mStyle.drawFrame)
  {
    g.DrawRect(GetColor(kFR), mWidgetBounds, &mBlend, mStyle.frameThickness);
  }
}

// ---- Group frame --------------------------------------------------------------------------

IVGroupControl::IVGroupControl(const IRECT& bounds, const char* label, const IVStyle& style, float labelOffset)
: IControl(bounds), IVectorBase(style), mLabelOffset(labelOffset)
{
  AttachIControl(this, label);
  mIgnoreMouse = true;
}

IVGroupControl::IVGroupControl(const char* label, const char* groupName, const IVStyle& style, float padL, float padT,
                               float padR, float padB)
: IControl(IRECT()),
  IVectorBase(style),
  mGroupName(groupName ? groupName : ""),
  mPadL(padL),
  mPadT(padT),
  mPadR(padR),
  mPadB(padB),
  mLabelOffset(10.f)
{
  AttachIControl(this, label);
  mIgnoreMouse = true;
}

void IVGroupControl::OnInit()
{
  if (mGroupName.GetLength() > 0)
  {
    SetBoundsBasedOnGroup(mGroupName.Get(), mPadL, mPadT, mPadR, mPadB);
  }
}

void IVGroupControl::SetBoundsBasedOnGroup(const char* groupName, float padL, float padT, float padR, float padB)
{
  mGroupName.Set(groupName ? groupName : "");
  mPadL = padL;
  mPadT = padT;
  mPadR = padR;
  mPadB = padB;
  IRECT bounds;
  if (IGraphics* g = GetUI())
  {
    g->VisitGroupControls(mGroupName.Get(), [&](IControl* control) {
      // A frame inside its own group would grow by the paddings at every call.
      if (control != this)
      {
        bounds = bounds.Union(control->GetRECT());
      }
    });
  }
  mRECT = bounds.GetPadded(padL, padT, padR, padB);
  OnResize();
}

float IVGroupControl::CornerRadius() const
{
  return std::min(mWidgetBounds.W(), mWidgetBounds.H()) * 0.5f * mStyle.roundness;
}

void IVGroupControl::OnResize()
{
  mTargetRECT = LayoutRects(mRECT);
  mMouseIsOver = false;
  // The frame's top line runs through the middle of the label.
  mWidgetBounds.T -= 0.5f * (mLabelBounds.H() + mStyle.frameThickness);
  if (!mLabelBounds.Empty())
  {
    const IRECT gap = mLabelBounds.GetPadded(mLabelPadding, 0.f, mLabelPadding, 0.f);
    const float left = mRECT.L + mStyle.frameThickness + mLabelOffset + CornerRadius();
    mLabelBounds = gap.GetTranslated(left - gap.L, 0.f);
  }
  SetDirty(false);
}

void IVGroupControl::Draw(IGraphics& g)
{
  DrawLabel(g);
  DrawWidget(g);
}

void IVGroupControl::DrawWidget(IGraphics& g)
{
  const float half = 0.5f * mStyle.frameThickness;
  const float c = CornerRadius();
  const float inset = c + half;
  const IRECT& w = mWidgetBounds;
  const float top = w.T + half;
  // Without a label the frame is closed: it starts and ends at the middle of the top line.
  const bool noLabel = mLabelBounds.Empty();
  g.PathClear();
  g.PathMoveTo(noLabel ? mRECT.MW() : mLabelBounds.R, top);
  g.PathArc(w.R - inset, w.T + inset, c, 0.f, 90.f);
  g.PathArc(w.R - inset, w.B - inset, c, 90.f, 180.f);
  g.PathArc(w.L + inset, w.B - inset, c, 180.f, 270.f);
  g.PathArc(w.L + inset, w.T + inset, c, 270.f, 360.f);
  g.PathLineTo(noLabel ? mRECT.MW() : mLabelBounds.L, top);
  g.PathStroke(GetColor(mStyle.drawShadows ? kSH : kFR), mStyle.frameThickness);
}

// ---- Colour swatch ------------------------------------------------------------------------

IVColorSwatchControl::IVColorSwatchControl(const IRECT& bounds, const char* label, ColorChosenFunc func,
                                           const IVStyle& style, int layout, std::initializer_list<int> colorSlots,
                                           std::initializer_list<const char*> labels)
: IControl(bounds),
  IVectorBase(style),
  mColorChosenFunc(std::move(func)),
  mLayout(layout),
  mCells(colorSlots.size()),
  mColorSlots(colorSlots)
{
  AttachIControl(this, label);
  mStyle.valueText.mAlign = EAlign::Far;
  mText.mAlign = EAlign::Far;
  for (const char* cellLabel : labels)
  {
    mLabels.emplace_back(cellLabel ? cellLabel : "");
  }
}

const IColor* IVColorSwatchControl::SlotColor(int cellIdx) const
{
  const int slot = mColorSlots[static_cast<size_t>(cellIdx)];
  return slot >= 0 && slot < kNumVColors ? &GetColor(static_cast<EVColor>(slot)) : nullptr;
}

int IVColorSwatchControl::CellAt(float x, float y) const
{
  const auto it = std::find_if(mCells.begin(), mCells.end(), [=](const IRECT& r) { return r.Contains(x, y); });
  return it == mCells.end() ? -1 : static_cast<int>(it - mCells.begin());
}

void IVColorSwatchControl::OnResize()
{
  mTargetRECT = LayoutRects(mRECT, true);
  mMouseIsOver = false;
  const int n = NCells();
  const int columns = mLayout == kHorizontal ? n : mLayout == kVertical ? 1 : 3;
  const int rows = mLayout == kHorizontal ? 1 : mLayout == kVertical ? n : 3;
  const IRECT& w = mWidgetBounds;
  for (int k = 0; k < n; ++k)
  {
    IRECT cell = w;
    if (k < columns * rows)
    {
      const float cw = w.W() / static_cast<float>(columns), ch = w.H() / static_cast<float>(rows);
      const float l = w.L + cw * static_cast<float>(k % columns);
      const float t = w.T + ch * static_cast<float>(k / columns);
      cell = IRECT(l, t, l + cw, t + ch);
    }
    mCells[static_cast<size_t>(k)] = cell.GetPadded(-2.f);
  }
  SetDirty(false);
}

void IVColorSwatchControl::Draw(IGraphics& g)
{
  DrawWidget(g);
  DrawLabel(g);
}

void IVColorSwatchControl::DrawWidget(IGraphics& g)
{
  for (int i = 0; i < NCells(); ++i)
  {
    const IRECT& cell = mCells[static_cast<size_t>(i)];
    const char* label = CellLabel(i);
    const bool hasLabel = label[0] != '\0';
    const IRECT swatch = hasLabel ? IRECT(cell.R - 0.25f * cell.W(), cell.T, cell.R, cell.B) : cell;
    if (const IColor* color = SlotColor(i))
    {
      g.FillRect(*color, swatch, &mBlend);
    }
    g.DrawRect(i == mCellOver ? IColor(255, 127, 127, 127) : IColor(255, 70, 70, 70), swatch.GetPadded(-0.5f), &mBlend,
               1.f);
    if (hasLabel)
    {
      g.DrawText(mStyle.valueText, label, IRECT(cell.L, cell.T, cell.L + 0.7f * cell.W(), cell.B), &mBlend);
    }
  }
}

void IVColorSwatchControl::OnMouseOver(float x, float y, const IMouseMod&)
{
  mCellOver = CellAt(x, y);
  SetDirty(true);
}

void IVColorSwatchControl::OnMouseOut()
{
  mCellOver = -1;
  SetDirty(true);
}

void IVColorSwatchControl::OnMouseDown(float x, float y, const IMouseMod&)
{
  const int cell = CellAt(x, y);
  IGraphics* g = GetUI();
  const IColor* start = cell >= 0 ? SlotColor(cell) : nullptr;
  if (!start || !g)
  {
    return;
  }
  const auto slot = static_cast<EVColor>(mColorSlots[static_cast<size_t>(cell)]);
  g->AskForColor(*start, "Choose a color", [this, cell, slot](const IColor& color) {
    mStyle.colorSpec.SetColor(slot, color);
    SetDirty(false);
    if (mColorChosenFunc)
    {
      mColorChosenFunc(cell, color);
    }
  });
}

}  // namespace iplug::igraphics
