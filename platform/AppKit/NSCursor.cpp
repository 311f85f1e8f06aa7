#include "platform/AppKit/NSCursor.h"

#include <map>
#include <set>

namespace {

constexpr const char* kHelpCursor = "_helpCursor";

struct Cursors
{
  NSCursor* current = nullptr;  // declared first: the system cursors leaving at exit clear it
  bool helpMode = false;
  bool privateAvailable = true;
  std::map<std::string, std::unique_ptr<NSCursor>> system;
};

Cursors& State()  // the main thread's alone
{
  static Cursors cursors;
  return cursors;
}

bool IsPrivate(const std::string& selector)
{
  static const std::set<std::string> kPrivate = {"busyButClickableCursor",
                                                 "_windowResizeNorthCursor",
                                                 "_windowResizeNorthWestSouthEastCursor",
                                                 "_windowResizeNorthEastSouthWestCursor",
                                                 "_windowResizeEastWestCursor",
                                                 "_windowResizeNorthSouthCursor",
                                                 kHelpCursor,
                                                 "helpCursorShown",
                                                 "_setHelpCursor:"};
  return kPrivate.count(selector) != 0;
}

}  // namespace

NSCursor::~NSCursor()
{
  if (State().current == this)
    State().current = nullptr;  // the arrow, as a window shows when its cursor goes
}

NSCursor* NSCursor::System(const char* name)
{
  std::unique_ptr<NSCursor>& cursor = State().system[name];
  if (!cursor)
    cursor.reset(new NSCursor(name));
  return cursor.get();
}

NSCursor* NSCursor::arrowCursor()
{
  return System("arrowCursor");
}
NSCursor* NSCursor::IBeamCursor()
{
  return System("IBeamCursor");
}
NSCursor* NSCursor::crosshairCursor()
{
  return System("crosshairCursor");
}
NSCursor* NSCursor::resizeUpCursor()
{
  return System("resizeUpCursor");
}
NSCursor* NSCursor::resizeLeftRightCursor()
{
  return System("resizeLeftRightCursor");
}
NSCursor* NSCursor::resizeUpDownCursor()
{
  return System("resizeUpDownCursor");
}
NSCursor* NSCursor::operationNotAllowedCursor()
{
  return System("operationNotAllowedCursor");
}
NSCursor* NSCursor::pointingHandCursor()
{
  return System("pointingHandCursor");
}

bool NSCursor::respondsToSelector(const std::string& selector)
{
  return IsPrivate(selector) && State().privateAvailable;
}

NSCursor* NSCursor::privateCursor(const std::string& selector)
{
  if (!respondsToSelector(selector) || selector == "helpCursorShown" || selector == "_setHelpCursor:")
    return nullptr;
  return System(selector.c_str());
}

bool NSCursor::helpCursorShown()
{
  return State().helpMode;
}

void NSCursor::setHelpCursor(bool on)
{
  State().helpMode = on;
}

void NSCursor::set()
{
  Cursors& state = State();
  if (mName == kHelpCursor)
    state.helpMode = true;
  state.current = state.helpMode ? System(kHelpCursor) : this;
}

NSCursor* NSCursor::currentCursor()
{
  Cursors& state = State();
  return state.current ? state.current : arrowCursor();
}

void platform::SetPrivateCursorsAvailable(bool available)
{
  State().privateAvailable = available;
}
