#include "ControlsFixture.h"
#include "controls/IVTrackControls.h"

using namespace vtest;

namespace {
// Tracks that keep the handle and marker rectangles they are asked to draw.
class Tracks : public IVTrackControlBase
{
public:
  using IVTrackControlBase::IVTrackControlBase;
  std::vector<IRECT> handles, markers;

  void Draw(IGraphics& g) override
  {
    handles.clear();
    markers.clear();
    DrawBackground(g, mRECT);
    DrawWidget(g);
  }
  void DrawTrackHandle(IGraphics& g, const IRECT& r, int chIdx, bool above) override
  {
    handles.push_back(r);
    IVTrackControlBase::DrawTrackHandle(g, r, chIdx, above);
  }
  void DrawValueMarker(IGraphics& g, const IRECT& r, int chIdx, bool above) override
  {
    markers.push_back(r);
    IVTrackControlBase::DrawValueMarker(g, r, chIdx, above);
  }
};

// A horizontal range slider over 200 x 60 (track x 8..192, handle size 8) with these values.
IVRangeSliderControl* AddRange(ControlEditor& e, std::initializer_list<int> params,
                               std::initializer_list<double> values)
{
  auto* r = e.Add(
    new IVRangeSliderControl(IRECT(0, 0, 200, 60), params, "", PlainStyle(), EDirection::Horizontal, 8.f, 2.f));
  int i = 0;
  for (double v : values)
  {
    r->SetValue(v, i++);
  }
  r->SetDirty(false);
  return r;
}
}  // namespace

TEST(IVTrackControlBaseTest, TracksSplitTheWidgetAndFindThePointer)
{
  ControlEditor e;
  auto* v = e.Add(new Tracks(IRECT(0, 0, 90, 60), "", PlainStyle(), {0, 1, 2}, 0, EDirection::Vertical));
  v->SetTrackPadding(2.f);
  // Columns keep their padding at the right and the bottom.
  ASSERT_EQ(v->GetTrackRects().size(), 3u);
  ExpectRect(v->GetTrackRects()[0], IRECT(0, 0, 28, 58));
  ExpectRect(v->GetTrackRects()[2], IRECT(60, 0, 88, 58));
  EXPECT_EQ(v->ValueIndexAt(45, 30), 1);
  EXPECT_EQ(v->ValueIndexAt(29, 30), -1) << "in the padding";
  v->OnMouseOver(70, 10, IMouseMod());
  EXPECT_EQ(v->GetMouseOverTrack(), 2);
  v->OnMouseOut();
  EXPECT_EQ(v->GetMouseOverTrack(), -1);

  // Rows pad top and bottom; each is named, and a track without a name shows none.
  auto* h = e.Add(
    new Tracks(IRECT(0, 100, 90, 190), "", PlainStyle(), {0, 1, 3}, 0, EDirection::Horizontal, {"Left", "Right"}));
  h->SetTrackPadding(1.f);
  ExpectRect(h->GetTrackRects()[0], IRECT(0, 101, 90, 129));
  ExpectRect(h->GetTrackRects()[2], IRECT(0, 161, 90, 189));
  EXPECT_EQ(h->GetParamIdx(2), 3);
  e.g->Clear();
  h->Draw(*e.g);
  ASSERT_EQ(e.g->texts.size(), 2u);
  EXPECT_EQ(e.g->texts[0].str, "Left");
  ExpectRect(e.g->texts[0].bounds, h->GetTrackRects()[0]);
  EXPECT_EQ(e.g->texts[1].str, "Right");
}

TEST(IVTrackControlBaseTest, BaselineFillsBetweenItAndTheValueWithTheMarkerAtTheValue)
{
  const struct
  {
    EDirection dir;
    double baseline, value;
    IRECT handle, marker;
  } cases[] = {// One 100 x 100 track.
               {EDirection::Vertical, 0.5, 0.25, IRECT(0, 50, 100, 75), IRECT(0, 74, 100, 75)},
               {EDirection::Vertical, 0.5, 0.75, IRECT(0, 25, 100, 50), IRECT(0, 25, 100, 26)},
               {EDirection::Vertical, 0.0, 0.75, IRECT(0, 25, 100, 100), IRECT(0, 25, 100, 26)},
               {EDirection::Horizontal, 0.5, 0.25, IRECT(25, 0, 50, 100), IRECT(25, 0, 26, 100)},
               {EDirection::Horizontal, 0.0, 0.25, IRECT(0, 0, 25, 100), IRECT(24, 0, 25, 100)}};
  for (const auto& tc : cases)
  {
    ControlEditor e;
    auto* t = e.Add(new Tracks(IRECT(0, 0, 100, 100), "", PlainStyle(), {0}, 0, tc.dir));
    t->SetBaseline(tc.baseline);
    t->SetValue(tc.value);
    t->Draw(*e.g);
    ASSERT_EQ(t->handles.size(), 1u);
    ExpectRect(t->handles[0], tc.handle, "filled part");
    ASSERT_EQ(t->markers.size(), 1u);
    ExpectRect(t->markers[0], tc.marker, "marker");
  }
}

TEST(IVTrackControlBaseTest, StepsLightTheCellOfTheValue)
{
  ControlEditor e;
  auto* t = e.Add(new Tracks(IRECT(0, 0, 40, 100), "", PlainStyle(), {0, 1}, 4, EDirection::Vertical));
  // Four steps and the zero step: five cells of 20, step 0 at the bottom.
  const auto& steps = t->GetStepRects();
  ASSERT_EQ(steps.size(), 5u);
  for (int k = 0; k < 5; ++k)
  {
    ExpectRect(steps[static_cast<size_t>(k)], IRECT(0, 80.f - 20.f * k, 40, 100.f - 20.f * k));
  }

  // The last column reaches the widget's right edge and still lights its cells.
  const struct
  {
    double value;
    int cell;
  } cases[] = {{0.0, 0}, {0.25, 1}, {0.5, 2}, {0.75, 3}, {1.0, 4}};
  for (const auto& tc : cases)
  {
    for (int track : {0, 1})
    {
      t->SetValue(tc.value, track);
    }
    t->Draw(*e.g);
    ASSERT_EQ(t->handles.size(), 2u) << tc.value;
    const IRECT cell = steps[static_cast<size_t>(tc.cell)];
    ExpectRect(t->handles[0], IRECT(0, cell.T, 20, cell.B), "first track");
    ExpectRect(t->handles[1], IRECT(20, cell.T, 40, cell.B), "last track");
    EXPECT_TRUE(t->markers.empty());
  }

  // Without the zero step, four cells, and nothing is lit at 0.
  t->SetZeroStep(false);
  EXPECT_EQ(steps.size(), 4u);
  t->SetValue(0.0, 0);
  t->SetValue(1.0, 1);
  t->Draw(*e.g);
  ASSERT_EQ(t->handles.size(), 1u);
  ExpectRect(t->handles[0], IRECT(20, 0, 40, 25));
}

TEST(IVTrackControlBaseTest, HorizontalStepsRunRightToLeftAndAFullTrackLightsTheLastCell)
{
  ControlEditor e;
  auto* t = e.Add(new Tracks(IRECT(0, 0, 100, 20), "", PlainStyle(), {0}, 3, EDirection::Horizontal));
  const auto& steps = t->GetStepRects();
  ASSERT_EQ(steps.size(), 4u);
  ExpectRect(steps.front(), IRECT(75, 0, 100, 20), "step 0 is the rightmost");
  ExpectRect(steps.back(), IRECT(0, 0, 25, 20));
  for (const auto& [value, left] : {std::pair{1.0, 75.f}, {0.6, 50.f}, {0.0, 0.f}})
  {
    t->SetValue(value);
    t->Draw(*e.g);
    ASSERT_EQ(t->handles.size(), 1u);
    ExpectRect(t->handles[0], IRECT(left, 0, left + 25, 20), "lit cell");
  }
}

TEST(IVTrackControlBaseTest, HighlightAndMouseOverColourTheHandle)
{
  ControlEditor e;
  auto* t = e.Add(new Tracks(IRECT(0, 0, 100, 100), "", PlainStyle(), {0, 1}, 0, EDirection::Vertical));
  t->SetValue(0.5, 0);
  t->SetValue(0.5, 1);
  t->SetHighlightedTrack(1);
  t->OnMouseOver(25, 90, IMouseMod());
  e.g->Clear();
  t->Draw(*e.g);
  const IVStyle style;
  // Background; track 0: handle in colour 1, mouse-over, marker; track 1: its highlighted
  // background, handle in colour 6, marker.
  const std::vector<IColor> expected = {style.colorSpec.GetColor(kBG), style.colorSpec.GetColor(kFG),
                                        style.colorSpec.GetColor(kHL), style.colorSpec.GetColor(kFR),
                                        style.colorSpec.GetColor(kHL), style.colorSpec.GetColor(kX1),
                                        style.colorSpec.GetColor(kFR)};
  EXPECT_EQ(e.g->FillColors(), expected);
}

TEST(IVRangeSliderControlTest, HandlesStopAtTheirNeighbours)
{
  ControlEditor e;
  auto* r = AddRange(e, {0, 1}, {0.2, 0.6});

  const IRECT h0 = r->GetHandleBounds(0);
  r->OnMouseOver(h0.MW(), h0.MH(), IMouseMod());
  ASSERT_EQ(r->GetMouseOverHandle(), 0);
  e.g->OnMouseDown(Mouse(h0.MW(), h0.MH()));
  e.g->OnMouseDrag(Mouse(100, h0.MH(), IMouseMod(true), 100 - h0.MW(), 0));
  EXPECT_NEAR(r->GetValue(0), 0.5, 1e-9);
  EXPECT_NEAR(r->GetHandleBounds(0).MW(), 100.f, 1e-3) << "the handle stays under the pointer";
  e.g->OnMouseDrag(Mouse(190, h0.MH(), IMouseMod(true), 90, 0));
  EXPECT_NEAR(r->GetValue(0), 0.6, 1e-9) << "stops at handle 1";
  e.g->OnMouseUp(Mouse(190, h0.MH()));
  EXPECT_NEAR(e.dlg.GetParam(0)->GetNormalised(), 0.6, 1e-9);

  const IRECT h1 = r->GetHandleBounds(1);
  r->OnMouseOver(h1.MW(), h1.MH(), IMouseMod());
  ASSERT_EQ(r->GetMouseOverHandle(), 1);
  e.g->OnMouseDown(Mouse(h1.MW(), h1.MH()));
  e.g->OnMouseDrag(Mouse(0, h1.MH(), IMouseMod(true), -h1.MW(), 0));
  EXPECT_NEAR(r->GetValue(1), 0.6, 1e-9) << "cannot go below handle 0";
  e.g->OnMouseDrag(Mouse(300, h1.MH(), IMouseMod(true), 300, 0));
  EXPECT_NEAR(r->GetValue(1), 1.0, 1e-9);
  e.g->OnMouseUp(Mouse(300, h1.MH()));
}

TEST(IVRangeSliderControlTest, DragOnEmptyTrackChangesNothing)
{
  ControlEditor e;
  auto* r = AddRange(e, {0, 1}, {0.2, 0.6});
  e.dlg.log.clear();

  const IRECT track = r->GetTrackRects()[0];
  r->OnMouseOver(150, track.MH(), IMouseMod());
  EXPECT_EQ(r->GetMouseOverHandle(), -1);
  EXPECT_EQ(r->GetMouseOverTrack(), 0);
  e.g->OnMouseDown(Mouse(150, track.MH()));
  e.g->OnMouseDrag(Mouse(20, track.MH(), IMouseMod(true), -130, 0));
  e.g->OnMouseUp(Mouse(20, track.MH()));
  EXPECT_EQ(r->GetValue(0), 0.2);
  EXPECT_EQ(r->GetValue(1), 0.6);
  for (const std::string& entry : e.dlg.log)
  {
    EXPECT_NE(entry.rfind("set", 0), 0u) << entry;
  }
}

TEST(IVRangeSliderControlTest, HandlesPointAtTheTrackFromAlternateSides)
{
  for (EDirection dir : {EDirection::Horizontal, EDirection::Vertical})
  {
    ControlEditor e;
    const bool horizontal = dir == EDirection::Horizontal;
    auto* r = e.Add(new IVRangeSliderControl(horizontal ? IRECT(0, 0, 200, 60) : IRECT(0, 0, 60, 200), {0, 1, 2}, "",
                                             PlainStyle(), dir, 6.f, 2.f));
    const IRECT track = r->GetTrackRects()[0];
    for (int i = 0; i < 3; ++i)
    {
      const IRECT h = r->GetHandleBounds(i);
      const bool odd = i % 2 == 1;
      // Odd handles above (or right of) the track line, even ones below (or left of) it.
      if (horizontal)
      {
        EXPECT_EQ(odd ? h.B <= track.MH() : h.T >= track.MH(), true) << i;
        EXPECT_FLOAT_EQ(h.H(), 12.f);
      }
      else
      {
        EXPECT_EQ(odd ? h.L >= track.MW() : h.R <= track.MW(), true) << i;
        EXPECT_FLOAT_EQ(h.W(), 12.f);
      }
    }
  }
}

TEST(IVRangeSliderControlTest, NeighboursOutOfOrderStillBoundTheHandle)
{
  ControlEditor e;
  auto* r = AddRange(e, {0, 1, 2}, {0.9, 0.5, 0.1});
  const IRECT h1 = r->GetHandleBounds(1);
  r->OnMouseOver(h1.MW(), h1.MH(), IMouseMod());
  ASSERT_EQ(r->GetMouseOverHandle(), 1);
  e.g->OnMouseDown(Mouse(h1.MW(), h1.MH()));
  e.g->OnMouseDrag(Mouse(200, h1.MH(), IMouseMod(true), 100, 0));
  EXPECT_NEAR(r->GetValue(1), 0.9, 1e-9);
  e.g->OnMouseDrag(Mouse(0, h1.MH(), IMouseMod(true), -200, 0));
  EXPECT_NEAR(r->GetValue(1), 0.1, 1e-9);
}
