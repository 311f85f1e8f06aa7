#pragma once
// The user's standard folders and the home folder, as plain paths.
//
// They follow $HOME and the XDG variables: Application Support and Library are $XDG_DATA_HOME (or
// ~/.local/share) in the user domain, /usr/local/share in the local domain and /usr/share in the
// system domain; the other kinds exist only in the user domain: Caches is $XDG_CACHE_HOME (or ~/.cache); Documents, Desktop and Music are
// ~/Documents, ~/Desktop and ~/Music. A test points HOME at a temporary folder.
//
// The folder all users share, "/Users/Shared" on the modelled platform, keeps its documents in
// the documentation folder of the first system-wide data folder: "doc" in the first folder of
// $XDG_DATA_DIRS, or /usr/local/share/doc. The file system stand-ins take paths of the modelled
// platform and find them there.

#include <string>
#include <vector>

#include "platform/Foundation/NSObjCRuntime.h"

enum NSSearchPathDirectory : NSUInteger {
  NSLibraryDirectory = 5,
  NSDocumentDirectory = 9,
  NSDesktopDirectory = 12,
  NSCachesDirectory = 13,
  NSApplicationSupportDirectory = 14,
  NSMusicDirectory = 18,
};

enum NSSearchPathDomainMask : NSUInteger {
  NSUserDomainMask = 1,
  NSLocalDomainMask = 2,
  NSNetworkDomainMask = 4,
  NSSystemDomainMask = 8,
  NSAllDomainsMask = 0x0ffff,
};

// The folders of that kind in the asked domains, user domain first; a folder is listed whether
// it exists or not. Paths never end in "/".
std::vector<std::string> NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
                                                             NSSearchPathDomainMask domains, bool expandTilde);
// $HOME, or the account's home folder when HOME is unset or empty.
std::string NSHomeDirectory();

namespace platform {
// Where a path lies on this system: one in the shared documents folder ("/Users/Shared/Documents")
// in the folder that stands for it, any other where it names.
std::string FileSystemPath(const std::string& path);
}  // namespace platform
