#include "platform/AppKit/NSWorkspace.h"

#include "platform/Foundation/NSFileManager.h"
#include "platform/Foundation/NSPathUtilities.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

extern char** environ;

namespace {

// The program of that name on $PATH; empty when there is none.
std::string FindProgram(const std::string& name)
{
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "";
  for (size_t start = 0; start <= folders.size();)
  {
    const size_t end = std::min(folders.find(':', start), folders.size());
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    const std::string candidate = folder + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return {};
}

// Openers started and not yet ended; each is reaped once it has.
std::vector<pid_t>& Started()
{
  static std::vector<pid_t> started;
  return started;
}

bool XdgOpen(const std::string& target)
{
  std::erase_if(Started(), [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
  const std::string program = FindProgram("xdg-open");
  if (program.empty())
  {
    std::fprintf(stderr, "%s: cannot open %s: xdg-open is not installed (xdg-utils)\n", program_invocation_short_name,
                 target.c_str());
    return false;
  }
  // It reads nothing and tells only its failures, on stderr.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(target.c_str()), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0)
    return false;
  Started().push_back(pid);
  return true;
}

platform::Opener& CurrentOpener()  // the main thread's alone
{
  static platform::Opener opener;
  return opener;
}

}  // namespace

void platform::SetOpener(Opener opener)
{
  CurrentOpener() = std::move(opener);
}

NSWorkspace& NSWorkspace::sharedWorkspace()
{
  static NSWorkspace workspace;
  return workspace;
}

bool NSWorkspace::Open(const std::string& target)
{
  const platform::Opener& opener = CurrentOpener();
  if (!(opener ? opener(target) : XdgOpen(target)))
    return false;
  mOpened.push_back(target);
  return true;
}

bool NSWorkspace::openURL(const NSURL& url)
{
  if (url.isFileURL())
    return openFile(url.path());
  return Open(url.absoluteString());
}

bool NSWorkspace::openFile(const std::string& path)
{
  const std::string found = platform::FileSystemPath(path);
  if (!NSFileManager::defaultManager().fileExistsAtPath(path))
  {
    // A person asked for it (the manual, say): the reason it does not open is told.
    std::fprintf(stderr, "%s: cannot open %s: it does not exist\n", program_invocation_short_name, found.c_str());
    return false;
  }
  return Open(found);
}

bool NSWorkspace::selectFile(const std::string& path, const std::string&)
{
  if (!NSFileManager::defaultManager().fileExistsAtPath(path))
    return false;
  mSelected.push_back(platform::FileSystemPath(path));
  return true;
}
