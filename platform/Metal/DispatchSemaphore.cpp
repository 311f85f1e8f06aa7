#include "platform/Metal/DispatchSemaphore.h"

#include <condition_variable>
#include <mutex>

struct dispatch_semaphore_s
{
  std::mutex mutex;
  std::condition_variable available;
  long value;
  long waiters = 0;
};

dispatch_semaphore_t dispatch_semaphore_create(long value)
{
  if (value < 0)
    return nullptr;
  auto* s = new dispatch_semaphore_s;
  s->value = value;
  return s;
}

long dispatch_semaphore_wait(dispatch_semaphore_t s, dispatch_time_t timeout)
{
  std::unique_lock<std::mutex> lock(s->mutex);
  if (s->value == 0 && timeout != DISPATCH_TIME_FOREVER)
    return 1;
  s->waiters++;
  s->available.wait(lock, [s] { return s->value > 0; });
  s->waiters--;
  s->value--;
  return 0;
}

long dispatch_semaphore_signal(dispatch_semaphore_t s)
{
  std::lock_guard<std::mutex> lock(s->mutex);
  s->value++;
  s->available.notify_one();
  return s->waiters > 0 ? 1 : 0;
}

void dispatch_release(dispatch_semaphore_t s)
{
  delete s;
}
