#pragma once
// Colours as the window layer hands them around: device RGB with alpha, each component 0..1.

#include "platform/CoreGraphics/CGGeometry.h"

class NSColor
{
public:
  static NSColor colorWithDeviceRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
  {
    return NSColor(red, green, blue, alpha);
  }
  CGFloat redComponent() const { return mRed; }
  CGFloat greenComponent() const { return mGreen; }
  CGFloat blueComponent() const { return mBlue; }
  CGFloat alphaComponent() const { return mAlpha; }
  bool operator==(const NSColor&) const = default;

private:
  NSColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
  : mRed(red), mGreen(green), mBlue(blue), mAlpha(alpha)
  {
  }

  CGFloat mRed;
  CGFloat mGreen;
  CGFloat mBlue;
  CGFloat mAlpha;
};
