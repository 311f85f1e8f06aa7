// Every text the editor shows, in every view and on every setup page, drawn whole: not clipped by
// its rectangle and not running into what stands beside it. A label too wide for its place in the
// fonts we ship shows here.

#include "tests/layout/EditorFixture.h"

#include "controls/ITextControls.h"

#include <string>
#include <vector>

using namespace layout_test;

namespace
{

// Glyph outlines reach a pixel or two beyond a text's measured advance.
constexpr float kBearing = 2.f;
// Less than this between a text and its neighbour and the two read as one.
constexpr float kLeastGap = 2.f;

// Where the letters of a visible text lie: its measured run, and of its line height the middle
// part that the letters fill.
IRECT Ink(const IGraphics& ui, const ITextControl& text)
{
  IRECT m = text.GetRECT();
  ui.MeasureText(text.GetText(), text.GetStr(), m);
  const float half = text.GetText().mSize * 0.35f;
  return IRECT(m.L, m.MH() - half, m.R, m.MH() + half);
}

// Every visible text of the editor is drawn whole, not clipped by its rectangle.
void ExpectTextsUnclipped(MeterEditor& plug, const std::string& view)
{
  vtest::HeadlessGraphics& ui = *plug.ui;
  ui.DrawFullFrame();
  for (int i = 0; i < ui.NControls(); ++i)
  {
    const auto* text = dynamic_cast<const ITextControl*>(ui.GetControl(i));
    if (!text || text->IsHidden() || !text->GetStr()[0])
      continue;
    const IRECT r = text->GetRECT();
    const IRECT ink = Ink(ui, *text);
    EXPECT_TRUE(ink.L >= r.L - kBearing && ink.R <= r.R + kBearing)
      << view << ": \"" << text->GetStr() << "\" is clipped: " << ink.L << ".." << ink.R << " in " << r.L << ".." << r.R;
  }
}

// No text of a setup page runs into another text or a control of the page.
void ExpectPageTextsApart(MeterEditor& plug, int page)
{
  const IGraphics& ui = *plug.ui;
  const std::vector<int>& group = plug.LayoutRecords().setupPages[static_cast<size_t>(page)];
  for (int i : group)
  {
    const auto* text = dynamic_cast<const ITextControl*>(ui.GetControl(i));
    if (!text || !text->GetStr()[0])
      continue;
    const IRECT clear = Ink(ui, *text).GetPadded(kLeastGap, 0.f, kLeastGap, 0.f);
    for (int j : group)
    {
      const IControl* other = ui.GetControl(j);
      // The page's panel frames them all.
      if (j == i || other->GetRECT().Contains(text->GetRECT()))
        continue;
      const auto* otherText = dynamic_cast<const ITextControl*>(other);
      const IRECT there = otherText ? Ink(ui, *otherText) : other->GetRECT();
      EXPECT_FALSE(clear.Intersects(there))
        << "page " << page << ": \"" << text->GetStr() << "\" runs into control " << j
        << (otherText ? std::string(" \"") + otherText->GetStr() + "\"" : std::string());
    }
  }
}

void Show(MeterEditor& plug, int param, double value)
{
  plug.GetParam(param)->Set(value);
  plug.ParameterChanged(param, iplug::kHost, -1);
}

} // namespace

class EditorTexts : public ::testing::TestWithParam<double>
{
};

// At scale 2 the glyphs are laid out at twice the pixels, where their advances round otherwise.
INSTANTIATE_TEST_SUITE_P(Scales, EditorTexts, ::testing::Values(1.0, 2.0));

TEST_P(EditorTexts, AreDrawnWholeInEveryViewAndOnEveryPage)
{
  MeterEditor plug;
  plug.Settings().guiScale = GetParam();
  plug.Open();
  ExpectTextsUnclipped(plug, "meters");
  Show(plug, kDisplayMode, 1);
  ExpectTextsUnclipped(plug, "graph");
  Show(plug, kSetup, 1);
  for (int page = 0; page < kSetupPageCount; ++page)
  {
    Show(plug, kSetupPage, page);
    ExpectTextsUnclipped(plug, "setup page " + std::to_string(page));
    ExpectPageTextsApart(plug, page);
  }
}
