#pragma once
// The graphics object of an editor on this platform: it owns the editor view, builds the vector
// context on the view's Metal layer, keeps the view's size in step with the editor's and answers
// the platform operations of the graphics core through the view and the window layer.

#include <memory>

#include "framework/WDLString.h"
#include "platform/Foundation/NSGeometry.h"
#include "renderer/IGraphicsNanoVG.h"

namespace iplug::igraphics {

class IGraphicsView_vVantorelix_au;

class IGraphicsMac final : public IGraphicsNanoVG
{
public:
  IGraphicsMac(IGEditorDelegate& dlg, int w, int h, int fps, float scale);
  ~IGraphicsMac() override;

  // ---- the window: the editor view, made anew at each opening
  // The view as an opaque pointer; attached to the parent view when one is given.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindow() override { return mView.get(); }
  bool EditorIsOpen() override { return mView != nullptr; }
  IGraphicsView_vVantorelix_au* GetView() const { return mView.get(); }
  // The view takes the editor's size times the draw scale, without animation.
  void ResizeNativeView(bool) override;
  void AttachNativeView(void* view, const IRECT& bounds) override;
  void DetachNativeView(void* view) override;
  bool UsesDarkAppearance() const override;
  const char* PlatformName() const override { return "Cocoa"; }
  void SetBundleID(const char* bundleID) { mBundleID.Set(bundleID); }
  const char* BundleIdentifier() const override { return mBundleID.Get(); }
  // A rectangle of graphics coordinates in view points: scaled by the draw scale, left and top
  // rounded down, right and bottom rounded up.
  NSRect ToViewRect(const IRECT& bounds) const;
  void UpdateTooltips() override;

  // The macOS release as 0x10MB, asked once per process.
  static int GetSystemVersion();

  // ---- dialogs and system services: modal ones return once the person answers
  // Releases the mouse first. Types: 0 OK; 1 OK and Cancel; 3 Yes, No and Cancel; 4 Yes and No;
  // 5 Retry and Cancel; any other shows nothing and answers Cancel. The completion function, when
  // given, hears the same answer before it is returned.
  int ShowAlert(const char* text, const char* caption, int type, AlertCompletionFunc completion) override;
  // The chosen path goes to fileName (empty when cancelled, or without a view) and its folder,
  // ending in "/", to path (unchanged when cancelled). extensions: allowed types separated by
  // spaces; null or empty allows any.
  void AskForFile(std::string& fileName, std::string& path, bool save, const char* extensions) override;
  // Starts in the folder given, else in "~/Desktop" (written back into folder). The chosen folder
  // ends in "/"; cancelling empties it.
  bool AskForFolder(std::string& folder) override;
  // Brings the colour panel up and returns at once; func hears every colour the person moves
  // through, alpha included. False without a view.
  bool AskForColor(const IColor& color, const char* title, std::function<void(const IColor&)> func) override;
  bool ReadClipboardText(std::string& str) override;
  bool WriteClipboardText(const char* str) override;
  // A text holding "http" is a web address, anything else a file path. False when no URL can be
  // made of it or the system cannot open it.
  bool OpenWebLink(const char* url) override;
  // With select, the containing folder opens with the file selected in it.
  bool ShowInFileBrowser(const char* path, bool select) override;

  // ---- cursor
  // Shows the cursor of a type; answers the type shown before, with or without a view.
  int SetCursorShape(int cursorType) override;
  // Hiding holds the cursor where it is (the lock point); with lock, every mouse event puts it
  // back there. Hiding a hidden cursor or showing a shown one does nothing.
  void SetCursorHidden(bool hide, bool lock) override;
  // Moves the system cursor to a point of graphics coordinates, which becomes the lock point;
  // never for a tablet pen.
  void WarpCursor(float x, float y) override;
  // Graphics coordinates with a view, screen points without.
  void CursorPosition(float& x, float& y) const override;
  // Run for every mouse event at (x, y): while the cursor is hidden and locked (and the event is
  // not a pen's) the system cursor goes back to the lock point and the previous position becomes
  // the stored one, so that each event reports its distance from the lock point; otherwise the
  // previous and the stored position take the event's.
  void DoCursorLock(float x, float y, float& prevX, float& prevY);

  // ---- native menus and text entry
  // Lays a text field over the rectangle, holding the text; while a field is open another
  // prompt is ignored. With a linked parameter it takes only the characters of a number of the
  // parameter's kind and at most length of them; the text goes to the core when the person
  // presses return.
  void OpenNativeTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length, const char* str) override;
  // The open field goes and its text with it.
  void CloseNativeTextEntry() override;
  // The native field is gone, applied or not: no control is in text entry any more.
  void TextEntryEnded() { mInTextEntry = nullptr; }
  // Pops the menu up below the rectangle and returns once the person chose or dismissed it:
  // the menu or sub-menu of the chosen item, its chosen index set and its function run; null
  // when nothing was chosen or there is no view.
  IPopupMenu* OpenNativeMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync) override;
  // While the person at the screen chooses menu items by name (a script), not with the pointer.
  bool NativeMenusOnly() const override;

  // ---- platform fonts
  PlatformFont* LoadNativeFontFromFile(const char* fontID, const char* fileName) override;
  PlatformFont* LoadNativeFontFromMemory(const char* fontID, void* data, int size) override;
  PlatformFont* LoadNativeFontByName(const char* fontID, const char* family, int style) override;
  void CacheNativeFont(const char* fontID, PlatformFont* font) override;
  bool LoadStoredFont(const char* fontID) override;

private:
  // Between graphics coordinates and screen points (Cocoa's, origin bottom left); a point of a
  // view outside any window is at the screen's origin.
  NSPoint ToScreen(float x, float y) const;
  void FromScreen(NSPoint screen, float& x, float& y) const;
  // The pointer's screen position, rounded, becomes the lock point and, with a view, the stored
  // position.
  void StoreCursorLockPoint();

  std::shared_ptr<IGraphicsView_vVantorelix_au> mView;
  NSPoint mCursorLockPoint = {0, 0};
  WDL_String mBundleID;
};

}  // namespace iplug::igraphics
