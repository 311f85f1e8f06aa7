#pragma once

#include <memory>
#include <vector>

#include "graphics/IControl.h"
#include "graphics/IPopupMenu.h"

namespace iplug::igraphics {

// The in-window popup menu: a rounded panel per menu level beside the area that asked for it,
// one cell per item, sub-menus in further panels, scroll arrows for a list that does not fit,
// and short fades. The graphics object hands it every menu once it is attached; the choice goes
// back through the graphics object's ApplyPopupMenuResult to the control that asked.
class IPopupMenuControl : public IControl
{
public:
  // 4 shows the clicked item without its highlight for a moment; 6 lets the last frame fade.
  enum EPopupState { kCollapsed = 0, kExpanding, kExpanded, kCollapsing, kFlickering, kSubMenuAppearing, kIdling };
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

  IPopupMenuControl(int paramIdx = -1, const IText& text = IText(), const IRECT& collapsedBounds = IRECT(),
                    const IRECT& expandedBounds = IRECT());
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
  virtual void DrawCellBackground(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item, bool sel,
                                  const IBlend* blend);
  virtual void DrawCellText(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item, bool sel,
                            const IBlend* blend);
  virtual void DrawCheckMark(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item, bool sel,
                             const IBlend* blend);
  virtual void DrawSubmenuArrow(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item, bool sel,
                                const IBlend* blend);
  virtual void DrawUpArrow(IGraphics& g, const IRECT& bounds, bool sel, const IBlend* blend);
  virtual void DrawDownArrow(IGraphics& g, const IRECT& bounds, bool sel, const IBlend* blend);
  virtual void DrawSeparator(IGraphics& g, const IRECT& bounds, const IBlend* blend);
  virtual void CommitSelection();

  int GetState() const { return mState; }
  bool GetExpanded() const { return mState == kExpanded; }
  // From the first frame of the opening fade to the click that closes it, the menu takes every
  // pointer event, so nothing beneath it reacts to a pointer over the menu.
  bool TakesPointer() const { return mState == kExpanding || mState == kExpanded || mState == kSubMenuAppearing; }
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
  // The callout triangle in the bounds for a panel on side dir of its anchor: the tip points at
  // the anchor.
  void FillCallout(IGraphics& g, const IRECT& bounds, int dir, const IBlend* blend) const;
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
  float mPanelMargin = 10.f;
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
  IColor mSelectedTextColor{255, 255, 255, 255};
  IColor mItemColor{255, 0, 0, 0};
  IColor mDisabledItemColor{255, 127, 127, 127};
  IColor mSeparatorColor{255, 200, 200, 200};
  IRECT mSpecifiedCollapsedBounds;
  IRECT mSpecifiedExpandedBounds;
};

}  // namespace iplug::igraphics
