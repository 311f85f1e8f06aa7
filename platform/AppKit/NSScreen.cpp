#include "platform/AppKit/NSScreen.h"

#include "platform/CoreGraphics/CGDisplay.h"

#include <atomic>

namespace {
std::atomic<CGFloat> gBackingScale{1.0};
}

NSScreen* NSScreen::mainScreen()
{
  static NSScreen screen;
  return &screen;
}

NSRect NSScreen::frame() const
{
  return NSMakeRect(0, 0, static_cast<CGFloat>(CGDisplayPixelsWide(CGMainDisplayID())),
                    static_cast<CGFloat>(CGDisplayPixelsHigh(CGMainDisplayID())));
}

CGFloat NSScreen::backingScaleFactor() const
{
  return gBackingScale.load();
}

void platform::SetMainScreenBackingScale(CGFloat scale)
{
  gBackingScale.store(scale);
}
