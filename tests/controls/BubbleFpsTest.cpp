// The value bubble's fades on the test's clock, and the frame-time read-out's modes and plot.

#include "Clocked.h"
#include "ControlsFixture.h"
#include "graphics/IBubbleControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/IGraphicsConstants.h"

using namespace vtest;

namespace {
class Knob : public IControl
{
public:
  explicit Knob(const IRECT& bounds) : IControl(bounds) {}
  void Draw(IGraphics&) override {}
};

struct BubbleEditor : ControlEditor
{
  BubbleEditor()
  {
    bubble = new Clocked<IBubbleControl>(IText(14.f), kColorWhite, kColorBlack, 5.f);
    g->AddBubbleControl(bubble);
    knob = Add(new Knob(IRECT(100, 100, 140, 140)));
  }
  void Show(const char* text) { g->ShowBubble(knob, text, 1, 140, 120, IRECT()); }
  void Advance(double ms)
  {
    bubble->now += ms;
    IRECTList rects;
    g->IsDirty(rects);
  }
  Clocked<IBubbleControl>* bubble = nullptr;
  Knob* knob = nullptr;
};

// The points of the read-out's plot, in drawing order: the lines after the move to the plot
// area's bottom-left corner (12, 58).
std::vector<std::pair<float, float>> PlotPoints(const std::vector<std::string>& log)
{
  std::vector<std::pair<float, float>> points;
  auto it = std::find(log.begin(), log.end(), "move 12 58");
  for (++it; it < log.end(); ++it)
  {
    float x = 0.f, y = 0.f;
    if (std::sscanf(it->c_str(), "line %f %f", &x, &y) != 2)
    {
      break;
    }
    points.emplace_back(x, y);
  }
  return points;
}
}  // namespace

TEST(BubbleControlTest, StaysWhileItsControlIsHeldAndFadesOutAfterTheRelease)
{
  BubbleEditor e;
  e.g->OnMouseDown(Mouse(120, 120));  // the knob is held
  e.Show("0.50");
  EXPECT_FALSE(e.bubble->IsHidden());
  e.Advance(100);
  EXPECT_EQ(e.bubble->mState, IBubbleControl::kFadingIn);
  EXPECT_NEAR(e.bubble->GetBlend().mWeight, 0.5f * 0.95f, 1e-3);
  e.Advance(101);
  EXPECT_EQ(e.bubble->mState, IBubbleControl::kShown);

  // Shown again while visible: new text, no second fade-in.
  e.Show("0.75");
  EXPECT_EQ(e.bubble->mStr, "0.75");
  EXPECT_EQ(e.bubble->mState, IBubbleControl::kShown);

  e.Advance(1001);
  for (int round = 0; round < 15; ++round)  // three seconds held
  {
    e.Advance(201);
    ASSERT_EQ(e.bubble->mState, IBubbleControl::kShown) << "round " << round;
    EXPECT_FLOAT_EQ(e.bubble->GetBlend().mWeight, 0.95f);
  }
  e.g->OnMouseUp(Mouse(120, 120));
  e.Advance(201);
  EXPECT_EQ(e.bubble->mState, IBubbleControl::kFadingOut);
  e.Advance(100);
  EXPECT_NEAR(e.bubble->GetBlend().mWeight, 0.5f * 0.95f, 1e-3);
  e.Advance(101);
  EXPECT_EQ(e.bubble->mState, IBubbleControl::kHidden);
  EXPECT_TRUE(e.bubble->IsHidden());
  EXPECT_FALSE(e.bubble->GetAnimationFunction());
}

TEST(BubbleControlTest, DrawsItsBoxAndArrowAndTheTextWhenThereIsOne)
{
  for (const char* text : {"-6.0 dB", ""})
  {
    BubbleEditor e;
    e.Show(text);
    e.g->Clear();
    e.bubble->Draw(*e.g);
    // The arrow points west at the anchor: its tip lies an arrow's length left of the box.
    const IRECT inner = e.bubble->mBubbleBounds.GetPadded(-e.bubble->mPadding);
    const std::string tip = "line " + RecordingGraphics::F(inner.L - 10.f) + " " + RecordingGraphics::F(inner.MH());
    EXPECT_NE(std::find(e.g->log.begin(), e.g->log.end(), tip), e.g->log.end()) << text;
    ASSERT_EQ(e.g->paints.size(), 2u) << text;
    EXPECT_EQ(e.g->paints[0].color, kColorWhite);
    EXPECT_EQ(e.g->paints[1].color, kColorBlack);
    EXPECT_EQ(e.g->texts.size(), text[0] ? 1u : 0u) << text;
  }
}

TEST(FPSDisplayTest, ClicksCycleTheModesAndThePlotRunsFromOldestToNewest)
{
  ControlEditor e;
  e.g->ShowFrameTimeDisplay(true);
  IFPSDisplayControl* fps = e.g->GetFPSDisplay();
  ASSERT_NE(fps, nullptr);
  for (int mode : {1, 2, 0})
  {
    Click(*e.g, 50, 30);
    EXPECT_EQ(fps->GetMode(), mode);
  }

  // Fresh: every sample at the ceiling of 80 frames per second, the top of the plot area.
  e.g->Clear();
  fps->Draw(*e.g);
  auto points = PlotPoints(e.g->log);
  ASSERT_EQ(points.size(), 101u);  // 100 samples and the corner that closes the area
  EXPECT_EQ(points[0], std::pair(12.f, 12.f));
  EXPECT_EQ(points[99], std::pair(208.f, 12.f));

  for (int i = 0; i < 98; ++i)
  {
    fps->Update(0.0125f);  // 80 frames per second
  }
  fps->Update(0.05f);  // then one frame of 20
  e.g->Clear();
  fps->Draw(*e.g);
  points = PlotPoints(e.g->log);
  ASSERT_EQ(points.size(), 101u);
  EXPECT_EQ(points[0].second, 12.f) << "the oldest, at the left, is still a fresh zero";
  EXPECT_NEAR(points[98].second, 12.f, 0.1f);
  EXPECT_NEAR(points[99].second, 58.f - 46.f * 20.f / 80.f, 0.1f) << "the newest at the right";
  EXPECT_EQ(points[100], std::pair(210.f, 60.f));
  ASSERT_GE(e.g->texts.size(), 2u);
  EXPECT_EQ(e.g->texts[e.g->texts.size() - 2].str, "78.43 FPS");
  EXPECT_EQ(e.g->texts.back().str, "12.75 ms");
}
