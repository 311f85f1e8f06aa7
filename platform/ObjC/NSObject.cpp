#include "platform/ObjC/NSObject.h"

#include <map>
#include <mutex>

namespace platform {
namespace {

struct Classes
{
  std::mutex mutex;
  std::map<std::string, ClassFactory> factories;
};

Classes& Registered()
{
  static auto* classes = new Classes;  // kept to the very end
  return *classes;
}

}  // namespace

bool RegisterClass(const std::string& name, ClassFactory factory)
{
  if (name.empty() || !factory)
    return false;
  std::lock_guard<std::mutex> lock(Registered().mutex);
  return Registered().factories.emplace(name, factory).second;
}

std::unique_ptr<NSObject> CreateObject(const std::string& name)
{
  ClassFactory factory = nullptr;
  {
    std::lock_guard<std::mutex> lock(Registered().mutex);
    auto found = Registered().factories.find(name);
    if (found != Registered().factories.end())
      factory = found->second;
  }
  return factory ? factory() : nullptr;
}

}  // namespace platform
