#include "platform/CoreGraphics/CGDisplay.h"

#include <mutex>

namespace platform {
namespace {

constexpr CGDirectDisplayID kMainDisplay = 1;

struct Display
{
  std::mutex mutex;
  size_t width = 1920;
  size_t height = 1080;
  CGPoint pointer = {0, 0};
  int hides = 0;
  int moves = 0;
  bool associated = true;
};

Display& Main()
{
  static Display display;
  return display;
}

}  // namespace

void SetMainDisplaySize(size_t width, size_t height)
{
  std::lock_guard<std::mutex> lock(Main().mutex);
  Main().width = width;
  Main().height = height;
}

CGPoint PointerLocation()
{
  std::lock_guard<std::mutex> lock(Main().mutex);
  return Main().pointer;
}

void SetPointerLocation(CGPoint location)
{
  std::lock_guard<std::mutex> lock(Main().mutex);
  Main().pointer = location;
}

int CursorHideCount()
{
  std::lock_guard<std::mutex> lock(Main().mutex);
  return Main().hides;
}

bool MouseAndCursorAssociated()
{
  std::lock_guard<std::mutex> lock(Main().mutex);
  return Main().associated;
}

int CursorMoveCount()
{
  std::lock_guard<std::mutex> lock(Main().mutex);
  return Main().moves;
}

}  // namespace platform

using namespace platform;

CGDirectDisplayID CGMainDisplayID(void)
{
  return kMainDisplay;
}

size_t CGDisplayPixelsWide(CGDirectDisplayID display)
{
  std::lock_guard<std::mutex> lock(Main().mutex);
  return display == kMainDisplay ? Main().width : 0;
}

size_t CGDisplayPixelsHigh(CGDirectDisplayID display)
{
  std::lock_guard<std::mutex> lock(Main().mutex);
  return display == kMainDisplay ? Main().height : 0;
}

CGError CGDisplayHideCursor(CGDirectDisplayID display)
{
  if (display != kMainDisplay)
    return kCGErrorIllegalArgument;
  std::lock_guard<std::mutex> lock(Main().mutex);
  ++Main().hides;
  return kCGErrorSuccess;
}

CGError CGDisplayShowCursor(CGDirectDisplayID display)
{
  if (display != kMainDisplay)
    return kCGErrorIllegalArgument;
  std::lock_guard<std::mutex> lock(Main().mutex);
  if (Main().hides > 0)
    --Main().hides;
  return kCGErrorSuccess;
}

CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point)
{
  if (display != kMainDisplay)
    return kCGErrorIllegalArgument;
  std::lock_guard<std::mutex> lock(Main().mutex);
  Main().pointer = point;
  ++Main().moves;
  return kCGErrorSuccess;
}

CGError CGAssociateMouseAndMouseCursorPosition(boolean_t connected)
{
  std::lock_guard<std::mutex> lock(Main().mutex);
  Main().associated = connected != 0;
  return kCGErrorSuccess;
}
