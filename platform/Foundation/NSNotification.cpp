#include "platform/Foundation/NSNotification.h"

#include <algorithm>

NSNotificationCenter& NSNotificationCenter::defaultCenter()
{
  static auto* center = new NSNotificationCenter;  // observers may leave during exit
  return *center;
}

void NSNotificationCenter::addObserver(const void* observer, Block block, const NSNotificationName& name,
                                       const void* object)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mRegistrations.push_back({mNextId++, observer, name, object, std::move(block)});
}

void NSNotificationCenter::removeObserver(const void* observer)
{
  std::lock_guard<std::mutex> lock(mMutex);
  std::erase_if(mRegistrations, [observer](const Registration& r) { return r.observer == observer; });
}

bool NSNotificationCenter::IsRegistered(uint64_t id)
{
  std::lock_guard<std::mutex> lock(mMutex);
  return std::any_of(mRegistrations.begin(), mRegistrations.end(), [id](const Registration& r) { return r.id == id; });
}

void NSNotificationCenter::postNotificationName(const NSNotificationName& name, const void* object)
{
  // Observers run without the lock: they may add and remove registrations.
  std::vector<Registration> listening;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    for (const Registration& r : mRegistrations)
    {
      if (r.name == name && (!r.object || r.object == object))
        listening.push_back(r);
    }
  }
  const NSNotification notification{name, object};
  for (const Registration& r : listening)
  {
    if (IsRegistered(r.id))
      r.block(notification);
  }
}
