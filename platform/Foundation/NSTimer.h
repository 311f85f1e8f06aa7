#pragma once
// Timers on the main run loop. A scheduled timer is kept alive by the run loop, and keeps its
// action (and whatever the action holds, as a timer holds its target) until it is invalidated.

#include <functional>
#include <memory>

#include "platform/CoreFoundation/CFRunLoop.h"
#include "platform/Foundation/NSObjCRuntime.h"
#include "platform/ObjC/NSObject.h"

class NSTimer final : public platform::NSObject, public std::enable_shared_from_this<NSTimer>
{
public:
  using Action = std::function<void(NSTimer&)>;

  // Not yet scheduled: its first firing is one interval after it is added to the run loop.
  static std::shared_ptr<NSTimer> timerWithTimeInterval(NSTimeInterval interval, Action action, bool repeats);
  ~NSTimer() override;

  NSTimeInterval timeInterval() const { return mInterval; }
  bool isValid() const { return mValid; }
  // Stops it for good and lets go of its action.
  void invalidate();
  void fire();

private:
  friend class NSRunLoop;
  NSTimer(NSTimeInterval interval, Action action, bool repeats);
  void Schedule(CFStringRef mode);

  NSTimeInterval mInterval;
  Action mAction;
  bool mRepeats;
  bool mValid = true;
  CFRunLoopTimerRef mTimer = nullptr;
  std::shared_ptr<NSTimer> mScheduled;  // the run loop's hold on the timer
};

class NSRunLoop
{
public:
  static NSRunLoop& currentRunLoop();
  void addTimer(const std::shared_ptr<NSTimer>& timer, CFStringRef mode);
};
