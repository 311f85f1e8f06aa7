#include "ControlsFixture.h"
#include "controls/ITextControls.h"

using namespace vtest;

TEST(ITextControlTest, SetStrResizesAboutTheCentreOnlyForANewText)
{
  ControlEditor e;
  auto* c = e.Add(new ITextControl(IRECT(0, 0, 100, 40), "abc", kTextDefault, kColorWhite, true));
  // Eight points a character, one line of 14, about the centre (50, 20).
  EXPECT_EQ(c->GetRECT(), IRECT(38, 13, 62, 27));

  c->SetTargetAndDrawRECTs(IRECT(0, 0, 10, 10));
  c->SetClean();
  c->SetStr("abc");
  EXPECT_EQ(c->GetRECT(), IRECT(0, 0, 10, 10)) << "an equal text leaves the bounds alone";

  c->SetStr("abcdef");
  EXPECT_EQ(c->GetRECT(), IRECT(-19, -2, 29, 12));
  EXPECT_EQ(c->GetTargetRECT(), c->GetRECT());
  EXPECT_FALSE(c->IsDirty()) << "a new text does not mark the control dirty";

  c->ClearStr();
  EXPECT_EQ(c->GetRECT(), IRECT(5, 5, 5, 5));
}

TEST(ITextControlTest, SetStrFmtCutsAtItsLengthAndAFailedFormatIsEmpty)
{
  ITextControl c(IRECT(0, 0, 10, 10), "old");
  c.SetStrFmt(5, "%s-%d", "abcdefgh", 1);
  EXPECT_STREQ(c.GetStr(), "abcde");
  c.SetStrFmt(10, "%d", 42);
  EXPECT_STREQ(c.GetStr(), "42");
  // A wide character with no narrow form in the C locale makes the formatting fail.
  c.SetStrFmt(10, "%ls", L"\u00e9");
  EXPECT_STREQ(c.GetStr(), "");
}

TEST(ITextControlTest, TextBeingEditedDrawsOnlyItsBackground)
{
  ControlEditor e;
  auto* c = e.Add(new ITextControl(IRECT(0, 0, 40, 20), "abc"));
  c->Draw(*e.g);
  EXPECT_EQ(e.g->log.back(), "text abc");
  e.g->OpenTextEntry(c, kTextDefault, c->GetRECT(), "abc", 0);
  e.g->Clear();
  c->Draw(*e.g);
  EXPECT_EQ(e.g->log.back(), "fill");
}

TEST(ITextToggleControlTest, ClickTogglesTheValueAndShowsTheMatchingText)
{
  struct Case
  {
    double before;
    double after;
    const char* shown;
  };
  for (const Case& k : {Case{0.7, 0.0, "off"}, Case{0.2, 1.0, "on"}, Case{0.5, 0.0, "off"}})
  {
    ControlEditor e;
    int actions = 0;
    auto* c = e.Add(new ITextToggleControl(
      IRECT(0, 0, 40, 20), [&](IControl*) { ++actions; }, "off", "on"));
    EXPECT_STREQ(c->GetStr(), "off");
    c->SetValue(k.before);
    Click(*e.g, 5, 5);
    EXPECT_EQ(c->GetValue(), k.after) << k.before;
    EXPECT_STREQ(c->GetStr(), k.shown) << k.before;
    EXPECT_EQ(actions, 1);
  }
}

TEST(ICaptionControlTest, ShowsTheDisplayTextAndATriangleForEnumsOnly)
{
  ControlEditor e;
  e.dlg.GetParam(0)->DefineEnum("Mode", 1, 3, "", kFlagsNone, "", {"Off", "Low", "High"});
  e.dlg.GetParam(1)->DefineDouble("Gain", 2.0, -10.0, 10.0, 0.5, "dB");
  auto* mode = e.Add(new ICaptionControl(IRECT(0, 0, 100, 20), 0));
  auto* gain = e.Add(new ICaptionControl(IRECT(0, 30, 100, 50), 1));
  // The right fifth is 80..100; the triangle is 8 x 5 about its centre.
  EXPECT_EQ(mode->GetTriangleBounds(), IRECT(86, 7.5f, 94, 12.5f));
  EXPECT_TRUE(gain->GetTriangleBounds().Empty());

  mode->Draw(*e.g);
  EXPECT_STREQ(mode->GetStr(), "Low");
  EXPECT_EQ(e.g->paints.back().weight, 0.5f) << "the triangle at half weight";
  e.g->Clear();
  gain->Draw(*e.g);
  EXPECT_STREQ(gain->GetStr(), "2.0 dB");
  EXPECT_EQ(e.g->log.back(), "text 2.0 dB") << "no triangle";

  Click(*e.g, 50, 40);
  EXPECT_EQ(e.g->nativeTextEntries, 1) << "a click prompts for a value";
}

TEST(IURLControlTest, PointerShapeAndColourFollowTheMouse)
{
  ControlEditor e;
  e.g->EnableMouseOver(true);
  e.g->AddPanelBackground(IPattern(kColorWhite));  // the background takes no mouse-over
  IText text;
  text.mFGColor = kColorBlack;
  auto* c = e.Add(new IURLControl(IRECT(0, 0, 100, 20), "link", "https://example.org", text, kColorTransparent,
                                  kColorRed, kColorGreen));
  e.g->OnMouseOver(10, 10, IMouseMod());
  EXPECT_EQ(e.g->GetCursorType(), IURLControl::kCursorHand);
  e.g->Clear();
  c->Draw(*e.g);
  EXPECT_EQ(c->GetText().mFGColor, kColorRed);
  // The underline runs under the centred text: 32 wide about the centre, at the centre plus the
  // measured text's bottom.
  EXPECT_EQ(e.g->log[e.g->log.size() - 4], "move 34 24");

  Click(*e.g, 10, 10);
  e.g->OnMouseOver(200, 200, IMouseMod());
  EXPECT_EQ(e.g->GetCursorType(), IURLControl::kCursorArrow);
  c->Draw(*e.g);
  EXPECT_EQ(c->GetText().mFGColor, kColorGreen) << "a clicked link keeps its clicked colour";
}

TEST(PlaceHolderTest, ShowsItsGeometryAndTakesItsCaptionFromTextEntry)
{
  ControlEditor e;
  auto* c = e.Add(new PlaceHolder(IRECT(10, 20, 110, 70)));
  e.g->OnMouseDblClick(50, 50, IMouseMod(true));
  EXPECT_EQ(e.g->nativeTextEntryStr, "Place Holder");
  e.g->ApplyTextEntryResult("Meter");
  EXPECT_STREQ(c->GetStr(), "Meter");

  e.g->Clear();
  c->Draw(*e.g);
  std::vector<std::string> texts;
  for (const PaintGraphics::Text& text : e.g->texts)
  {
    texts.push_back(text.str);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"50.0", "100.0", "10.0, 20.0", "Meter"}));
}
