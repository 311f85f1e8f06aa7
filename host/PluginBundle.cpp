#include "host/PluginBundle.h"

#include "platform/CoreFoundation/CoreFoundation.h"

#include <dlfcn.h>

namespace host {

namespace {

std::string Text(CFTypeRef value)
{
  const char* text = CFGetTypeID(value) == CFStringGetTypeID()
                       ? CFStringGetCStringPtr(static_cast<CFStringRef>(value), kCFStringEncodingUTF8)
                       : nullptr;
  return text ? text : "";
}

// A four-character code from a four-character text; false for any other length.
bool FourCC(const std::string& text, OSType& code)
{
  if (text.size() != 4)
    return false;
  code = 0;
  for (char c : text)
    code = (code << 8) | uint8_t(c);
  return true;
}

}  // namespace

PluginBundle::~PluginBundle()
{
  // The library stays loaded: instances and the component table may still point into it.
  CFRelease(mBundle);
}

bool PluginBundle::Fail(std::string error)
{
  mError = std::move(error);
  return false;
}

bool PluginBundle::Open(const std::string& path, bool useEntry)
{
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                         CFIndex(path.size()), true);
  mBundle = url ? CFBundleCreate(nullptr, url) : nullptr;
  CFRelease(url);
  if (!mBundle)
    return Fail("cannot read the plug-in bundle " + path + " (no valid Contents/Info.plist)");

  auto components = static_cast<CFArrayRef>(CFBundleGetValueForInfoDictionaryKey(mBundle, CFSTR("AudioComponents")));
  auto entry = CFGetTypeID(components) == CFArrayGetTypeID()
                 ? static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(components, 0))
                 : nullptr;
  if (CFGetTypeID(entry) != CFDictionaryGetTypeID())
    return Fail("the plug-in bundle " + path + " declares no audio component");
  AudioComponentDescription description{};
  if (!FourCC(Text(CFDictionaryGetValue(entry, CFSTR("type"))), description.componentType) ||
      !FourCC(Text(CFDictionaryGetValue(entry, CFSTR("subtype"))), description.componentSubType) ||
      !FourCC(Text(CFDictionaryGetValue(entry, CFSTR("manufacturer"))), description.componentManufacturer))
    return Fail("the audio component of " + path + " lacks a four-character type, subtype or manufacturer");
  const std::string factoryName = Text(CFDictionaryGetValue(entry, CFSTR("factoryFunction")));
  const std::string suffix = "_Factory";
  if (factoryName.size() <= suffix.size() ||
      factoryName.compare(factoryName.size() - suffix.size(), suffix.size(), suffix))
    return Fail("the audio component of " + path + " names no factory function ending in _Factory");
  mName = Text(CFDictionaryGetValue(entry, CFSTR("name")));
  UInt32 version = 0;
  if (auto number = static_cast<CFNumberRef>(CFDictionaryGetValue(entry, CFSTR("version"))))
    CFNumberGetValue(number, kCFNumberSInt32Type, &version);

  CFURLRef executable = CFBundleCopyExecutableURL(mBundle);
  char file[4096] = "";
  const bool located = executable &&
                       CFURLGetFileSystemRepresentation(executable, true, reinterpret_cast<UInt8*>(file), sizeof file);
  CFRelease(executable);
  if (!located)
    return Fail("the plug-in bundle " + path + " names no executable");
  mLibrary = dlopen(file, RTLD_NOW | RTLD_LOCAL);
  if (!mLibrary)
    return Fail(std::string("cannot load the plug-in library: ") + dlerror());

  // The older road's entry routine is named like the factory, with "_Entry" for "_Factory".
  const std::string symbol = useEntry ? factoryName.substr(0, factoryName.size() - suffix.size()) + "_Entry"
                                      : factoryName;
  void* function = dlsym(mLibrary, symbol.c_str());
  if (!function)
    return Fail("the plug-in library does not export " + symbol);
  CFStringRef name = CFStringCreateWithCString(nullptr, mName.c_str(), kCFStringEncodingUTF8);
  mComponent = useEntry ? RegisterComponent(&description, reinterpret_cast<ComponentRoutine>(function), name, version)
                        : AudioComponentRegister(&description, name, version,
                                                 reinterpret_cast<AudioComponentFactoryFunction>(function));
  CFRelease(name);
  return true;
}

}  // namespace host
