#pragma once

// The control-library classes that the graphics object owns or reaches itself: the corner
// resizer, the value bubble, the in-window popup menu and text entry and the frame-time read-out.
// They live beside the graphics object because it creates them.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/WDLHeapBuf.h"
#include "graphics/IControl.h"
#include "graphics/IPopupMenu.h"
#include "graphics/IVectorBase.h"

namespace iplug::igraphics
{

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

// The speech bubble that shows a value beside the control being changed: it fades in, stays
// while its control is held and fades out. The graphics object fills and places it (ShowBubble)
// through the fields below.
class IBubbleControl : public IControl
{
public:
  enum EArrowDir { kNorth = 0, kEast, kSouth, kWest };
  enum EState { kHidden = 0, kFadingIn, kShown, kFadingOut };

  IBubbleControl(const IText& text, const IColor& fillColor, const IColor& outlineColor,
                 float roundness);

  void Draw(IGraphics& g) override;
  virtual void DrawBubbleText(IGraphics& g, const IRECT& r);
  // The rounded box with its arrow on the side of mArrowDir, filled and outlined.
  virtual void DrawBubbleShape(IGraphics& g, const IRECT& r);

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
  float mMaxOpacity = 0.95f;
  float mOutlineThickness = 2.f;
  int mState = kHidden;
  IControl* mCaller = nullptr;
  IColor mFillColor;
  IColor mOutlineColor;
  float mRoundness;

private:
  // The opacity by state over one round of the animation clock.
  void Fade();
};

// The in-window popup menu: a rounded panel per menu level beside the area that asked for it,
// one cell per item, sub-menus in further panels, scroll arrows for a list that does not fit,
// and short fades. The graphics object hands it every menu once it is attached; the choice goes
// back through the graphics object's ApplyPopupMenuResult to the control that asked.
class IPopupMenuControl : public IControl
{
public:
  // 4 shows the clicked item without its highlight for a moment; 6 lets the last frame fade.
  enum EPopupState
  {
    kCollapsed = 0,
    kExpanding,
    kExpanded,
    kCollapsing,
    kFlickering,
    kSubMenuAppearing,
    kIdling
  };
  // Where the root panel lies relative to the anchor area.
  enum ECalloutDir { kAbove = 0, kRight, kBelow, kLeft };

  // One shown menu level: its cells, rectangles and fade.
  class MenuPanel
  {
  public:
    MenuPanel(IPopupMenuControl& control, IPopupMenu& menu, float x, float y, int parentIdx);

    // The first cell holding the point whose item is enabled, or null.
    IRECT* HitTestCells(float x, float y);
    // The cell's position in this panel, or -1 for a cell of another panel (or null).
    int CellIndex(const IRECT* cell) const;
    // The item a cell shows: the cell's position plus the first item shown.
    IPopupMenu::Item* ItemAt(int cellIdx) const;
    // Whether a cell of a scrolled list shows an arrow in place of its item.
    bool ShowsUpArrow(int cellIdx) const;
    bool ShowsDownArrow(int cellIdx) const;
    int NCells() const { return static_cast<int>(mCells.size()); }

    IPopupMenu& mMenu;
    std::vector<IRECT> mCells;  // fixed once built, so pointers to cells stay valid
    IRECT mTargetRECT;          // the panel: the cells grown by the panel padding
    IRECT mRECT;                // the panel with room for its shadow
    int mCellsThatFit = 0;
    bool mShouldDraw = true;
    IBlend mBlend{0, 0.f};
    IRECT mSingleCellBounds;  // the largest cell
    IRECT* mSubmenuCell = nullptr;
    IRECT* mClickedCell = nullptr;
    int mParentIdx;
    bool mScroller = false;
    int mScrollItemOffset = 0;
  };

  IPopupMenuControl(int paramIdx = -1, const IText& text = IText(),
                    const IRECT& collapsedBounds = IRECT(), const IRECT& expandedBounds = IRECT());
  ~IPopupMenuControl() override;

  void Draw(IGraphics& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnMouseWheel(float, float, const IMouseMod&, float) override {}
  void AnimationEnded() override;

  // Shows a menu for the anchor area; ignored unless collapsed.
  void OpenMenu(IPopupMenu& menu, const IRECT& anchorArea);
  // Closes an open menu with no choice, as a click beside it would.
  void CloseMenu();

  virtual void DrawCalloutArrow(IGraphics& g, const IRECT& bounds, const IBlend* blend);
  virtual void DrawSubmenuCalloutArrow(IGraphics& g, const IRECT& bounds, const IBlend* blend);
  virtual void DrawPanelBackground(IGraphics& g, MenuPanel& panel);
  virtual void DrawPanelShadow(IGraphics& g, MenuPanel& panel);
  virtual void DrawCellBackground(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item,
                                  bool sel, const IBlend* blend);
  virtual void DrawCellText(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item,
                            bool sel, const IBlend* blend);
  virtual void DrawCheckMark(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item,
                             bool sel, const IBlend* blend);
  virtual void DrawSubmenuArrow(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item,
                                bool sel, const IBlend* blend);
  virtual void DrawUpArrow(IGraphics& g, const IRECT& bounds, bool sel, const IBlend* blend);
  virtual void DrawDownArrow(IGraphics& g, const IRECT& bounds, bool sel, const IBlend* blend);
  virtual void DrawSeparator(IGraphics& g, const IRECT& bounds, const IBlend* blend);
  virtual void CommitSelection();

  int GetState() const { return mState; }
  bool GetExpanded() const { return mState == kExpanded; }
  // From the first frame of the opening fade to the click that closes it, the menu takes every
  // pointer event, so nothing beneath it reacts to a pointer over the menu.
  bool TakesPointer() const
  {
    return mState == kExpanding || mState == kExpanded || mState == kSubMenuAppearing;
  }
  IPopupMenu* GetMenu() const { return mMenu; }
  const IRECT& GetAnchorArea() const { return mAnchorArea; }
  int GetCalloutDirection() const { return mCalloutDir; }
  bool SubmenusOpenToTheRight() const { return mSubMenuOpensRight; }
  int NPanels() const { return static_cast<int>(mMenuPanels.size()); }
  MenuPanel* GetPanel(int idx) const { return mMenuPanels[static_cast<size_t>(idx)].get(); }
  const IRECT* GetPointerCell() const { return mMouseCellBounds; }

  // The cell for the widest and tallest item text, at (x, y).
  IRECT GetLargestCellRect(const IPopupMenu& menu, float x, float y) const;
  // Width and height of the cells of a menu stacked in one column.
  void GetPanelContentSize(const IPopupMenu& menu, float& w, float& h) const;

private:
  void ExpandMenu(const IRECT& anchorArea);
  void UpdateSubmenus();
  // Shows the panel of a sub-menu beside the cell that opens it, building it on first use.
  MenuPanel* ShowSubmenuPanel(IPopupMenu& subMenu, const IRECT& cell);
  // Every panel opened from the panel at idx, however deep.
  bool DescendsFrom(const MenuPanel& panel, int idx) const;
  int PanelIndex(const MenuPanel* panel) const;
  void SetAllPanelsOpacity(float weight);
  // The square of the callout at the anchor for a panel direction.
  IRECT CalloutSquare(int dir, float size) const;
  void AnimateFade();

  std::vector<std::unique_ptr<MenuPanel>> mMenuPanels;
  MenuPanel* mActivePanel = nullptr;
  MenuPanel* mAppearingPanel = nullptr;
  int mState = kCollapsed;
  IRECT* mMouseCellBounds = nullptr;
  IPopupMenu* mMenu = nullptr;
  int mMaxColumnItems = 0;
  bool mScrollIfTooBig = true;
  bool mCallOut = false;
  bool mMenuHasSubmenu = false;
  bool mPreferBelow = true;
  bool mSubMenuOpensRight = true;
  bool mSubMenuCalloutShown = false;
  float mCellGap = 2.f;
  float mSeparatorSize = 2.f;
  float mRoundness = 5.f;
  float mDropShadowSize = 10.f;
  float mOpacity = 0.95f;
  float mMenuShift = 0.f;
  float mTextPadding = 5.f;
  float mCheckTickWidth = 10.f;
  float mSubmenuArrowWidth = 8.f;
  float mPadding = 5.f;
  float mCalloutSize = 8.f;
  IRECT mAnchorArea;
  int mCalloutDir = kRight;
  IRECT mCalloutArrowBounds;
  IRECT mSubmenuCalloutArrowBounds;
  IRECT mMaxBounds;
  IColor mPanelBackgroundColor{255, 255, 255, 255};
  IColor mCellBackGroundColor{255, 0, 0, 255};
  IColor mItemMouseoverColor{255, 255, 255, 255};
  IColor mItemColor{255, 0, 0, 0};
  IColor mDisabledItemColor{255, 127, 127, 127};
  IColor mSeparatorColor{255, 200, 200, 200};
  IRECT mSpecifiedCollapsedBounds;
  IRECT mSpecifiedExpandedBounds;
};

// The in-window text entry: one line of text edited in place of the native field. While it is
// open the graphics object routes every key and pointer event to it; return or a click outside
// applies the text, escape drops it.
class ITextEntryControl : public IControl
{
public:
  ITextEntryControl();
  ~ITextEntryControl() override;

  void Draw(IGraphics& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  bool OnKeyDown(float x, float y, const IKeyPress& key) override;
  void AnimationEnded() override;

  // Opens over bounds with all of str selected; the length limit is the native field's.
  void OpenTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
                     const char* str);
  void CommitEdit();
  void CancelEdit();
  // Closes without applying, as when the editor loses focus.
  void DismissEdit();

  void SelectAll();
  void CopySelection();
  void Cut();
  void Paste();

  bool EditInProgress() const { return mEditing; }
  bool CursorVisible() const { return mDrawCursor; }
  std::string GetStr() const;
  int GetLength() const { return static_cast<int>(mEditString.size()); }
  char16_t GetChar(int idx) const;
  int GetCursor() const;
  int GetSelectionStart() const;
  int GetSelectionEnd() const;
  // The width a character adds to the line, its kerning with the one before included.
  float GetCharWidth(int idx);
  void FillCharWidthCache();
  const IPopupMenu& GetEditMenu() const { return mEditMenu; }

private:
  friend struct TextEditAccess;
  struct EditState;
  // One row holding the whole text: its horizontal extent and its vertical span from the top.
  struct Row
  {
    float x0, x1, ymin, ymax;
  };

  void Blink();
  void SetStr(const char* str);
  void CalcCharWidths();
  float MeasureWidth(std::u16string_view chars) const;
  float WidthBefore(int idx);
  Row LayoutRow();
  bool DeleteChars(int pos, int n);
  bool InsertChars(int pos, const char16_t* chars, int n);
  // Runs an edit on the state machine and marks the control for drawing when it changed.
  template <class Edit> bool ChangesState(Edit edit);
  bool SendKey(uint32_t key);
  // Whether the entry takes a character, typed or pasted: no control characters; for a numeric
  // parameter only digits (digit tells: a typed one by its key), signs and, for a floating-point
  // one, the point.
  bool TakesChar(uint32_t ch, bool digit) const;
  // The character a key types for the parameter being edited, or the key as a function key,
  // which types nothing.
  uint32_t FilteredKey(const IKeyPress& key, uint32_t ch) const;
  void Close();

  bool mDrawCursor = false;
  bool mEditing = false;
  std::unique_ptr<EditState> mEditState;
  WDL_TypedBuf<float> mCharWidths;
  std::u16string mEditString;
  int mParamIdx = -1;
  IPopupMenu mEditMenu{"", {"Cut", "Copy", "Paste"}};
};

// The frame-time read-out: a plot of the last 100 frame durations and their average, as frames
// per second, milliseconds or a percentage; a click moves to the next of the three.
class IFPSDisplayControl : public IControl, public IVectorBase
{
public:
  static constexpr int kNumDataPoints = 100;
  enum EMode { kFPS = 0, kMilliseconds, kPercentage, kNumModes };

  IFPSDisplayControl(const IRECT& bounds, int mode, const char* name);

  // Advances the write index by one and stores the seconds since the previous frame there.
  void Update(float frameTime)
  {
    mReadPos = (mReadPos + 1) % kNumDataPoints;
    mBuffer[mReadPos] = frameTime;
  }
  bool IsDirty() override { return true; }
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void Draw(IGraphics& g) override;

  float GetFrameTime(int idx) const { return mBuffer[idx]; }
  int GetWriteIndex() const { return mReadPos; }
  int GetMode() const { return mMode; }
  const char* GetName() const { return mName.c_str(); }

private:
  int mMode;
  std::string mName;
  float mBuffer[kNumDataPoints] = {};
  int mReadPos = 0;
  IText mTitleText;
  IText mMainText;
  IText mSecondText;
};

} // namespace iplug::igraphics
