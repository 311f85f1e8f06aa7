#include "platform/AppKit/NSScreen.h"
#include "platform/AppKit/NSWindow.h"
#include "platform/CoreGraphics/CGDisplay.h"
#include "platform/CoreServices/Gestalt.h"
#include "platform/Foundation/NSTimer.h"
#include "tests/platform/LiveObjects.h"

#include <string>
#include <vector>

namespace {

constexpr auto kNone = NSEventModifierFlags(0);

// A view that writes down what reaches it, optionally flipped and taking first responder.
class LogView : public NSView
{
public:
  LogView(std::string name, std::vector<std::string>& log, bool flipped = false, bool takesFocus = false)
  : mName(std::move(name)), mLog(log), mFlipped(flipped), mTakesFocus(takesFocus)
  {
  }
  bool isFlipped() const override { return mFlipped; }
  bool acceptsFirstResponder() const override { return mTakesFocus; }
  void mouseDown(const NSEvent& e) override { Note("down", e); }
  void mouseDragged(const NSEvent& e) override { Note("drag", e); }
  void mouseUp(const NSEvent& e) override { Note("up", e); }
  void mouseMoved(const NSEvent& e) override { Note("moved", e); }
  void mouseEntered(const NSEvent&) override { mLog.push_back(mName + " entered"); }
  void mouseExited(const NSEvent&) override { mLog.push_back(mName + " exited"); }
  void scrollWheel(const NSEvent& e) override { Note("wheel", e); }
  void rightMouseDown(const NSEvent& e) override { Note("right down", e); }
  void keyDown(const NSEvent& e) override
  {
    mLog.push_back(mName + " key " + std::to_string(e.keyCode()));
    if (mPassKeys)
      NSView::keyDown(e);
  }
  void viewDidChangeBackingProperties() override { mLog.push_back(mName + " backing"); }
  void viewDidMoveToWindow() override { mLog.push_back(mName + (window() ? " in window" : " out of window")); }

  bool mPassKeys = false;

private:
  void Note(const char* what, const NSEvent& e)
  {
    const NSPoint p = convertPointFromView(e.locationInWindow(), nullptr);
    mLog.push_back(mName + " " + what + " " + std::to_string(int(p.x)) + "," + std::to_string(int(p.y)));
  }

  std::string mName;
  std::vector<std::string>& mLog;
  bool mFlipped;
  bool mTakesFocus;
};

// A window of 400 by 300 at (100, 200) on the screen: an unflipped panel at (10, 20) of 200 by
// 100, inside it a flipped editor at (5, 5) of 50 by 40 that takes first responder.
class AppKitTest : public LiveObjects
{
protected:
  void SetUp() override
  {
    window = std::make_shared<NSWindow>(NSMakeRect(100, 200, 400, 300));
    auto content = std::make_shared<LogView>("content", log);
    panel = std::make_shared<LogView>("panel", log);
    panel->initWithFrame(NSMakeRect(10, 20, 200, 100));
    editor = std::make_shared<LogView>("editor", log, true, true);
    editor->initWithFrame(NSMakeRect(5, 5, 50, 40));
    panel->addSubview(editor);
    content->addSubview(panel);
    window->setContentView(content);
    log.clear();
  }

  void Send(NSEventType type, CGFloat x, CGFloat y, NSEventModifierFlags flags = kNone)
  {
    window->sendEvent(NSEvent::mouseEventWithType(type, NSMakePoint(x, y), flags, window.get()));
  }

  std::vector<std::string> log;
  std::shared_ptr<NSWindow> window;
  std::shared_ptr<LogView> panel;
  std::shared_ptr<LogView> editor;
};

TEST_F(AppKitTest, PointsConvertBetweenWindowAndViewsBothWays)
{
  struct Case
  {
    NSPoint window;
    const NSView* view;
    NSPoint local;
  };
  const Case cases[] = {
    {{15, 25}, panel.get(), {5, 5}},  {{15, 25}, editor.get(), {0, 40}},  // the editor's bottom left; it counts down from its top
    {{15, 65}, editor.get(), {0, 0}}, {{55, 35}, editor.get(), {40, 30}}, {{0, 0}, window->contentView(), {0, 0}},
  };
  for (const Case& c : cases)
  {
    const NSPoint local = c.view->convertPointFromView(c.window, nullptr);
    EXPECT_DOUBLE_EQ(local.x, c.local.x);
    EXPECT_DOUBLE_EQ(local.y, c.local.y);
    const NSPoint back = c.view->convertPointToView(c.local, nullptr);
    EXPECT_DOUBLE_EQ(back.x, c.window.x);
    EXPECT_DOUBLE_EQ(back.y, c.window.y);
  }
  const NSPoint inPanel = panel->convertPointFromView(NSMakePoint(10, 10), editor.get());
  EXPECT_DOUBLE_EQ(inPanel.x, 15);
  EXPECT_DOUBLE_EQ(inPanel.y, 35);
  EXPECT_EQ(window->contentView()->hitTest(NSMakePoint(15, 25)), editor.get());
  EXPECT_EQ(window->contentView()->hitTest(NSMakePoint(100, 25)), panel.get());
  EXPECT_EQ(window->contentView()->hitTest(NSMakePoint(400, 25)), nullptr);
  const NSRect screen = window->convertRectToScreen(NSMakeRect(15, 25, 0, 0));
  EXPECT_DOUBLE_EQ(screen.origin.x, 115);
  EXPECT_DOUBLE_EQ(screen.origin.y, 225);
}

TEST_F(AppKitTest, ThePressedViewKeepsDragsAndReleaseWhileMovesAndKeysGoToTheFirstResponder)
{
  Send(NSEventTypeLeftMouseDown, 20, 30);
  EXPECT_EQ(window->firstResponder(), editor.get());  // a click focuses a view that takes it
  Send(NSEventTypeLeftMouseDragged, 300, 30);
  Send(NSEventTypeLeftMouseUp, 300, 30);
  Send(NSEventTypeMouseMoved, 100, 30);  // not wanted yet
  window->setAcceptsMouseMovedEvents(true);
  Send(NSEventTypeMouseMoved, 100, 30);
  Send(NSEventTypeRightMouseDown, 100, 30);
  window->sendEvent(NSEvent::scrollWheelEvent(NSMakePoint(20, 30), 2.0, kNone, window.get()));
  window->sendEvent(NSEvent::keyEventWithType(NSEventTypeKeyDown, kNone, window.get(), u"a", u"a", 0));
  editor->mPassKeys = true;
  window->sendEvent(NSEvent::keyEventWithType(NSEventTypeKeyDown, kNone, window.get(), u"b", u"b", 11));
  EXPECT_EQ(log, (std::vector<std::string>{"editor down 5,35", "editor drag 285,35", "editor up 285,35",
                                           "editor moved 85,35", "panel right down 90,10", "editor wheel 5,35",
                                           "editor key 0", "editor key 11", "panel key 11"}));
  // The screen pointer followed the events (display coordinates count down from the top).
  EXPECT_DOUBLE_EQ(platform::PointerLocation().x, 120);
  EXPECT_DOUBLE_EQ(platform::PointerLocation().y, CGDisplayPixelsHigh(CGMainDisplayID()) - 230.0);
  EXPECT_DOUBLE_EQ(NSEvent::mouseLocation().y, 230);
}

TEST_F(AppKitTest, TrackingAreasHearEnterAndExitAndDuringDragsOnlyWhenAskedTo)
{
  editor->addTrackingArea(
    std::make_shared<NSTrackingArea>(editor->bounds(), NSTrackingMouseEnteredAndExited, editor, nullptr));
  panel->addTrackingArea(std::make_shared<NSTrackingArea>(
    panel->bounds(), NSTrackingMouseEnteredAndExited | NSTrackingEnabledDuringMouseDrag, panel, nullptr));
  Send(NSEventTypeMouseMoved, 20, 30);
  Send(NSEventTypeLeftMouseDown, 20, 30);
  Send(NSEventTypeLeftMouseDragged, 350, 30);  // leaves both; only the panel hears it now
  Send(NSEventTypeLeftMouseUp, 350, 30);
  Send(NSEventTypeMouseMoved, 351, 30);  // the editor catches up once the drag is over
  EXPECT_EQ(log, (std::vector<std::string>{"panel entered", "editor entered", "editor down 5,35", "panel exited",
                                           "editor drag 335,35", "editor up 335,35", "editor exited"}));
}

TEST_F(AppKitTest, FirstResponderChangesAskBothSidesAndEndWhenTheViewLeaves)
{
  class Stubborn : public NSView
  {
  public:
    bool acceptsFirstResponder() const override { return true; }
    bool resignFirstResponder() override { return mLetGo; }
    bool mLetGo = false;
  };
  auto stubborn = std::make_shared<Stubborn>();
  panel->addSubview(stubborn);
  EXPECT_TRUE(window->makeFirstResponder(stubborn.get()));
  EXPECT_FALSE(window->makeFirstResponder(editor.get()));
  EXPECT_EQ(window->firstResponder(), stubborn.get());
  stubborn->mLetGo = true;
  EXPECT_FALSE(window->makeFirstResponder(panel.get()));  // the panel does not take it: the window has it
  EXPECT_EQ(window->firstResponder(), window.get());
  EXPECT_TRUE(window->makeFirstResponder(editor.get()));
  panel->removeFromSuperview();
  EXPECT_EQ(window->firstResponder(), window.get());
  EXPECT_EQ(editor->window(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"editor out of window", "panel out of window"}));
}

TEST_F(AppKitTest, ViewsHearOfScaleChangesAndTheirFrameChangesArePosted)
{
  int frameChanges = 0;
  NSNotificationCenter::defaultCenter().addObserver(
    this, [&](const NSNotification&) { ++frameChanges; }, NSViewFrameDidChangeNotification, editor.get());
  editor->setFrameSize(NSMakeSize(60, 40));
  editor->setFrameSize(NSMakeSize(60, 40));   // unchanged: no notice
  panel->setFrameSize(NSMakeSize(300, 100));  // another sender
  NSNotificationCenter::defaultCenter().removeObserver(this);
  editor->setFrameSize(NSMakeSize(70, 40));
  EXPECT_EQ(frameChanges, 1);

  window->setBackingScaleFactor(2.0);
  window->setBackingScaleFactor(2.0);
  EXPECT_EQ(log, (std::vector<std::string>{"content backing", "panel backing", "editor backing"}));
  log.clear();
  auto moved = std::make_shared<LogView>("moved", log);
  panel->addSubview(moved);
  EXPECT_EQ(log, (std::vector<std::string>{"moved in window", "moved backing"}));
}

TEST_F(AppKitTest, ResigningKeyAndMainIsPostedOncePerChange)
{
  std::vector<std::string> heard;
  for (const NSNotificationName& name : {NSWindowDidResignKeyNotification, NSWindowDidResignMainNotification})
    NSNotificationCenter::defaultCenter().addObserver(
      this, [&](const NSNotification& n) { heard.push_back(n.name); }, name, window.get());
  window->resignKeyWindow();  // not key yet
  window->makeKeyAndOrderFront();
  window->resignKeyWindow();
  window->resignKeyWindow();
  window->resignMainWindow();
  NSNotificationCenter::defaultCenter().removeObserver(this);
  EXPECT_EQ(heard, (std::vector<std::string>{NSWindowDidResignKeyNotification, NSWindowDidResignMainNotification}));
}

TEST_F(AppKitTest, AnObserverRemovedDuringAPostIsNotCalled)
{
  std::vector<int> calls;
  auto& center = NSNotificationCenter::defaultCenter();
  int first = 0, second = 0;
  center.addObserver(
    &first,
    [&](const NSNotification&) {
      calls.push_back(1);
      center.removeObserver(&second);
    },
    "n", nullptr);
  center.addObserver(
    &second, [&](const NSNotification&) { calls.push_back(2); }, "n", nullptr);
  center.postNotificationName("n", nullptr);
  center.postNotificationName("other", nullptr);
  center.removeObserver(&first);
  EXPECT_EQ(calls, std::vector<int>{1});
}

TEST_F(AppKitTest, AViewStaysAliveWhileItTakesItselfOut)
{
  // The last reference to the view is the panel's: removing it must not end the view before its
  // own removeFromSuperview returns (the sanitizer build sees a use after free otherwise).
  class Closing : public NSView
  {
  public:
    void removeFromSuperview() override
    {
      NSView::removeFromSuperview();
      mAfter = frame().size.width;
    }
    CGFloat mAfter = 0;
  };
  std::weak_ptr<NSView> watch;
  {
    auto closing = std::make_shared<Closing>();
    closing->initWithFrame(NSMakeRect(0, 0, 8, 8));
    panel->addSubview(closing);
    watch = closing;
  }
  watch.lock()->removeFromSuperview();
  EXPECT_TRUE(watch.expired());
}

TEST_F(AppKitTest, ADropGoesToTheViewThatTakesTheDraggedType)
{
  class DropView : public NSView
  {
  public:
    NSDragOperation draggingEntered(const NSDraggingInfo&) override { return NSDragOperationGeneric; }
    bool performDragOperation(const NSDraggingInfo& info) override
    {
      mDropped = info.draggingPasteboard().propertyListForType(NSFilenamesPboardType);
      return true;
    }
    std::vector<std::string> mDropped;
  };
  auto target = std::make_shared<DropView>();
  target->initWithFrame(NSMakeRect(0, 0, 400, 300));
  target->registerForDraggedTypes({NSFilenamesPboardType});
  window->contentView()->addSubview(target);
  auto files = std::make_shared<NSPasteboard>();
  files->setPropertyList({"/a.wav", "/b.wav"}, NSFilenamesPboardType);
  auto text = std::make_shared<NSPasteboard>();
  text->setPropertyList({"hello"}, "public.utf8-plain-text");
  EXPECT_FALSE(window->performDrag(NSDraggingInfo(text, NSMakePoint(20, 30))));
  EXPECT_TRUE(window->performDrag(NSDraggingInfo(files, NSMakePoint(20, 30))));
  EXPECT_EQ(target->mDropped, (std::vector<std::string>{"/a.wav", "/b.wav"}));
}

TEST_F(AppKitTest, TimersFireOncePerIntervalAndHoldTheirActionUntilInvalidated)
{
  auto target = std::make_shared<int>(0);
  std::weak_ptr<int> watch = target;
  auto timer = NSTimer::timerWithTimeInterval(
    1.0 / 60.0, [target](NSTimer&) { ++*target; }, true);
  target.reset();
  NSRunLoop::currentRunLoop().addTimer(timer, kCFRunLoopCommonModes);
  platform::RunMainLoop();
  EXPECT_EQ(*watch.lock(), 0);  // the first firing is one interval away
  for (int tick = 1; tick <= 3; ++tick)
  {
    platform::AdvanceClock(1.0 / 60.0);
    platform::RunMainLoop();
    EXPECT_EQ(*watch.lock(), tick);
  }
  timer->invalidate();
  EXPECT_TRUE(watch.expired());
  EXPECT_FALSE(timer->isValid());

  int fired = 0;
  std::weak_ptr<NSTimer> once;
  {
    auto timer = NSTimer::timerWithTimeInterval(
      0.01,
      [&](NSTimer& t) {
        ++fired;
        t.invalidate();
      },
      true);
    NSRunLoop::currentRunLoop().addTimer(timer, kCFRunLoopCommonModes);
    once = timer;
  }
  EXPECT_FALSE(once.expired());  // the run loop holds it
  platform::AdvanceClock(0.05);
  platform::RunMainLoop();
  EXPECT_EQ(fired, 1);
  EXPECT_TRUE(once.expired());
}

TEST(SystemVersion, GestaltAnswersTheTenLineOnly)
{
  struct Case
  {
    NSOperatingSystemVersion version;
    OSErr status;
    SInt32 response;
  };
  for (const Case& c : {Case{{10, 13, 6}, noErr, 0x1096}, Case{{10, 9, 5}, noErr, 0x1095},
                        Case{{10, 4, 11}, noErr, 0x1049}, Case{{13, 0, 0}, gestaltUndefSelectorErr, 7}})
  {
    platform::SetOperatingSystemVersion(c.version);
    SInt32 response = 7;
    EXPECT_EQ(Gestalt(gestaltSystemVersion, &response), c.status);
    EXPECT_EQ(response, c.response);
  }
  EXPECT_TRUE(platform::IsOperatingSystemAtLeastVersion({10, 14, 0}));
  platform::SetOperatingSystemVersion({10, 13, 6});
  EXPECT_FALSE(platform::IsOperatingSystemAtLeastVersion({10, 14, 0}));
  platform::SetOperatingSystemVersion({13, 0, 0});
}

}  // namespace
