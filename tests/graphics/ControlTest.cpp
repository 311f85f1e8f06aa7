#include <gtest/gtest.h>

#include <cmath>

#include "graphics/IControl.h"
#include "platform/CoreFoundation/CFRunLoop.h"

using namespace iplug::igraphics;

namespace {
// A control whose animation clock the test sets.
class ClockedControl : public IControl
{
public:
  using IControl::IControl;
  void Draw(IGraphics&) override {}
  double now = 0.0;

protected:
  double AnimationClockMs() const override { return now; }
};
}  // namespace

TEST(IControlTest, ConstructorsMakeOneSlotPerParameter)
{
  ClockedControl single(IRECT(0, 0, 10, 10), 4);
  EXPECT_EQ(single.NVals(), 1);
  EXPECT_EQ(single.GetParamIdx(), 4);
  ClockedControl multi(IRECT(0, 0, 10, 10), {1, 2, 3});
  EXPECT_EQ(multi.NVals(), 3);
  EXPECT_EQ(multi.GetParamIdx(2), 3);
  EXPECT_EQ(multi.FindValIdxForParam(2), 1);
  EXPECT_EQ(multi.ValueIndexAt(1, 1), -1);
  ClockedControl action(IRECT(0, 0, 10, 10), [](IControl*) {});
  EXPECT_EQ(action.GetParamIdx(), -1);
  EXPECT_THROW(single.SetParamIdx(1, 1), std::out_of_range);
}

TEST(IControlTest, SetDirtyClampsAndOneSlotControlActsOnSlotZero)
{
  int actions = 0;
  ClockedControl c(IRECT(0, 0, 10, 10), -1, [&](IControl*) { ++actions; });
  c.SetValue(1.7);
  c.SetClean();
  c.SetDirty(true, 5);
  EXPECT_DOUBLE_EQ(c.GetValue(), 1.0);
  EXPECT_TRUE(c.IsDirty());
  EXPECT_EQ(actions, 1);
  c.SetDirty(false);
  EXPECT_EQ(actions, 1);
}

TEST(IControlTest, ValueFromUserInputIgnoresTheValueAlreadyHeld)
{
  int actions = 0;
  ClockedControl c(IRECT(0, 0, 10, 10), -1, [&](IControl*) { ++actions; });
  c.SetValue(0.5);
  c.SetClean();
  c.ValueFromUserInput(0.5);
  EXPECT_FALSE(c.IsDirty());
  EXPECT_EQ(actions, 0);
  c.ValueFromUserInput(0.25);
  EXPECT_TRUE(c.IsDirty());
  EXPECT_EQ(actions, 1);
}

TEST(IControlTest, ValueFromPointerRoundsClampsAndSurvivesZeroExtent)
{
  ClockedControl c(IRECT(0, 0, 10, 10));
  const IRECT track(0.f, 0.f, 100.f, 100.f);
  struct Case
  {
    float x, y;
    EDirection dir;
    double lo, hi, expected;
  };
  for (const Case& k :
       {Case{12.345f, 0.f, EDirection::Horizontal, 0.0, 1.0, 0.123},
        Case{0.f, 0.f, EDirection::Vertical, 0.0, 1.0, 1.0}, Case{0.f, 250.f, EDirection::Vertical, 0.0, 1.0, 0.0},
        Case{-40.f, 0.f, EDirection::Horizontal, 0.0, 1.0, 0.0},
        Case{90.f, 0.f, EDirection::Horizontal, 0.2, 0.8, 0.8}})
  {
    c.ValueFromPointer(k.x, k.y, k.dir, track, -1, k.lo, k.hi);
    EXPECT_NEAR(c.GetValue(), k.expected, 1e-9) << k.x << "," << k.y;
  }
  c.SetValue(0.4);
  c.ValueFromPointer(5.f, 5.f, EDirection::Vertical, IRECT(0.f, 5.f, 10.f, 5.f));
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.4);
  EXPECT_FALSE(std::isnan(c.GetValue()));
}

TEST(IControlTest, PositionMovesHitBoundsByTheSameOffsetAndClampsAtZero)
{
  ClockedControl c(IRECT(10, 10, 30, 20));
  c.SetTargetRECT(IRECT(12, 11, 28, 19));
  c.SetPosition(-5.f, 40.f);
  EXPECT_EQ(c.GetRECT(), IRECT(0, 40, 20, 50));
  EXPECT_EQ(c.GetTargetRECT(), IRECT(2, 41, 18, 49));
  c.SetSize(-1.f, 5.f);
  EXPECT_EQ(c.GetRECT(), IRECT(0, 40, 0, 45));
  EXPECT_EQ(c.GetTargetRECT(), c.GetRECT());
}

TEST(IControlTest, DisablingSetsQuarterWeightAndEnablingRestoresFull)
{
  ClockedControl c(IRECT(0, 0, 10, 10));
  c.SetBlend(IBlend(0, 0.6f));
  c.SetDisabled(true);
  EXPECT_FLOAT_EQ(c.GetBlend().mWeight, 0.25f);
  c.SetDisabled(false);
  EXPECT_FLOAT_EQ(c.GetBlend().mWeight, 1.f);
}

TEST(IControlTest, AnimationProgressFollowsTheClockAndEndsCleanly)
{
  ClockedControl c(IRECT(0, 0, 10, 10));
  EXPECT_DOUBLE_EQ(c.GetAnimationProgress(), 0.0);
  c.now = 1000.0;
  c.SetAnimation(TimedAnimation, 100);
  c.now = 1050.0;
  EXPECT_DOUBLE_EQ(c.GetAnimationProgress(), 0.5);
  c.StartAnimation(100, false);
  c.now = 1075.0;
  EXPECT_DOUBLE_EQ(c.GetAnimationProgress(), 0.75);

  int ended = 0;
  c.StartAnimation(100);
  c.SetAnimationEndActionFunction([&](IControl* ctrl) {
    ++ended;
    // Replacing the running function must not destroy the one being called.
    ctrl->SetAnimationEndActionFunction([&](IControl*) { ended += 100; });
  });
  c.SetClean();
  c.now = 1200.0;
  EXPECT_TRUE(c.IsDirty());  // runs the animation, which ends it
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(c.GetAnimationFunction(), nullptr);
  EXPECT_DOUBLE_EQ(c.GetAnimationProgress(), 0.0);
}

// Frames are drawn as the run loop's clock moves: an animation timed by another clock would take
// as many frames as the machine's load allows, not as many as its length.
TEST(IControlTest, AnimationRunsOnTheClockThatDrawsTheFrames)
{
  struct Plain : IControl
  {
    using IControl::IControl;
    void Draw(IGraphics&) override {}
  } c(IRECT(0, 0, 10, 10));
  c.SetAnimation([](IControl*) {}, 100);
  platform::AdvanceClock(0.025);
  EXPECT_NEAR(c.GetAnimationProgress(), 0.25, 1e-9);
}

TEST(IControlTest, AnimationThatEndsItselfOutlivesItsOwnCall)
{
  ClockedControl c(IRECT(0, 0, 10, 10));
  std::string seen;
  // A capturing function that ends the animation and then still reads its captures.
  const std::string label(64, 'x');
  c.SetAnimation([label, &seen](IControl* ctrl) {
    ctrl->AnimationEnded();
    seen = label;
  });
  EXPECT_TRUE(c.IsDirty());
  EXPECT_EQ(seen, label);
  EXPECT_EQ(c.GetAnimationFunction(), nullptr);
}

TEST(IControlTest, GesturesRunTheirFunctionAndRememberTheType)
{
  ClockedControl c(IRECT(0, 0, 10, 10));
  IGestureInfo info;
  info.type = EGestureType::Pinch;
  EXPECT_FALSE(c.OnGesture(info));
  int calls = 0;
  c.AddGestureFunc(EGestureType::Pinch, [&](IControl*, const IGestureInfo&) { ++calls; });
  EXPECT_TRUE(c.OnGesture(info));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(c.GetLastGesture(), EGestureType::Pinch);
}
