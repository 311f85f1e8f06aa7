#include <gtest/gtest.h>

#include <random>

#include "GraphicsFixture.h"
#include "graphics/IFPSDisplayControl.h"

using namespace vtest;

namespace {
// Draws one frame the way the view's timer does.
bool Frame(RecordingGraphics& g)
{
  IRECTList rects;
  if (!g.IsDirty(rects))
  {
    return false;
  }
  g.MarkAllControlsClean();
  g.DrawDirtyRects(rects);
  return true;
}

int Count(const std::vector<std::string>& log, const std::string& entry)
{
  return static_cast<int>(std::count(log.begin(), log.end(), entry));
}
}  // namespace

TEST(FrameTest, NothingDirtyMeansNoFrame)
{
  Editor e;
  e.Add("a", IRECT(0, 0, 10, 10));
  ASSERT_TRUE(Frame(*e.g));
  e.g->log.clear();
  EXPECT_FALSE(Frame(*e.g));
  EXPECT_TRUE(e.g->log.empty());
  IRECTList empty;
  e.g->DrawDirtyRects(empty);
  EXPECT_TRUE(e.g->log.empty());
}

TEST(FrameTest, DirtyBoundsGrowByThreeQuartersAndSnapAtTheTotalScale)
{
  Editor e(1.5f);
  e.g->SetBackingScale(2.f);
  e.Add("a", IRECT(10.95f, 10.95f, 19.35f, 19.35f));
  IRECTList rects;
  ASSERT_TRUE(e.g->IsDirty(rects));
  ASSERT_EQ(rects.Size(), 1);
  const IRECT grown = rects.Get(0);
  EXPECT_NEAR(grown.L, 10.2f, 1e-5);
  EXPECT_NEAR(grown.R, 20.1f, 1e-5);
  e.g->DrawDirtyRects(rects);
  ASSERT_EQ(rects.Size(), 1);
  EXPECT_FLOAT_EQ(rects.Get(0).L, 10.f);
  EXPECT_FLOAT_EQ(rects.Get(0).T, 10.f);
  EXPECT_NEAR(rects.Get(0).R, 61.f / 3.f, 1e-5);
  EXPECT_NEAR(rects.Get(0).B, 61.f / 3.f, 1e-5);
}

TEST(FrameTest, HiddenControlsAreSkippedExceptTheBackground)
{
  Editor e;
  e.Add("bg", IRECT(0, 0, 400, 300))->Hide(true);
  e.Add("hidden", IRECT(0, 0, 50, 50))->Hide(true);
  e.Add("shown", IRECT(0, 0, 50, 50));
  e.log.clear();
  Frame(*e.g);
  EXPECT_EQ(Count(e.log, "bg draw"), 1);
  EXPECT_EQ(Count(e.log, "hidden draw"), 0);
  EXPECT_EQ(Count(e.log, "shown draw"), 1);
}

// Values that reach a hidden control change nothing on the screen: its area is drawn over when
// it is hidden, and again when it is shown, but not while it stays hidden.
TEST(FrameTest, AHiddenControlsAreaIsDrawnOnlyWhenItIsHiddenOrShown)
{
  Editor e;
  e.Add("bg", IRECT(0, 0, 400, 300));
  LogControl* meter = e.Add("meter", IRECT(10, 10, 50, 50));
  Frame(*e.g);
  meter->Hide(true);
  e.log.clear();
  ASSERT_TRUE(Frame(*e.g));
  EXPECT_EQ(Count(e.log, "bg draw"), 1);
  meter->SetDirty(false);
  EXPECT_FALSE(Frame(*e.g));
  meter->Hide(false);
  e.log.clear();
  ASSERT_TRUE(Frame(*e.g));
  EXPECT_EQ(Count(e.log, "meter draw"), 1);
}

TEST(FrameTest, ClipIsTheIntersectionAndFarControlsAreNotDrawn)
{
  Editor e;
  e.Add("big", IRECT(0, 0, 100, 100));
  LogControl* small = e.Add("small", IRECT(10, 10, 20, 20));
  e.Add("far", IRECT(300, 200, 350, 250));
  Frame(*e.g);
  e.log.clear();
  e.g->clips.clear();
  small->SetDirty(false);
  Frame(*e.g);
  EXPECT_EQ(e.log, (std::vector<std::string>{"big draw", "small draw"}));
  ASSERT_EQ(e.g->clips.size(), 2u);
  EXPECT_EQ(e.g->clips[0], IRECT(9, 9, 21, 21));
  EXPECT_EQ(e.g->clips[1], IRECT(9, 9, 21, 21));
}

TEST(FrameTest, ContainedRectangleGivesOneDrawPassAndUnionModeDrawsOnce)
{
  Editor e;
  e.Add("outer", IRECT(0, 0, 100, 100));
  e.Add("inner", IRECT(10, 10, 20, 20));
  e.log.clear();
  Frame(*e.g);
  EXPECT_EQ(Count(e.log, "outer draw"), 1);
  e.g->SetDrawUnionMode(true);
  e.Add("apart", IRECT(200, 200, 210, 210));
  e.log.clear();
  e.g->log.clear();
  Frame(*e.g);
  EXPECT_EQ(Count(e.log, "outer draw"), 1);
  EXPECT_EQ(Count(e.log, "apart draw"), 1);
  EXPECT_EQ(e.g->clips.back().R, 211.f);
}

TEST(FrameTest, FrameTimesAreRecordedOnlyWithTheDisplay)
{
  Editor e;
  e.Add("a", IRECT(0, 0, 10, 10));
  Frame(*e.g);
  e.g->ShowFrameTimeDisplay(true);
  const auto* fps = e.g->GetFPSDisplay();
  ASSERT_NE(fps, nullptr);
  Frame(*e.g);
  Frame(*e.g);  // the display is always dirty, so frames keep coming
  EXPECT_EQ(fps->GetWriteIndex(), 2);
}

// Every pixel of every input rectangle must be covered after merging.
TEST(MergeTest, RandomListsStayFullyCovered)
{
  std::mt19937 rng(1234);
  std::uniform_int_distribution<int> pos(0, 60), size(1, 30), count(2, 12);
  for (int trial = 0; trial < 2000; ++trial)
  {
    IRECTList rects;
    std::vector<IRECT> input;
    for (int n = count(rng); n > 0; --n)
    {
      const float l = static_cast<float>(pos(rng)), t = static_cast<float>(pos(rng));
      const IRECT r(l, t, l + size(rng), t + size(rng));
      rects.Add(r);
      input.push_back(r);
    }
    IGraphics::MergeDirtyRects(rects);
    for (const IRECT& r : input)
    {
      for (float y = r.T + 0.5f; y < r.B; y += 1.f)
      {
        for (float x = r.L + 0.5f; x < r.R; x += 1.f)
        {
          bool covered = false;
          for (int i = 0; i < rects.Size() && !covered; ++i)
          {
            covered = rects.Get(i).Contains(x, y);
          }
          ASSERT_TRUE(covered) << "trial " << trial << " pixel " << x << "," << y;
        }
      }
    }
  }
}

TEST(MergeTest, CrossingInTheMiddleKeepsBothSides)
{
  // A thin bar crosses a tall rectangle's middle: cutting the bar must keep both of its ends.
  IRECTList rects;
  rects.Add(IRECT(0, 10, 100, 20));
  rects.Add(IRECT(40, 0, 60, 100));
  IGraphics::MergeDirtyRects(rects);
  float area = 0.f;
  for (int i = 0; i < rects.Size(); ++i)
  {
    area += rects.Get(i).Area();
  }
  EXPECT_FLOAT_EQ(area, 1000.f + 2000.f - 200.f);
}

TEST(MergeTest, NeighboursSharingAnEdgeFuse)
{
  IRECTList rects;
  rects.Add(IRECT(0, 0, 10, 10));
  rects.Add(IRECT(0, 10, 10, 20));
  rects.Add(IRECT(10, 0, 20, 20));
  IGraphics::MergeDirtyRects(rects);
  ASSERT_EQ(rects.Size(), 1);
  EXPECT_EQ(rects.Get(0), IRECT(0, 0, 20, 20));
}
