#include "framework/IPlugPaths.h"

#include "platform/CoreFoundation/CFBundle.h"
#include "platform/Foundation/NSPathUtilities.h"

#include <cctype>
#include <filesystem>
#include <string>
#include <string_view>

namespace iplug {

namespace {

constexpr int kMaxPathLength = 1024;

// A platform string made from a C text, released with the holder.
class CFText
{
public:
  explicit CFText(const char* text)
  : mString(CFStringCreateWithCString(kCFAllocatorDefault, text ? text : "", kCFStringEncodingUTF8))
  {
  }
  explicit CFText(std::string_view text) : CFText(std::string(text).c_str()) {}
  ~CFText() { CFRelease(mString); }
  CFText(const CFText&) = delete;
  CFText& operator=(const CFText&) = delete;
  CFStringRef Get() const { return mString; }

private:
  CFStringRef mString;
};

// The path of a URL the caller owns (released here); empty for none.
std::string TakePath(CFURLRef url)
{
  if (!url)
    return {};
  char buffer[4096];
  const bool ok = CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(buffer), sizeof(buffer));
  CFRelease(url);
  return ok ? std::string(buffer) : std::string();
}

CFBundleRef Bundle(const char* bundleID)
{
  if (!bundleID || !*bundleID)
    return nullptr;
  return CFBundleGetBundleWithIdentifier(CFText(bundleID).Get());
}

std::string StandardFolder(NSSearchPathDirectory directory, NSSearchPathDomainMask domain)
{
  const std::vector<std::string> folders = NSSearchPathForDirectoriesInDomains(directory, domain, true);
  return folders.empty() ? std::string() : folders.front();
}

bool FileExists(const std::string& path)
{
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

// The text after the last "." (the whole name without one) must equal ext, in any letter case.
bool ExtensionMatches(std::string_view fileName, std::string_view ext)
{
  const size_t dot = fileName.rfind('.');
  const std::string_view own = dot == std::string_view::npos ? fileName : fileName.substr(dot + 1);
  if (own.size() != ext.size())
    return false;
  for (size_t i = 0; i < own.size(); ++i)
  {
    if (std::tolower(static_cast<unsigned char>(own[i])) != std::tolower(static_cast<unsigned char>(ext[i])))
      return false;
  }
  return true;
}

std::string_view WithoutExtension(std::string_view name)
{
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

// The last path component without its extension.
std::string_view BaseName(std::string_view fileName)
{
  const size_t slash = fileName.rfind('/');
  return WithoutExtension(slash == std::string_view::npos ? fileName : fileName.substr(slash + 1));
}

}  // namespace

void ExecutablePathForBundle(WDL_String& path, const char* bundleID)
{
  if (CFBundleRef bundle = Bundle(bundleID))
  {
    const std::string executable = TakePath(CFBundleCopyExecutableURL(bundle));
    if (!executable.empty())
      path.Set(executable.c_str());
  }
}

void BundleFolderPath(WDL_String& path, const char* bundleID)
{
  if (CFBundleRef bundle = Bundle(bundleID))
  {
    const std::string bundlePath = TakePath(CFBundleCopyBundleURL(bundle));
    if (bundlePath.empty())
      return;
    const size_t slash = bundlePath.rfind('/');
    path.Set((slash == std::string::npos ? std::string() : bundlePath.substr(0, slash)).c_str());
    path.Append("/");
  }
}

void BundleResourcePath(WDL_String& path, const char* bundleID)
{
  CFBundleRef bundle = Bundle(bundleID);
  path.Set(bundle ? TakePath(CFBundleCopyResourcesDirectoryURL(bundle)).c_str() : "");
}

void DesktopPath(WDL_String& path)
{
  path.Set(StandardFolder(NSDesktopDirectory, NSUserDomainMask).c_str());
}

void HomePath(WDL_String& path)
{
  path.Set(NSHomeDirectory().c_str());
}

void MusicPath(WDL_String& path)
{
  path.Set(StandardFolder(NSMusicDirectory, NSUserDomainMask).c_str());
}

void AppSupportPath(WDL_String& path, bool isSystem)
{
  path.Set(StandardFolder(NSApplicationSupportDirectory, isSystem ? NSSystemDomainMask : NSUserDomainMask).c_str());
}

void AppSupportSubPath(WDL_String& path, const char* name)
{
  path.SetFormatted(kMaxPathLength, "%s/%s", StandardFolder(NSApplicationSupportDirectory, NSUserDomainMask).c_str(),
                    name ? name : "");
}

void AUPresetsPath(WDL_String& path, const char* mfrName, const char* pluginName, bool isLocal)
{
  path.SetFormatted(kMaxPathLength, "%s/Audio/Presets/%s/%s/",
                    StandardFolder(NSLibraryDirectory, isLocal ? NSLocalDomainMask : NSUserDomainMask).c_str(),
                    mfrName ? mfrName : "", pluginName ? pluginName : "");
}

bool AppIsSandboxed()
{
  return NSHomeDirectory().find("Library/Containers/") != std::string::npos;
}

bool FindBundleResource(const char* fileName, const char* ext, WDL_String& path, const char* bundleID)
{
  path.Set("");
  CFBundleRef bundle = Bundle(bundleID);
  if (!fileName || !ext || !ExtensionMatches(fileName, ext) || !bundle)
    return false;
  const CFText type(ext);
  std::string found = TakePath(CFBundleCopyResourceURL(bundle, CFText(BaseName(fileName)).Get(), type.Get(), nullptr));
  if (found.empty())
    found = TakePath(CFBundleCopyResourceURL(bundle, CFText(WithoutExtension(fileName)).Get(), type.Get(), nullptr));
  if (!FileExists(found))
    return false;
  path.Set(found.c_str());
  return true;
}

bool FindSharedResource(const char* fileName, const char* ext, WDL_String& path, const char* sharedResourcesSubPath)
{
  path.Set("");
  if (!fileName || !ext || !ExtensionMatches(fileName, ext) || !sharedResourcesSubPath || !*sharedResourcesSubPath)
    return false;
  const std::filesystem::path candidate = std::filesystem::path(StandardFolder(NSMusicDirectory, NSUserDomainMask)) /
                                          sharedResourcesSubPath / "Resources" /
                                          (std::string(BaseName(fileName)) + "." + ext);
  if (!FileExists(candidate.string()))
    return false;
  path.Set(candidate.c_str());
  return true;
}

bool LocateResource(const char* fileName, const char* ext, WDL_String& path, const char* bundleID, void*,
                    const char* sharedResourcesSubPath)
{
  if (!fileName || !*fileName)
  {
    path.Set("");
    return false;
  }
  if (FindBundleResource(fileName, ext, path, bundleID) ||
      FindSharedResource(fileName, ext, path, sharedResourcesSubPath))
    return true;
  if (!FileExists(fileName))
    return false;
  path.Set(fileName);
  return true;
}

}  // namespace iplug
