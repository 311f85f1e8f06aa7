#pragma once
// The shared colour panel: a window of its own that stays up while the person picks colours and
// sends its action to its target at every change. Bringing it to the front returns at once.

#include <functional>
#include <memory>

#include "platform/AppKit/NSColor.h"
#include "platform/AppKit/NSResponder.h"

class NSColorPanel
{
public:
  using Action = std::function<void(NSColorPanel& sender)>;

  // Made on first use.
  static NSColorPanel& sharedColorPanel();
  static bool sharedColorPanelExists();

  // The action is sent only while the target lives.
  void setTarget(std::weak_ptr<NSResponder> target) { mTarget = std::move(target); }
  void setAction(Action action) { mAction = std::move(action); }
  // Without alpha the colours picked are opaque.
  void setShowsAlpha(bool shows) { mShowsAlpha = shows; }
  void setColor(const NSColor& color) { mColor = color; }
  const NSColor& color() const { return mColor; }

  // The person's picks (platform/AppKit/Person.h) arrive on the next pass of the run loop, one
  // action each, as long as the panel stays open.
  void orderFront();
  void close() { mVisible = false; }
  bool isVisible() const { return mVisible; }

private:
  NSColorPanel() = default;
  void Pick();

  std::weak_ptr<NSResponder> mTarget;
  Action mAction;
  NSColor mColor = NSColor::colorWithDeviceRed(1, 1, 1, 1);
  bool mShowsAlpha = false;
  bool mVisible = false;
  bool mPickPending = false;
};
