#pragma once
// Cocoa's names for the platform geometry types.

#include "platform/CoreGraphics/CGGeometry.h"

typedef CGPoint NSPoint;
typedef CGSize NSSize;
typedef CGRect NSRect;

inline NSPoint NSMakePoint(CGFloat x, CGFloat y)
{
  return {x, y};
}
inline NSSize NSMakeSize(CGFloat width, CGFloat height)
{
  return {width, height};
}
inline NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat width, CGFloat height)
{
  return {{x, y}, {width, height}};
}
