#pragma once
// The editor of an open instance, shown as a host shows it: the Cocoa view property names the
// view factory class, the factory made by that name hands out the view, and the view goes into
// a window of the host's. Closing takes the view out of the window again, which is how a plug-in
// learns that its editor closed. The window follows the view's size, as a host's window does when
// the editor resizes itself.

#include "platform/AppKit/NSWindow.h"
#include "platform/AudioToolbox/AudioUnit.h"

#include <memory>
#include <string>

namespace host {

class EditorHost
{
public:
  explicit EditorHost(AudioUnit unit) : mUnit(unit) {}
  ~EditorHost() { Close(); }
  EditorHost(const EditorHost&) = delete;
  EditorHost& operator=(const EditorHost&) = delete;

  // Empty on success, else what went wrong. The window takes the size of the view, now and later.
  std::string Open();
  void Close();
  // Null while closed.
  NSView* View() const { return mView.get(); }
  NSWindow* Window() const { return mWindow.get(); }

private:
  AudioUnit mUnit;
  std::shared_ptr<NSWindow> mWindow;
  std::shared_ptr<NSView> mView;
};

} // namespace host
