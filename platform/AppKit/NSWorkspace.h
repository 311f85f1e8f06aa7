#pragma once
// The workspace: opening URLs and files with the applications that handle them, and showing a
// file in the file browser. Nothing is launched here; the workspace keeps what it was asked to
// open and select, in order.

#include <string>
#include <vector>

#include "platform/Foundation/NSURL.h"

class NSWorkspace
{
public:
  static NSWorkspace& sharedWorkspace();

  // False for a file URL whose file does not exist.
  bool openURL(const NSURL& url);
  // False when nothing is at the path.
  bool openFile(const std::string& path);
  // The file shown selected in a file browser window of the folder; false when nothing is at
  // the path.
  bool selectFile(const std::string& path, const std::string& rootPath);

  // What was opened (URL texts and file paths) and selected, oldest first.
  const std::vector<std::string>& opened() const { return mOpened; }
  const std::vector<std::string>& selected() const { return mSelected; }

private:
  std::vector<std::string> mOpened;
  std::vector<std::string> mSelected;
};
