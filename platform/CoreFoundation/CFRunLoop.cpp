#include "platform/CoreFoundation/CFRunLoop.h"

#include "platform/CoreFoundation/CFObject.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <tuple>
#include <vector>

namespace platform {
namespace {

using Nanoseconds = int64_t;

Nanoseconds ToNanoseconds(CFTimeInterval seconds)
{
  return std::llround(seconds * 1e9);
}

std::atomic<Nanoseconds> gClock{0};

class Timer final : public CFObject
{
public:
  static constexpr CFTypeID kType = kTypeRunLoopTimer;

  Timer(Nanoseconds fireDate, Nanoseconds interval, CFIndex order, CFRunLoopTimerCallBack callout,
        const CFRunLoopTimerContext* context)
  : CFObject(kType), mNextFire(fireDate), mInterval(interval), mOrder(order), mCallout(callout)
  {
    if (context)
    {
      mContext = *context;
      if (mContext.retain && mContext.info)
        mContext.retain(mContext.info);
    }
  }

  ~Timer() override { ReleaseInfo(); }

  void ReleaseInfo()
  {
    if (mContext.release && mContext.info)
      mContext.release(mContext.info);
    mContext = {};
  }

  Nanoseconds mNextFire;
  const Nanoseconds mInterval;
  const CFIndex mOrder;
  const CFRunLoopTimerCallBack mCallout;
  CFRunLoopTimerContext mContext{};
  std::atomic<bool> mValid{true};
  uint64_t mSequence = 0;  // when it was added, to break ties
};

// The main run loop: the timers it holds (each retained) and the lock that guards them.
// Callouts run without the lock, so they may add, remove or invalidate timers.
class RunLoop final : public CFObject
{
public:
  static constexpr CFTypeID kType = kTypeRunLoop;

  RunLoop() : CFObject(kType) { MakeImmortal(); }

  void Add(Timer* timer)
  {
    std::lock_guard<std::mutex> lock(mMutex);
    if (!timer->mValid || Contains(timer))
      return;
    timer->Retain();
    timer->mSequence = mNextSequence++;
    mTimers.push_back(timer);
  }

  // Takes the timer out; the caller releases the reference the loop held.
  bool Remove(Timer* timer)
  {
    std::lock_guard<std::mutex> lock(mMutex);
    auto found = std::find(mTimers.begin(), mTimers.end(), timer);
    if (found == mTimers.end())
      return false;
    mTimers.erase(found);
    return true;
  }

  bool Contains(const Timer* timer) const { return std::find(mTimers.begin(), mTimers.end(), timer) != mTimers.end(); }

  bool Holds(const Timer* timer)
  {
    std::lock_guard<std::mutex> lock(mMutex);
    return Contains(timer);
  }

  // The earliest timer due at or before now, retained and moved on to its next firing; null
  // when none is due. A one-shot timer is invalidated before it fires.
  Timer* TakeDue(Nanoseconds now, bool& oneShot)
  {
    std::lock_guard<std::mutex> lock(mMutex);
    Timer* due = nullptr;
    for (Timer* timer : mTimers)
    {
      if (timer->mNextFire > now)
        continue;
      if (!due || std::tie(timer->mNextFire, timer->mOrder, timer->mSequence) <
                    std::tie(due->mNextFire, due->mOrder, due->mSequence))
        due = timer;
    }
    if (!due)
      return nullptr;
    due->Retain();
    oneShot = due->mInterval <= 0;
    if (!oneShot)
      due->mNextFire += due->mInterval;
    return due;
  }

  std::mutex mMutex;
  std::vector<Timer*> mTimers;
  uint64_t mNextSequence = 0;
};

RunLoop& MainLoop()
{
  static RunLoop* loop = new RunLoop;  // lives for the whole process
  return *loop;
}

// Marks the timer invalid and takes it out of the run loop; false when it was invalid already.
bool Detach(Timer* timer)
{
  if (!timer->mValid.exchange(false))
    return false;
  if (MainLoop().Remove(timer))
    CFRelease(timer);
  return true;
}

void Invalidate(Timer* timer)
{
  if (Detach(timer))
    timer->ReleaseInfo();
}

}  // namespace

void AdvanceClock(CFTimeInterval seconds)
{
  if (seconds > 0)
    gClock.fetch_add(ToNanoseconds(seconds));
}

int RunMainLoop()
{
  int fired = 0;
  const Nanoseconds now = gClock.load();
  bool oneShot = false;
  while (Timer* timer = MainLoop().TakeDue(now, oneShot))
  {
    // A one-shot timer is spent before its only call; its info lives until that call returns.
    const bool spent = oneShot && Detach(timer);
    if (timer->mCallout)
      timer->mCallout(reinterpret_cast<CFRunLoopTimerRef>(timer), timer->mContext.info);
    ++fired;
    if (spent)
      timer->ReleaseInfo();
    CFRelease(timer);
  }
  return fired;
}

}  // namespace platform

using namespace platform;

const CFStringRef kCFRunLoopCommonModes = CFSTR("kCFRunLoopCommonModes");
const CFStringRef kCFRunLoopDefaultMode = CFSTR("kCFRunLoopDefaultMode");

CFAbsoluteTime CFAbsoluteTimeGetCurrent(void)
{
  return static_cast<double>(gClock.load()) / 1e9;
}

CFRunLoopRef CFRunLoopGetMain(void)
{
  return reinterpret_cast<CFRunLoopRef>(&MainLoop());
}

CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef, CFAbsoluteTime fireDate, CFTimeInterval interval, CFOptionFlags,
                                       CFIndex order, CFRunLoopTimerCallBack callout, CFRunLoopTimerContext* context)
{
  const Nanoseconds step = interval > 0 ? std::max<Nanoseconds>(ToNanoseconds(interval), 1) : 0;
  return reinterpret_cast<CFRunLoopTimerRef>(new Timer(ToNanoseconds(fireDate), step, order, callout, context));
}

void CFRunLoopAddTimer(CFRunLoopRef loop, CFRunLoopTimerRef timer, CFStringRef)
{
  if (As<RunLoop>(loop) && As<Timer>(timer))
    MainLoop().Add(As<Timer>(timer));
}

Boolean CFRunLoopContainsTimer(CFRunLoopRef loop, CFRunLoopTimerRef timer, CFStringRef)
{
  return As<RunLoop>(loop) && As<Timer>(timer) && MainLoop().Holds(As<Timer>(timer));
}

void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timer)
{
  if (Timer* object = As<Timer>(timer))
    Invalidate(object);
}

Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timer)
{
  const Timer* object = As<Timer>(timer);
  return object && object->mValid;
}
