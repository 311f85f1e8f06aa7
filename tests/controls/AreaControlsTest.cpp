#include <algorithm>
#include <optional>

#include "ControlsFixture.h"
#include "controls/IVAreaControls.h"
#include "graphics/IBackgroundControls.h"

using namespace vtest;

namespace {
// Answers the colour chooser with a scripted colour, as a user picking one would.
class PickingGraphics : public PaintGraphics
{
public:
  using PaintGraphics::PaintGraphics;

  std::optional<IColor> pick;
  std::vector<std::pair<IColor, std::string>> asked;  // start colour and title

  bool AskForColor(const IColor& start, const char* title, std::function<void(const IColor&)> func) override
  {
    asked.emplace_back(start, title);
    if (pick)
    {
      func(*pick);
    }
    return true;
  }
};

struct PickingEditor
{
  PickingEditor()
  {
    dlg.mMakeGraphicsFunc = [this] { return new PickingGraphics(dlg, 400, 300, 0, 1.f); };
    dlg.OpenWindow(nullptr);
    g = static_cast<PickingGraphics*>(dlg.GetUI());
  }

  TestDelegate dlg;
  PickingGraphics* g = nullptr;
};

long Count(const std::vector<std::string>& log, const std::string& prefix)
{
  return std::count_if(log.begin(), log.end(), [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
}
}  // namespace

TEST(IVXYPadControlTest, DragSetsBothValuesPinnedToTheBoundsWithYUpward)
{
  ControlEditor e;
  auto* pad = e.Add(new IVXYPadControl(IRECT(10, 20, 110, 220), {0, 1}, "", PlainStyle()));
  const struct
  {
    float x, y;
    double vx, vy;
  } cases[] = {{60, 120, 0.5, 0.5},  {35, 170, 0.25, 0.25}, {-50, -10, 0.0, 1.0},
               {500, 900, 1.0, 0.0}, {10, 220, 0.0, 0.0},   {300, 70, 1.0, 0.75}};
  for (const auto& tc : cases)
  {
    pad->OnMouseDown(60, 120, IMouseMod(true));
    pad->OnMouseDrag(tc.x, tc.y, 0, 0, IMouseMod(true));
    EXPECT_DOUBLE_EQ(pad->GetValue(0), tc.vx) << tc.x << "," << tc.y;
    EXPECT_DOUBLE_EQ(pad->GetValue(1), tc.vy) << tc.x << "," << tc.y;
    pad->OnMouseUp(tc.x, tc.y, IMouseMod(true));
  }
  // Each value goes to its own parameter.
  EXPECT_EQ(e.dlg.log.back(), "set 1 0.7500");
  EXPECT_EQ(e.dlg.log[e.dlg.log.size() - 2], "set 0 1.0000");
  // The cursor hides for the drag and comes back on release.
  EXPECT_EQ(Count(e.g->log, "hide cursor"), 6);
  EXPECT_EQ(Count(e.g->log, "show cursor"), 6);
  EXPECT_FALSE(e.g->CursorIsHidden());
}

TEST(IVXYPadControlTest, HandleIsClippedToTheTrack)
{
  ControlEditor e;
  IVStyle style = PlainStyle();
  style.drawFrame = true;
  style.frameThickness = 2.f;
  auto* pad = e.Add(new IVXYPadControl(IRECT(0, 0, 100, 100), {0, 1}, "", style, 8.f));
  e.g->clips.clear();
  pad->Draw(*e.g);
  ASSERT_FALSE(e.g->clips.empty());
  ExpectRect(e.g->clips.back(), IRECT(1, 1, 99, 99), "the widget less half the frame");

  pad->SetTrackClip(false);
  e.g->clips.clear();
  pad->Draw(*e.g);
  EXPECT_TRUE(e.g->clips.empty());
}

TEST(IVPlotControlTest, PlotsScaleToTheAreaAndADegenerateRangeOrPointCountDrawsNoGraph)
{
  ControlEditor e;
  const auto ramp = [](double x) { return x; };
  // 120 high with 10 divisions: cells of 10, the area drops one at the top and the bottom.
  auto* plot = e.Add(
    new IVPlotControl(IRECT(0, 0, 100, 120), {{kColorRed, ramp}}, 3, "", PlainStyle(), false, 0.f, 1.f));
  e.g->Clear();
  plot->Draw(*e.g);
  const std::vector<std::string> polyline{"clear", "move 0 110", "line 50 60", "line 100 10", "stroke 2"};
  EXPECT_TRUE(std::search(e.g->log.begin(), e.g->log.end(), polyline.begin(), polyline.end()) != e.g->log.end());

  const struct
  {
    int points;
    float min, max;
  } degenerate[] = {{3, 0.5f, 0.5f}, {1, 0.f, 1.f}, {0, 0.f, 1.f}, {-4, 0.f, 1.f}};
  for (const auto& tc : degenerate)
  {
    auto* flat = e.Add(new IVPlotControl(IRECT(0, 0, 100, 120), {{kColorRed, ramp}}, tc.points, "", PlainStyle(), false,
                                         tc.min, tc.max));
    e.g->Clear();
    flat->Draw(*e.g);
    EXPECT_EQ(Count(e.g->log, "stroke"), 1)
      << "only the grid for " << tc.points << " points, " << tc.min << ".." << tc.max;
    EXPECT_EQ(Count(e.g->log, "move 0 110"), 0);
  }
}

TEST(IVPlotControlTest, KeptLayerIsRedrawnWhenAPlotIsAdded)
{
  ControlEditor e;
  auto* plot = e.Add(new IVPlotControl(IRECT(0, 0, 100, 120), {}, 8, "", PlainStyle(), true, -1.f, 1.f));
  plot->Draw(*e.g);
  plot->Draw(*e.g);
  EXPECT_EQ(Count(e.g->log, "create"), 1);
  EXPECT_EQ(Count(e.g->log, "stroke"), 1) << "the grid, drawn once";

  plot->AddPlot(kColorBlue, [](double x) { return x; });
  plot->Draw(*e.g);
  EXPECT_EQ(Count(e.g->log, "create"), 2);
  EXPECT_EQ(Count(e.g->log, "stroke"), 3) << "the grid and the new graph";
}

TEST(IVGroupControlTest, FrameSurroundsTheGroupWithItsPaddingsAndAGapForTheLabel)
{
  ControlEditor e;
  IVStyle style;
  style.showValue = false;
  e.g->AddControl(new IPanelControl(IRECT(20, 30, 60, 50), IPattern(kColorWhite)), -1, "g");
  e.g->AddControl(new IPanelControl(IRECT(50, 40, 120, 90), IPattern(kColorWhite)), -1, "g");
  e.g->AddControl(new IPanelControl(IRECT(0, 0, 300, 300), IPattern(kColorWhite)), -1, "other");
  auto* group = e.Add(new IVGroupControl("ab", "g", style, 5, 25, 5, 5));
  EXPECT_TRUE(group->GetIgnoreMouse());
  ExpectRect(group->GetRECT(), IRECT(15, 5, 125, 95), "the union grown by the paddings");

  // The label (16 x 14) is centred above; the frame's top runs through its middle, and the gap
  // around it is 10 wider on each side, starting past the frame and the label offset.
  ExpectRect(group->GetWidgetBounds(), IRECT(15, 11.5f, 125, 95));
  ExpectRect(group->GetLabelBounds(), IRECT(26, 5, 62, 19));
  e.g->Clear();
  group->Draw(*e.g);
  const auto move = std::find(e.g->log.begin(), e.g->log.end(), "move 62 12");
  ASSERT_NE(move, e.g->log.end()) << "starts at the gap's right";
  EXPECT_EQ(Count(std::vector<std::string>(move, e.g->log.end()), "arc"), 4);
  EXPECT_EQ(e.g->log.back(), "stroke 1");
  EXPECT_EQ(e.g->log[e.g->log.size() - 2], "line 26 12") << "ends at the gap's left";
  EXPECT_EQ(e.g->paints.back().color, style.colorSpec.GetColor(kSH));

  // Attached to its own group, the frame does not count itself.
  group->SetGroup("g");
  group->SetBoundsBasedOnGroup("g", 5, 25, 5, 5);
  ExpectRect(group->GetRECT(), IRECT(15, 5, 125, 95));

  auto* lost = e.Add(new IVGroupControl("", "nothing", PlainStyle(), 3, 4, 5, 6));
  ExpectRect(lost->GetRECT(), IRECT(-3, -4, 5, 6), "zero bounds plus the paddings");
}

TEST(IVColorSwatchControlTest, GridCellsAndTheTenthCoveringTheWidget)
{
  PickingEditor e;
  auto* swatch = new IVColorSwatchControl(IRECT(0, 0, 90, 90), "", nullptr, PlainStyle(), IVColorSwatchControl::kGrid,
                                          {kBG, kFG, kPR, kFR, kHL, kSH, kX1, kX2, kX3, kX1});
  e.g->AddControl(swatch);
  ASSERT_EQ(swatch->NCells(), 10);
  ExpectRect(swatch->GetCellRect(0), IRECT(2, 2, 28, 28));
  ExpectRect(swatch->GetCellRect(5), IRECT(62, 32, 88, 58));
  ExpectRect(swatch->GetCellRect(8), IRECT(62, 62, 88, 88));
  ExpectRect(swatch->GetCellRect(9), IRECT(2, 2, 88, 88), "the whole widget less 2");

  e.g->Clear();
  swatch->Draw(*e.g);
  EXPECT_EQ(e.g->FillColors().back(), swatch->GetColor(kX1)) << "the tenth is drawn last";

  // A click picks the first cell under the pointer: the tenth only in the gaps between others.
  Click(*e.g, 45, 45);
  Click(*e.g, 30, 30);
  ASSERT_EQ(e.g->asked.size(), 2u);
  EXPECT_EQ(e.g->asked[0].first, swatch->GetColor(kHL));
  EXPECT_EQ(e.g->asked[1].first, swatch->GetColor(kX1));
  EXPECT_EQ(e.g->asked[1].second, "Choose a color");
}

TEST(IVColorSwatchControlTest, PickedColourChangesTheStyleAndSlotsOutsideTheStyleAreIgnored)
{
  PickingEditor e;
  std::vector<std::pair<int, IColor>> chosen;
  auto* swatch = new IVColorSwatchControl(
    IRECT(0, 0, 120, 30), "", [&](int cell, IColor c) { chosen.emplace_back(cell, c); }, PlainStyle(),
    IVColorSwatchControl::kHorizontal, {kFG, kNumVColors, -1, kX2}, {"", "big", nullptr});
  e.g->AddControl(swatch);
  e.g->pick = kColorRed;

  for (float x : {45.f, 75.f})
  {
    Click(*e.g, x, 15);
  }
  EXPECT_TRUE(e.g->asked.empty()) << "no colour to start from";
  e.g->Clear();
  swatch->Draw(*e.g);
  EXPECT_EQ(e.g->FillColors(), (std::vector<IColor>{swatch->GetColor(kFG), swatch->GetColor(kX2)}));
  EXPECT_EQ(e.g->texts.size(), 1u) << "the cell's own text still shows";

  Click(*e.g, 105, 15);
  EXPECT_EQ(swatch->GetColor(kX2), kColorRed);
  EXPECT_EQ(chosen, (std::vector<std::pair<int, IColor>>{{3, kColorRed}}));
  e.g->Clear();
  swatch->Draw(*e.g);
  EXPECT_EQ(e.g->FillColors().back(), kColorRed) << "the cell shows the new colour";
}
