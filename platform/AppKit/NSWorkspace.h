#pragma once
// The workspace: opening URLs and files with the applications that handle them, and showing a
// file in the file browser. It hands them to the desktop's opener (xdg-open, of xdg-utils), and
// keeps what was opened and selected, in order.

#include <functional>
#include <string>
#include <vector>

#include "platform/Foundation/NSURL.h"

class NSWorkspace
{
public:
  static NSWorkspace& sharedWorkspace();

  // False for a file URL whose file does not exist, and when nothing can open it.
  bool openURL(const NSURL& url);
  // False when nothing is at the path (which it says on stderr, in one line), and when nothing
  // can open it.
  bool openFile(const std::string& path);
  // The file shown selected in a file browser window of the folder; false when nothing is at
  // the path. The desktop's opener cannot select: the folder's window, opened before, stays.
  bool selectFile(const std::string& path, const std::string& rootPath);

  // What was opened (URL texts and file paths on this system) and selected, oldest first.
  const std::vector<std::string>& opened() const { return mOpened; }
  const std::vector<std::string>& selected() const { return mSelected; }

private:
  bool Open(const std::string& target);

  std::vector<std::string> mOpened;
  std::vector<std::string> mSelected;
};

namespace platform {
// Hands a URL text or a file path to the application that opens it, without waiting for it;
// false when it could not be handed over.
using Opener = std::function<bool(const std::string& target)>;
// Replaces the opener; null restores the desktop's, xdg-open, which says on stderr, in one line,
// when it is not installed.
void SetOpener(Opener opener);
}  // namespace platform
