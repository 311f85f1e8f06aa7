#include "platform/Foundation/NSPathUtilities.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

// An XDG variable counts only when it holds an absolute path.
std::string XdgFolder(const char* variable, const char* fallbackUnderHome)
{
  const char* value = std::getenv(variable);
  if (value && value[0] == '/')
    return value;
  return NSHomeDirectory() + "/" + fallbackUnderHome;
}

std::string UserFolder(NSSearchPathDirectory directory)
{
  switch (directory)
  {
    case NSLibraryDirectory:
    case NSApplicationSupportDirectory: return XdgFolder("XDG_DATA_HOME", ".local/share");
    case NSCachesDirectory: return XdgFolder("XDG_CACHE_HOME", ".cache");
    case NSDocumentDirectory: return NSHomeDirectory() + "/Documents";
    case NSDesktopDirectory: return NSHomeDirectory() + "/Desktop";
    case NSMusicDirectory: return NSHomeDirectory() + "/Music";
  }
  return {};
}

// Shared data of the local ("/usr/local/share") or system ("/usr/share") domain; empty for the
// kinds of folder that exist only per user.
std::string SharedFolder(NSSearchPathDirectory directory, const std::string& root)
{
  const bool shared = directory == NSLibraryDirectory || directory == NSApplicationSupportDirectory;
  return shared ? root + "/share" : std::string();
}

std::string WithoutTrailingSlash(std::string path)
{
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

}  // namespace

std::vector<std::string> NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
                                                             NSSearchPathDomainMask domains, bool)
{
  std::vector<std::string> folders;
  auto add = [&folders](std::string path) {
    if (!path.empty())
      folders.push_back(WithoutTrailingSlash(std::move(path)));
  };
  if (domains & NSUserDomainMask)
    add(UserFolder(directory));
  if (domains & NSLocalDomainMask)
    add(SharedFolder(directory, "/usr/local"));
  if (domains & NSSystemDomainMask)
    add(SharedFolder(directory, "/usr"));
  return folders;
}

std::string NSHomeDirectory()
{
  const char* home = std::getenv("HOME");
  if (home && home[0])
    return WithoutTrailingSlash(home);
  const passwd* account = getpwuid(getuid());
  return account && account->pw_dir ? WithoutTrailingSlash(account->pw_dir) : std::string("/");
}

std::string platform::FileSystemPath(const std::string& path)
{
  static const std::string kSharedDocuments = "/Users/Shared/Documents";
  if (path.compare(0, kSharedDocuments.size(), kSharedDocuments) != 0 ||
      (path.size() > kSharedDocuments.size() && path[kSharedDocuments.size()] != '/'))
    return path;
  // The first folder of the list counts, when it is an absolute path.
  const char* list = std::getenv("XDG_DATA_DIRS");
  std::string first = list ? std::string(list).substr(0, std::string(list).find(':')) : std::string();
  if (first.empty() || first[0] != '/')
    first = "/usr/local/share";
  return WithoutTrailingSlash(first) + "/doc" + path.substr(kSharedDocuments.size());
}
