#pragma once
// A plug-in bundle opened for hosting: its Info.plist read, its library loaded, its component
// registered, and instances made through the factory or the older component entry.

#include "platform/AudioToolbox/AudioUnit.h"
#include "platform/CoreFoundation/CFBundle.h"

#include <string>

namespace host {

class PluginBundle
{
public:
  PluginBundle() = default;
  ~PluginBundle();
  PluginBundle(const PluginBundle&) = delete;
  PluginBundle& operator=(const PluginBundle&) = delete;

  // Reads the bundle and loads its library; false with Error() naming the cause.
  bool Open(const std::string& path, bool useEntry);
  const std::string& Error() const { return mError; }
  const std::string& Name() const { return mName; }
  AudioComponent Component() const { return mComponent; }

private:
  bool Fail(std::string error);

  std::string mError;
  std::string mName;
  CFBundleRef mBundle = nullptr;
  void* mLibrary = nullptr;
  AudioComponent mComponent = nullptr;
};

// An open instance, closed when it goes out of scope.
class Instance
{
public:
  explicit Instance(AudioComponent component) { mStatus = AudioComponentInstanceNew(component, &mUnit); }
  ~Instance()
  {
    if (mUnit)
      AudioComponentInstanceDispose(mUnit);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  OSStatus Status() const { return mStatus; }
  AudioUnit Unit() const { return mUnit; }

private:
  AudioUnit mUnit = nullptr;
  OSStatus mStatus = noErr;
};

}  // namespace host
