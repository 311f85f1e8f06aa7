#include "platform/AppKit/NSEvent.h"

#include "platform/CoreGraphics/CGDisplay.h"

NSEvent NSEvent::mouseEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags, NSWindow* window,
                                    NSInteger clickCount)
{
  NSEvent event(type, flags, window);
  event.mLocation = location;
  event.mClickCount = clickCount;
  return event;
}

NSEvent NSEvent::keyEventWithType(NSEventType type, NSEventModifierFlags flags, NSWindow* window,
                                  std::u16string characters, std::u16string charactersIgnoringModifiers,
                                  unsigned short keyCode)
{
  NSEvent event(type, flags, window);
  event.mCharacters = std::move(characters);
  event.mCharactersIgnoringModifiers = std::move(charactersIgnoringModifiers);
  event.mKeyCode = keyCode;
  return event;
}

NSEvent NSEvent::scrollWheelEvent(NSPoint location, CGFloat deltaY, NSEventModifierFlags flags, NSWindow* window)
{
  NSEvent event(NSEventTypeScrollWheel, flags, window);
  event.mLocation = location;
  event.mDeltaY = deltaY;
  return event;
}

NSPoint NSEvent::mouseLocation()
{
  const CGPoint pointer = platform::PointerLocation();
  return {pointer.x, static_cast<CGFloat>(CGDisplayPixelsHigh(CGMainDisplayID())) - pointer.y};
}
