#include <gtest/gtest.h>

#include "GraphicsFixture.h"

using namespace vtest;

namespace {
struct ValueEditor : Editor
{
  ValueEditor()
  {
    dlg.GetParam(0)->DefineDouble("Gain", 0.0, -10.0, 10.0, 0.5, "dB", kFlagStepped);
    dlg.GetParam(1)->DefineDouble("Steps", 3.4, 0.0, 10.0, 1.0, "", kFlagStepped);
    dlg.GetParam(2)->DefineEnum("Mode", 1, 3, "", kFlagsNone, "", {"Off", "Low", "High"});
    dlg.GetParam(3)->DefineDouble("Free", 0.5, 0.0, 1.0, 0.0);
  }
};
}  // namespace

TEST(ValueRoadsTest, UserChangeReachesThePluginAndThePeersButNotBackToTheCaller)
{
  ValueEditor e;
  LogControl* knob = e.Add("knob", IRECT(0, 0, 10, 10), 0);
  LogControl* peer = e.Add("peer", IRECT(20, 0, 30, 10), 0);
  LogControl* other = e.Add("other", IRECT(40, 0, 50, 10), 3);
  int actions = 0;
  knob->SetActionFunction([&](IControl*) { ++actions; });
  e.dlg.log.clear();
  knob->ValueFromUserInput(1.5);  // clamped to 1 before it travels
  EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(peer->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(other->GetValue(), 0.0);
  EXPECT_EQ(e.dlg.log, (std::vector<std::string>{"set 0 1.0000"}));
  EXPECT_EQ(actions, 1);
  e.dlg.log.clear();
  peer->SetClean();
  knob->ValueFromUserInput(1.0);  // unchanged: nothing travels
  EXPECT_TRUE(e.dlg.log.empty());
  EXPECT_FALSE(peer->IsDirty());
  EXPECT_EQ(actions, 1);
}

TEST(ValueRoadsTest, PluginValueIsIgnoredWhileTheUserHoldsTheControl)
{
  ValueEditor e;
  LogControl* knob = e.Add("knob", IRECT(0, 0, 10, 10), 0);
  e.g->OnMouseDown(Mouse(5, 5));
  knob->ValueFromDelegate(0.7);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.0);
  e.g->OnMouseUp(Mouse(5, 5));
  knob->SetClean();
  knob->ValueFromDelegate(0.7);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.7);
  EXPECT_TRUE(knob->IsDirty());
  knob->SetClean();
  knob->ValueFromDelegate(0.7);
  EXPECT_FALSE(knob->IsDirty());
}

TEST(ValueRoadsTest, DefaultOfASteppedParameterIsRoundedToItsStep)
{
  ValueEditor e;
  LogControl* c = e.Add("c", IRECT(0, 0, 10, 10), 1);
  e.dlg.log.clear();
  c->SetValueToDefault();
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.3);
  EXPECT_EQ(e.dlg.log, (std::vector<std::string>{"set 1 0.3000"}));
  // Double click does the same.
  c->SetValue(0.9);
  c->OnMouseDblClick(1, 1, IMouseMod());
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.3);
}

TEST(ValueRoadsTest, MultiSlotSetDirtyVisitsEverySlotInOrder)
{
  ValueEditor e;
  auto* c = new LogControl(e.log, "multi", IRECT(0, 0, 10, 10));
  c->SetParamIdx(0, 0);
  e.g->AddControl(c);
  e.dlg.log.clear();
  c->SetValue(2.0, 0);
  c->SetDirty(true, -1);
  EXPECT_EQ(e.dlg.log, (std::vector<std::string>{"set 0 1.0000"}));
}
