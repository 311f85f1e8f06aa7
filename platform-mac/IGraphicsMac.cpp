#include "platform-mac/IGraphicsMac.h"

#include <cmath>

#include "framework/IGraphicsEditorDelegate.h"
#include "graphics/ISpecialControls.h"
#include "platform/AppKit/NSScreen.h"
#include "platform/CoreServices/Gestalt.h"
#include "platform-mac/IGraphicsCoreText.h"
#include "platform-mac/IGraphicsView.h"

namespace iplug::igraphics {

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
  if (mView) {
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
  auto* native = static_cast<NSView*>(view);
  native->setFrame(ToViewRect(bounds));
  mView->addSubview(std::static_pointer_cast<NSView>(native->shared_from_this()));
}

void IGraphicsMac::DetachNativeView(void* view)
{
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
  if (const IPopupMenuControl* menu = GetPopupMenuControl(); menu && menu->GetState() != IPopupMenuControl::kCollapsed)
    return;
  for (int i = 0; i < NControls(); ++i) {
    const IControl* control = GetControl(i);
    if (!control->IsHidden() && !control->GetTargetRECT().Empty())
      mView->addToolTipRect(ToViewRect(control->GetTargetRECT()), mView.get(), nullptr);
  }
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

void IGraphicsMac::CacheNativeFont(const char* fontID, PlatformFont* font) { CacheCoreTextFont(fontID, font); }

} // namespace iplug::igraphics
