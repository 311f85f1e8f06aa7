#pragma once

// A widget cut into equal cells along a direction, as the switches lay out their states and the
// tracks their steps.

#include "graphics/IGraphicsStructs.h"

namespace iplug::igraphics {

// Cell idx of count equal cells of r, numbered from the top when vertical and from the left when
// horizontal.
inline IRECT EqualCell(const IRECT& r, int idx, int count, EDirection direction)
{
  if (direction == EDirection::Vertical)
  {
    const float h = r.H() / static_cast<float>(count);
    const float top = r.T + static_cast<float>(idx) * h;
    return IRECT(r.L, top, r.R, top + h);
  }
  const float w = r.W() / static_cast<float>(count);
  const float left = r.L + static_cast<float>(idx) * w;
  return IRECT(left, r.T, left + w, r.B);
}

}  // namespace iplug::igraphics
