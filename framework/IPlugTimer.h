#pragma once
// A repeating timer on the main run loop: its function runs on the main thread, once per interval.

#include <cstdint>
#include <functional>
#include <memory>

namespace iplug {

class Timer
{
public:
  using ITimerFunction = std::function<void(Timer&)>;

  // Starts a timer whose first firing is now and then every intervalMs milliseconds.
  static std::unique_ptr<Timer> Create(ITimerFunction func, uint32_t intervalMs);

  virtual ~Timer() = default;
  // Stops the timer for good; stopping twice does nothing.
  virtual void Stop() = 0;
};

}  // namespace iplug
