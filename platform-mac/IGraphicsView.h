#pragma once
// The editor view: the window-layer view that shows one editor. Its timer drives the graphics
// object's frames; it carries the Metal layer the back end draws into; and it turns every event
// into a call of the graphics core in graphics coordinates (view points divided by the draw
// scale; the view is flipped, origin top left). Without a graphics object (after the editor
// closed) it ignores events and draws nothing.

#include <functional>
#include <memory>
#include <string>

#include "graphics/IGraphicsStructs.h"
#include "platform/AppKit/NSColorPanel.h"
#include "platform/AppKit/NSCursor.h"
#include "platform/AppKit/NSTextField.h"
#include "platform/AppKit/NSWindow.h"
#include "platform/Foundation/NSTimer.h"

namespace iplug::igraphics {

class IGraphicsMac;
class IPopupMenu;

class IGraphicsTextField_vVantorelix_au;

class IGraphicsView_vVantorelix_au final : public NSView, public NSTextFieldDelegate, public NSToolTipOwner
{
public:
  ~IGraphicsView_vVantorelix_au() override;

  // Frame of the editor's size times the draw scale, a Metal layer on the system's device, file
  // drops and the redraw timer. The view must already be shared-owned.
  void initWithIGraphics(IGraphicsMac* graphics);
  IGraphicsMac* GetGraphics() const { return mGraphics; }
  // The graphics object is going: from now on the view ignores everything, the colour panel
  // included (its function reaches controls that go with the graphics object).
  void DetachGraphics();

  // ---- frames
  void setTimer();
  void killTimer();
  bool HasTimer() const { return mTimer != nullptr; }
  void onTimer() { render(); }
  // One frame: the dirty controls are drawn, when there are any and a context to draw into.
  void render();

  // ---- window, scale and appearance
  bool isFlipped() const override { return true; }
  bool isOpaque() const override { return mGraphics != nullptr; }
  bool acceptsFirstResponder() const override { return true; }
  void viewDidMoveToWindow() override;
  void viewDidChangeBackingProperties() override;
  void viewDidChangeEffectiveAppearance() override;
  void frameDidChange();
  void windowDidResign();
  void updateTrackingAreas() override;

  // ---- input
  void mouseDown(const NSEvent& event) override;
  void rightMouseDown(const NSEvent& event) override;
  void mouseUp(const NSEvent& event) override;
  void rightMouseUp(const NSEvent& event) override;
  void mouseDragged(const NSEvent& event) override;
  void rightMouseDragged(const NSEvent& event) override;
  void mouseMoved(const NSEvent& event) override;
  void mouseEntered(const NSEvent& event) override;
  void mouseExited(const NSEvent& event) override;
  void scrollWheel(const NSEvent& event) override;
  // Keys the editor does not use go on to the next responder, so the host sees them.
  void keyDown(const NSEvent& event) override;
  void keyUp(const NSEvent& event) override;
  NSDragOperation draggingEntered(const NSDraggingInfo& info) override;
  bool performDragOperation(const NSDraggingInfo& info) override;

  // ---- cursor
  // Shows the cursor of a type (the arrow where the system lacks a private one) and ends help
  // mode for any type but help.
  void setMouseCursor(int type);

  // ---- native menu
  // Pops the menu up 4 points below the rectangle (view coordinates) and answers the menu or
  // sub-menu that holds the chosen item, with its chosen index set; null when nothing was chosen.
  IPopupMenu* createPopupMenu(IPopupMenu& menu, NSRect bounds);

  // ---- native text entry
  // Opens the text field over the rectangle (view coordinates) and gives it the keys; nothing
  // while one is open.
  void createTextEntry(int paramIdx, const IText& text, const char* str, int length, NSRect areaRect);
  // Return was pressed: the text goes to the core and the field closes.
  void controlTextDidEndEditing(NSTextField& field) override;
  // Closes the field without a word to anyone: its text is dropped.
  void endUserInput();
  NSTextField* textField() const;

  // ---- colour panel and tooltips
  // The shared colour panel comes up with the colour; func, replacing the previous one, hears
  // every colour picked. False when there is no panel.
  bool promptForColor(const IColor& color, std::function<void(const IColor&)> func);
  void onColorPicked(NSColorPanel& sender);
  // As tooltip owner: the tooltip of the control under the pointer, empty when it has none.
  std::string stringForToolTip(NSToolTipTag tag, NSPoint point, void* userData) const override;

  // ---- focus and teardown
  bool resignFirstResponder() override;
  // The host taking the view out closes the editor.
  void removeFromSuperview() override;

private:
  // Position in graphics coordinates; remembers it as the previous position.
  void getMouseXY(const NSEvent& event, float& x, float& y);
  IMouseInfo getMouseLeft(const NSEvent& event);
  IMouseInfo getMouseRight(const NSEvent& event);
  void MouseDown(const IMouseInfo& info, NSInteger clickCount);
  void MouseDragged(IMouseInfo (IGraphicsView_vVantorelix_au::*read)(const NSEvent&), const NSEvent& event);
  NSCursor* CursorOfType(int type);
  // The move cursor, made on first use. The system's cursor files do not exist on this platform:
  // it is an empty image with its hot spot at 0, 0.
  NSCursor* MoveCursor();
  // Sets the drawable to the frame's size times the scale.
  void SetDrawableSize(CGFloat scale);

  IGraphicsMac* mGraphics = nullptr;  // not owned
  IRECTList mDirtyRects;
  std::shared_ptr<NSTimer> mTimer;
  std::shared_ptr<NSTrackingArea> mTrackingArea;
  std::function<void(const IColor&)> mColorPickerFunc;
  std::unique_ptr<NSCursor> mMoveCursor;
  std::shared_ptr<IGraphicsTextField_vVantorelix_au> mTextFieldView;
  float mPrevX = 0.f;
  float mPrevY = 0.f;
  bool mMouseOutDuringDrag = false;
};

}  // namespace iplug::igraphics
