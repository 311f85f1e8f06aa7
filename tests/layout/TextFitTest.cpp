// Every text the editor shows, in every view and on every setup page, drawn whole: not clipped by
// its rectangle and not running into what stands beside it. A label too wide for its place in the
// fonts we ship shows here.

#include "tests/layout/EditorFixture.h"

#include "controls/ITextControls.h"
#include "controls/IVTabSwitchControl.h"
#include "meter-ui/IVClickButtonControlZv.h"
#include "meter-ui/IVParameterControlZv.h"
#include "meter-ui/IVStyleZv.h"

#include <string>
#include <vector>

using namespace layout_test;

namespace {

// Glyph outlines reach a pixel or two beyond a text's measured advance.
constexpr float kBearing = 2.f;
// Less than this between a text and its neighbour and the two read as one.
constexpr float kLeastGap = 2.f;

// Where the letters of a text lie, drawn in a style into a rectangle: its measured run (less
// the blanks that lead a right-aligned text, as the time's, which have no ink), and of its line
// height the middle part that the letters fill.
IRECT Ink(const IGraphics& ui, const IText& style, const IRECT& r, const char* str)
{
  if (style.mAlign == EAlign::Far)
    while (*str == ' ')
      ++str;
  IRECT m = r;
  ui.MeasureText(style, str, m);
  const float half = style.mSize * 0.35f;
  return IRECT(m.L, m.MH() - half, m.R, m.MH() + half);
}

IRECT Ink(const IGraphics& ui, const ITextControl& text)
{
  return Ink(ui, text.GetText(), text.GetRECT(), text.GetStr());
}

bool Within(const IRECT& ink, const IRECT& r)
{
  return ink.L >= r.L - kBearing && ink.R <= r.R + kBearing;
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
    EXPECT_TRUE(Within(ink, r)) << view << ": \"" << text->GetStr() << "\" is clipped: " << ink.L << ".." << ink.R
                                << " in " << r.L << ".." << r.R;
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

// A read-out line and the words its value may carry.
struct ReadoutLine
{
  int row;
  int ReadoutBoxSlots::*slot;
  std::vector<const char*> words;
};

// clang-format off
const ReadoutLine kLevelLines[] = {
  {kReadoutIL, &ReadoutBoxSlots::valueText, {nullptr}},
  {kReadoutSL, &ReadoutBoxSlots::valueText, {nullptr}},
  {kReadoutML, &ReadoutBoxSlots::valueText, {nullptr}},
  {kReadoutRange, &ReadoutBoxSlots::valueText, {nullptr}},
  {kReadoutPeak, &ReadoutBoxSlots::valueText, {nullptr}},
  {kReadoutIL, &ReadoutBoxSlots::secondCaption, {"IL"}},
  {kReadoutSL, &ReadoutBoxSlots::secondCaption, {"Max"}},
  {kReadoutML, &ReadoutBoxSlots::secondCaption, {"Max"}},
  {kReadoutRange, &ReadoutBoxSlots::secondCaption, {"LRA", "PSR", "Min"}},
};
// clang-format on

// Every text of a read-out box, each drawn whole inside the box's frame and apart from the others.
void ExpectBoxTextsFit(MeterEditor& plug, int row, const std::string& shown)
{
  const IGraphics& ui = *plug.ui;
  const ReadoutBoxSlots& box = plug.Row(row);
  const IRECT inside = plug.At(box.boxPanel)->GetRECT().GetPadded(-1.f);
  std::vector<const ITextControl*> texts;
  for (int index : {box.caption, box.valueText, box.secondCaption, box.unitText, box.sideValues[0], box.sideValues[1]})
    if (const auto* text = plug.As<ITextControl>(index); text && !text->IsHidden() && text->GetStr()[0])
      texts.push_back(text);
  for (const ITextControl* text : texts)
  {
    const IRECT ink = Ink(ui, *text);
    EXPECT_TRUE(Within(ink, text->GetRECT()) && Within(ink, inside))
      << shown << ": \"" << text->GetStr() << "\" at " << ink.L << ".." << ink.R << " in " << text->GetRECT().L << ".."
      << text->GetRECT().R << ", box inside " << inside.L << ".." << inside.R;
    for (const ITextControl* other : texts)
      EXPECT_TRUE(other == text || !ink.GetPadded(kLeastGap, 0.f, kLeastGap, 0.f).Intersects(Ink(ui, *other)))
        << shown << ": \"" << text->GetStr() << "\" runs into \"" << other->GetStr() << "\"";
  }
}

}  // namespace

class EditorTexts : public ::testing::TestWithParam<double>
{
};

// At scales above 1 the glyphs are laid out at more pixels, where their advances round otherwise.
INSTANTIATE_TEST_SUITE_P(Scales, EditorTexts, ::testing::Values(1.0, 1.5, 2.0));

// Every value a read-out shows, as the display feed writes it: no value, no level, and the ends of
// the levels of every unit and offset, with each word of its line; the longest time, dialogue
// share and alert count; with the captions and units of every mode.
TEST_P(EditorTexts, ReadoutsFitTheirBoxesAtEveryValue)
{
  MeterEditor plug;
  plug.Settings().guiScale = GetParam();
  plug.Open();
  plug.ui->DrawFullFrame();
  // Levels below a read-out's floor read "-inf".
  constexpr double kFloor = -143.9, kNoFloor = -1000.0;
  const struct
  {
    const char* name;
    bool valid;
    double level, floor;
  } values[] = {{"no value", false, 0.0, kNoFloor},
                {"no level", true, -144.0, kFloor},
                {"lowest", true, -144.0, kNoFloor},
                {"highest", true, 144.0, kNoFloor}};
  for (const auto& value : values)
    for (size_t word = 0; word < 3; ++word)
    {
      for (const ReadoutLine& line : kLevelLines)
        plug.FormatValue(plug.Row(line.row).*line.slot, value.valid, line.words[word % line.words.size()], 1,
                         value.level, 0.0, value.floor);
      for (int end : plug.Row(kReadoutRange).sideValues)
        plug.FormatValue(end, value.valid, nullptr, 1, value.level, 0.0, value.floor);
      for (int row : {kReadoutIL, kReadoutSL, kReadoutPeak})
        plug.As<ITextControl>(plug.Row(row).sideValues[0])->SetStr(" 999");
      plug.As<ITextControl>(plug.Row(kReadoutTime).valueText)->SetStr(" 23:59:59.9");
      for (int row = 0; row < kReadoutRows; ++row)
        ExpectBoxTextsFit(plug, row, std::string(value.name) + ", word " + std::to_string(word));
    }
  // The captions and units of every mode; under "Dial" the dialogue share in the momentary box.
  for (int gate : {0, 3})
    for (int unit = 0; unit < 3; ++unit)
      for (double offset : {0.0, -23.0})
        for (int peak : {0, 1})
          for (int range = 0; range < 3; ++range)
          {
            SetFromHost(plug, kGate_mode, gate);
            SetFromHost(plug, kUnitMode, unit);
            SetFromHost(plug, kRefOffset, offset);
            SetFromHost(plug, kTruePeak_mode, peak);
            SetFromHost(plug, kLRange_mode, range);
            if (gate == 3)
              plug.FormatValue(plug.Row(kReadoutML).valueText, true, "", 0, 100.0, 0.0, kNoFloor);
            for (int row = 0; row < kReadoutRows; ++row)
              ExpectBoxTextsFit(plug, row, "gate " + std::to_string(gate) + ", unit " + std::to_string(unit));
          }
}

// The top bar's and the bottom row's texts and value boxes, at the ends of their parameters, in
// every unit and peak mode and with and without an offset, in both layouts: whole, and inside
// the frame round the bottom row, which ends at x 300.
TEST_P(EditorTexts, TopBarAndBottomRowFitInEveryModeAndLayout)
{
  constexpr float kBottomFrameInside = 299.f;
  for (int layout : {0, 1})
  {
    MeterEditor plug;
    plug.Settings().guiScale = GetParam();
    plug.Settings().layout = layout;
    plug.Open();
    vtest::HeadlessGraphics& ui = *plug.ui;
    ui.DrawFullFrame();
    for (int unit = 0; unit < 3; ++unit)
      for (double offset : {0.0, -23.0})
        for (int peak : {0, 1})
        {
          SetFromHost(plug, kUnitMode, unit);
          SetFromHost(plug, kRefOffset, offset);
          SetFromHost(plug, kTruePeak_mode, peak);
          for (int i = 0; i < ui.NControls(); ++i)
          {
            IControl* control = ui.GetControl(i);
            const IRECT& r = control->GetRECT();
            const bool bottomRow = r.T >= 391.f && r.B <= 425.f;
            if (control->IsHidden() || !(bottomRow || r.B <= 48.f))
              continue;
            std::vector<std::string> shown;
            if (const auto* text = dynamic_cast<const ITextControl*>(control))
              shown.emplace_back(text->GetStr());
            else if (dynamic_cast<const IVParameterControlZv*>(control))
              for (double end : {0.0, 1.0})
              {
                control->SetValue(end);
                shown.emplace_back(ParamDisplayText(*control).Get());
              }
            for (const std::string& str : shown)
            {
              const IRECT ink = Ink(ui, control->GetText(), r, str.c_str());
              EXPECT_TRUE(Within(ink, r)) << "layout " << layout << ": \"" << str << "\" is clipped: " << ink.L << ".."
                                          << ink.R << " in " << r.L << ".." << r.R;
              EXPECT_TRUE(!bottomRow || ink.R <= kBottomFrameInside - kLeastGap)
                << "layout " << layout << ": \"" << str << "\" runs to " << ink.R << " across the frame";
            }
          }
        }
  }
}

// Each page name of the selector is drawn whole in its row's text rectangle and ends clearly
// before the next page's button, so that it reads as its own button's name.
TEST_P(EditorTexts, PageNamesEndClearOfTheNextButton)
{
  constexpr float kClearGap = 5.f;
  constexpr const char* kNames[kSetupPageCount] = {"Main 1", "Main 2", "Alerts 1", "Alerts 2",
                                                   "GUI 1",  "GUI 2",  "Misc"};
  MeterEditor plug;
  plug.Settings().guiScale = GetParam();
  plug.Open();
  const auto& selector = *plug.As<IVRadioButtonControl>(plug.LayoutRecords().setupBackground);
  const IText& style = selector.GetStyle().valueText;
  for (int page = 0; page < kSetupPageCount; ++page)
  {
    const IRECT r = selector.TextRect(page);
    const IRECT ink = Ink(*plug.ui, style, r, kNames[page]);
    EXPECT_TRUE(Within(ink, r)) << "page " << page << " is clipped: " << ink.L << ".." << ink.R << " in " << r.L << ".."
                                << r.R;
    if (page + 1 < kSetupPageCount)
    {
      EXPECT_LE(ink.R, selector.ButtonRect(page + 1).L - kClearGap) << "page " << page;
    }
  }
}

TEST_P(EditorTexts, AreDrawnWholeInEveryViewAndOnEveryPage)
{
  MeterEditor plug;
  plug.Settings().guiScale = GetParam();
  plug.Open();
  ExpectTextsUnclipped(plug, "meters");
  SetFromHost(plug, kDisplayMode, 1);
  ExpectTextsUnclipped(plug, "graph");
  SetFromHost(plug, kSetup, 1);
  for (int page = 0; page < kSetupPageCount; ++page)
  {
    SetFromHost(plug, kSetupPage, page);
    ExpectTextsUnclipped(plug, "setup page " + std::to_string(page));
    ExpectPageTextsApart(plug, page);
  }
}


// The setup pages' push buttons ("Load", "Save", "Default") read as one kind: one text size, and
// each caption with room to spare inside its button.
TEST_P(EditorTexts, SetupButtonsShareOneTextSizeWithRoomInside)
{
  constexpr float kLeastRoom = 3.f;
  MeterEditor plug;
  plug.Settings().guiScale = GetParam();
  plug.Open();
  float size = 0.f;
  for (int page = 0; page < kSetupPageCount; ++page)
    for (int i : plug.LayoutRecords().setupPages[static_cast<size_t>(page)])
    {
      const auto* button = plug.As<IVClickButtonControlZv>(i);
      if (!button || !button->mLabel.GetLength())
        continue;
      const IRECT r = button->GetRECT();
      const IRECT ink = Ink(*plug.ui, button->GetText(), r, button->mLabel.Get());
      if (size == 0.f)
        size = button->GetText().mSize;
      EXPECT_EQ(button->GetText().mSize, size) << "page " << page << ": \"" << button->mLabel.Get() << "\"";
      EXPECT_TRUE(ink.L >= r.L + kLeastRoom && ink.R <= r.R - kLeastRoom)
        << "page " << page << ": \"" << button->mLabel.Get() << "\" at " << ink.L << ".." << ink.R << " in " << r.L
        << ".." << r.R;
    }
}
