#pragma once
// Which host application a name (or bundle identifier) belongs to.

#include "framework/IPlugConstants.h"

namespace iplug {

// Case-insensitive search of the known hosts' patterns in the first 255 characters of the name,
// in a fixed order so that a more specific pattern wins over a shorter one it contains.
// kHostUnknown for a null name or none found.
HostId LookUpHost(const char* name);

}  // namespace iplug
