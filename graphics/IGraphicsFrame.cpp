// The frame cycle: which controls are dirty, which rectangles to redraw, and drawing every control
// that touches one of them, clipped to it.

#include <cmath>

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

namespace {
// The pieces of r outside x (x lies within r): full-width strips above and below x, then the
// parts left and right of x in its band. Together they cover r less x exactly.
int PiecesOutside(const IRECT& r, const IRECT& x, IRECT pieces[4])
{
  int n = 0;
  if (x.T > r.T)
  {
    pieces[n++] = IRECT(r.L, r.T, r.R, x.T);
  }
  if (x.B < r.B)
  {
    pieces[n++] = IRECT(r.L, x.B, r.R, r.B);
  }
  if (x.L > r.L)
  {
    pieces[n++] = IRECT(r.L, x.T, x.L, x.B);
  }
  if (x.R < r.R)
  {
    pieces[n++] = IRECT(x.R, x.T, r.R, x.B);
  }
  return n;
}

bool Inside(const IRECT& inner, const IRECT& outer)
{
  return outer.L <= inner.L && inner.R <= outer.R && outer.T <= inner.T && inner.B <= outer.B;
}

bool Fuse(const IRECT& a, const IRECT& b)
{
  if (a.L == b.L && a.R == b.R)
  {
    return (a.T >= b.T && a.T <= b.B) || (b.T >= a.T && b.T <= a.B) || a.Empty() || b.Empty();
  }
  if (a.T == b.T && a.B == b.B)
  {
    return (a.L >= b.L && a.L <= b.R) || (b.L >= a.L && b.L <= a.R) || a.Empty() || b.Empty();
  }
  return a.Empty() || b.Empty();
}

// Apart by a gap on some side: neither can hold the other or share a pixel with it.
bool Apart(const IRECT& a, const IRECT& b)
{
  return b.L > a.R || a.L > b.R || b.T > a.B || a.T > b.B;
}

// Replaces the rectangle at idx by its pieces outside x: the first stays in place, the rest go
// to the end of the list, so every pixel it covered stays covered (x is covered by the other).
void CutAway(IRECTList& rects, int idx, const IRECT& x)
{
  IRECT pieces[4];
  const int n = PiecesOutside(rects.Get(idx), x, pieces);
  if (n == 0)
  {
    rects.Remove(idx);
    return;
  }
  rects.Set(idx, pieces[0]);
  for (int k = 1; k < n; ++k)
  {
    rects.Add(pieces[k]);
  }
}

// Each area drawn costs a pass over every control and the background behind it, on top of its
// pixels: about as much as filling this many device pixels.
constexpr float kPixelsPerPass = 4096.f;

// Draws nearby rectangles as one: two become their bounds whenever the pixels that adds cost less
// than the pass it saves. Pixels drawn twice or more come out as the first time, since each pass
// paints everything behind its area again; the caller cuts the overlaps apart anyway. Answers
// whether any were grouped.
bool GroupNearRects(IRECTList& rects, float scale)
{
  const float pixelArea = scale * scale;
  bool grouped = false;
  for (int i = 0; i < rects.Size(); ++i)
  {
    for (int j = i + 1; j < rects.Size(); ++j)
    {
      const IRECT a = rects.Get(i), b = rects.Get(j);
      if (a.Empty() || b.Empty())
      {
        continue;
      }
      const IRECT bounds = a.Union(b);
      const float added = bounds.Area() - a.Area() - b.Area() + a.Intersect(b).Area();
      if (added * pixelArea < kPixelsPerPass)
      {
        rects.Set(i, bounds);
        rects.Remove(j);
        j = i;  // the grown rectangle may now reach ones already passed over
        grouped = true;
      }
    }
  }
  return grouped;
}
}  // namespace

void IGraphics::MergeDirtyRects(IRECTList& rects)
{
  // Pass 1: drop contained rectangles and cut overlapping ones apart.
  for (int i = 0; i < rects.Size(); ++i)
  {
    for (int j = i + 1; j < rects.Size();)
    {
      const IRECT a = rects.Get(i), b = rects.Get(j);
      if (Apart(a, b))
      {
        ++j;
        continue;
      }
      if (!a.Empty() && Inside(b, a))
      {
        rects.Remove(j);
        continue;
      }
      if (!b.Empty() && Inside(a, b))
      {
        rects.Remove(i);
        j = i + 1;
        if (i >= rects.Size())
        {
          break;
        }
        continue;
      }
      const bool overlap = b.L <= a.R && a.L < b.R && b.T <= a.B && a.T < b.B;
      if (!a.Empty() && !b.Empty() && overlap)
      {
        const IRECT x(std::max(a.L, b.L), std::max(a.T, b.T), std::min(a.R, b.R), std::min(a.B, b.B));
        // Edges that only touch share no pixel; the fusion pass deals with them.
        if (x.W() > 0.f && x.H() > 0.f)
        {
          const bool spansA = (x.L == a.L && x.R == a.R) || (x.T == a.T && x.B == a.B);
          const bool spansB = (x.L == b.L && x.R == b.R) || (x.T == b.T && x.B == b.B);
          if (spansA)
          {
            CutAway(rects, i, x);
          }
          else if (spansB)
          {
            CutAway(rects, j, x);
          }
          else
          {
            CutAway(rects, a.Area() < b.Area() ? i : j, x);
          }
        }
      }
      ++j;
    }
  }

  // Pass 2: fuse neighbours that share a full edge; sweep until a sweep fuses nothing.
  for (bool fused = true; fused;)
  {
    fused = false;
    for (int i = 0; i < rects.Size(); ++i)
    {
      for (int j = i + 1; j < rects.Size(); ++j)
      {
        const IRECT a = rects.Get(i), b = rects.Get(j);
        if (Fuse(a, b))
        {
          rects.Set(j, a.Empty() ? b : (b.Empty() ? a : a.Union(b)));
          rects.Remove(i);
          fused = true;
          --i;  // the entry now at i has not been compared yet
          break;
        }
      }
    }
  }
}

bool IGraphics::IsDirty(IRECTList& rects)
{
  if (mDisplayTickFunc)
  {
    mDisplayTickFunc();
  }
  ForAllControls(&IControl::Animate);
  bool dirty = false;
  VisitAllControls([&](IControl* control) {
    // However the values of a control that stays hidden change, its area shows the same: only
    // hiding or showing it changes that.
    if (control->IsDirty() && (!DrawsNothing(control) || control->HideChanged()))
    {
      rects.Add(control->GetRECT().GetPadded(0.75f));
      dirty = true;
    }
  });
  return dirty;
}

void IGraphics::DrawDirtyRects(IRECTList& rects)
{
  if (rects.Empty())
  {
    return;
  }
  const float scale = EffectiveScale();
  mDrawnRECTs.Clear();
  BeginFrame();
  if (mStrict)
  {
    const IRECT area = rects.Bounds().GetPixelAligned(scale);
    Draw(area, scale);
    EndFrame();
    return;
  }
  for (int i = 0; i < rects.Size(); ++i)
  {
    rects.Set(i, rects.Get(i).GetPixelAligned(scale));
  }
  // Contained and overlapping rectangles go first: a full frame's many shrink to one here.
  MergeDirtyRects(rects);
  if (GroupNearRects(rects, scale))
  {
    MergeDirtyRects(rects);
  }
  for (int i = 0; i < rects.Size(); ++i)
  {
    Draw(rects.Get(i), scale);
  }
  EndFrame();
}

void IGraphics::Draw(const IRECT& rect, float scale)
{
  mDrawnRECTs.Add(rect);
  VisitAllControls([&](IControl* control) { DrawControl(control, rect, scale); });
}

void IGraphics::DrawControl(IControl* control, const IRECT& rect, float scale)
{
  if (!control)
  {
    return;
  }
  if (DrawsNothing(control))
  {
    return;
  }
  const IRECT grown = control->GetRECT().GetPadded(0.75f);
  // Snapping grows a rectangle by less than a pixel: far controls are passed over before it.
  const float pixel = 1.f / scale;
  if (grown.L - pixel > rect.R || rect.L > grown.R + pixel || grown.T - pixel > rect.B || rect.T > grown.B + pixel)
  {
    return;
  }
  const IRECT controlArea = grown.GetPixelAligned(scale);
  const IRECT clip = controlArea.Intersect(rect);
  if (clip.W() > 0.f && clip.H() > 0.f)
  {
    ResetTransform(true);
    PathClear();
    SetClipRegion(clip);
    mClipRECT = clip;
    control->Draw(*this);
    EndRegion(clip);
  }
}

void IGraphics::SetDrawUnionMode(bool on)
{
  mStrict = on;
  MarkAllControlsDirty(false);
}

}  // namespace iplug::igraphics
