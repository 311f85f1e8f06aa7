#pragma once
// Cursors: the standard ones, the private ones some systems have (asked for by selector name,
// and only where the system responds to it), cursors made from an image and a hot spot, the
// cursor shown, and help mode, in which the help cursor stays whatever else is set.

#include <memory>
#include <string>

#include "platform/AppKit/NSImage.h"

class NSCursor
{
public:
  // initWithImage:hotSpot:
  NSCursor(std::shared_ptr<NSImage> image, NSPoint hotSpot) : mImage(std::move(image)), mHotSpot(hotSpot) {}
  ~NSCursor();
  NSCursor(const NSCursor&) = delete;
  NSCursor& operator=(const NSCursor&) = delete;

  static NSCursor* arrowCursor();
  static NSCursor* IBeamCursor();
  static NSCursor* crosshairCursor();
  static NSCursor* resizeUpCursor();
  static NSCursor* resizeLeftRightCursor();
  static NSCursor* resizeUpDownCursor();
  static NSCursor* operationNotAllowedCursor();
  static NSCursor* pointingHandCursor();

  // The private class methods: "busyButClickableCursor", "_windowResizeNorthCursor",
  // "_windowResizeNorthWestSouthEastCursor", "_windowResizeNorthEastSouthWestCursor",
  // "_windowResizeEastWestCursor", "_windowResizeNorthSouthCursor", "_helpCursor",
  // "helpCursorShown" and "_setHelpCursor:". Only systems that have them respond.
  static bool respondsToSelector(const std::string& selector);
  // The private cursor of that selector; null where the system lacks it.
  static NSCursor* privateCursor(const std::string& selector);
  // Private: whether help mode is on, and switching it.
  static bool helpCursorShown();
  static void setHelpCursor(bool on);

  // Shows this cursor (in help mode the help cursor stays).
  void set();
  static NSCursor* currentCursor();

  // The selector that gives a system cursor; empty for one made from an image.
  const std::string& name() const { return mName; }
  const NSImage* image() const { return mImage.get(); }
  NSPoint hotSpot() const { return mHotSpot; }

private:
  explicit NSCursor(std::string name) : mName(std::move(name)), mHotSpot{0, 0} {}
  static NSCursor* System(const char* name);

  std::string mName;
  std::shared_ptr<NSImage> mImage;
  NSPoint mHotSpot;
};

namespace platform {
// Whether the system has the private cursors and help mode (yes unless set).
void SetPrivateCursorsAvailable(bool available);
}  // namespace platform
