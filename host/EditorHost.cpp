#include "host/EditorHost.h"

#include "platform/AppKit/NSEvent.h"
#include "platform/AudioToolbox/AUCocoaUIView.h"
#include "platform/AudioToolbox/AudioUnitProperties.h"
#include "platform/CoreFoundation/CoreFoundation.h"

#include <vector>

namespace host {
namespace {

// The class that makes the view, as the plug-in names it; empty when it offers no editor.
std::string ViewFactoryClass(AudioUnit unit)
{
  UInt32 size = 0;
  Boolean writable = false;
  if (AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &size, &writable) !=
        noErr ||
      size < sizeof(AudioUnitCocoaViewInfo))
    return {};
  AudioUnitCocoaViewInfo info{};
  size = sizeof info;
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size) != noErr)
    return {};
  std::string name;
  if (CFStringRef className = info.mCocoaAUViewClass[0])
  {
    char text[256] = {};
    if (CFStringGetCString(className, text, sizeof text, kCFStringEncodingUTF8))
      name = text;
    CFRelease(className);
  }
  if (info.mCocoaAUViewBundleLocation)
    CFRelease(info.mCocoaAUViewBundleLocation);
  return name;
}

}  // namespace

std::string EditorHost::Open()
{
  Close();
  const std::string className = ViewFactoryClass(mUnit);
  if (className.empty())
    return "the plug-in offers no editor";
  const std::unique_ptr<platform::NSObject> object = platform::CreateObject(className);
  auto* factory = dynamic_cast<AUCocoaUIBase*>(object.get());
  if (!factory)
    return "the plug-in's view class \"" + className + "\" cannot be made";
  auto* view = static_cast<NSView*>(factory->uiViewForAudioUnit(mUnit, NSMakeSize(0, 0)));
  if (!view)
    return "the plug-in's editor could not be opened";
  mView = std::static_pointer_cast<NSView>(view->shared_from_this());
  const NSSize size = mView->frame().size;
  mWindow = std::make_shared<NSWindow>(NSMakeRect(100, 100, size.width, size.height));
  mWindow->setContentView(std::make_shared<NSView>());
  mWindow->contentView()->addSubview(mView);
  NSNotificationCenter::defaultCenter().addObserver(
    this, [this](const NSNotification&) { mWindow->setContentSize(mView->frame().size); },
    NSViewFrameDidChangeNotification, mView.get());
  mWindow->makeKeyAndOrderFront();
  return {};
}

void EditorHost::Mouse(NSEventType type, NSPoint inView, NSEventModifierFlags flags)
{
  const NSPoint at = mView->convertPointToView(inView, nullptr);
  mWindow->sendEvent(NSEvent::mouseEventWithType(type, at, flags, mWindow.get(), 1));
}

void EditorHost::Click(NSPoint inView)
{
  Mouse(NSEventTypeLeftMouseDown, inView);
  Mouse(NSEventTypeLeftMouseUp, inView);
}

std::optional<NSPoint> EditorHost::FindByTooltip(const std::string& start)
{
  for (const NSToolTipRect& tip : std::vector(mView->toolTipRects()))
  {
    const NSPoint middle{tip.rect.origin.x + tip.rect.size.width / 2, tip.rect.origin.y + tip.rect.size.height / 2};
    Mouse(NSEventTypeMouseMoved, middle);
    if (tip.owner && tip.owner->stringForToolTip(tip.tag, middle, tip.userData).rfind(start, 0) == 0)
      return middle;
  }
  return std::nullopt;
}

void EditorHost::DragCorner(NSPoint to, NSEventModifierFlags flags)
{
  const NSSize size = mView->frame().size;
  Mouse(NSEventTypeLeftMouseDown, NSMakePoint(size.width - kCornerInset, size.height - kCornerInset), flags);
  Mouse(NSEventTypeLeftMouseDragged, to, flags);
  Mouse(NSEventTypeLeftMouseUp, to, flags);
}

void EditorHost::Close()
{
  NSNotificationCenter::defaultCenter().removeObserver(this);
  if (mView)
    mView->removeFromSuperview();
  mView = nullptr;
  mWindow = nullptr;
}

}  // namespace host
