#include "framework/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace iplug {

namespace {

// To the end of the file, failing past the limit: the file may grow while it is read.
bool ReadToEnd(int descriptor, size_t limit, std::string& bytes)
{
  char chunk[65536];
  for (;;)
  {
    const ssize_t n = read(descriptor, chunk, sizeof chunk);
    if (n == 0)
      return true;
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0 || size_t(n) > limit - bytes.size())
      return false;
    bytes.append(chunk, size_t(n));
  }
}

}  // namespace

bool ReadRegularFile(const char* path, size_t limit, std::string& bytes)
{
  bytes.clear();
  // Not blocking, so that opening a FIFO returns at once; its type then refuses it.
  const int descriptor = path && *path ? open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
  if (descriptor < 0)
    return false;
  struct stat info;
  bool whole = fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) && uint64_t(info.st_size) <= limit;
  if (whole)
  {
    bytes.reserve(size_t(info.st_size));
    whole = ReadToEnd(descriptor, limit, bytes);
  }
  close(descriptor);
  if (!whole)
    bytes.clear();
  return whole;
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < text.size();)
  {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace iplug
