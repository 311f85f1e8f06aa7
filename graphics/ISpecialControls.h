#pragma once

// The control-library classes that the graphics object owns or reaches itself: the corner
// resizer, the value bubble, the in-window popup menu and text entry and the frame-time read-out.
// They live beside the graphics object because it creates them; where a class here holds only
// what the graphics object reads and writes, the rest of its behaviour is still to come.

#include <string>

#include "graphics/IControl.h"
#include "graphics/IVectorBase.h"

namespace iplug::igraphics
{

class IPopupMenu;

// The square in the editor's bottom-right corner by which the user resizes or rescales it; the
// graphics object runs the drag once the mouse down has set its resizing flag.
class ICornerResizerControl : public IControl
{
public:
  static constexpr int kCursorSizeNWSE = 5;  // the diagonal resize cursor

  ICornerResizerControl(const IRECT& graphicsBounds, float size, const IColor& color,
                        const IColor& mouseOverColor, const IColor& dragColor);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Back to the size the editor had when the resizer was made, at scale 1.
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnRescale() override;
  void Draw(IGraphics& g) override;

private:
  float mSize;
  bool mMouseOver = false;
  int mPrevCursorType = 0;  // shown before the pointer came over the handle
  IRECT mInitialGraphicsBounds;
  IColor mColor;
  IColor mMouseOverColor;
  IColor mDragColor;
};

// The speech bubble that shows a value beside the control being changed. The graphics object
// places it (ShowBubble); these are the fields it writes and reads.
class IBubbleControl : public IControl
{
public:
  enum EArrowDir { kNorth = 0, kEast, kSouth, kWest };

  IBubbleControl(const IText& text, const IColor& fillColor, const IColor& outlineColor,
                 float roundness);

  void Draw(IGraphics&) override {}

  // The box the text occupies with the bubble's text style.
  void MeasureBubbleText(const char* str, IRECT& r) const;

  IRECT mMaxBounds;
  uint64_t mTouchId = 0;
  int mDirection = 1;  // 0 above the anchor, 1 right of it
  std::string mStr;
  IRECT mBubbleBounds;
  int mArrowDir = kWest;
  float mPadding = 10.f;
  float mArrowSize = 10.f;
  int mState = 0;  // 0 hidden
  IControl* mCaller = nullptr;
  IColor mFillColor;
  IColor mOutlineColor;
  float mRoundness;
};

// The in-window popup menu. While its state is kExpanded the menu is showing and the graphics
// object sends it every pointer event; a choice or a dismissal ends in the graphics object's
// ApplyPopupMenuResult.
class IPopupMenuControl : public IControl
{
public:
  enum EPopupState { kCollapsed = 0, kExpanding, kExpanded, kCollapsing };

  IPopupMenuControl(const IText& text, const IRECT& bounds);

  void OpenMenu(IPopupMenu& menu, const IRECT& bounds);
  void Hide(bool hide) override;
  void Draw(IGraphics&) override {}

  int GetState() const { return mState; }
  bool GetExpanded() const { return mState == kExpanded; }
  IPopupMenu* GetMenu() const { return mMenu; }
  const IRECT& GetAnchorArea() const { return mAnchorArea; }

private:
  int mState = kCollapsed;
  IPopupMenu* mMenu = nullptr;
  IRECT mAnchorArea;
};

// The in-window text entry; while editing it takes the keys and the pointer.
class ITextEntryControl : public IControl
{
public:
  ITextEntryControl();

  void OpenTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
                     const char* str);
  void Hide(bool hide) override;
  void Draw(IGraphics&) override {}

  bool EditInProgress() const { return mEditing; }
  const char* GetStr() const { return mStr.c_str(); }
  int GetParamIdx() const { return mParamIdx; }
  int GetMaxLength() const { return mMaxLength; }

private:
  bool mEditing = false;
  std::string mStr;
  int mParamIdx = -1;
  int mMaxLength = 0;
};

// The frame-time read-out: a ring of the last 100 frame durations in seconds.
class IFPSDisplayControl : public IControl, public IVectorBase
{
public:
  static constexpr int kNumDataPoints = 100;

  IFPSDisplayControl(const IRECT& bounds, int mode, const char* name);

  // Advances the write index by one and stores the seconds since the previous frame there.
  void Update(float frameTime)
  {
    mReadPos = (mReadPos + 1) % kNumDataPoints;
    mBuffer[mReadPos] = frameTime;
  }
  bool IsDirty() override { return true; }
  void Draw(IGraphics&) override {}

  float GetFrameTime(int idx) const { return mBuffer[idx]; }
  int GetWriteIndex() const { return mReadPos; }
  int GetMode() const { return mMode; }
  const char* GetName() const { return mName.c_str(); }

private:
  int mMode;
  std::string mName;
  float mBuffer[kNumDataPoints] = {};
  int mReadPos = 0;
};

} // namespace iplug::igraphics
