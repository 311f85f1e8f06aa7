#include "platform-mac/IGraphicsMac.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "framework/IGraphicsEditorDelegate.h"
#include "graphics/IPopupMenuControl.h"
#include "platform/AppKit/NSAlert.h"
#include "platform/AppKit/NSSavePanel.h"
#include "platform/AppKit/NSScreen.h"
#include "platform/AppKit/NSWorkspace.h"
#include "platform/AppKit/Person.h"
#include "platform/CoreGraphics/CGDisplay.h"
#include "platform/CoreServices/Gestalt.h"
#include "platform/Foundation/NSFileManager.h"
#include "platform/shared/Utf8.h"
#include "platform-mac/IGraphicsCoreText.h"
#include "platform-mac/IGraphicsView.h"

namespace iplug::igraphics {
namespace {

// The message-box results.
enum { kOK = 1, kCancel = 2, kRetry = 4, kYes = 6, kNo = 7 };

// The buttons of a message-box type (default, alternate, other; empty: not shown) and the result
// of each.
struct AlertKind
{
  const char* buttons[3];
  int results[3];
};

const AlertKind* FindAlertKind(int type)
{
  static constexpr AlertKind kOk{{"OK", "", ""}, {kOK, kOK, kOK}};
  static constexpr AlertKind kOkCancel{{"OK", "Cancel", ""}, {kOK, kCancel, kOK}};
  static constexpr AlertKind kYesNoCancel{{"Yes", "Cancel", "No"}, {kYes, kCancel, kNo}};
  static constexpr AlertKind kYesNo{{"Yes", "No", ""}, {kYes, kNo, kYes}};
  static constexpr AlertKind kRetryCancel{{"Retry", "Cancel", ""}, {kRetry, kCancel, kRetry}};
  static constexpr const AlertKind* kKinds[] = {&kOk, &kOkCancel, nullptr, &kYesNoCancel, &kYesNo, &kRetryCancel};
  return type >= 0 && type < static_cast<int>(std::size(kKinds)) ? kKinds[type] : nullptr;
}

// Text for a panel: UTF-8 as it is; text that is not UTF-8 shows its ASCII characters, any other
// byte as "?"; null is the empty text.
std::string PanelText(const char* text)
{
  std::string shown = text ? text : "";
  if (!utf8::IsValid(shown))
  {
    for (char& c : shown)
      c = static_cast<unsigned char>(c) < 0x80 ? c : '?';
  }
  return shown;
}

// Shows the panel of a message-box type and answers the result of the button pressed.
int RunAlertPanel(const char* text, const char* caption, int type)
{
  const AlertKind* kind = FindAlertKind(type);
  if (!kind)
    return kCancel;
  const NSInteger answer = NSRunAlertPanel(PanelText(caption), "%@", kind->buttons[0], kind->buttons[1],
                                           kind->buttons[2], {PanelText(text)});
  return kind->results[answer == NSAlertDefaultReturn ? 0 : answer == NSAlertAlternateReturn ? 1 : 2];
}

std::vector<std::string> SplitAtSpaces(const char* list)
{
  std::vector<std::string> parts;
  for (const char* at = list; at && *at;)
  {
    const char* end = std::strchr(at, ' ');
    const size_t length = end ? static_cast<size_t>(end - at) : std::strlen(at);
    if (length)
      parts.emplace_back(at, length);
    at += end ? length + 1 : length;
  }
  return parts;
}

// Puts the system cursor at a screen point, without the mouse moving it meanwhile.
void RepositionCursor(NSPoint screen)
{
  const CGDirectDisplayID display = CGMainDisplayID();
  CGAssociateMouseAndMouseCursorPosition(false);
  CGDisplayMoveCursorToPoint(display,
                             CGPointMake(screen.x, static_cast<CGFloat>(CGDisplayPixelsHigh(display)) - screen.y));
  CGAssociateMouseAndMouseCursorPosition(true);
}

// The folder of a path, ending in "/".
std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash + 1);
}

}  // namespace

IGraphicsMac::IGraphicsMac(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
: IGraphicsNanoVG(dlg, w, h, fps, scale)
{
  NSApplicationLoad();
  RetainCoreTextFontCache();
}

IGraphicsMac::~IGraphicsMac()
{
  CloseWindow();
  ReleaseCoreTextFontCache();
}

void* IGraphicsMac::OpenWindow(void* parent)
{
  CloseWindow();
  mView = std::make_shared<IGraphicsView_vVantorelix_au>();
  mView->initWithIGraphics(this);
  ViewCreated(mView->layer().get());
  GetDelegate()->SetGraphicsAvailable(IsDrawingContextValid());
  SetBackingScale(static_cast<float>(NSScreen::mainScreen()->backingScaleFactor()));
  LayoutUIThroughDelegate();
  UpdateTooltips();
  GetDelegate()->EditorOpened();
  if (parent)
    static_cast<NSView*>(parent)->addSubview(mView);
  return mView.get();
}

void IGraphicsMac::CloseWindow()
{
  if (!mView)
    return;
  // The view may outlive this object in the host's hands: it must not reach back into it, and
  // taking it out must not close the editor a second time. The vector context draws into the
  // view's layer, so the view is let go only after the context.
  const std::shared_ptr<IGraphicsView_vVantorelix_au> view = std::move(mView);
  view->DetachGraphics();
  view->removeAllToolTips();
  view->killTimer();
  view->removeFromSuperview();
  ViewDestroyed();
}

void IGraphicsMac::ResizeNativeView(bool)
{
  if (mView)
  {
    const NSSize size{std::trunc(Width() * GetDrawScale()), std::trunc(Height() * GetDrawScale())};
    NSAnimationContext::beginGrouping();
    NSAnimationContext::currentContext().setDuration(0.0);
    mView->setFrameSize(size);
    NSAnimationContext::endGrouping();
  }
  UpdateTooltips();
}

NSRect IGraphicsMac::ToViewRect(const IRECT& bounds) const
{
  const float scale = GetDrawScale();
  const CGFloat left = std::floor(bounds.L * scale);
  const CGFloat top = std::floor(bounds.T * scale);
  return NSMakeRect(left, top, std::ceil(bounds.R * scale) - left, std::ceil(bounds.B * scale) - top);
}

void IGraphicsMac::AttachNativeView(void* view, const IRECT& bounds)
{
  // The editor view keeps a share of its subviews: a view that no one shares cannot be taken in
  // without taking it from its owner, so it is left alone, as is any view while no window is open.
  auto* native = static_cast<NSView*>(view);
  const std::shared_ptr<NSView> shared = native ? std::static_pointer_cast<NSView>(native->weak_from_this().lock())
                                                : nullptr;
  if (!shared || !mView)
    return;
  shared->setFrame(ToViewRect(bounds));
  mView->addSubview(shared);
}

void IGraphicsMac::DetachNativeView(void* view)
{
  if (view)
    static_cast<NSView*>(view)->removeFromSuperview();
}

bool IGraphicsMac::UsesDarkAppearance() const
{
  return platform::IsOperatingSystemAtLeastVersion({10, 14, 0}) && mView &&
         mView->effectiveAppearance().name() == NSAppearanceNameDarkAqua;
}

void IGraphicsMac::UpdateTooltips()
{
  if (!mView)
    return;
  mView->removeAllToolTips();
  // Switched off (the plug-in menu's "Tooltips"), the window shows none.
  if (!TooltipsEnabled())
    return;
  // The in-window menu covers the editor until it closes. In its last fading step it takes no
  // pointer any more and refreshes the tooltips: it counts as closed then, or they would stay
  // away after every menu.
  const IPopupMenuControl* menu = GetPopupMenuControl();
  const int menuState = menu ? menu->GetState() : IPopupMenuControl::kCollapsed;
  if (menuState != IPopupMenuControl::kCollapsed && menuState != IPopupMenuControl::kIdling)
    return;
  for (int i = 0; i < NControls(); ++i)
  {
    const IControl* control = GetControl(i);
    if (!control->IsHidden() && !control->GetTargetRECT().Empty())
      mView->addToolTipRect(ToViewRect(control->GetTargetRECT()), mView.get(), nullptr);
  }
}

NSPoint IGraphicsMac::ToScreen(float x, float y) const
{
  if (!mView)
    return {x, y};
  const float scale = GetDrawScale();
  const NSPoint inWindow = mView->convertPointToView(NSMakePoint(x * scale, y * scale), nullptr);
  const NSWindow* window = mView->window();
  return window ? window->convertRectToScreen({inWindow, {0, 0}}).origin : NSMakePoint(0, 0);
}

void IGraphicsMac::FromScreen(NSPoint screen, float& x, float& y) const
{
  if (!mView)
  {
    x = static_cast<float>(screen.x);
    y = static_cast<float>(screen.y);
    return;
  }
  const NSWindow* window = mView->window();
  const NSPoint inWindow = window ? window->convertRectFromScreen({screen, {0, 0}}).origin : NSMakePoint(0, 0);
  const NSPoint inView = mView->convertPointFromView(inWindow, nullptr);
  x = static_cast<float>(inView.x) / GetDrawScale();
  y = static_cast<float>(inView.y) / GetDrawScale();
}

void IGraphicsMac::StoreCursorLockPoint()
{
  const NSPoint pointer = NSEvent::mouseLocation();
  mCursorLockPoint = NSMakePoint(std::round(pointer.x), std::round(pointer.y));
  if (mView)
    FromScreen(mCursorLockPoint, mCursorX, mCursorY);
}

int IGraphicsMac::SetCursorShape(int cursorType)
{
  if (mView)
    mView->setMouseCursor(cursorType);
  return IGraphicsNanoVG::SetCursorShape(cursorType);
}

void IGraphicsMac::SetCursorHidden(bool hide, bool lock)
{
  if (hide == mCursorHidden)
    return;
  mCursorHidden = hide;
  if (hide)
  {
    StoreCursorLockPoint();
    CGDisplayHideCursor(CGMainDisplayID());
    mCursorLock = lock;
  }
  else
  {
    // The pointer stays where it was held: the stored position is already the lock point.
    CGDisplayShowCursor(CGMainDisplayID());
    mCursorLock = false;
  }
}

void IGraphicsMac::WarpCursor(float x, float y)
{
  if (mTabletInput)
    return;
  RepositionCursor(ToScreen(x, y));
  StoreCursorLockPoint();
}

void IGraphicsMac::CursorPosition(float& x, float& y) const
{
  FromScreen(NSEvent::mouseLocation(), x, y);
}

void IGraphicsMac::DoCursorLock(float x, float y, float& prevX, float& prevY)
{
  if (mCursorHidden && mCursorLock && !mTabletInput)
  {
    RepositionCursor(mCursorLockPoint);
    prevX = mCursorX;
    prevY = mCursorY;
  }
  else
  {
    mCursorX = prevX = x;
    mCursorY = prevY = y;
  }
}

void IGraphicsMac::OpenNativeTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
                                       const char* str)
{
  if (mView)
    mView->createTextEntry(paramIdx, text, str, length, ToViewRect(bounds));
}

void IGraphicsMac::CloseNativeTextEntry()
{
  if (mView)
    mView->endUserInput();
}

bool IGraphicsMac::NativeMenusOnly() const
{
  return platform::CurrentPerson().ChoosesMenuItemsByName();
}

IPopupMenu* IGraphicsMac::OpenNativeMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync)
{
  isAsync = false;
  if (!mView)
    return nullptr;
  IPopupMenu* chosen = mView->createPopupMenu(menu, ToViewRect(bounds));
  if (chosen)
    chosen->ExecFunction();
  return chosen;
}

int IGraphicsMac::ShowAlert(const char* text, const char* caption, int type, AlertCompletionFunc completion)
{
  ReleaseMouseCapture();
  const int result = RunAlertPanel(text, caption, type);
  // Also a type that shows nothing is answered, so that a caller waiting on it goes on.
  if (completion)
    completion(result);
  return result;
}

void IGraphicsMac::AskForFile(std::string& fileName, std::string& path, bool save, const char* extensions)
{
  const std::string startFile = std::move(fileName);
  fileName.clear();
  if (!mView)
    return;
  const std::vector<std::string> types = SplitAtSpaces(extensions);
  std::shared_ptr<NSSavePanel> panel;
  NSModalResponse answer;
  if (save)
  {
    panel = NSSavePanel::savePanel();
    panel->setAllowedFileTypes(types);
    panel->setAllowsOtherFileTypes(false);
    panel->setFloatingPanel(true);
    answer = panel->runModalForDirectory(path, startFile);
  }
  else
  {
    const std::shared_ptr<NSOpenPanel> open = NSOpenPanel::openPanel();
    open->setCanChooseFiles(true);
    open->setCanChooseDirectories(false);
    open->setResolvesAliases(true);
    open->setFloatingPanel(true);
    answer = open->runModalForDirectory(path, startFile, types);
    panel = open;
  }
  if (answer != NSModalResponseOK)
    return;
  fileName = panel->filename();
  path = FolderOf(fileName);
}

bool IGraphicsMac::AskForFolder(std::string& folder)
{
  if (folder.empty())
    folder = "~/Desktop";
  const std::shared_ptr<NSOpenPanel> panel = NSOpenPanel::openPanel();
  panel->setTitle("Choose a Directory");
  panel->setCanChooseFiles(false);
  panel->setCanChooseDirectories(true);
  panel->setResolvesAliases(true);
  panel->setCanCreateDirectories(true);
  panel->setDirectoryURL(*NSURL::fileURLWithPath(folder));
  if (panel->runModal() != NSModalResponseOK)
  {
    folder.clear();
    return false;
  }
  folder = panel->filename() + "/";
  return true;
}

bool IGraphicsMac::AskForColor(const IColor& color, const char*, std::function<void(const IColor&)> func)
{
  return mView && mView->promptForColor(color, std::move(func));
}

bool IGraphicsMac::ReadClipboardText(std::string& str)
{
  const std::optional<std::string> text = NSPasteboard::generalPasteboard().stringForType(NSStringPboardType);
  str = text.value_or("");
  return text.has_value();
}

bool IGraphicsMac::WriteClipboardText(const char* str)
{
  NSPasteboard& pasteboard = NSPasteboard::generalPasteboard();
  pasteboard.clearContents();
  return pasteboard.setString(str ? str : "", NSStringPboardType);
}

bool IGraphicsMac::OpenWebLink(const char* url)
{
  if (!url)
    return false;
  const std::string text = url;
  const std::shared_ptr<NSURL> link = text.find("http") != std::string::npos ? NSURL::URLWithString(text)
                                                                             : NSURL::fileURLWithPath(text);
  return link && NSWorkspace::sharedWorkspace().openURL(*link);
}

bool IGraphicsMac::ShowInFileBrowser(const char* path, bool select)
{
  if (!path || !NSFileManager::defaultManager().fileExistsAtPath(path))
    return false;
  NSWorkspace& workspace = NSWorkspace::sharedWorkspace();
  if (!select)
    return workspace.openFile(path);
  std::string folder = FolderOf(path);
  if (folder.size() > 1)
    folder.pop_back();
  return workspace.openFile(folder) && workspace.selectFile(path, folder);
}

int IGraphicsMac::GetSystemVersion()
{
  static const int version = [] {
    if (NSAppKitVersionNumber >= 1404.0)
      return 0x10B0;
    if (NSAppKitVersionNumber >= 1266.0)
      return 0x10A0;
    SInt32 system = 0x1040;
    Gestalt(gestaltSystemVersion, &system);
    return static_cast<int>(system);
  }();
  return version;
}

PlatformFont* IGraphicsMac::LoadNativeFontFromFile(const char* fontID, const char* fileName)
{
  return LoadCoreTextFontFromFile(fontID, fileName, BundleIdentifier(), GetSharedResourcesSubPath());
}

PlatformFont* IGraphicsMac::LoadNativeFontFromMemory(const char* fontID, void* data, int size)
{
  return LoadCoreTextFontFromMemory(fontID, data, size);
}

PlatformFont* IGraphicsMac::LoadNativeFontByName(const char* fontID, const char* family, int style)
{
  return LoadCoreTextFontByName(fontID, family, style);
}

void IGraphicsMac::CacheNativeFont(const char* fontID, PlatformFont* font)
{
  CacheCoreTextFont(fontID, font);
}

bool IGraphicsMac::LoadStoredFont(const char* fontID)
{
  // Text measured through Core Text needs the cached descriptor, drawn text the stored bytes.
  return GetCachedFontDescriptor(fontID) && AddStoredFontData(fontID);
}

}  // namespace iplug::igraphics
