#pragma once
// The editor of an open instance, shown as a host shows it: the Cocoa view property names the
// view factory class, the factory made by that name hands out the view, and the view goes into
// a window of the host's. Closing takes the view out of the window again, which is how a plug-in
// learns that its editor closed. The window follows the view's size, as a host's window does when
// the editor resizes itself.

#include "platform/AppKit/NSWindow.h"
#include "platform/AudioToolbox/AudioUnit.h"

#include <memory>
#include <optional>
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

  // A press, a drag and a release at points of the view (its own coordinates), as a person's mouse
  // in the window makes them.
  void Mouse(NSEventType type, NSPoint inView, NSEventModifierFlags flags = NSEventModifierFlags(0));
  // A press and a release at a point of the view.
  void Click(NSPoint inView);
  // The middle of the control whose tooltip begins with the text, in the view's coordinates; none
  // when there is no such control (or the editor's tooltips are switched off). The pointer is
  // rested on each tooltip area, as a person finding the control by its tooltip would.
  std::optional<NSPoint> FindByTooltip(const std::string& start);
  // Where the resizer's handle is grabbed, inside the view's bottom right corner, in view points.
  static constexpr double kCornerInset = 3.0;
  // A drag of the editor's corner resizer from its handle to a point of the view: the editor takes
  // the size the drag ends at, or with the control key the scale given by the ratio of where the
  // drag ends to where it began.
  void DragCorner(NSPoint to, NSEventModifierFlags flags);

private:
  AudioUnit mUnit;
  std::shared_ptr<NSWindow> mWindow;
  std::shared_ptr<NSView> mView;
};

}  // namespace host
