#include "ControlsFixture.h"
#include "controls/IControlBases.h"

using namespace vtest;

namespace {
// A base made concrete: it draws nothing.
template <class Base>
struct Drawless : Base
{
  using Base::Base;
  void Draw(IGraphics&) override {}
};
using Switch = Drawless<ISwitchControlBase>;
using Knob = Drawless<IKnobControlBase>;
using Slider = Drawless<ISliderControlBase>;
using Button = Drawless<IButtonControlBase>;

// Drags the pointer from (x, y) by (dx, dy) in one move.
void Drag(IGraphics& g, float x, float y, float dx, float dy, IMouseMod mod = IMouseMod(true))
{
  g.OnMouseDown(Mouse(x, y, mod));
  g.OnMouseDrag(Mouse(x + dx, y + dy, mod, dx, dy));
  g.OnMouseUp(Mouse(x + dx, y + dy, mod));
}
}  // namespace

TEST(ISwitchControlBaseTest, ClicksStepThroughTheStatesAndWrap)
{
  struct Case
  {
    int states;
    double start;
    std::vector<double> steps;
  };
  const Case cases[] = {
    {2, 0.0, {1.0, 0.0, 1.0}}, {2, 0.5, {0.0, 1.0}},  // two states toggle on exactly 0 only
    {3, 0.0, {0.5, 1.0, 0.0}}, {5, 0.0, {0.25, 0.5, 0.75, 1.0, 0.0}},
    {1, 0.0, {0.0, 0.0}},
  };
  for (const Case& k : cases)
  {
    ControlEditor e;
    auto* c = e.Add(new Switch(IRECT(0, 0, 20, 20), -1, nullptr, k.states));
    c->SetValue(k.start);
    for (double expected : k.steps)
    {
      Click(*e.g, 5, 5);
      EXPECT_NEAR(c->GetValue(), expected, 1e-12) << k.states << " states from " << k.start;
    }
  }
}

TEST(ISwitchControlBaseTest, LinkedRangeSetsTheStatesAndTheDisabledFlagsFollow)
{
  ControlEditor e;
  e.dlg.GetParam(0)->DefineInt("Count", 0, 0, 4);
  auto* c = e.Add(new Switch(IRECT(0, 0, 20, 20), 0, nullptr, 2));
  EXPECT_EQ(c->NStates(), 5);
  c->DisableState(4, true);
  EXPECT_TRUE(c->IsStateDisabled(4));
  EXPECT_FALSE(c->IsStateDisabled(3));
  EXPECT_FALSE(c->IsStateDisabled(-1));
  EXPECT_FALSE(c->IsStateDisabled(5));
  c->DisableAllStates(true);
  EXPECT_TRUE(c->IsStateDisabled(0));

  Click(*e.g, 5, 5);
  EXPECT_EQ(c->GetValue(), 0.25);
  EXPECT_EQ(e.dlg.log.back(), "end 0");
  EXPECT_EQ(e.dlg.log[e.dlg.log.size() - 2], "set 0 0.2500");
}

TEST(IKnobControlBaseTest, DragMovesByGearingAndFineModeIsTenTimesSlower)
{
  struct Case
  {
    IMouseMod mod;
    double expected;
  };
  for (const Case& k : {Case{IMouseMod(true), 0.25}, Case{IMouseMod(true, false, true), 0.025},
                        Case{IMouseMod(true, false, false, true), 0.025}})
  {
    ControlEditor e;
    auto* c = e.Add(new Knob(IRECT(0, 0, 100, 100), -1, EDirection::Vertical, 4.0));
    Drag(*e.g, 50, 50, 0, -100, k.mod);
    EXPECT_NEAR(c->GetValue(), k.expected, 1e-9);
    EXPECT_FALSE(e.g->CursorIsHidden()) << "shown again after the drag";
  }
  ControlEditor e;
  auto* c = e.Add(new Knob(IRECT(0, 0, 100, 100), -1, EDirection::Horizontal, 2.0));
  Drag(*e.g, 50, 50, 50, -100);
  EXPECT_NEAR(c->GetValue(), 0.25, 1e-9) << "a horizontal knob reads only the sideways move";
}

TEST(IKnobControlBaseTest, SteppedParameterSnapsToStepsFromZeroWhileTheDragKeepsTheFraction)
{
  struct Case
  {
    double lo, hi, step;
    std::vector<double> expected;  // after each move of 15 points up
  };
  // Gearing 1 over 100 points: each move is 0.15 of the range. Steps are counted from zero, as
  // the parameter rounds, and a value is cut towards zero.
  const Case cases[] = {
    {0.0, 10.0, 1.0, {0.1, 0.3, 0.4}},
    {-10.0, 0.0, 1.0, {0.2, 0.3, 0.5}},    // -8.5 goes to -8, not -9
    {0.5, 10.5, 1.0, {0.15, 0.25, 0.45}},  // 2.0, 3.5 -> 3.0, 5.0: not 2.5 off the grid
    {0.0, 2.0, 0.1, {0.15, 0.3, 0.45}},    // 0.3, 0.6, 0.9 stay on their steps
  };
  for (const Case& k : cases)
  {
    ControlEditor e;
    e.dlg.GetParam(0)->DefineDouble("Steps", k.lo, k.lo, k.hi, k.step, "", iplug::kFlagStepped);
    auto* c = e.Add(new Knob(IRECT(0, 0, 100, 100), 0, EDirection::Vertical, 1.0));
    e.g->OnMouseDown(Mouse(50, 50));
    for (size_t i = 0; i < k.expected.size(); ++i)
    {
      e.g->OnMouseDrag(Mouse(50, 50, IMouseMod(true), 0, -15));
      EXPECT_NEAR(c->GetValue(), k.expected[i], 1e-9) << k.lo << ".." << k.hi << " move " << i;
      EXPECT_NEAR(e.dlg.GetParam(0)->Value(), c->GetValue() * (k.hi - k.lo) + k.lo, 1e-9)
        << "the parameter holds what the control shows";
    }
    e.g->OnMouseUp(Mouse(50, 50));
  }
}

TEST(IKnobControlBaseTest, WheelStepsBySmallAmountsOrByOneParameterStep)
{
  ControlEditor e;
  e.dlg.GetParam(0)->DefineInt("Steps", 0, 0, 10);
  auto* free = e.Add(new Knob(IRECT(0, 0, 50, 50)));
  auto* stepped = e.Add(new Knob(IRECT(50, 0, 100, 50), 0));
  e.g->OnMouseWheel(10, 10, IMouseMod(), 1.f);
  EXPECT_NEAR(free->GetValue(), 0.01, 1e-9);
  e.g->OnMouseWheel(10, 10, IMouseMod(false, false, true), 1.f);
  EXPECT_NEAR(free->GetValue(), 0.011, 1e-9);
  e.g->OnMouseWheel(10, 10, IMouseMod(), -5.f);
  EXPECT_EQ(free->GetValue(), 0.0) << "clamped";

  stepped->SetValue(0.3);
  e.g->OnMouseWheel(60, 10, IMouseMod(), 0.5f);
  EXPECT_NEAR(stepped->GetValue(), 0.4, 1e-9);
  e.g->OnMouseWheel(60, 10, IMouseMod(), -0.5f);
  e.g->OnMouseWheel(60, 10, IMouseMod(), -0.5f);
  EXPECT_NEAR(stepped->GetValue(), 0.2, 1e-9);
  stepped->SetValue(1.0);
  e.g->OnMouseWheel(60, 10, IMouseMod(), 1.f);
  EXPECT_NEAR(stepped->GetValue(), 1.0, 1e-9) << "held at the maximum";
}

TEST(ISliderControlBaseTest, ClickJumpsToThePointerOnlyForAContinuousParameter)
{
  ControlEditor e;
  e.dlg.GetParam(0)->DefineDouble("Level", 0.0, 0.0, 1.0, 0.0);
  e.dlg.GetParam(1)->DefineInt("Steps", 0, 0, 10);
  auto* level = e.Add(new Slider(IRECT(0, 0, 20, 100), 0));
  auto* steps = e.Add(new Slider(IRECT(50, 0, 70, 100), 1));
  EXPECT_EQ(level->GetTrack(), level->GetRECT());
  Click(*e.g, 10, 25);
  EXPECT_NEAR(level->GetValue(), 0.75, 1e-9);
  Click(*e.g, 60, 25);
  EXPECT_EQ(steps->GetValue(), 0.0);

  // With the cursor hidden the drag moves by gearing, not to the pointer.
  Drag(*e.g, 60, 80, 0, -50);
  EXPECT_NEAR(steps->GetValue(), 0.1, 1e-9);
}

TEST(IButtonControlBaseTest, PressSetsOneAndTheEndOfTheAnimationResets)
{
  ControlEditor e;
  int ended = 0;
  auto* c = e.Add(new Button(IRECT(0, 0, 20, 20), FlashClickActionFunc));
  c->SetAnimationEndActionFunction([&](IControl*) { ++ended; });
  Click(*e.g, 5, 5);
  EXPECT_EQ(c->GetValue(), 1.0);
  EXPECT_TRUE(c->GetAnimationFunction());
  c->AnimationEnded();
  EXPECT_EQ(c->GetValue(), 0.0);
  EXPECT_FALSE(c->GetAnimationFunction());
  EXPECT_EQ(ended, 1);
}
