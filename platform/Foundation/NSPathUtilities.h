#pragma once
// The user's standard folders and the home folder, as plain paths.
//
// They follow $HOME and the XDG variables: Application Support and Library are $XDG_DATA_HOME (or
// ~/.local/share) in the user domain, /usr/local/share in the local domain and /usr/share in the
// system domain; the other kinds exist only in the user domain: Caches is $XDG_CACHE_HOME (or ~/.cache); Documents, Desktop and Music are
// ~/Documents, ~/Desktop and ~/Music. A test points HOME at a temporary folder.

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
