#pragma once
// Input events as the window layer delivers them: AppKit's event type codes, modifier bits and
// function-key characters, positions in the window's coordinates (origin bottom left, points).
//
// Events are plain values. The factories below are how the window layer, the host and tests make
// them; they fill what a real event of that kind carries.

#include <string>

#include "platform/Foundation/NSGeometry.h"
#include "platform/Foundation/NSObjCRuntime.h"

class NSWindow;

enum NSEventType : NSUInteger {
  NSEventTypeLeftMouseDown = 1,
  NSEventTypeLeftMouseUp = 2,
  NSEventTypeRightMouseDown = 3,
  NSEventTypeRightMouseUp = 4,
  NSEventTypeMouseMoved = 5,
  NSEventTypeLeftMouseDragged = 6,
  NSEventTypeRightMouseDragged = 7,
  NSEventTypeMouseEntered = 8,
  NSEventTypeMouseExited = 9,
  NSEventTypeKeyDown = 10,
  NSEventTypeKeyUp = 11,
  NSEventTypeFlagsChanged = 12,
  NSEventTypeScrollWheel = 22,
};

enum NSEventModifierFlags : NSUInteger {
  NSEventModifierFlagCapsLock = 1ul << 16,
  NSEventModifierFlagShift = 1ul << 17,
  NSEventModifierFlagControl = 1ul << 18,
  NSEventModifierFlagOption = 1ul << 19,
  NSEventModifierFlagCommand = 1ul << 20,
  NSEventModifierFlagNumericPad = 1ul << 21,
  NSEventModifierFlagFunction = 1ul << 23,
};

constexpr NSEventModifierFlags operator|(NSEventModifierFlags a, NSEventModifierFlags b)
{
  return NSEventModifierFlags(NSUInteger(a) | NSUInteger(b));
}

enum NSEventSubtype : short {
  NSEventSubtypeMouseEvent = 0,
  NSEventSubtypeTabletPoint = 1,
  NSEventSubtypeTabletProximity = 2,
  NSEventSubtypeTouch = 3,
};

// The characters AppKit gives the keys that type nothing (UTF-16 units of the private use area).
enum : char16_t {
  NSUpArrowFunctionKey = 0xF700,
  NSDownArrowFunctionKey = 0xF701,
  NSLeftArrowFunctionKey = 0xF702,
  NSRightArrowFunctionKey = 0xF703,
  NSF1FunctionKey = 0xF704,
  NSF24FunctionKey = 0xF71B,
  NSBackTabCharacter = 0x19,
};

class NSEvent
{
public:
  // A mouse event at a window position. Enter and exit events are made the same way.
  static NSEvent mouseEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags, NSWindow* window,
                                    NSInteger clickCount = 1);
  // A key event: the characters typed, the characters without the modifiers applied, and the
  // hardware key code. A dead key has no characters at all.
  static NSEvent keyEventWithType(NSEventType type, NSEventModifierFlags flags, NSWindow* window,
                                  std::u16string characters, std::u16string charactersIgnoringModifiers,
                                  unsigned short keyCode);
  static NSEvent scrollWheelEvent(NSPoint location, CGFloat deltaY, NSEventModifierFlags flags, NSWindow* window);

  NSEventType type() const { return mType; }
  NSEventModifierFlags modifierFlags() const { return mFlags; }
  NSPoint locationInWindow() const { return mLocation; }
  NSWindow* window() const { return mWindow; }
  NSInteger clickCount() const { return mClickCount; }
  NSEventSubtype subtype() const { return mSubtype; }
  CGFloat deltaX() const { return mDeltaX; }
  CGFloat deltaY() const { return mDeltaY; }
  unsigned short keyCode() const { return mKeyCode; }
  const std::u16string& characters() const { return mCharacters; }
  const std::u16string& charactersIgnoringModifiers() const { return mCharactersIgnoringModifiers; }

  // A pen on a tablet sends mouse events of the tablet-point subtype.
  NSEvent& setSubtype(NSEventSubtype subtype)
  {
    mSubtype = subtype;
    return *this;
  }

  // Where the pointer is on the screen (origin bottom left of the main display).
  static NSPoint mouseLocation();

private:
  NSEvent(NSEventType type, NSEventModifierFlags flags, NSWindow* window) : mType(type), mFlags(flags), mWindow(window)
  {
  }

  NSEventType mType;
  NSEventModifierFlags mFlags;
  NSWindow* mWindow;
  NSPoint mLocation = {0, 0};
  NSInteger mClickCount = 0;
  NSEventSubtype mSubtype = NSEventSubtypeMouseEvent;
  CGFloat mDeltaX = 0;
  CGFloat mDeltaY = 0;
  unsigned short mKeyCode = 0;
  std::u16string mCharacters;
  std::u16string mCharactersIgnoringModifiers;
};
