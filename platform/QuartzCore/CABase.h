#pragma once
// The media clock that animations are timed by.

#include "platform/CoreFoundation/CFRunLoop.h"

extern "C"
{

  // Seconds of a clock that never goes back. Here it is the run loop's virtual clock, so that an
  // animation advances with the ticks that draw its frames.
  CFTimeInterval CACurrentMediaTime(void);

}  // extern "C"
