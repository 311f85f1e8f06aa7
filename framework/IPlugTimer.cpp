#include "framework/IPlugTimer.h"

#include "platform/CoreFoundation/CFRunLoop.h"

namespace iplug {

namespace {

class Timer_impl final : public Timer
{
public:
  Timer_impl(ITimerFunction func, uint32_t intervalMs) : m_func(std::move(func))
  {
    CFRunLoopTimerContext context = {0, this, nullptr, nullptr, nullptr};
    m_timer = CFRunLoopTimerCreate(kCFAllocatorDefault, CFAbsoluteTimeGetCurrent(), intervalMs / 1000.0, 0, 0, Fired,
                                   &context);
    if (m_timer)
      CFRunLoopAddTimer(CFRunLoopGetMain(), m_timer, kCFRunLoopCommonModes);
  }

  ~Timer_impl() override { Stop(); }

  void Stop() override
  {
    if (!m_timer)
      return;
    CFRunLoopTimerInvalidate(m_timer);
    CFRelease(m_timer);
    m_timer = nullptr;
  }

private:
  static void Fired(CFRunLoopTimerRef, void* info)
  {
    auto* self = static_cast<Timer_impl*>(info);
    self->m_func(*self);
  }

  ITimerFunction m_func;
  CFRunLoopTimerRef m_timer = nullptr;
};

}  // namespace

std::unique_ptr<Timer> Timer::Create(ITimerFunction func, uint32_t intervalMs)
{
  return std::make_unique<Timer_impl>(std::move(func), intervalMs);
}

}  // namespace iplug
