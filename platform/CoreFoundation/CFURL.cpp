#include "platform/CoreFoundation/CFURL.h"

#include "platform/CoreFoundation/CFObjects.h"

#include <cstring>

namespace platform {
namespace {

class URL final : public CFObject
{
public:
  static constexpr CFTypeID kType = kTypeURL;
  URL(std::string path, bool isDirectory) : CFObject(kType), mPath(std::move(path)), mDirectory(isDirectory)
  {
    while (mPath.size() > 1 && mPath.back() == '/')  // one spelling per folder
      mPath.pop_back();
  }
  bool Equals(const CFObject& other) const override { return mPath == static_cast<const URL&>(other).mPath; }
  CFHashCode Hash() const override { return std::hash<std::string>{}(mPath); }
  std::string Description() const override { return "file://" + mPath + (mDirectory && mPath != "/" ? "/" : ""); }

  std::string mPath;
  const bool mDirectory;
};

CFURLRef MakeURL(std::string path, bool isDirectory)
{
  if (path.empty())
    return nullptr;
  return reinterpret_cast<CFURLRef>(new URL(std::move(path), isDirectory));
}

}  // namespace
}  // namespace platform

using namespace platform;

CFTypeID CFURLGetTypeID(void)
{
  return URL::kType;
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef path, CFURLPathStyle style, Boolean isDirectory)
{
  if (style != kCFURLPOSIXPathStyle)
    return nullptr;
  return MakeURL(std::string(TextOf(path)), isDirectory);
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* path, CFIndex length, Boolean isDirectory)
{
  if (!path || length <= 0)
    return nullptr;
  return MakeURL(std::string(reinterpret_cast<const char*>(path), static_cast<size_t>(length)), isDirectory);
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef, CFURLRef url, CFStringRef component, Boolean isDirectory)
{
  const URL* object = As<URL>(url);
  if (!object || TextOf(component).empty())
    return nullptr;
  const std::string separator = object->mPath == "/" ? "" : "/";
  return MakeURL(object->mPath + separator + std::string(TextOf(component)), isDirectory);
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef url)
{
  const URL* object = As<URL>(url);
  if (!object)
    return nullptr;
  const size_t slash = object->mPath.rfind('/');
  if (slash == std::string::npos)
    return MakeURL(".", true);
  return MakeURL(slash == 0 ? "/" : object->mPath.substr(0, slash), true);
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef url)
{
  const URL* object = As<URL>(url);
  if (!object)
    return nullptr;
  const size_t slash = object->mPath.rfind('/');
  return MakeString(slash == std::string::npos || object->mPath == "/" ? object->mPath
                                                                       : object->mPath.substr(slash + 1));
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style)
{
  const URL* object = As<URL>(url);
  return object && style == kCFURLPOSIXPathStyle ? MakeString(object->mPath) : nullptr;
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxLength)
{
  const URL* object = As<URL>(url);
  if (!object || !buffer || maxLength <= 0 ||
      static_cast<uint64_t>(object->mPath.size()) + 1 > static_cast<uint64_t>(maxLength))
    return false;
  std::memcpy(buffer, object->mPath.c_str(), object->mPath.size() + 1);
  return true;
}
