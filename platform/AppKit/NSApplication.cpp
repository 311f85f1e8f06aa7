#include "platform/AppKit/NSApplication.h"

#include <mutex>
#include <tuple>
#include <vector>

double NSAppKitVersionNumber = 2299.0;

const NSAppearanceName NSAppearanceNameAqua = "NSAppearanceNameAqua";
const NSAppearanceName NSAppearanceNameDarkAqua = "NSAppearanceNameDarkAqua";

namespace {

struct System
{
  std::mutex mutex;
  NSOperatingSystemVersion version{13, 0, 0};
  NSAppearanceName appearance = NSAppearanceNameAqua;
};

System& Running()
{
  static System system;
  return system;
}

std::vector<NSAnimationContext>& AnimationGroups()
{
  static std::vector<NSAnimationContext> groups(1);  // the outermost, always there
  return groups;
}

}  // namespace

bool NSApplicationLoad()
{
  return true;
}

void NSAnimationContext::beginGrouping()
{
  AnimationGroups().emplace_back();
}

void NSAnimationContext::endGrouping()
{
  if (AnimationGroups().size() > 1)
    AnimationGroups().pop_back();
}

NSAnimationContext& NSAnimationContext::currentContext()
{
  return AnimationGroups().back();
}

namespace platform {

NSOperatingSystemVersion OperatingSystemVersion()
{
  std::lock_guard<std::mutex> lock(Running().mutex);
  return Running().version;
}

void SetOperatingSystemVersion(NSOperatingSystemVersion version)
{
  std::lock_guard<std::mutex> lock(Running().mutex);
  Running().version = version;
}

bool IsOperatingSystemAtLeastVersion(NSOperatingSystemVersion version)
{
  const NSOperatingSystemVersion running = OperatingSystemVersion();
  return std::tie(running.majorVersion, running.minorVersion, running.patchVersion) >=
         std::tie(version.majorVersion, version.minorVersion, version.patchVersion);
}

NSAppearance SystemAppearance()
{
  std::lock_guard<std::mutex> lock(Running().mutex);
  return NSAppearance(Running().appearance);
}

void SetSystemAppearance(const NSAppearanceName& name)
{
  std::lock_guard<std::mutex> lock(Running().mutex);
  Running().appearance = name;
}

}  // namespace platform
