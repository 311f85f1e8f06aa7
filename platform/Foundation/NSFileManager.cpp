#include "platform/Foundation/NSFileManager.h"

#include "platform/Foundation/NSPathUtilities.h"

#include <filesystem>

NSFileManager& NSFileManager::defaultManager()
{
  static NSFileManager manager;
  return manager;
}

bool NSFileManager::fileExistsAtPath(const std::string& path) const
{
  std::error_code error;
  return !path.empty() && std::filesystem::exists(platform::FileSystemPath(path), error);
}
