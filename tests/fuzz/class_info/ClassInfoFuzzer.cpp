// libFuzzer target: parses arbitrary text as a property list and hands it to an instance as its
// class info, the way a host restores a session. When the instance takes it, the class info it
// gives afterwards must be written as a property list, parse, be taken again, and be written the
// same way once more.

#include "platform/AudioToolbox/AudioUnit.h"
#include "platform/CoreFoundation/CFBundle.h"
#include "tests/fuzz/FuzzSupport.h"

#include <string>

extern "C" AudioComponentPlugInInterface* Vantorelix_Factory(const AudioComponentDescription* description);

namespace {

AudioUnit Unit()
{
  static const AudioUnit unit = [] {
    const AudioComponentDescription description{platform::FourCC("aufx"), platform::FourCC("ZV65"),
                                                platform::FourCC("ZVRQ"), 0, 0};
    AudioUnit made = nullptr;
    fuzz::Require(AudioComponentInstanceNew(
                    AudioComponentRegister(&description, CFSTR("Vantorelix"), 0x00030103, Vantorelix_Factory), &made) ==
                  noErr);
    return made;
  }();
  return unit;
}

OSStatus SetClassInfo(CFPropertyListRef list)
{
  return AudioUnitSetProperty(Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &list, sizeof list);
}

// The instance's class info as property-list text.
std::string ClassInfoText()
{
  CFPropertyListRef list = nullptr;
  UInt32 size = sizeof list;
  fuzz::Require(AudioUnitGetProperty(Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &list, &size) ==
                  noErr &&
                list);
  std::string text;
  const bool written = platform::WritePropertyListAsXML(list, text);
  CFRelease(list);
  fuzz::Require(written);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
  {
    const std::string text = ClassInfoText();
    fuzz::Require(fuzz::WriteFile(fuzz::SeedFolder() + "/default.plist", text.data(), text.size()));
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string text(reinterpret_cast<const char*>(data), size);
  CFTypeRef list = platform::CreatePropertyListFromXML(text.c_str());
  if (!list)
    return 0;
  const OSStatus status = SetClassInfo(list);
  CFRelease(list);
  if (status != noErr)
    return 0;
  const std::string written = ClassInfoText();
  CFTypeRef again = platform::CreatePropertyListFromXML(written.c_str());
  fuzz::Require(again != nullptr);
  const OSStatus retaken = SetClassInfo(again);
  CFRelease(again);
  fuzz::Require(retaken == noErr && ClassInfoText() == written);
  return 0;
}
