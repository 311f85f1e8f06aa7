#pragma once
// Whole files read from paths a user or another program may point anywhere: only a regular file
// is read, and only up to a size, so that a FIFO, a device or an endless file never blocks or
// fills memory.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace iplug {

// The bytes of the regular file at path, when it holds at most limit bytes; false (and bytes
// cleared) for a missing or unreadable file, anything that is not a regular file, or a larger one.
bool ReadRegularFile(const char* path, size_t limit, std::string& bytes);

// The lines of a text, each without its line feed and of any length; a text that ends in a line
// feed has no empty line after it.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace iplug
