#include "platform/AppKit/NSWorkspace.h"

#include "platform/Foundation/NSFileManager.h"

NSWorkspace& NSWorkspace::sharedWorkspace()
{
  static NSWorkspace workspace;
  return workspace;
}

bool NSWorkspace::openURL(const NSURL& url)
{
  if (url.isFileURL())
    return openFile(url.path());
  mOpened.push_back(url.absoluteString());
  return true;
}

bool NSWorkspace::openFile(const std::string& path)
{
  if (!NSFileManager::defaultManager().fileExistsAtPath(path))
    return false;
  mOpened.push_back(path);
  return true;
}

bool NSWorkspace::selectFile(const std::string& path, const std::string&)
{
  if (!NSFileManager::defaultManager().fileExistsAtPath(path))
    return false;
  mSelected.push_back(path);
  return true;
}
