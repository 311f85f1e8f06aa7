#pragma once
// The main display: its size and where the pointer is on it.
//
// Display coordinates have their origin at the top left of the main display, y downwards (the
// window layer's screen coordinates run upwards from the bottom left). There is one display; its
// size is 1920 by 1080 points until a test or the host sets another.

#include <cstddef>
#include <cstdint>

#include "platform/CoreGraphics/CGGeometry.h"

typedef uint32_t CGDirectDisplayID;

extern "C" {
CGDirectDisplayID CGMainDisplayID(void);
// Zero for a display that does not exist.
size_t CGDisplayPixelsWide(CGDirectDisplayID display);
size_t CGDisplayPixelsHigh(CGDirectDisplayID display);
}

namespace platform {
void SetMainDisplaySize(size_t width, size_t height);
// Where the pointer is, in display coordinates.
CGPoint PointerLocation();
void SetPointerLocation(CGPoint location);
}  // namespace platform
