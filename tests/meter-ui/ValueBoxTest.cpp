// The value box and the list popup: drag, wheel, typed values, reset to default, and the range
// box that keeps a level below its upper neighbour by every road.

#include "framework/IPlugParameter.h"
#include "meter-ui/IVParameterControlZv.h"
#include "meter-ui/IVPopupMenuZv.h"
#include "tests/meter-ui/MeterUiFixture.h"

namespace vtest {
namespace {

enum {
  kLevel,  // -144..144 in steps of 0.1
  kList,   // seven entries
  kWhole,  // -10..10 in whole steps
  kMax,    // a scale's maximum and its first split, -60..20 in steps of 0.1
  kSplit1,
  kCont,  // 0..1, not stepped
};

struct ValueBox : ::testing::Test
{
  ValueBox()
  {
    Param(kLevel)->DefineDouble("Level", -23, -144, 144, 0.1, "LUFS", kFlagStepped);
    Param(kList)->DefineEnum("List", 2, 7, "", 0, "", {"a", "b", "c", "d", "e", "f", "g"});
    Param(kWhole)->DefineDouble("Whole", 0, -10, 10, 1, "", kFlagStepped);
    Param(kMax)->DefineDouble("Max", 6, -60, 20, 0.1, "", kFlagStepped);
    Param(kSplit1)->DefineDouble("Split1", 0, -60, 20, 0.1, "", kFlagStepped);
    Param(kCont)->DefineDouble("Cont", 0.5, 0, 1, 0.001);
  }
  IParam* Param(int idx) { return editor.dlg.GetParam(idx); }

  // A box of 50 x 20 at (10, 10).
  IVParameterControlZv* Box(int paramIdx)
  {
    auto* box = editor.Add(new IVParameterControlZv(IRECT(10, 10, 60, 30), paramIdx, kDefaultStyleZv,
                                                    EDirection::Vertical, false, false, 4.0));
    box->SetValue(Param(paramIdx)->GetNormalised());
    return box;
  }
  // Presses, drags by each dy in turn and releases.
  void Drag(std::initializer_list<float> dys, IMouseMod mod = IMouseMod(true))
  {
    editor.g->OnMouseDown(Mouse(30, 20, mod));
    for (float dy : dys)
      editor.g->OnMouseDrag(Mouse(30, 20, mod, 0.f, dy));
    editor.g->OnMouseUp(Mouse(30, 20, mod));
  }

  MeterEditor editor;
};

TEST_F(ValueBox, DragTable)
{
  struct Case
  {
    const char* what;
    std::initializer_list<float> dys;
    IMouseMod mod;
    double expected;
  } cases[] = {
    {"one box height up: a quarter", {-20.f}, IMouseMod(true), 0.75},
    {"down", {20.f}, IMouseMod(true), 0.25},
    {"shift: ten times finer", {-20.f}, IMouseMod(true, false, true), 0.525},
    {"clamped at the top", {-80.f, -80.f}, IMouseMod(true), 1.0},
    {"reversing past the end moves at once", {-80.f, -80.f, 20.f}, IMouseMod(true), 0.75},
    {"reversing past the bottom", {80.f, 80.f, -20.f}, IMouseMod(true), 0.25},
    {"control: no drag", {-20.f}, IMouseMod(true, false, false, true), 0.5},
  };
  for (const Case& c : cases)
  {
    Param(kCont)->Set(0.5);
    IVParameterControlZv* box = Box(kCont);
    Drag(c.dys, c.mod);
    EXPECT_NEAR(Param(kCont)->Value(), c.expected, 1e-9) << c.what;
    EXPECT_FALSE(editor.g->CursorIsHidden()) << c.what;
    editor.g->RemoveControl(box);
  }
}

TEST_F(ValueBox, SteppedDragTruncatesTowardZeroAndReachesBothEnds)
{
  Box(kWhole);
  Drag({-11.6f});  // 0 + 2.9
  EXPECT_EQ(Param(kWhole)->Value(), 2);
  Param(kWhole)->Set(0);
  editor.g->RemoveControl(0);
  Box(kWhole);
  Drag({11.6f});  // 0 - 2.9
  EXPECT_EQ(Param(kWhole)->Value(), -2);

  Box(kLevel);
  Drag({200.f});
  EXPECT_DOUBLE_EQ(Param(kLevel)->Value(), -144.0);
  Drag({-200.f});
  EXPECT_DOUBLE_EQ(Param(kLevel)->Value(), 144.0);
}

TEST_F(ValueBox, SteppedWheelMovesExactlyOneStep)
{
  Box(kLevel);
  editor.g->OnMouseWheel(30, 20, IMouseMod(), 0.3f);
  EXPECT_NEAR(Param(kLevel)->Value(), -22.9, 1e-9);
  editor.g->OnMouseWheel(30, 20, IMouseMod(), -5.f);
  editor.g->OnMouseWheel(30, 20, IMouseMod(), -5.f);
  EXPECT_NEAR(Param(kLevel)->Value(), -23.1, 1e-9);
}

TEST_F(ValueBox, UnitStepWheel)
{
  IVParameterControlZv* box = Box(kLevel);
  box->mUnitStepWheel = true;
  struct Case
  {
    float delta;
    IMouseMod mod;
    double expected;
  } cases[] = {
    {1.f, IMouseMod(), -22.0},
    {-1.f, IMouseMod(false, false, true), -22.1},
    {-1.f, IMouseMod(false, false, false, true), -24.0},  // to a multiple of three first
  };
  for (const Case& c : cases)
  {
    editor.g->OnMouseWheel(30, 20, c.mod, c.delta);
    EXPECT_NEAR(Param(kLevel)->Value(), c.expected, 1e-9);
  }
}

TEST_F(ValueBox, ControlClickRestoresTheDefaultAndDoubleClickPrompts)
{
  Param(kLevel)->Set(10);
  Box(kLevel);
  Click(*editor.g, 30, 20, IMouseMod(true, false, false, true));
  EXPECT_DOUBLE_EQ(Param(kLevel)->Value(), -23.0);

  editor.g->OnMouseDblClick(30, 20, IMouseMod(true));
  EXPECT_EQ(editor.g->nativeTextEntries, 1);
  EXPECT_EQ(editor.g->nativeTextEntryStr, "-23.0");
  editor.g->ApplyTextEntryResult("-18.05");
  EXPECT_NEAR(Param(kLevel)->Value(), -18.1, 1e-9);
}

TEST_F(ValueBox, DisabledPromptIgnoresTheDoubleClick)
{
  editor.Add(
    new IVParameterControlZv(IRECT(10, 10, 60, 30), kLevel, kDefaultStyleZv, EDirection::Vertical, true, false, 4.0));
  editor.g->OnMouseDblClick(30, 20, IMouseMod(true));
  EXPECT_EQ(editor.g->nativeTextEntries, 0);
}

TEST_F(ValueBox, DrawsTextWithLabelAndDimsItWhenDisabled)
{
  auto* box = editor.Add(
    new IVParameterControlZv(IRECT(10, 10, 60, 30), kLevel, kDefaultStyleZv, EDirection::Vertical, false, true, 4.0));
  box->SetValue(Param(kLevel)->GetNormalised());
  box->SetDisabled(true);
  editor.DrawOnly(*box);
  ASSERT_EQ(editor.g->texts.size(), 1u);
  EXPECT_EQ(editor.g->texts[0].str, "-23.0 LUFS");
  EXPECT_EQ(editor.g->texts[0].color.A, 127);

  auto* plain = editor.Add(
    new IVParameterControlZv(IRECT(10, 40, 60, 60), -1, kTextValue, EDirection::Vertical, false, false, 4.0));
  editor.DrawOnly(*plain);
  EXPECT_TRUE(editor.g->log.empty());  // text form without a parameter: nothing at all
}

struct RangeBox : ValueBox
{
  RangeBox()
  {
    box = editor.Add(new IVParameterControlRangeZv(IRECT(10, 10, 60, 30), kSplit1, kDefaultStyleZv,
                                                   EDirection::Vertical, false, false, 4.0));
    box->mOwnParamIdx = kSplit1;
    box->mUpperParamIdx = kMax;
    box->mMargin = 0.1;
    box->SetValue(Param(kSplit1)->GetNormalised());
  }
  IVParameterControlRangeZv* box = nullptr;
};

TEST_F(RangeBox, KeepsTheSplitBelowTheMaximumByEveryRoad)
{
  const double kept = Param(kSplit1)->ToNormalised(5.9);
  Drag({-200.f});
  EXPECT_NEAR(Param(kSplit1)->Value(), 5.9, 1e-9) << "drag";

  editor.g->OnMouseWheel(30, 20, IMouseMod(), 1.f);
  EXPECT_NEAR(Param(kSplit1)->Value(), 5.9, 1e-9) << "wheel";

  box->ValueFromUserInput(Param(kSplit1)->ToNormalised(-70), 0);  // below the own minimum
  EXPECT_NEAR(Param(kSplit1)->Value(), -60, 1e-9);
  box->ValueFromUserInput(Param(kSplit1)->ToNormalised(12), 0);
  EXPECT_NEAR(Param(kSplit1)->Value(), 5.9, 1e-9) << "typed";

  // A preset pushes 15: the box shows the kept value and leaves the parameter alone.
  Param(kSplit1)->Set(15);
  box->ValueFromDelegate(Param(kSplit1)->GetNormalised(), 0);
  EXPECT_NEAR(box->GetValue(), kept, 1e-9) << "preset";
  EXPECT_DOUBLE_EQ(Param(kSplit1)->Value(), 15.0);
  editor.DrawOnly(*box);
  EXPECT_EQ(editor.g->texts.back().str, "5.9");
}

struct Popup : ValueBox
{
  IVPopupMenuZv* Add(bool wheel, bool visible = true)
  {
    auto* popup = editor.Add(new IVPopupMenuZv(IRECT(10, 10, 60, 30), kList, kDefaultStyleZv, wheel, visible));
    popup->SetValue(Param(kList)->GetNormalised());
    return popup;
  }
};

TEST_F(Popup, WheelStepsThroughTheEntriesWithinTheList)
{
  Add(true);
  struct Case
  {
    double from;
    float delta;
    double to;
  } cases[] = {{2, 1.f, 1}, {2, -1.f, 3}, {0, 1.f, 0}, {6, -1.f, 6}, {2, 0.5f, 2}};
  for (const Case& c : cases)
  {
    Param(kList)->Set(c.from);
    editor.g->OnMouseWheel(30, 20, IMouseMod(), c.delta);
    EXPECT_EQ(Param(kList)->Value(), c.to) << c.from << " " << c.delta;
  }
}

TEST_F(Popup, WheelOffChangesNothing)
{
  Add(false);
  editor.g->OnMouseWheel(30, 20, IMouseMod(), 1.f);
  EXPECT_EQ(Param(kList)->Value(), 2);
}

TEST_F(Popup, ClickOpensTheListAndInvisibleDrawsNothing)
{
  IVPopupMenuZv* popup = Add(true, false);
  editor.DrawOnly(*popup);
  EXPECT_TRUE(editor.g->log.empty());
  Click(*editor.g, 30, 20);
  EXPECT_EQ(editor.g->nativeMenuOpened, 1);

  popup->mVisible = true;
  editor.DrawOnly(*popup);
  EXPECT_EQ(editor.g->Strings(), std::vector<std::string>{"c"});
}

}  // namespace
}  // namespace vtest
