#pragma once
// Views: a tree of rectangles inside a window, each with its own coordinate system.
//
// A view's frame is given in its superview's coordinates; the window's own coordinates have their
// origin at the bottom left and y upwards, and a flipped view (isFlipped) puts its origin at its
// top left with y downwards. Views are shared-owned (the superview holds its subviews) and a view
// keeps itself alive while it takes itself out of the tree. The only layer kind here is the Metal
// layer the renderer draws into.

#include <memory>
#include <string>
#include <vector>

#include "platform/AppKit/NSApplication.h"
#include "platform/AppKit/NSPasteboard.h"
#include "platform/AppKit/NSResponder.h"
#include "platform/Foundation/NSNotification.h"
#include "platform/Metal/CAMetalLayer.h"

class NSWindow;

extern const NSNotificationName NSViewFrameDidChangeNotification;

enum NSViewLayerContentsRedrawPolicy : NSInteger {
  NSViewLayerContentsRedrawNever = 0,
  NSViewLayerContentsRedrawOnSetNeedsDisplay = 1,
  NSViewLayerContentsRedrawDuringViewResize = 2,
  NSViewLayerContentsRedrawBeforeViewResize = 3,
  NSViewLayerContentsRedrawCrossfade = 4,
};

enum NSTrackingAreaOptions : NSUInteger {
  NSTrackingMouseEnteredAndExited = 0x01,
  NSTrackingMouseMoved = 0x02,
  NSTrackingCursorUpdate = 0x04,
  NSTrackingActiveWhenFirstResponder = 0x10,
  NSTrackingActiveInKeyWindow = 0x20,
  NSTrackingActiveInActiveApp = 0x40,
  NSTrackingActiveAlways = 0x80,
  NSTrackingAssumeInside = 0x100,
  NSTrackingInVisibleRect = 0x200,
  NSTrackingEnabledDuringMouseDrag = 0x400,
};

// A rectangle of a view whose owner hears the pointer entering and leaving it.
class NSTrackingArea
{
public:
  NSTrackingArea(NSRect rect, NSUInteger options, std::weak_ptr<NSResponder> owner, void* userInfo)
  : mRect(rect),
    mOptions(options),
    mOwner(std::move(owner)),
    mUserInfo(userInfo),
    mInside((options & NSTrackingAssumeInside) != 0)
  {
  }
  NSRect rect() const { return mRect; }
  NSUInteger options() const { return mOptions; }
  std::shared_ptr<NSResponder> owner() const { return mOwner.lock(); }
  void* userInfo() const { return mUserInfo; }

private:
  friend class NSWindow;
  NSRect mRect;
  NSUInteger mOptions;
  std::weak_ptr<NSResponder> mOwner;
  void* mUserInfo;
  bool mInside;
};

typedef NSInteger NSToolTipTag;

// The owner of a tooltip rectangle gives its text when the tooltip is about to show, for the point
// of the view the pointer rests on.
class NSToolTipOwner
{
public:
  virtual ~NSToolTipOwner() = default;
  virtual std::string stringForToolTip(NSToolTipTag tag, NSPoint point, void* userData) const = 0;
};

struct NSToolTipRect
{
  NSToolTipTag tag;
  NSRect rect;
  const NSToolTipOwner* owner;
  void* userData;
};

class NSView : public NSResponder
{
public:
  NSView() = default;
  NSView(const NSView&) = delete;
  NSView& operator=(const NSView&) = delete;
  ~NSView() override;

  void initWithFrame(NSRect frame) { mFrame = frame; }

  // ---- geometry
  NSRect frame() const { return mFrame; }
  NSRect bounds() const { return NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height); }
  void setFrame(NSRect frame);
  void setFrameSize(NSSize size) { setFrame({mFrame.origin, size}); }
  virtual bool isFlipped() const { return false; }
  virtual bool isOpaque() const { return false; }
  void setPostsFrameChangedNotifications(bool on) { mPostsFrameChanged = on; }
  // Between this view's coordinates and another view's of the same window; a null view means
  // the window's coordinates.
  NSPoint convertPointFromView(NSPoint point, const NSView* view) const;
  NSPoint convertPointToView(NSPoint point, const NSView* view) const;
  // The deepest view under a point given in the superview's coordinates, or null.
  NSView* hitTest(NSPoint point);

  // ---- the tree
  NSView* superview() const { return mSuperview; }
  const std::vector<std::shared_ptr<NSView>>& subviews() const { return mSubviews; }
  NSWindow* window() const { return mWindow; }
  // A view that has a superview leaves it first.
  void addSubview(const std::shared_ptr<NSView>& view);
  virtual void removeFromSuperview();
  virtual void viewDidMoveToWindow() {}
  virtual void viewDidChangeBackingProperties() {}
  virtual void viewDidChangeEffectiveAppearance() {}
  NSAppearance effectiveAppearance() const;
  NSResponder* nextResponder() const override;

  // ---- layer
  void setWantsLayer(bool wants);
  bool wantsLayer() const { return mWantsLayer; }
  const std::shared_ptr<CAMetalLayer>& layer() const { return mLayer; }
  void setLayer(std::shared_ptr<CAMetalLayer> layer) { mLayer = std::move(layer); }
  NSViewLayerContentsRedrawPolicy layerContentsRedrawPolicy() const { return mRedrawPolicy; }
  void setLayerContentsRedrawPolicy(NSViewLayerContentsRedrawPolicy policy) { mRedrawPolicy = policy; }

  // ---- pointer tracking: the window calls updateTrackingAreas when the view joins it and when
  // its size changes
  virtual void updateTrackingAreas() {}
  void addTrackingArea(std::shared_ptr<NSTrackingArea> area);
  void removeTrackingArea(const std::shared_ptr<NSTrackingArea>& area);
  const std::vector<std::shared_ptr<NSTrackingArea>>& trackingAreas() const { return mTrackingAreas; }

  // ---- tooltips
  // The window shows the owner's text once the pointer has rested over the rectangle (the view's
  // coordinates) for a moment.
  NSToolTipTag addToolTipRect(NSRect rect, const NSToolTipOwner* owner, void* userData);
  void removeAllToolTips() { mToolTips.clear(); }
  const std::vector<NSToolTipRect>& toolTipRects() const { return mToolTips; }

  // ---- as a drag destination
  void registerForDraggedTypes(std::vector<NSPasteboardType> types) { mDraggedTypes = std::move(types); }
  const std::vector<NSPasteboardType>& registeredDraggedTypes() const { return mDraggedTypes; }
  virtual NSDragOperation draggingEntered(const NSDraggingInfo&) { return NSDragOperationNone; }
  virtual bool performDragOperation(const NSDraggingInfo&) { return false; }

private:
  friend class NSWindow;
  // Gives the view and its subviews their window, telling each one.
  void MoveToWindow(NSWindow* window);
  NSPoint FromWindow(NSPoint point) const;
  NSPoint ToWindow(NSPoint point) const;
  bool FlipsAgainstSuperview() const;
  // Null for a view that no one shares.
  std::shared_ptr<NSView> Self() { return std::static_pointer_cast<NSView>(weak_from_this().lock()); }

  NSRect mFrame = {{0, 0}, {0, 0}};
  NSView* mSuperview = nullptr;
  NSWindow* mWindow = nullptr;
  std::vector<std::shared_ptr<NSView>> mSubviews;
  bool mPostsFrameChanged = true;
  bool mWantsLayer = false;
  std::shared_ptr<CAMetalLayer> mLayer;
  NSViewLayerContentsRedrawPolicy mRedrawPolicy = NSViewLayerContentsRedrawDuringViewResize;
  std::vector<std::shared_ptr<NSTrackingArea>> mTrackingAreas;
  std::vector<NSToolTipRect> mToolTips;
  NSToolTipTag mNextToolTipTag = 1;
  std::vector<NSPasteboardType> mDraggedTypes;
};
