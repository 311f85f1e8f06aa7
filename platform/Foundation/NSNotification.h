#pragma once
// The default notification centre: observers register a function for a notification name,
// optionally from one sender only, and are called in the order they registered.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

typedef std::string NSNotificationName;

struct NSNotification
{
  NSNotificationName name;
  const void* object;  // the sender
};

class NSNotificationCenter
{
public:
  using Block = std::function<void(const NSNotification&)>;

  static NSNotificationCenter& defaultCenter();

  // With a null object the observer hears the name from every sender.
  void addObserver(const void* observer, Block block, const NSNotificationName& name, const void* object);
  // Every registration of the observer.
  void removeObserver(const void* observer);
  // An observer removed by an earlier one during the same post is not called.
  void postNotificationName(const NSNotificationName& name, const void* object);

private:
  struct Registration
  {
    uint64_t id;
    const void* observer;
    NSNotificationName name;
    const void* object;
    Block block;
  };

  bool IsRegistered(uint64_t id);

  std::mutex mMutex;
  std::vector<Registration> mRegistrations;
  uint64_t mNextId = 0;
};
