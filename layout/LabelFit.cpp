// The editor's label rectangles are tight for the widths of the fonts we ship: where a text is
// wider than its rectangle it would be clipped, and where it reaches what stands beside it the two
// run together. Each label is given the room its widest text needs, as far as its neighbours and
// the frames round it allow, and a slightly smaller text where even that room is too narrow.

#include "controls/ITextControls.h"
#include "layout/LayoutParts.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace iplug::igraphics;

namespace {

// Kept clear between a label's text and whatever stands beside it.
constexpr float kLabelGap = 3.f;
// Below this a text is no longer comfortably read; a label that needs less keeps this size.
constexpr float kSmallestTextSize = 9.f;

// The width of a text's letters: a right-aligned text's leading blanks, as the time's, have none.
float TextWidth(const IGraphics& ui, const IText& style, const std::string& text)
{
  const size_t letters = style.mAlign == EAlign::Far ? std::min(text.find_first_not_of(' '), text.size()) : 0;
  IRECT measured;
  return ui.MeasureText(style, text.c_str() + letters, measured);
}

float WidestText(const IGraphics& ui, const IText& style, const std::vector<std::string>& texts)
{
  float widest = 0.f;
  for (const std::string& text : texts)
    widest = std::max(widest, TextWidth(ui, style, text));
  return widest;
}

// Side by side: the two share at least half of the label's height.
bool BesideEachOther(const IRECT& label, const IRECT& other)
{
  const float shared = std::min(label.B, other.B) - std::max(label.T, other.T);
  return shared >= label.H() / 2.f;
}

// Keeps the room inside a frame round the label, the gap away from its edges.
void KeepInside(const IRECT& frame, float& left, float& right)
{
  left = std::max(left, frame.L + kLabelGap);
  right = std::min(right, frame.R - kLabelGap);
}

// How far left and right the label's text may reach: up to a control beside it less the gap; up
// to the middle of the space between two labels, which may both grow into it; inside the frames
// round it.
void Room(const IGraphics& ui, const std::vector<int>& group, int index, const IRECT& frame, float& left, float& right)
{
  const IRECT& r = ui.GetControl(index)->GetRECT();
  left = -std::numeric_limits<float>::infinity();
  right = std::numeric_limits<float>::infinity();
  if (!frame.Empty())
    KeepInside(frame, left, right);
  for (int other : group)
  {
    const IControl* control = ui.GetControl(other);
    if (other == index || !control)
      continue;
    const IRECT& q = control->GetRECT();
    // A click area over the label is neither beside it nor round it.
    if (q.Empty() || q == r)
      continue;
    if (q.Contains(r))
    {
      KeepInside(q, left, right);
      continue;
    }
    if (!BesideEachOther(r, q))
      continue;
    const bool label = dynamic_cast<const ITextControl*>(control) != nullptr;
    if (q.MW() > r.MW())
      right = std::min(right, (label ? (r.R + q.L) / 2.f : q.L) - kLabelGap / (label ? 2.f : 1.f));
    else
      left = std::max(left, (label ? (q.R + r.L) / 2.f : q.R) + kLabelGap / (label ? 2.f : 1.f));
  }
}

// The rectangle the text needs, placed as its alignment places it in the label's rectangle.
IRECT Needed(const IRECT& r, EAlign align, float width)
{
  switch (align)
  {
    case EAlign::Center:
    {
      const float half = std::max(width, r.W()) / 2.f;
      return IRECT(r.MW() - half, r.T, r.MW() + half, r.B);
    }
    case EAlign::Far: return IRECT(std::min(r.L, r.R - width), r.T, r.R, r.B);
    default: return IRECT(r.L, r.T, std::max(r.R, r.L + width), r.B);
  }
}

// The widest text that fits the room with the label's alignment.
float RoomWidth(const IRECT& r, EAlign align, float left, float right)
{
  switch (align)
  {
    case EAlign::Center: return 2.f * std::min(r.MW() - left, right - r.MW());
    case EAlign::Far: return r.R - left;
    default: return right - r.L;
  }
}

}  // namespace

float FittingSize(const IGraphics& ui, IText style, const std::vector<std::string>& texts, float width)
{
  const float widest = WidestText(ui, style, texts);
  if (widest <= width || style.mSize <= kSmallestTextSize)
    return style.mSize;
  // In half points from the size that would fit were widths proportional to it, which the
  // glyphs' whole-pixel advances make them only nearly.
  style.mSize = std::max(kSmallestTextSize, std::floor(style.mSize * width / widest * 2.f) / 2.f);
  while (WidestText(ui, style, texts) > width && style.mSize > kSmallestTextSize)
    style.mSize -= 0.5f;
  return style.mSize;
}

void FitLabels(IGraphics& ui, const std::vector<int>& group, const LabelTexts& texts, const IRECT& frame)
{
  // Every room is taken from the rectangles as placed, before any label has grown, so that a
  // label's room does not depend on which of its neighbours was fitted first.
  struct Fit
  {
    ITextControl* label;
    std::vector<std::string> texts;
    float room;
  };
  std::vector<Fit> fits;
  for (int index : group)
  {
    auto* label = dynamic_cast<ITextControl*>(ui.GetControl(index));
    if (!label)
      continue;
    const auto given = texts.find(index);
    std::vector<std::string> shown{label->GetStr()};
    if (given != texts.end())
      shown = given->second;
    if (WidestText(ui, label->GetText(), shown) <= 0.f)
      continue;
    float left = 0.f, right = 0.f;
    Room(ui, group, index, frame, left, right);
    fits.push_back({label, std::move(shown), RoomWidth(label->GetRECT(), label->GetText().mAlign, left, right)});
  }
  for (const Fit& fit : fits)
  {
    IText style = fit.label->GetText();
    const float size = FittingSize(ui, style, fit.texts, fit.room);
    if (size != style.mSize)
    {
      style.mSize = size;
      fit.label->SetText(style);
    }
    const float width = WidestText(ui, style, fit.texts);
    const IRECT& r = fit.label->GetRECT();
    if (width > r.W())
      fit.label->SetTargetAndDrawRECTs(Needed(r, style.mAlign, width));
  }
}
