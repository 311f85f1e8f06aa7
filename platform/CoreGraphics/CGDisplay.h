#pragma once
// The main display: its size, where the pointer is on it, and the system cursor: hidden by a
// count of hides over shows, moved by the program, and normally following the mouse.
//
// Display coordinates have their origin at the top left of the main display, y downwards (the
// window layer's screen coordinates run upwards from the bottom left). There is one display; its
// size is 1920 by 1080 points until a test or the host sets another.

#include <cstddef>
#include <cstdint>

#include "platform/CoreGraphics/CGGeometry.h"

typedef uint32_t CGDirectDisplayID;
typedef int32_t CGError;
typedef uint32_t boolean_t;
enum : CGError { kCGErrorSuccess = 0, kCGErrorIllegalArgument = 1001 };

extern "C"
{
  CGDirectDisplayID CGMainDisplayID(void);
  // Zero for a display that does not exist.
  size_t CGDisplayPixelsWide(CGDirectDisplayID display);
  size_t CGDisplayPixelsHigh(CGDirectDisplayID display);
  CGError CGDisplayHideCursor(CGDirectDisplayID display);
  CGError CGDisplayShowCursor(CGDirectDisplayID display);
  // Moves the pointer to a point of display coordinates.
  CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point);
  // While disconnected, moving the mouse does not move the pointer.
  CGError CGAssociateMouseAndMouseCursorPosition(boolean_t connected);
}

namespace platform {
void SetMainDisplaySize(size_t width, size_t height);
// Where the pointer is, in display coordinates.
CGPoint PointerLocation();
void SetPointerLocation(CGPoint location);
// Hides not yet undone by shows: the cursor shows at 0.
int CursorHideCount();
bool MouseAndCursorAssociated();
// How often the program moved the pointer.
int CursorMoveCount();
}  // namespace platform
