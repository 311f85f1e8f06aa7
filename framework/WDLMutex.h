#pragma once
// A recursive mutex: the thread that holds it may take it again, and must release it as often.

#include "framework/ThreadAnnotations.h"

#include <mutex>

class VX_CAPABILITY("mutex") WDL_Mutex
{
public:
  void Lock() VX_ACQUIRE() { m_mutex.lock(); }
  void Unlock() VX_RELEASE() { m_mutex.unlock(); }

private:
  std::recursive_mutex m_mutex;
};

// Holds a WDL_Mutex for the lifetime of the scope.
class VX_SCOPED_CAPABILITY WDL_MutexLock
{
public:
  explicit WDL_MutexLock(WDL_Mutex& mutex) VX_ACQUIRE(mutex) : m_mutex(mutex) { m_mutex.Lock(); }
  ~WDL_MutexLock() VX_RELEASE() { m_mutex.Unlock(); }
  WDL_MutexLock(const WDL_MutexLock&) = delete;
  WDL_MutexLock& operator=(const WDL_MutexLock&) = delete;

private:
  WDL_Mutex& m_mutex;
};
