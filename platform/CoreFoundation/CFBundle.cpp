#include "platform/CoreFoundation/CFBundle.h"

#include "platform/CoreFoundation/CFObjects.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

namespace platform {
namespace {

constexpr std::uintmax_t kMaxInfoSize = 16 << 20;  // an Info.plist is small; refuse anything huge

class Bundle;

// The bundles alive now, so that they can be found by identifier.
struct Registry
{
  std::mutex mutex;
  std::vector<Bundle*> bundles;
  CFBundleRef main = nullptr;
};

Registry& Bundles()
{
  static auto* registry = new Registry;  // kept to the very end
  return *registry;
}

class Bundle final : public CFObject
{
public:
  static constexpr CFTypeID kType = kTypeBundle;

  Bundle(std::filesystem::path folder, CFDictionaryRef info)
  : CFObject(kType), mFolder(std::move(folder)), mInfo(static_cast<CFDictionaryRef>(CFRetain(info)))
  {
    std::lock_guard<std::mutex> lock(Bundles().mutex);
    Bundles().bundles.push_back(this);
  }

  ~Bundle() override
  {
    {
      std::lock_guard<std::mutex> lock(Bundles().mutex);
      std::erase(Bundles().bundles, this);
    }
    CFRelease(mInfo);
  }

  CFStringRef Identifier() const
  {
    CFTypeRef value = CFDictionaryGetValue(mInfo, kCFBundleIdentifierKey);
    return As<String>(value) ? static_cast<CFStringRef>(value) : nullptr;
  }

  const std::filesystem::path mFolder;
  const CFDictionaryRef mInfo;
};

CFURLRef URLOf(const std::filesystem::path& path, bool isDirectory)
{
  const std::string text = path.string();
  return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(text.data()),
                                                 static_cast<CFIndex>(text.size()), isDirectory);
}

std::filesystem::path PathOf(CFURLRef url)
{
  CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  std::filesystem::path result(TextOf(path));
  CFRelease(path);
  return result;
}

// The dictionary in folder/Contents/Info.plist, or null.
CFDictionaryRef ReadInfo(const std::filesystem::path& folder)
{
  const std::filesystem::path file = folder / "Contents" / "Info.plist";
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > kMaxInfoSize)
    return nullptr;
  std::ifstream stream(file, std::ios::binary);
  std::ostringstream text;
  text << stream.rdbuf();
  if (!stream)
    return nullptr;
  CFTypeRef list = CreatePropertyListFromXML(text.str().c_str());
  if (list && CFGetTypeID(list) != CFDictionaryGetTypeID())
  {
    CFRelease(list);
    return nullptr;
  }
  return static_cast<CFDictionaryRef>(list);
}

CFBundleRef DefaultMainBundle()
{
  static CFBundleRef bundle = [] {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    CFDictionaryRef empty = CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                               &kCFTypeDictionaryValueCallBacks);
    ObjectOf(empty)->MakeImmortal();  // lives as long as the bundle: the whole process
    auto* main = new Bundle(error ? std::filesystem::current_path() : program.parent_path(), empty);
    main->MakeImmortal();
    return reinterpret_cast<CFBundleRef>(main);
  }();
  return bundle;
}

}  // namespace

CFBundleRef CreateBundle(CFURLRef bundleURL, CFDictionaryRef info)
{
  if (CFGetTypeID(bundleURL) != CFURLGetTypeID() || CFGetTypeID(info) != CFDictionaryGetTypeID())
    return nullptr;
  return reinterpret_cast<CFBundleRef>(new Bundle(PathOf(bundleURL), info));
}

void SetMainBundle(CFBundleRef bundle)
{
  CFRetain(bundle);
  CFBundleRef previous;
  {
    std::lock_guard<std::mutex> lock(Bundles().mutex);
    previous = Bundles().main;
    Bundles().main = bundle;
  }
  CFRelease(previous);
}

}  // namespace platform

using namespace platform;

const CFStringRef kCFBundleInfoDictionaryVersionKey = CFSTR("CFBundleInfoDictionaryVersion");
const CFStringRef kCFBundleExecutableKey = CFSTR("CFBundleExecutable");
const CFStringRef kCFBundleIdentifierKey = CFSTR("CFBundleIdentifier");
const CFStringRef kCFBundleVersionKey = CFSTR("CFBundleVersion");
const CFStringRef kCFBundleNameKey = CFSTR("CFBundleName");

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL)
{
  if (CFGetTypeID(bundleURL) != CFURLGetTypeID())
    return nullptr;
  const std::filesystem::path folder = PathOf(bundleURL);
  CFDictionaryRef info = ReadInfo(folder);
  if (!info)
    return nullptr;
  auto* bundle = new Bundle(folder, info);
  CFRelease(info);
  return reinterpret_cast<CFBundleRef>(bundle);
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier)
{
  if (!As<String>(identifier))
    return nullptr;
  std::lock_guard<std::mutex> lock(Bundles().mutex);
  for (Bundle* bundle : Bundles().bundles)
    if (CFEqual(bundle->Identifier(), identifier))
      return reinterpret_cast<CFBundleRef>(bundle);
  return nullptr;
}

CFBundleRef CFBundleGetMainBundle(void)
{
  {
    std::lock_guard<std::mutex> lock(Bundles().mutex);
    if (Bundles().main)
      return Bundles().main;
  }
  return DefaultMainBundle();
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle)
{
  const Bundle* object = As<Bundle>(bundle);
  return object ? object->Identifier() : nullptr;
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle)
{
  const Bundle* object = As<Bundle>(bundle);
  return object ? object->mInfo : nullptr;
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key)
{
  return CFDictionaryGetValue(CFBundleGetInfoDictionary(bundle), key);
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle)
{
  const Bundle* object = As<Bundle>(bundle);
  return object ? URLOf(object->mFolder, true) : nullptr;
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle)
{
  const Bundle* object = As<Bundle>(bundle);
  const std::string_view name = TextOf(
    static_cast<CFStringRef>(CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleExecutableKey)));
  if (!object || name.empty())
    return nullptr;
  return URLOf(object->mFolder / "Contents" / "MacOS" / name, false);
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle)
{
  const Bundle* object = As<Bundle>(bundle);
  return object ? URLOf(object->mFolder / "Contents" / "Resources", true) : nullptr;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef name, CFStringRef type, CFStringRef subFolder)
{
  const Bundle* object = As<Bundle>(bundle);
  if (!object || TextOf(name).empty())
    return nullptr;
  std::string file(TextOf(name));
  if (!TextOf(type).empty())
    file += "." + std::string(TextOf(type));
  const std::filesystem::path path = object->mFolder / "Contents" / "Resources" / TextOf(subFolder) / file;
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) ? URLOf(path, false) : nullptr;
}
