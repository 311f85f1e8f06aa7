#pragma once
// The main run loop and its timers, driven by a virtual clock.
//
// Time here never moves by itself: whoever plays the main thread (the host, a test) moves the
// clock with platform::AdvanceClock and then calls platform::RunMainLoop, which fires every timer
// firing that has come due, in time order. A repeating timer of 20 ms thus fires exactly once per
// 20 ms of virtual time, however the advances are cut, which makes idle work deterministic.

#include "platform/CoreFoundation/CFBase.h"
#include "platform/CoreFoundation/CFString.h"

typedef double CFTimeInterval;
typedef CFTimeInterval CFAbsoluteTime;  // seconds of the virtual clock

typedef struct __CFRunLoop* CFRunLoopRef;
typedef struct __CFRunLoopTimer* CFRunLoopTimerRef;
typedef void (*CFRunLoopTimerCallBack)(CFRunLoopTimerRef timer, void* info);

struct CFRunLoopTimerContext
{
  CFIndex version;
  void* info;
  const void* (*retain)(const void* info);
  void (*release)(const void* info);
  CFStringRef (*copyDescription)(const void* info);
};

extern "C"
{

  extern const CFStringRef kCFRunLoopCommonModes;
  extern const CFStringRef kCFRunLoopDefaultMode;

  CFAbsoluteTime CFAbsoluteTimeGetCurrent(void);

  // There is one run loop, the main one; every thread gets it.
  CFRunLoopRef CFRunLoopGetMain(void);

  // A timer first due at fireDate, then every interval seconds (a one-shot timer when interval
  // is 0 or less). The context's info is retained with its retain callback when one is given.
  CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef allocator, CFAbsoluteTime fireDate, CFTimeInterval interval,
                                         CFOptionFlags flags, CFIndex order, CFRunLoopTimerCallBack callout,
                                         CFRunLoopTimerContext* context);
  // The run loop retains the timer until it is invalidated. Any mode counts.
  void CFRunLoopAddTimer(CFRunLoopRef loop, CFRunLoopTimerRef timer, CFStringRef mode);
  Boolean CFRunLoopContainsTimer(CFRunLoopRef loop, CFRunLoopTimerRef timer, CFStringRef mode);
  // Stops the timer for good: it leaves the run loop and releases its context info.
  void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timer);
  Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timer);

}  // extern "C"

namespace platform {
// Moves the virtual clock forward (negative amounts are ignored). Time is kept in whole
// nanoseconds, so equal steps add up exactly.
void AdvanceClock(CFTimeInterval seconds);
// Fires every timer firing due at the current virtual time, earliest first (timers due at the
// same time by their order, then by the order they were added). Returns how many fired.
int RunMainLoop();
}  // namespace platform
