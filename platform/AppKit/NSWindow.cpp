#include "platform/AppKit/NSWindow.h"

#include "platform/AppKit/NSScreen.h"
#include "platform/CoreGraphics/CGDisplay.h"

#include <algorithm>
#include <cmath>

const NSNotificationName NSWindowDidResignKeyNotification = "NSWindowDidResignKeyNotification";
const NSNotificationName NSWindowDidResignMainNotification = "NSWindowDidResignMainNotification";

namespace {

template <class Visit>
void VisitTree(NSView& view, const Visit& visit)
{
  visit(view);
  for (const auto& subview : std::vector(view.subviews()))
    VisitTree(*subview, visit);
}

bool IsWithin(const NSResponder* responder, const NSView* view)
{
  for (auto* v = dynamic_cast<const NSView*>(responder); v; v = v->superview())
  {
    if (v == view)
      return true;
  }
  return false;
}

}  // namespace

NSWindow::NSWindow(NSRect contentRect)
: mFrame(contentRect), mBackingScale(NSScreen::mainScreen()->backingScaleFactor())
{
}

NSWindow::~NSWindow()
{
  if (mToolTipTimer)
    mToolTipTimer->invalidate();
  if (mContentView)
    mContentView->MoveToWindow(nullptr);
}

void NSWindow::setContentSize(NSSize size)
{
  mFrame.origin.y += mFrame.size.height - size.height;
  mFrame.size = size;
  if (mContentView)
    mContentView->setFrameSize(size);
}

void NSWindow::setContentView(std::shared_ptr<NSView> view)
{
  if (view == mContentView)
    return;
  if (view)
    view->removeFromSuperview();
  const std::shared_ptr<NSView> previous = std::move(mContentView);
  if (previous)
    previous->MoveToWindow(nullptr);
  mContentView = std::move(view);
  if (mContentView)
  {
    mContentView->setFrame(NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height));
    mContentView->MoveToWindow(this);
  }
}

NSRect NSWindow::convertRectToScreen(NSRect rect) const
{
  return {{rect.origin.x + mFrame.origin.x, rect.origin.y + mFrame.origin.y}, rect.size};
}

NSRect NSWindow::convertRectFromScreen(NSRect rect) const
{
  return {{rect.origin.x - mFrame.origin.x, rect.origin.y - mFrame.origin.y}, rect.size};
}

void NSWindow::setBackingScaleFactor(CGFloat scale)
{
  if (scale == mBackingScale)
    return;
  mBackingScale = scale;
  if (mContentView)
    VisitTree(*mContentView, [](NSView& view) { view.viewDidChangeBackingProperties(); });
}

NSAppearance NSWindow::effectiveAppearance() const
{
  return mAppearance ? *mAppearance : platform::SystemAppearance();
}

void NSWindow::setAppearance(const NSAppearanceName& name)
{
  mAppearance = std::make_unique<NSAppearance>(name);
  if (mContentView)
    VisitTree(*mContentView, [](NSView& view) { view.viewDidChangeEffectiveAppearance(); });
}

NSResponder* NSWindow::firstResponder() const
{
  const std::shared_ptr<NSResponder> responder = mFirstResponder.lock();
  return responder ? responder.get() : const_cast<NSWindow*>(this);
}

bool NSWindow::makeFirstResponder(NSResponder* responder)
{
  NSResponder* current = firstResponder();
  if (!responder)
    responder = this;
  if (responder == current)
    return true;
  const std::shared_ptr<NSResponder> hold = current->weak_from_this().lock();
  if (!current->resignFirstResponder())
    return false;
  mFirstResponder.reset();
  if (responder == this || !responder->acceptsFirstResponder() || !responder->becomeFirstResponder())
    return responder == this;
  mFirstResponder = responder->weak_from_this();
  return true;
}

void NSWindow::makeKeyAndOrderFront()
{
  mKey = true;
  mMain = true;
}

void NSWindow::resignKeyWindow()
{
  if (!mKey)
    return;
  mKey = false;
  NSNotificationCenter::defaultCenter().postNotificationName(NSWindowDidResignKeyNotification, this);
}

void NSWindow::resignMainWindow()
{
  if (!mMain)
    return;
  mMain = false;
  NSNotificationCenter::defaultCenter().postNotificationName(NSWindowDidResignMainNotification, this);
}

void NSWindow::ViewLeaving(NSView* view)
{
  if (IsWithin(mFirstResponder.lock().get(), view))
    mFirstResponder.reset();
  if (IsWithin(mMouseView.lock().get(), view))
    mMouseView.reset();
}

std::shared_ptr<NSView> NSWindow::ViewAt(NSPoint point) const
{
  NSView* hit = mContentView ? mContentView->hitTest(point) : nullptr;
  return hit ? std::static_pointer_cast<NSView>(hit->shared_from_this()) : nullptr;
}

void NSWindow::TrackView(NSView& view, NSPoint location, bool dragging)
{
  const NSPoint local = view.convertPointFromView(location, nullptr);
  for (const auto& area : std::vector(view.trackingAreas()))
  {
    if (!(area->options() & NSTrackingMouseEnteredAndExited))
      continue;
    if (dragging && !(area->options() & NSTrackingEnabledDuringMouseDrag))
      continue;
    const bool inside = CGRectContainsPoint(area->rect(), local);
    if (inside == area->mInside)
      continue;
    area->mInside = inside;
    if (const std::shared_ptr<NSResponder> owner = area->owner())
    {
      const NSEvent event = NSEvent::mouseEventWithType(inside ? NSEventTypeMouseEntered : NSEventTypeMouseExited,
                                                        location, NSEventModifierFlags(0), this, 0);
      inside ? owner->mouseEntered(event) : owner->mouseExited(event);
    }
  }
}

void NSWindow::UpdateTracking(NSPoint location, bool dragging)
{
  if (mContentView)
    VisitTree(*mContentView, [&](NSView& view) { TrackView(view, location, dragging); });
}

void NSWindow::sendEvent(const NSEvent& event)
{
  const NSEventType type = event.type();
  if (type == NSEventTypeKeyDown || type == NSEventTypeKeyUp)
  {
    NSResponder* responder = firstResponder();
    const std::shared_ptr<NSResponder> hold = responder->weak_from_this().lock();
    type == NSEventTypeKeyDown ? responder->keyDown(event) : responder->keyUp(event);
    return;
  }

  const NSPoint location = event.locationInWindow();
  FollowPointerForToolTip(type == NSEventTypeMouseMoved ? std::optional<NSPoint>(location) : std::nullopt);
  const NSRect onScreen = convertRectToScreen({location, {0, 0}});
  platform::SetPointerLocation({onScreen.origin.x, CGDisplayPixelsHigh(CGMainDisplayID()) - onScreen.origin.y});
  UpdateTracking(location, !mMouseView.expired());

  switch (type)
  {
    case NSEventTypeLeftMouseDown:
    case NSEventTypeRightMouseDown:
    {
      const std::shared_ptr<NSView> view = ViewAt(location);
      if (!view)
        return;
      if (view.get() != firstResponder() && view->acceptsFirstResponder())
        makeFirstResponder(view.get());
      mMouseView = view;
      type == NSEventTypeLeftMouseDown ? view->mouseDown(event) : view->rightMouseDown(event);
      return;
    }
    case NSEventTypeLeftMouseDragged:
    case NSEventTypeRightMouseDragged:
      if (const std::shared_ptr<NSView> view = mMouseView.lock())
        type == NSEventTypeLeftMouseDragged ? view->mouseDragged(event) : view->rightMouseDragged(event);
      return;
    case NSEventTypeLeftMouseUp:
    case NSEventTypeRightMouseUp:
      if (const std::shared_ptr<NSView> view = mMouseView.lock())
      {
        mMouseView.reset();
        type == NSEventTypeLeftMouseUp ? view->mouseUp(event) : view->rightMouseUp(event);
      }
      return;
    case NSEventTypeMouseMoved:
      if (mAcceptsMouseMoved)
      {
        NSResponder* responder = firstResponder();
        const std::shared_ptr<NSResponder> hold = responder->weak_from_this().lock();
        responder->mouseMoved(event);
      }
      return;
    case NSEventTypeScrollWheel:
      if (const std::shared_ptr<NSView> view = ViewAt(location))
        view->scrollWheel(event);
      return;
    default: return;
  }
}

void NSWindow::FollowPointerForToolTip(std::optional<NSPoint> location)
{
  if (mToolTipTimer)
    mToolTipTimer->invalidate();
  mToolTipTimer = nullptr;
  if (mToolTip && !(location && CGRectContainsPoint(mToolTipArea, *location)))
    mToolTip.reset();
  bool tips = false;
  if (mContentView)
    VisitTree(*mContentView, [&](NSView& view) { tips = tips || !view.toolTipRects().empty(); });
  if (!location || !tips)
    return;
  // A weak hold: the window may go before the pointer has rested.
  std::weak_ptr<NSResponder> self = weak_from_this();
  const NSPoint at = *location;
  mToolTipTimer = NSTimer::timerWithTimeInterval(
    kToolTipDelay,
    [self, at](NSTimer&) {
      if (const auto window = std::static_pointer_cast<NSWindow>(self.lock()))
        window->ShowToolTipAt(at);
    },
    false);
  NSRunLoop::currentRunLoop().addTimer(mToolTipTimer, kCFRunLoopCommonModes);
}

void NSWindow::ShowToolTipAt(NSPoint location)
{
  mToolTipTimer = nullptr;
  if (!mContentView)
    return;
  // The rectangle added last of the deepest view that has one under the pointer.
  std::optional<NSShownToolTip> shown;
  VisitTree(*mContentView, [&](NSView& view) {
    const NSPoint local = view.convertPointFromView(location, nullptr);
    const auto& rects = view.toolTipRects();
    for (auto tip = rects.rbegin(); tip != rects.rend(); ++tip)
    {
      if (!tip->owner || !CGRectContainsPoint(tip->rect, local))
        continue;
      std::string text = tip->owner->stringForToolTip(tip->tag, local, tip->userData);
      shown = text.empty() ? std::nullopt : std::optional<NSShownToolTip>({std::move(text), location});
      const NSPoint corner = view.convertPointToView(tip->rect.origin, nullptr);
      const NSPoint opposite = view.convertPointToView(
        {tip->rect.origin.x + tip->rect.size.width, tip->rect.origin.y + tip->rect.size.height}, nullptr);
      mToolTipArea = {{std::min(corner.x, opposite.x), std::min(corner.y, opposite.y)},
                      {std::abs(opposite.x - corner.x), std::abs(opposite.y - corner.y)}};
      return;
    }
  });
  mToolTip = std::move(shown);
}

bool NSWindow::performDrag(const NSDraggingInfo& info)
{
  const std::vector<NSPasteboardType> dragged = info.draggingPasteboard().types();
  for (std::shared_ptr<NSView> view = ViewAt(info.draggingLocation()); view;
       view = view->superview() ? std::static_pointer_cast<NSView>(view->superview()->shared_from_this()) : nullptr)
  {
    const auto& wanted = view->registeredDraggedTypes();
    const bool takes = std::any_of(dragged.begin(), dragged.end(), [&](const NSPasteboardType& type) {
      return std::find(wanted.begin(), wanted.end(), type) != wanted.end();
    });
    if (takes)
      return view->draggingEntered(info) != NSDragOperationNone && view->performDragOperation(info);
  }
  return false;
}
