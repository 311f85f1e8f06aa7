#pragma once
// A window: its content view, its place on the screen (origin bottom left), its backing scale,
// its first responder, and the routing of events to its views as AppKit does it: a press goes to
// the view under the pointer, which keeps the drags and the release; moves and keys go to the
// first responder; the wheel to the view under the pointer; tracking areas hear the pointer
// entering and leaving. It also shows tooltips: when the pointer has rested over a view's tooltip
// rectangle for the tooltip delay, the window holds its owner's text until the pointer leaves the
// rectangle or a button or the wheel is used; whoever puts the window on a screen draws it.

#include <memory>
#include <optional>
#include <string>

#include "platform/AppKit/NSView.h"
#include "platform/Foundation/NSTimer.h"

extern const NSNotificationName NSWindowDidResignKeyNotification;
extern const NSNotificationName NSWindowDidResignMainNotification;

// A tooltip the window shows: its text and where the pointer rested (window coordinates).
struct NSShownToolTip
{
  std::string text;
  NSPoint location;
};

class NSWindow final : public NSResponder
{
public:
  // How long the pointer rests before a tooltip shows, as the system's default.
  static constexpr NSTimeInterval kToolTipDelay = 1.0;

  // The frame is the content rectangle on the screen; the scale is the main screen's.
  explicit NSWindow(NSRect contentRect);
  ~NSWindow() override;
  NSWindow(const NSWindow&) = delete;
  NSWindow& operator=(const NSWindow&) = delete;

  NSView* contentView() const { return mContentView.get(); }
  void setContentView(std::shared_ptr<NSView> view);
  NSRect frame() const { return mFrame; }
  // Keeps the window's top left corner where it is on the screen, as a title bar would.
  void setContentSize(NSSize size);
  NSRect convertRectToScreen(NSRect rect) const;
  NSRect convertRectFromScreen(NSRect rect) const;

  CGFloat backingScaleFactor() const { return mBackingScale; }
  // Moving the window to a screen of another scale: every view hears of it.
  void setBackingScaleFactor(CGFloat scale);
  NSAppearance effectiveAppearance() const;
  // Every view hears of it.
  void setAppearance(const NSAppearanceName& name);

  // The window itself when no view is.
  NSResponder* firstResponder() const;
  // False when the current first responder refuses to resign or the new one refuses to become
  // it (the window is first responder then). Null makes the window first responder.
  bool makeFirstResponder(NSResponder* responder);
  bool acceptsMouseMovedEvents() const { return mAcceptsMouseMoved; }
  void setAcceptsMouseMovedEvents(bool on) { mAcceptsMouseMoved = on; }

  bool isKeyWindow() const { return mKey; }
  bool isMainWindow() const { return mMain; }
  void makeKeyAndOrderFront();
  // Another window takes the keys: posts the resign notifications.
  void resignKeyWindow();
  void resignMainWindow();

  // Delivers an event made for this window; moves the screen pointer to the event's position.
  void sendEvent(const NSEvent& event);
  // A drag released over the window: the view under it that takes one of the dragged types is
  // asked for an operation and, when it offers one, performs the drop. False when none did.
  bool performDrag(const NSDraggingInfo& info);

  // Called by a view leaving the window: it can no longer be first responder or keep the mouse.
  void ViewLeaving(NSView* view);

  const std::optional<NSShownToolTip>& shownToolTip() const { return mToolTip; }

private:
  // The pointer moved to the location, or (none) a button or the wheel was used.
  void FollowPointerForToolTip(std::optional<NSPoint> location);
  void ShowToolTipAt(NSPoint location);
  std::shared_ptr<NSView> ViewAt(NSPoint point) const;
  void UpdateTracking(NSPoint location, bool dragging);
  void TrackView(NSView& view, NSPoint location, bool dragging);

  NSRect mFrame;
  CGFloat mBackingScale;
  std::shared_ptr<NSView> mContentView;
  std::weak_ptr<NSResponder> mFirstResponder;
  std::weak_ptr<NSView> mMouseView;  // the view that took the press, until the release
  std::unique_ptr<NSAppearance> mAppearance;
  std::shared_ptr<NSTimer> mToolTipTimer;
  std::optional<NSShownToolTip> mToolTip;
  NSRect mToolTipArea = {{0, 0}, {0, 0}};  // the shown tooltip's rectangle, window coordinates
  bool mAcceptsMouseMoved = false;
  bool mKey = false;
  bool mMain = false;
};
