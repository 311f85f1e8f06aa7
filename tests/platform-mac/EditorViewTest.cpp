#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"
#include "tests/platform-mac/EditorFixture.h"


namespace vtest {
namespace {

constexpr auto kNone = NSEventModifierFlags(0);

TEST_F(EditorTest, ClicksCountUpToDoubleClicksAndStartOverOnTheThird)
{
  Open();
  for (NSInteger count : {1, 2, 3})
  {
    Mouse(NSEventTypeLeftMouseDown, 110, 120, count);
    Mouse(NSEventTypeLeftMouseUp, 110, 120, count);
  }
  Mouse(NSEventTypeRightMouseDown, 150, 150, 2);
  EXPECT_EQ(delegate.log, (Log{"down 110,120 L", "up 110,120", "double 110,120 L", "down 110,120 L", "up 110,120",
                               "double 150,150 R"}));
}

TEST_F(EditorTest, ModifierKeysReachTheControlAndACommandClickIsARightClick)
{
  Open();
  Mouse(NSEventTypeLeftMouseDown, 110, 120, 1, NSEventModifierFlagCommand);
  Mouse(NSEventTypeLeftMouseUp, 110, 120, 1);
  Mouse(NSEventTypeLeftMouseDown, 110, 120, 1,
        NSEventModifierFlagShift | NSEventModifierFlagControl | NSEventModifierFlagOption);
  EXPECT_EQ(delegate.log, (Log{"down 110,120 L R", "up 110,120", "down 110,120 L S C A"}));
}

TEST_F(EditorTest, DragsReportTheMovementFromThePreviousEventStartingAtThePress)
{
  delegate.drawScale = 2.f;  // movements come in graphics coordinates too
  Open();
  Mouse(NSEventTypeLeftMouseDown, 110, 120);
  Mouse(NSEventTypeLeftMouseDragged, 115, 110);
  Mouse(NSEventTypeLeftMouseDragged, 125, 112);
  Mouse(NSEventTypeLeftMouseUp, 125, 112);
  EXPECT_EQ(delegate.log, (Log{"down 110,120 L", "drag 115,110 L by 5,-10", "drag 125,112 L by 10,2", "up 125,112"}));
}

TEST_F(EditorTest, LeavingTheViewDuringADragIsToldAfterTheRelease)
{
  Open();
  Mouse(NSEventTypeMouseMoved, 50, 50);
  Mouse(NSEventTypeLeftMouseDown, 110, 120);
  Mouse(NSEventTypeLeftMouseDragged, 900, 120);  // beyond the view's right edge
  Mouse(NSEventTypeLeftMouseUp, 900, 120);
  Mouse(NSEventTypeMouseMoved, 950, 120);
  EXPECT_EQ(delegate.log, (Log{"down 110,120 L", "drag 900,120 L by 790,0", "up 900,120", "out"}));

  delegate.log.clear();
  Mouse(NSEventTypeMouseMoved, 110, 120);
  Mouse(NSEventTypeMouseMoved, 900, 120);  // no button held: told at once
  EXPECT_EQ(delegate.log, (Log{"out"}));
}

TEST_F(EditorTest, ADropOfSeveralFilesPassesTheFirstAtItsGraphicsPosition)
{
  delegate.drawScale = 2.f;
  IGraphicsView_vVantorelix_au* view = Open();
  auto files = std::make_shared<NSPasteboard>();
  files->setPropertyList({"/music/one.wav", "/music/two.wav", "/music/three.wav"}, NSFilenamesPboardType);
  auto text = std::make_shared<NSPasteboard>();
  text->setPropertyList({"words"}, "public.utf8-plain-text");
  // (150, 150) lies on the control; undivided, (300, 300) would miss it.
  EXPECT_FALSE(window->performDrag(NSDraggingInfo(text, InWindow(*view, 150, 150))));
  EXPECT_TRUE(window->performDrag(NSDraggingInfo(files, InWindow(*view, 150, 150))));
  EXPECT_EQ(delegate.log, (Log{"drop /music/one.wav"}));
}

TEST_F(EditorTest, KeysTheEditorLeavesReachTheHostsResponder)
{
  IGraphicsView_vVantorelix_au* view = Open();
  EXPECT_EQ(window->firstResponder(), view);
  std::vector<int> used;
  delegate.Graphics()->SetKeyHandlerFunc([&](const IKeyPress& key, bool isUp) {
    if (!isUp)
      used.push_back(key.VK);
    return key.VK == 'A';
  });
  for (auto [keyCode, text] : {std::pair{0, u"a"}, std::pair{11, u"b"}})
    window->sendEvent(NSEvent::keyEventWithType(NSEventTypeKeyDown, kNone, window.get(), text, text, keyCode));
  EXPECT_EQ(used, (std::vector<int>{'A', 'B'}));
  EXPECT_EQ(host->keys, std::vector<int>{11});
}

TEST_F(EditorTest, LosingFocusEndsAnInWindowMenuAndDropsAnOpenEntry)
{
  class MenuControl : public LogControl
  {
  public:
    using LogControl::LogControl;
    void PopupMenuChosen(IPopupMenu* menu, int) override { chosen.push_back(menu); }
    std::vector<IPopupMenu*> chosen;
  };
  Open();
  IGraphicsMac& g = *delegate.Graphics();
  g.AddPopupMenuControl(IText());
  g.AddTextEntryControl();
  auto* owner = new MenuControl(IRECT(400.f, 100.f, 500.f, 200.f), delegate.log);
  g.AddControl(owner);
  IPopupMenu menu;
  menu.AddItem("one");
  g.OpenMenu(owner, menu, owner->GetRECT(), 0);
  ASSERT_TRUE(g.GetPopupMenuControl()->TakesPointer());

  window->resignKeyWindow();
  EXPECT_FALSE(g.GetPopupMenuControl()->TakesPointer());
  EXPECT_EQ(owner->chosen, std::vector<IPopupMenu*>{nullptr});
  EXPECT_EQ(g.GetControlInPopupMenu(), nullptr);

  g.OpenTextEntry(owner, IText(), owner->GetRECT(), "12", -1);
  window->makeFirstResponder(nullptr);  // the view resigns
  EXPECT_FALSE(g.GetTextEntryControl()->EditInProgress());
  EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
}

TEST_F(EditorTest, TheWheelGoesToTheControlUnderThePointer)
{
  class WheelControl : public LogControl
  {
  public:
    using LogControl::LogControl;
    void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override
    {
      LogControl::OnMouseDown(x, y, mod);
      delta = d;
    }
    float delta = 0.f;
  };
  Open();
  auto* wheel = new WheelControl(IRECT(400.f, 100.f, 500.f, 200.f), delegate.log);
  delegate.Graphics()->AddControl(wheel);
  const NSPoint at = InWindow(*delegate.Graphics()->GetView(), 450, 150);
  window->sendEvent(NSEvent::scrollWheelEvent(at, -3.0, NSEventModifierFlagShift, window.get()));
  EXPECT_EQ(delegate.log, (Log{"down 450,150 S"}));
  EXPECT_EQ(wheel->delta, -3.f);
}

}  // namespace
}  // namespace vtest
