#pragma once
// What the file system holds.

#include <string>

class NSFileManager
{
public:
  static NSFileManager& defaultManager();
  // A file or a folder; false for an empty path.
  bool fileExistsAtPath(const std::string& path) const;
};
