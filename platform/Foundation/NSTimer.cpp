#include "platform/Foundation/NSTimer.h"

std::shared_ptr<NSTimer> NSTimer::timerWithTimeInterval(NSTimeInterval interval, Action action, bool repeats)
{
  return std::shared_ptr<NSTimer>(new NSTimer(interval, std::move(action), repeats));
}

NSTimer::NSTimer(NSTimeInterval interval, Action action, bool repeats)
: mInterval(interval), mAction(std::move(action)), mRepeats(repeats)
{
}

NSTimer::~NSTimer()
{
  if (mTimer)
  {
    CFRunLoopTimerInvalidate(mTimer);
    CFRelease(mTimer);
  }
}

void NSTimer::Schedule(CFStringRef mode)
{
  if (!mValid || mTimer)
    return;
  CFRunLoopTimerContext context{0, this, nullptr, nullptr, nullptr};
  auto callout = [](CFRunLoopTimerRef, void* info) { static_cast<NSTimer*>(info)->fire(); };
  mTimer = CFRunLoopTimerCreate(kCFAllocatorDefault, CFAbsoluteTimeGetCurrent() + mInterval, mRepeats ? mInterval : 0,
                                0, 0, callout, &context);
  CFRunLoopAddTimer(CFRunLoopGetMain(), mTimer, mode);
  mScheduled = shared_from_this();
}

void NSTimer::fire()
{
  if (!mValid)
    return;
  // The action may invalidate this timer and so drop the last holds on it and on the action.
  const std::shared_ptr<NSTimer> self = weak_from_this().lock();
  const Action action = mAction;
  if (!mRepeats)
    invalidate();
  if (action)
    action(*this);
}

void NSTimer::invalidate()
{
  if (!mValid)
    return;
  mValid = false;
  if (mTimer)
    CFRunLoopTimerInvalidate(mTimer);
  mAction = nullptr;
  const std::shared_ptr<NSTimer> hold = std::move(mScheduled);  // may be the last: released on return
}

NSRunLoop& NSRunLoop::currentRunLoop()
{
  static NSRunLoop loop;
  return loop;
}

void NSRunLoop::addTimer(const std::shared_ptr<NSTimer>& timer, CFStringRef mode)
{
  if (timer)
    timer->Schedule(mode);
}
