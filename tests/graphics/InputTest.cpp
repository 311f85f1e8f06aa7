#include <gtest/gtest.h>

#include "GraphicsFixture.h"
#include "graphics/IPopupMenuControl.h"

using namespace vtest;

namespace {
const IMouseMod kRight(false, true);

IMouseMod Touch(uint64_t id)
{
  IMouseMod mod(true);
  mod.touchID = id;
  return mod;
}
}  // namespace

TEST(InputTest, PressBeginsAGesturePerLinkedSlotAndReleaseEndsIt)
{
  Editor e;
  LogControl* c = e.Add("knob", IRECT(0, 0, 50, 50), 2);
  c->SetParamIdx(2);
  e.g->OnMouseDown(Mouse(10, 10));
  e.g->OnMouseDrag(Mouse(80, 80, IMouseMod(true), 1.f, 0.f));  // outside: still captured
  e.g->OnMouseDrag(Mouse(80, 80, IMouseMod(true), 0.f, 0.f));  // no movement: not passed on
  e.g->OnMouseUp(Mouse(80, 80));
  EXPECT_EQ(e.log, (std::vector<std::string>{"knob init", "knob resize", "knob rescale", "knob attached", "knob down",
                                             "knob drag", "knob up"}));
  EXPECT_EQ(e.dlg.log, (std::vector<std::string>{"begin 2", "end 2"}));
  EXPECT_FLOAT_EQ(e.g->GetMouseOverIdx(), -1);
}

TEST(InputTest, HitTestTakesTheTopmostEnabledVisibleControl)
{
  Editor e;
  e.Add("bottom", IRECT(0, 0, 100, 100));
  LogControl* top = e.Add("top", IRECT(0, 0, 50, 50));
  EXPECT_EQ(e.g->GetMouseControl(10, 10, false), top);
  top->SetDisabled(true);
  EXPECT_EQ(e.g->GetMouseControl(10, 10, false), e.g->GetControl(0));
  top->SetMouseEventsWhenDisabled(true);
  EXPECT_EQ(e.g->GetMouseControl(10, 10, false), top);
  top->SetIgnoreMouse(true);
  EXPECT_EQ(e.g->GetMouseControl(10, 10, false), e.g->GetControl(0));
  EXPECT_EQ(e.g->GetMouseControl(150, 150, false), nullptr);
}

TEST(InputTest, SecondTouchIsRefusedByASingleTouchControl)
{
  Editor e;
  LogControl* c = e.Add("pad", IRECT(0, 0, 100, 100));
  e.g->EnableMultiTouch(true);
  e.g->OnMouseDown({IMouseInfo{10, 10, 0, 0, Touch(1)}});
  e.g->OnMouseDown({IMouseInfo{20, 20, 0, 0, Touch(2)}});
  EXPECT_EQ(e.g->NCapturedControls(), 1);
  c->SetWantsMultiTouch(true);
  e.g->OnMouseDown({IMouseInfo{20, 20, 0, 0, Touch(2)}});
  EXPECT_EQ(e.g->NCapturedControls(), 2);
}

TEST(InputTest, BackgroundNeverTakesKeysOrMouseOver)
{
  Editor e;
  LogControl* bg = e.Add("bg", IRECT(0, 0, 400, 300));
  bg->takesKeys = true;
  e.g->EnableMouseOver(true);
  EXPECT_FALSE(e.g->OnMouseOver(10, 10, IMouseMod()));
  EXPECT_FALSE(e.g->OnKeyDown(10, 10, IKeyPress("a", 'A')));
  int handled = 0;
  e.g->SetKeyHandlerFunc([&](const IKeyPress&, bool) { return ++handled > 0; });
  EXPECT_TRUE(e.g->OnKeyDown(10, 10, IKeyPress("a", 'A')));
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(std::count(e.log.begin(), e.log.end(), "bg key"), 0);
  LogControl* field = e.Add("field", IRECT(0, 0, 50, 50));
  field->takesKeys = true;
  EXPECT_TRUE(e.g->OnKeyDown(10, 10, IKeyPress("a", 'A')));
  EXPECT_EQ(handled, 1);
  EXPECT_TRUE(e.g->OnMouseOver(10, 10, IMouseMod()));
  EXPECT_EQ(e.g->GetMouseOverIdx(), 1);
  EXPECT_TRUE(field->GetMouseIsOver());
}

TEST(InputTest, RightClickOnALinkedControlOpensOnlyANonEmptyContextMenu)
{
  Editor e;
  LogControl* c = e.Add("knob", IRECT(0, 0, 50, 50), 1);
  e.log.clear();
  e.g->OnMouseDown(Mouse(10, 10, kRight));
  EXPECT_TRUE(e.log.empty());
  EXPECT_FALSE(e.g->ControlIsCaptured());
  EXPECT_EQ(e.g->nativeMenuOpened, 0);

  c->contextItems = {"Reset", "Learn"};
  IPopupMenu& menu = e.g->GetPromptMenu();
  e.g->nativeMenuResult = &menu;
  menu.SetChosenItemIdx(1);
  e.g->OnMouseDown(Mouse(10, 10, kRight));
  EXPECT_EQ(e.log, (std::vector<std::string>{"knob context 1"}));
  // The context menu began no gesture, so its result ends none.
  EXPECT_TRUE(e.dlg.log.empty());
}

TEST(InputTest, ComputerKeyboardPlaysNotesAndOctaveChangeReleasesThem)
{
  Editor e;
  std::vector<int> notes;
  e.g->SetQwertyMidiKeyHandlerFunc(
    [&](const IMidiMsg& msg) { notes.push_back(msg.mStatus == 144 ? msg.mData1 : -msg.mData1); });
  const IKeyPress a("a", 'A'), x("x", 'X'), z("z", 'Z');
  EXPECT_TRUE(e.g->OnKeyDown(0, 0, a));
  EXPECT_TRUE(e.g->OnKeyDown(0, 0, a));  // held: nothing new
  EXPECT_TRUE(e.g->OnKeyDown(0, 0, x));  // up an octave: the held note ends
  EXPECT_TRUE(e.g->OnKeyDown(0, 0, a));  // sounds again, an octave up
  EXPECT_TRUE(e.g->OnKeyUp(0, 0, a));
  EXPECT_EQ(notes, (std::vector<int>{48, -48, 60, -60}));
  EXPECT_EQ(e.dlg.log.front(), "midi 144 48 127");
  for (int i = 0; i < 8; ++i)
  {
    e.g->OnKeyDown(0, 0, x);
  }
  notes.clear();
  e.g->OnKeyDown(0, 0, a);
  e.g->OnKeyUp(0, 0, a);
  EXPECT_EQ(notes, (std::vector<int>{96, -96}));
  for (int i = 0; i < 12; ++i)
  {
    e.g->OnKeyDown(0, 0, z);
  }
  notes.clear();
  e.g->OnKeyDown(0, 0, a);
  e.g->OnKeyUp(0, 0, a);
  EXPECT_EQ(notes, (std::vector<int>{24, -24}));
  // Leave the process-wide base where the other tests expect it.
  e.g->OnKeyDown(0, 0, x);
  e.g->OnKeyDown(0, 0, x);
}

TEST(InputTest, CornerResizerDragRescalesFromTheMouseDownPoint)
{
  Editor e;
  e.Add("a", IRECT(0, 0, 10, 10));
  e.g->AddCornerResizerFor(IGraphics::kResizeScale, false, IColor(), IColor(), IColor(), 20.f);
  e.g->OnMouseDown(Mouse(390, 290));
  EXPECT_TRUE(e.g->GetResizingInProcess());
  e.log.clear();
  e.g->OnMouseDrag(Mouse(585, 435, IMouseMod(true), 1.f, 1.f));
  EXPECT_FLOAT_EQ(e.g->GetDrawScale(), 1.5f);
  e.g->OnMouseUp(Mouse(585, 435));
  EXPECT_FALSE(e.g->GetResizingInProcess());
  // Once when the drag reached 2 pixels a point (the bitmaps for 2), once when it ended.
  EXPECT_EQ(std::count(e.log.begin(), e.log.end(), "a rescale"), 2);
}

TEST(InputTest, CornerResizerDragInSizeModeResizes)
{
  Editor e;
  e.g->AddCornerResizerFor(IGraphics::kResizeSize, false, IColor(), IColor(), IColor(), 20.f);
  e.g->OnMouseDown(Mouse(390, 290));
  e.g->OnMouseDrag(Mouse(500.7f, 350.2f, IMouseMod(true), 1.f, 1.f));
  EXPECT_EQ(e.g->Width(), 500);
  EXPECT_EQ(e.g->Height(), 350);
  EXPECT_FLOAT_EQ(e.g->GetDrawScale(), 1.f);
}

TEST(InputTest, FocusLossClearsMouseOverCaptureAndInWindowPrompts)
{
  Editor e;
  e.Add("bg", IRECT(0, 0, 400, 300));
  e.Add("a", IRECT(0, 0, 50, 50));
  e.g->AddPopupMenuControl(IText());
  e.g->EnableMouseOver(true);
  e.g->OnMouseOver(10, 10, IMouseMod());
  e.g->OnMouseDown(Mouse(10, 10));
  IPopupMenu menu("m", 0, false, {"x"});
  e.g->OpenMenu(e.g->GetControl(1), menu, IRECT(0, 0, 10, 10), 0);
  ASSERT_TRUE(e.g->GetPopupMenuControl()->TakesPointer());
  // While the menu shows, every point belongs to it.
  EXPECT_EQ(e.g->GetMouseControl(200, 200, false), e.g->GetPopupMenuControl());
  e.g->OnFocusLost();
  EXPECT_EQ(e.g->GetMouseOver(), nullptr);
  EXPECT_FALSE(e.g->ControlIsCaptured());
  EXPECT_FALSE(e.g->GetPopupMenuControl()->TakesPointer());
}

TEST(InputTest, PlacementMovesResizesAndStoresTheParameterUnderThePointer)
{
  Editor e;
  e.Add("a", IRECT(0, 0, 10, 10), 3);
  e.g->MoveControl(0, 20, 30);
  EXPECT_EQ(e.g->GetControl(0)->GetRECT(), IRECT(20, 30, 30, 40));
  e.g->ResizeControl(0, 5, 6);
  EXPECT_EQ(e.g->GetControl(0)->GetRECT(), IRECT(20, 30, 25, 36));
  e.g->SetControlBounds(0, IRECT(1, 2, 3, 4));
  EXPECT_EQ(e.g->GetControl(0)->GetTargetRECT(), IRECT(1, 2, 3, 4));
  e.g->StoreParamIdxAt(2, 3);
  EXPECT_EQ(e.g->TakeStoredParamIdx(), 3);
  EXPECT_EQ(e.g->TakeStoredParamIdx(), -1);
}
