#pragma once
// A recursive mutex: the thread that holds it may take it again, and must release it as often.

#include <mutex>

class WDL_Mutex
{
public:
  void Lock() { m_mutex.lock(); }
  void Unlock() { m_mutex.unlock(); }

private:
  std::recursive_mutex m_mutex;
};

// Holds a WDL_Mutex for the lifetime of the scope.
class WDL_MutexLock
{
public:
  explicit WDL_MutexLock(WDL_Mutex& mutex) : m_mutex(mutex) { m_mutex.Lock(); }
  ~WDL_MutexLock() { m_mutex.Unlock(); }
  WDL_MutexLock(const WDL_MutexLock&) = delete;
  WDL_MutexLock& operator=(const WDL_MutexLock&) = delete;

private:
  WDL_Mutex& m_mutex;
};
