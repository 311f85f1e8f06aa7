#pragma once
// The main screen: the main display's frame (origin bottom left) and its backing scale.

#include "platform/Foundation/NSGeometry.h"

class NSScreen
{
public:
  static NSScreen* mainScreen();
  NSRect frame() const;
  CGFloat backingScaleFactor() const;
};

namespace platform {
// 1 unless set; a window made later takes it as its own.
void SetMainScreenBackingScale(CGFloat scale);
}  // namespace platform
