#pragma once
// Bundles: a folder with Contents/Info.plist, Contents/MacOS/<executable> and Contents/Resources.

#include "platform/CoreFoundation/CFBase.h"
#include "platform/CoreFoundation/CFDictionary.h"
#include "platform/CoreFoundation/CFString.h"
#include "platform/CoreFoundation/CFURL.h"

#include <functional>
#include <string>
#include <string_view>

typedef struct __CFBundle* CFBundleRef;

extern "C"
{

  extern const CFStringRef kCFBundleInfoDictionaryVersionKey;
  extern const CFStringRef kCFBundleExecutableKey;
  extern const CFStringRef kCFBundleIdentifierKey;
  extern const CFStringRef kCFBundleVersionKey;
  extern const CFStringRef kCFBundleNameKey;

  // Reads Contents/Info.plist of the folder; null when the folder has none or it is not a valid
  // property list whose root is a dictionary. The bundle can then be found by its identifier.
  CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL);
  // A bundle alive now with that identifier (not retained for the caller), or null.
  CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier);
  // The host application's bundle (not retained for the caller): the one platform::SetMainBundle
  // set, else a bundle of the running program's folder with an empty information dictionary.
  CFBundleRef CFBundleGetMainBundle(void);
  CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
  CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle);
  CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);
  CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
  // Contents/MacOS/<CFBundleExecutable>; null when the dictionary names no executable.
  CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);
  CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);
  // The resource "<name>.<type>" (type may be null) in Contents/Resources or its sub-folder, when
  // that file exists; else null.
  CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef name, CFStringRef type, CFStringRef subFolder);

}  // extern "C"

namespace platform {
// A bundle of the given folder and information dictionary, without reading any file: how a host
// describes itself.
CFBundleRef CreateBundle(CFURLRef bundleURL, CFDictionaryRef info);
// Makes bundle the main bundle (retained; the previous one is released). Null restores the default.
void SetMainBundle(CFBundleRef bundle);
// Parses the XML form of a property list; null when it is not well-formed or uses an element
// this layer does not know (dict, array, string, integer, real, true, false, data).
CFTypeRef CreatePropertyListFromXML(const char* text);
// The XML form of a property list (dictionaries with string keys, arrays, strings, numbers,
// booleans and data); false for anything else.
bool WritePropertyListAsXML(CFPropertyListRef list, std::string& text);
// The same written a piece at a time through write, which answers false to stop; the base64 text
// of a data value is made as it is written, so a large one is never held as text whole.
using PropertyListSink = std::function<bool(std::string_view)>;
bool WritePropertyListAsXML(CFPropertyListRef list, const PropertyListSink& write);
}  // namespace platform
