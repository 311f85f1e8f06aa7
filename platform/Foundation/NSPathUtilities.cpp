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
  switch (directory) {
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
