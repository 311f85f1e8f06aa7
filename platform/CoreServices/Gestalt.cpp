#include "platform/CoreServices/Gestalt.h"

#include "platform/AppKit/NSApplication.h"

#include <algorithm>

OSErr Gestalt(OSType selector, SInt32* response)
{
  const NSOperatingSystemVersion version = platform::OperatingSystemVersion();
  if (selector != gestaltSystemVersion || version.majorVersion != 10 || !response)
    return gestaltUndefSelectorErr;
  const auto digit = [](NSInteger n) { return static_cast<SInt32>(std::clamp<NSInteger>(n, 0, 9)); };
  *response = 0x1000 | digit(version.minorVersion) << 4 | digit(version.patchVersion);
  return noErr;
}
