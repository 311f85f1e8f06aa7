#include "platform/AppKit/NSView.h"

#include "platform/AppKit/NSWindow.h"

#include <algorithm>

const NSNotificationName NSViewFrameDidChangeNotification = "NSViewFrameDidChangeNotification";

NSView::~NSView()
{
  for (const auto& view : mSubviews)
  {
    view->mSuperview = nullptr;
    view->MoveToWindow(nullptr);
  }
}

void NSView::setFrame(NSRect frame)
{
  const bool resized = frame.size.width != mFrame.size.width || frame.size.height != mFrame.size.height;
  const bool moved = frame.origin.x != mFrame.origin.x || frame.origin.y != mFrame.origin.y;
  mFrame = frame;
  if (resized && mWindow)
    updateTrackingAreas();
  if ((resized || moved) && mPostsFrameChanged)
    NSNotificationCenter::defaultCenter().postNotificationName(NSViewFrameDidChangeNotification, this);
}

bool NSView::FlipsAgainstSuperview() const
{
  return isFlipped() != (mSuperview && mSuperview->isFlipped());
}

NSPoint NSView::FromWindow(NSPoint point) const
{
  const NSPoint inSuperview = mSuperview ? mSuperview->FromWindow(point) : point;
  const CGFloat y = inSuperview.y - mFrame.origin.y;
  return {inSuperview.x - mFrame.origin.x, FlipsAgainstSuperview() ? mFrame.size.height - y : y};
}

NSPoint NSView::ToWindow(NSPoint point) const
{
  const CGFloat y = FlipsAgainstSuperview() ? mFrame.size.height - point.y : point.y;
  const NSPoint inSuperview{point.x + mFrame.origin.x, y + mFrame.origin.y};
  return mSuperview ? mSuperview->ToWindow(inSuperview) : inSuperview;
}

NSPoint NSView::convertPointFromView(NSPoint point, const NSView* view) const
{
  return FromWindow(view ? view->ToWindow(point) : point);
}

NSPoint NSView::convertPointToView(NSPoint point, const NSView* view) const
{
  const NSPoint inWindow = ToWindow(point);
  return view ? view->FromWindow(inWindow) : inWindow;
}

NSView* NSView::hitTest(NSPoint point)
{
  if (!CGRectContainsPoint(mFrame, point))
    return nullptr;
  const CGFloat y = point.y - mFrame.origin.y;
  const NSPoint local{point.x - mFrame.origin.x, FlipsAgainstSuperview() ? mFrame.size.height - y : y};
  for (auto view = mSubviews.rbegin(); view != mSubviews.rend(); ++view)
  {
    if (NSView* hit = (*view)->hitTest(local))
      return hit;
  }
  return this;
}

void NSView::addSubview(const std::shared_ptr<NSView>& view)
{
  if (!view || view.get() == this)
    return;
  const std::shared_ptr<NSView> hold = view;
  if (view->mSuperview || view->mWindow)
    view->removeFromSuperview();
  mSubviews.push_back(view);
  view->mSuperview = this;
  view->MoveToWindow(mWindow);
}

void NSView::removeFromSuperview()
{
  const std::shared_ptr<NSView> self = Self();  // the superview may hold the last reference
  if (mWindow && mWindow->contentView() == this)
  {
    mWindow->setContentView(nullptr);
    return;
  }
  if (!mSuperview)
    return;
  auto& siblings = mSuperview->mSubviews;
  std::erase_if(siblings, [this](const std::shared_ptr<NSView>& view) { return view.get() == this; });
  mSuperview = nullptr;
  MoveToWindow(nullptr);
}

void NSView::MoveToWindow(NSWindow* window)
{
  if (window == mWindow)
    return;
  const std::shared_ptr<NSView> self = Self();
  if (mWindow)
    mWindow->ViewLeaving(this);
  mWindow = window;
  for (const auto& view : std::vector(mSubviews))
    view->MoveToWindow(window);
  viewDidMoveToWindow();
  if (mWindow && mWindow == window)
  {
    viewDidChangeBackingProperties();
    updateTrackingAreas();
  }
}

NSAppearance NSView::effectiveAppearance() const
{
  return mWindow ? mWindow->effectiveAppearance() : platform::SystemAppearance();
}

NSResponder* NSView::nextResponder() const
{
  if (mSuperview)
    return mSuperview;
  return mWindow;
}

void NSView::setWantsLayer(bool wants)
{
  mWantsLayer = wants;
  if (wants && !mLayer)
    mLayer = std::make_shared<CAMetalLayer>();
}

void NSView::addTrackingArea(std::shared_ptr<NSTrackingArea> area)
{
  if (area)
    mTrackingAreas.push_back(std::move(area));
}

void NSView::removeTrackingArea(const std::shared_ptr<NSTrackingArea>& area)
{
  std::erase(mTrackingAreas, area);
}

NSToolTipTag NSView::addToolTipRect(NSRect rect, const NSToolTipOwner* owner, void* userData)
{
  mToolTips.push_back({mNextToolTipTag, rect, owner, userData});
  return mNextToolTipTag++;
}
