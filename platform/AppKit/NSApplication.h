#pragma once
// What the window layer knows of the running system: the AppKit and system versions (settable,
// so that tests can play older systems) and the appearance (light or dark).

#include <string>

#include "platform/Foundation/NSObjCRuntime.h"

// The AppKit release the process runs on; a test may set an older one.
extern double NSAppKitVersionNumber;

// Loads the window layer for a process that is not an application of its own.
bool NSApplicationLoad();

// Animations of frame changes are not drawn here; a grouping only carries its duration.
class NSAnimationContext
{
public:
  static void beginGrouping();
  static void endGrouping();
  static NSAnimationContext& currentContext();
  NSTimeInterval duration() const { return mDuration; }
  void setDuration(NSTimeInterval duration) { mDuration = duration; }

private:
  NSTimeInterval mDuration = 0.25;
};

typedef std::string NSAppearanceName;
extern const NSAppearanceName NSAppearanceNameAqua;
extern const NSAppearanceName NSAppearanceNameDarkAqua;

class NSAppearance
{
public:
  explicit NSAppearance(NSAppearanceName name) : mName(std::move(name)) {}
  const NSAppearanceName& name() const { return mName; }

private:
  NSAppearanceName mName;
};

struct NSOperatingSystemVersion
{
  NSInteger majorVersion;
  NSInteger minorVersion;
  NSInteger patchVersion;
};

namespace platform {
// The system version the process reports (13.0.0 unless set).
NSOperatingSystemVersion OperatingSystemVersion();
void SetOperatingSystemVersion(NSOperatingSystemVersion version);
bool IsOperatingSystemAtLeastVersion(NSOperatingSystemVersion version);
// The appearance views get when their window sets none (light unless set).
NSAppearance SystemAppearance();
void SetSystemAppearance(const NSAppearanceName& name);
}  // namespace platform
