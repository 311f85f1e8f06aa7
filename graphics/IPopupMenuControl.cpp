// The in-window popup menu: placement of the panels, hover, sub-menus, scrolling, the fades of
// opening and closing, the choice, and the drawing of panels and cells.

#include <algorithm>

#include "graphics/IGraphics.h"
#include "graphics/IPopupMenuControl.h"

namespace iplug::igraphics {

namespace {
// Unlike std::clamp this stays defined when the range is empty (a panel larger than the
// editor): the low end wins, which keeps the panel's top-left corner on screen.
float Clamp(float v, float lo, float hi)
{
  return std::max(lo, std::min(v, hi));
}

// Below three cells a scrolled list would be all arrows, or have no cells at all.
constexpr int kMinScrollCells = 3;
}  // namespace

// ---- Panels ---------------------------------------------------------------------------------

IPopupMenuControl::MenuPanel::MenuPanel(IPopupMenuControl& control, IPopupMenu& menu, float x, float y, int parentIdx)
: mMenu(menu), mParentIdx(parentIdx)
{
  mSingleCellBounds = control.GetLargestCellRect(menu, x, y);
  const float pad = control.mPadding, gap = control.mCellGap;
  const IRECT& maxBounds = control.mMaxBounds;
  const float cellW = mSingleCellBounds.W(), cellH = mSingleCellBounds.H();
  const int nItems = menu.NItems();
  const float firstTop = y + pad;
  float left = x + pad, top = firstTop;

  for (int i = 0; i < nItems; ++i)
  {
    const float h = menu.GetItem(i)->GetIsSeparator() ? control.mSeparatorSize : cellH;
    const bool columnFull = control.mMaxColumnItems > 0 && i >= 2 && i % control.mMaxColumnItems == 0;
    const bool tooLow = top + h + pad > maxBounds.B;
    if (tooLow && control.mScrollIfTooBig)
    {
      mScroller = true;
      break;
    }
    if (columnFull || tooLow)
    {
      left += cellW + gap;
      top = firstTop;
    }
    mCells.emplace_back(left, top, left + cellW, top + h);
    top += h + gap;
  }

  if (mScroller)
  {
    mCells.clear();
    left = x + pad;
    const float scrollTop = maxBounds.T + pad + control.mPanelMargin;
    const float available = maxBounds.B - pad - scrollTop;
    mCellsThatFit = std::max(static_cast<int>(available / (cellH + gap)), kMinScrollCells);
    if (nItems >= mCellsThatFit)
    {
      for (int i = 0; i < mCellsThatFit; ++i)
      {
        const float t = scrollTop + static_cast<float>(i) * (cellH + gap);
        mCells.emplace_back(left, t, left + cellW, t + cellH);
      }
    }
    else
    {
      // Too few items to scroll: one cell each, moved up so that the list ends where it
      // would have started.
      mScroller = false;
      float t = y + pad + cellH - static_cast<float>(nItems) * cellH;
      for (int i = 0; i < nItems; ++i)
      {
        mCells.emplace_back(left, t, left + cellW, t + cellH);
        t += cellH + gap;
      }
    }
  }

  // A menu without items gets an empty cell where its first one would be, so that its panel
  // sits where it was placed and not round the editor's origin.
  IRECT span = mCells.empty() ? mSingleCellBounds.GetTranslated(pad, pad) : mCells.front();
  for (const IRECT& cell : mCells)
  {
    span = span.Union(cell);
  }
  if (control.mSpecifiedExpandedBounds.W() != 0.f)
  {
    span = control.mSpecifiedExpandedBounds;
  }
  mTargetRECT = span.GetPadded(pad);
  mRECT = span.GetPadded(pad + control.mPanelMargin);
}

IRECT* IPopupMenuControl::MenuPanel::HitTestCells(float x, float y)
{
  for (int i = 0; i < NCells(); ++i)
  {
    IRECT& cell = mCells[static_cast<size_t>(i)];
    if (cell.Contains(x, y))
    {
      const IPopupMenu::Item* item = ItemAt(i);
      return item && item->GetEnabled() ? &cell : nullptr;
    }
  }
  return nullptr;
}

int IPopupMenuControl::MenuPanel::CellIndex(const IRECT* cell) const
{
  if (!cell || mCells.empty() || cell < mCells.data() || cell >= mCells.data() + mCells.size())
  {
    return -1;
  }
  return static_cast<int>(cell - mCells.data());
}

IPopupMenu::Item* IPopupMenuControl::MenuPanel::ItemAt(int cellIdx) const
{
  return mMenu.GetItem(cellIdx + mScrollItemOffset);
}

bool IPopupMenuControl::MenuPanel::ShowsUpArrow(int cellIdx) const
{
  return mMenu.NItems() > NCells() && cellIdx == 0 && mScrollItemOffset > 0;
}

bool IPopupMenuControl::MenuPanel::ShowsDownArrow(int cellIdx) const
{
  return mMenu.NItems() > NCells() && cellIdx == NCells() - 1 && mScrollItemOffset < mMenu.NItems() - NCells();
}

// ---- Construction and opening ---------------------------------------------------------------

IPopupMenuControl::IPopupMenuControl(int paramIdx, const IText& text, const IRECT& collapsedBounds,
                                     const IRECT& expandedBounds)
: IControl(collapsedBounds, paramIdx),
  mSpecifiedCollapsedBounds(collapsedBounds),
  mSpecifiedExpandedBounds(expandedBounds)
{
  SetActionFunction([](IControl* control) {
    auto* popup = static_cast<IPopupMenuControl*>(control);
    popup->SetAnimation([](IControl* c) { static_cast<IPopupMenuControl*>(c)->AnimateFade(); },
                        popup->mState == kSubMenuAppearing ? 200 : 100);
  });
  mText = text;
  mHide = true;
}

IPopupMenuControl::~IPopupMenuControl() = default;

IRECT IPopupMenuControl::GetLargestCellRect(const IPopupMenu& menu, float x, float y) const
{
  IRECT span;
  for (int i = 0; i < menu.NItems(); ++i)
  {
    IRECT r;
    GetUI()->MeasureText(mText, menu.GetItemText(i), r);
    span = span.Union(r);
  }
  return IRECT(x, y, x + span.W() + 2.f * mTextPadding + mCheckTickWidth + mSubmenuArrowWidth, y + span.H());
}

void IPopupMenuControl::GetPanelContentSize(const IPopupMenu& menu, float& w, float& h) const
{
  const IRECT cell = GetLargestCellRect(menu, 0.f, 0.f);
  int nSeparators = 0;
  for (int i = 0; i < menu.NItems(); ++i)
  {
    nSeparators += menu.GetItem(i)->GetIsSeparator() ? 1 : 0;
  }
  const int nItems = menu.NItems();
  w = cell.W();
  h = cell.H() * static_cast<float>(nItems - nSeparators) + mSeparatorSize * static_cast<float>(nSeparators) +
      mCellGap * static_cast<float>(std::max(nItems - 1, 0));
}

void IPopupMenuControl::OpenMenu(IPopupMenu& menu, const IRECT& anchorArea)
{
  if (mState != kCollapsed)
  {
    return;
  }
  mMenu = &menu;
  if (menu.NItems() > 0)
  {
    mMenuHasSubmenu = false;
    for (int i = 0; i < menu.NItems(); ++i)
    {
      mMenuHasSubmenu = mMenuHasSubmenu || menu.GetItem(i)->GetSubmenu();
    }
  }
  mMaxBounds = GetUI()->GetBounds();
  ExpandMenu(anchorArea);
}

IRECT IPopupMenuControl::CalloutSquare(int dir, float size) const
{
  const IRECT& a = mAnchorArea;
  const float cx = a.MW(), cy = a.MH(), half = size / 2.f;
  switch (dir)
  {
    case kAbove: return IRECT(cx - half, a.T - size, cx + half, a.T);
    case kRight: return IRECT(a.R, cy - half, a.R + size, cy + half);
    case kBelow: return IRECT(cx - half, a.B, cx + half, a.B + size);
    default: return IRECT(a.L - size, cy - half, a.L, cy + half);
  }
}

void IPopupMenuControl::ExpandMenu(const IRECT& anchorArea)
{
  IControl::Hide(false);
  mState = kExpanding;
  GetUI()->UpdateTooltips();
  mMenuPanels.clear();
  mActivePanel = mAppearingPanel = nullptr;
  mMouseCellBounds = nullptr;
  mAnchorArea = anchorArea;

  float w = 0.f, h = 0.f;
  GetPanelContentSize(*mMenu, w, h);
  const float c = mCallOut ? mCalloutSize : 0.f, m = mPanelMargin;
  const IRECT& mb = mMaxBounds;
  const float minX = mb.L + m, maxX = mb.R - w - 2.f * m;
  const float minY = mb.T + m, maxY = mb.B - h - 2.f * m;
  const float cx = anchorArea.MW(), cy = anchorArea.MH();
  const bool leftHalf = cx <= mb.MW(), upperHalf = cy <= mb.MH();
  const float textSize = mText.mSize;
  const auto fitsX = [&](float x) { return x >= minX && x <= maxX; };
  const auto fitsY = [&](float y) { return y >= minY && y <= maxY; };

  // Beside the anchor, towards the middle of the editor.
  float x = leftHalf ? anchorArea.R + c : anchorArea.L - c - w - m;
  float y = upperHalf ? cy - c - textSize : cy - h + c + textSize;
  mCalloutDir = leftHalf ? kRight : kLeft;
  if (!fitsX(x) || !fitsY(y))
  {
    // Below an anchor in the upper half, above one in the lower half; failing that, beside it
    // as far towards that side as the editor allows.
    const float altY = upperHalf ? anchorArea.B + c : anchorArea.T - c - h - m;
    if (fitsY(altY))
    {
      x = cx - w / 2.f;
      y = altY;
      mCalloutDir = upperHalf ? kBelow : kAbove;
    }
    else
    {
      y = upperHalf ? minY : maxY;
    }
  }
  x = Clamp(x, minX, maxX);
  y = std::max(Clamp(y, minY, maxY), 0.f);

  if (mPreferBelow && fitsY(anchorArea.B + c))
  {
    x = Clamp(cx - w / 2.f, minX, maxX);
    y = anchorArea.B + c;
    mCalloutDir = kBelow;
  }

  if (mMenuHasSubmenu)
  {
    // Centred on the anchor, so that sub-menus have room on the side towards the middle.
    mSubMenuOpensRight = leftHalf;
    x = Clamp(cx - w / 2.f + (leftHalf ? -mMenuShift : mMenuShift), minX, maxX);
    const bool below = mb.B - anchorArea.B >= anchorArea.T - mb.T;
    y = Clamp(below ? anchorArea.B + c : anchorArea.T - c - h - m, minY, maxY);
    mCalloutDir = below ? kBelow : kAbove;
  }
  mCalloutArrowBounds = CalloutSquare(mCalloutDir, c);

  mMenuPanels.push_back(std::make_unique<MenuPanel>(*this, *mMenu, x, y, -1));
  mActivePanel = mAppearingPanel = mMenuPanels.back().get();
  mTargetRECT = mActivePanel->mTargetRECT;
  mRECT = mActivePanel->mRECT;
  mMouseIsOver = false;
  OnResize();
  SetDirty(true);
}

// ---- Pointer --------------------------------------------------------------------------------

void IPopupMenuControl::OnMouseOver(float x, float y, const IMouseMod&)
{
  if (!mActivePanel)
  {
    return;
  }
  mMouseCellBounds = mActivePanel->HitTestCells(x, y);
  if (!mMouseCellBounds)
  {
    for (auto it = mMenuPanels.rbegin(); it != mMenuPanels.rend(); ++it)
    {
      MenuPanel& panel = **it;
      if (panel.mShouldDraw && panel.mRECT.Contains(x, y))
      {
        mActivePanel = &panel;
        mMouseCellBounds = panel.HitTestCells(x, y);
        break;
      }
    }
  }
  UpdateSubmenus();

  MenuPanel& active = *mActivePanel;
  if (active.mScroller && active.NCells() > 0)
  {
    if (active.mCells.front().Contains(x, y))
    {
      active.mScrollItemOffset = std::max(active.mScrollItemOffset - 1, 0);
    }
    else if (active.mCells.back().Contains(x, y))
    {
      active.mScrollItemOffset = std::min(active.mScrollItemOffset + 1, active.mMenu.NItems() - active.NCells());
    }
  }
  SetDirty(false);
}

void IPopupMenuControl::OnMouseDrag(float x, float y, float, float, const IMouseMod&)
{
  if (mActivePanel)
  {
    mMouseCellBounds = mActivePanel->HitTestCells(x, y);
  }
  SetDirty(false);
}

void IPopupMenuControl::OnMouseOut()
{
  mMouseCellBounds = nullptr;
}

void IPopupMenuControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  // The fade is timed by the clock but moved on by frames: a click that comes once the fade's
  // time is over finds the menu open even when no frame has been drawn since, as on a busy machine.
  Animate();
  if (mState != kExpanded)
  {
    IControl::OnMouseDown(x, y, mod);
    return;
  }
  mMouseCellBounds = mActivePanel ? mActivePanel->HitTestCells(x, y) : nullptr;
  CommitSelection();
}

void IPopupMenuControl::CloseMenu()
{
  if (TakesPointer())
  {
    mMouseCellBounds = nullptr;
    CommitSelection();
  }
}

int IPopupMenuControl::PanelIndex(const MenuPanel* panel) const
{
  for (size_t i = 0; i < mMenuPanels.size(); ++i)
  {
    if (mMenuPanels[i].get() == panel)
    {
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool IPopupMenuControl::DescendsFrom(const MenuPanel& panel, int idx) const
{
  for (int parent = panel.mParentIdx; parent >= 0; parent = mMenuPanels[static_cast<size_t>(parent)]->mParentIdx)
  {
    if (parent == idx)
    {
      return true;
    }
  }
  return false;
}

void IPopupMenuControl::UpdateSubmenus()
{
  MenuPanel& active = *mActivePanel;
  const int cellIdx = active.CellIndex(mMouseCellBounds);
  if (cellIdx < 0)
  {
    return;
  }
  const int activeIdx = PanelIndex(&active);
  const IPopupMenu::Item* item = active.ItemAt(cellIdx);
  IPopupMenu* subMenu = item->GetSubmenu();
  if (!subMenu)
  {
    // Deeper levels go too: a panel whose parent closed would float on its own.
    for (auto& panel : mMenuPanels)
    {
      if (DescendsFrom(*panel, activeIdx))
      {
        panel->mShouldDraw = false;
      }
    }
    active.mSubmenuCell = nullptr;
    mSubMenuCalloutShown = false;
    return;
  }

  active.mSubmenuCell = item->GetEnabled() ? mMouseCellBounds : nullptr;
  MenuPanel* shown = ShowSubmenuPanel(*subMenu, *mMouseCellBounds);
  const float c = mCallOut ? mCalloutSize : 0.f;
  for (MenuPanel* panel = shown; panel->mParentIdx >= 0;)
  {
    MenuPanel& parent = *mMenuPanels[static_cast<size_t>(panel->mParentIdx)];
    parent.mShouldDraw = true;
    if (const IRECT* cell = parent.mSubmenuCell)
    {
      const float l = mSubMenuOpensRight ? cell->R + mPadding : cell->L - mPadding - c;
      mSubmenuCalloutArrowBounds = IRECT(l, cell->MH() - c / 2.f, l + c, cell->MH() + c / 2.f);
    }
    mTargetRECT = mTargetRECT.Union(parent.mTargetRECT);
    mRECT = mRECT.Union(parent.mRECT);
    panel = &parent;
  }
  mSubMenuCalloutShown = true;
  mTargetRECT = mTargetRECT.Union(shown->mTargetRECT);
  mRECT = mRECT.Union(shown->mRECT);
  OnResize();
  if (shown != mAppearingPanel)
  {
    mState = kSubMenuAppearing;
    mAppearingPanel = shown;
  }
  SetDirty(true);
}

IPopupMenuControl::MenuPanel* IPopupMenuControl::ShowSubmenuPanel(IPopupMenu& subMenu, const IRECT& cell)
{
  MenuPanel* shown = nullptr;
  for (auto& panel : mMenuPanels)
  {
    panel->mShouldDraw = &panel->mMenu == &subMenu;
    if (panel->mShouldDraw)
    {
      shown = panel.get();
    }
  }
  if (shown)
  {
    return shown;
  }
  float w = 0.f, h = 0.f;
  GetPanelContentSize(subMenu, w, h);
  const float c = mCallOut ? mCalloutSize : 0.f, m = mPanelMargin;
  const IRECT& mb = mMaxBounds;
  float x = mSubMenuOpensRight ? cell.R + mPadding + c : cell.L - mPadding - c - w - m;
  x = Clamp(x, mb.L + m, mb.R - w - 2.f * m);
  float y = mCalloutDir == kAbove ? cell.T - mPadding / 2.f - h + 2.f * mCellGap + m : cell.T - mPadding;
  y = Clamp(y, mb.T + m, mb.B - h - 2.f * m);
  mMenuPanels.push_back(std::make_unique<MenuPanel>(*this, subMenu, x, y, PanelIndex(mActivePanel)));
  return mMenuPanels.back().get();
}

// ---- Choice and fades -----------------------------------------------------------------------

void IPopupMenuControl::CommitSelection()
{
  if (!mActivePanel)
  {
    return;
  }
  MenuPanel& panel = *mActivePanel;
  IPopupMenu& menu = panel.mMenu;
  menu.SetChosenItemIdx(-1);
  const int cellIdx = panel.CellIndex(mMouseCellBounds);
  // A cell that shows a scroll arrow stands for no item.
  if (cellIdx >= 0 && !panel.ShowsUpArrow(cellIdx) && !panel.ShowsDownArrow(cellIdx))
  {
    const IPopupMenu::Item* item = panel.ItemAt(cellIdx);
    if (!item->GetIsSeparator() && !item->GetIsTitle() && item->GetEnabled() && !item->GetSubmenu())
    {
      menu.SetChosenItemIdx(cellIdx + panel.mScrollItemOffset);
      panel.mClickedCell = mMouseCellBounds;
    }
  }
  menu.ExecFunction();
  GetUI()->ApplyPopupMenuResult(&menu);
  mSubMenuCalloutShown = false;
  mActivePanel = nullptr;
  mState = kFlickering;
  IControl::Hide(true);
  SetDirty(true);
}

void IPopupMenuControl::SetAllPanelsOpacity(float weight)
{
  for (auto& panel : mMenuPanels)
  {
    panel->mBlend.mWeight = weight;
  }
}

void IPopupMenuControl::AnimateFade()
{
  const double p = GetAnimationProgress();
  if (p > 1.0)
  {
    AnimationEnded();
    return;
  }
  const float progress = static_cast<float>(p);
  switch (mState)
  {
    case kExpanding:
      if (mAppearingPanel)
      {
        mAppearingPanel->mBlend.mWeight = progress * mOpacity;
      }
      break;
    case kCollapsing: SetAllPanelsOpacity((1.f - progress) * mOpacity); break;
    case kSubMenuAppearing:
      if (mAppearingPanel)
      {
        mAppearingPanel->mBlend.mWeight = progress > 0.9f ? mOpacity : 0.f;
      }
      break;
    case kIdling: SetAllPanelsOpacity(0.f); break;
    default: break;
  }
}

void IPopupMenuControl::AnimationEnded()
{
  switch (mState)
  {
    case kExpanding:
    case kSubMenuAppearing:
      SetAllPanelsOpacity(mOpacity);
      mState = kExpanded;
      IControl::AnimationEnded();
      break;
    case kFlickering:
      mState = kCollapsing;
      SetDirty(true);
      break;
    case kCollapsing:
      mTargetRECT = mSpecifiedCollapsedBounds;
      SetAllPanelsOpacity(0.f);
      mState = kIdling;
      mMouseCellBounds = nullptr;
      mAnchorArea = IRECT();
      SetDirty(true);
      break;
    case kIdling:
      // Collapsed before the tooltips are refreshed: the refresh registers them only for a
      // closed menu.
      mState = kCollapsed;
      mMenuPanels.clear();
      mAppearingPanel = nullptr;
      mRECT = mSpecifiedCollapsedBounds;
      GetUI()->UpdateTooltips();
      IControl::AnimationEnded();
      break;
    default: IControl::AnimationEnded(); break;
  }
}

// ---- Drawing --------------------------------------------------------------------------------

void IPopupMenuControl::Draw(IGraphics& g)
{
  for (auto& owned : mMenuPanels)
  {
    MenuPanel& panel = *owned;
    if (!panel.mShouldDraw)
    {
      continue;
    }
    DrawPanelShadow(g, panel);
    DrawPanelBackground(g, panel);
    const IBlend* blend = &panel.mBlend;
    for (int i = 0; i < panel.NCells(); ++i)
    {
      IRECT* cell = &panel.mCells[static_cast<size_t>(i)];
      const bool sel = cell == mMouseCellBounds || cell == panel.mSubmenuCell;
      if (panel.ShowsUpArrow(i) || panel.ShowsDownArrow(i))
      {
        DrawCellBackground(g, *cell, nullptr, sel, blend);
        if (panel.ShowsUpArrow(i))
        {
          DrawUpArrow(g, *cell, sel, blend);
        }
        else
        {
          DrawDownArrow(g, *cell, sel, blend);
        }
        continue;
      }
      const IPopupMenu::Item* item = panel.ItemAt(i);
      if (item->GetIsSeparator())
      {
        DrawSeparator(g, *cell, blend);
        continue;
      }
      if (!(mState == kFlickering && cell == panel.mClickedCell))
      {
        DrawCellBackground(g, *cell, item, sel, blend);
      }
      DrawCellText(g, *cell, item, sel, blend);
      if (item->GetChecked())
      {
        DrawCheckMark(g, *cell, item, sel, blend);
      }
      if (item->GetSubmenu())
      {
        DrawSubmenuArrow(g, *cell, item, sel, blend);
      }
    }
  }
  if (mMenuPanels.empty())
  {
    return;
  }
  const IBlend* rootBlend = &mMenuPanels.front()->mBlend;
  if (mCallOut)
  {
    DrawCalloutArrow(g, mCalloutArrowBounds, rootBlend);
  }
  if (mMenuHasSubmenu && mSubMenuCalloutShown)
  {
    DrawSubmenuCalloutArrow(g, mSubmenuCalloutArrowBounds, rootBlend);
  }
}

void IPopupMenuControl::DrawPanelShadow(IGraphics& g, MenuPanel& panel)
{
  g.DrawQuickDropShadow(panel.mTargetRECT, panel.mRECT, 2.f, mRoundness, 10.f, &panel.mBlend);
}

void IPopupMenuControl::DrawPanelBackground(IGraphics& g, MenuPanel& panel)
{
  g.FillRoundRect(mPanelBackgroundColor, panel.mTargetRECT, mRoundness, &panel.mBlend);
}

void IPopupMenuControl::DrawCellBackground(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item*, bool sel,
                                           const IBlend* blend)
{
  if (sel)
  {
    g.FillRect(mCellBackGroundColor, bounds.GetPadded(mPadding, 0.f, mPadding, 0.f), blend);
  }
}

void IPopupMenuControl::DrawCellText(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item, bool sel,
                                     const IBlend* blend)
{
  IText text = mText;
  text.mFGColor = sel ? mSelectedTextColor : !item->GetEnabled() ? mDisabledItemColor : mItemColor;
  text.mAlign = EAlign::Near;
  const IRECT area(bounds.L + mTextPadding + mCheckTickWidth, bounds.T, bounds.R - mTextPadding, bounds.B);
  g.DrawText(text, item->GetText(), area, blend);
}

void IPopupMenuControl::DrawCheckMark(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item*, bool sel,
                                      const IBlend* blend)
{
  const float cy = bounds.MH(), half = mCheckTickWidth / 2.f;
  const IRECT square(bounds.L, cy - half, bounds.L + mCheckTickWidth, cy + half);
  g.FillRoundRect(sel ? mSelectedTextColor : mItemColor, square.GetCentredInside(std::max(1.f, mCheckTickWidth / 2.f)),
                  2.f, blend);
}

void IPopupMenuControl::DrawSubmenuArrow(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item*, bool sel,
                                         const IBlend* blend)
{
  const float h = bounds.H(), cy = bounds.MH();
  const float tipX = mSubMenuOpensRight ? bounds.R + mPadding / 2.f : bounds.L - mPadding / 2.f;
  const float baseX = mSubMenuOpensRight ? tipX - h / 2.f : tipX + h / 2.f;
  g.FillTriangle(sel ? mSelectedTextColor : mItemColor, baseX, cy - h / 4.f, tipX, cy, baseX, cy + h / 4.f, blend);
}

void IPopupMenuControl::DrawUpArrow(IGraphics& g, const IRECT& bounds, bool sel, const IBlend* blend)
{
  const float h = bounds.H(), cx = bounds.MW(), cy = bounds.MH();
  g.FillTriangle(sel ? mSelectedTextColor : mItemColor, cx - 0.3f * h, cy + 0.3f * h, cx + 0.3f * h, cy + 0.3f * h, cx,
                 cy - 0.3f * h, blend);
}

void IPopupMenuControl::DrawDownArrow(IGraphics& g, const IRECT& bounds, bool sel, const IBlend* blend)
{
  const float h = bounds.H(), cx = bounds.MW(), cy = bounds.MH();
  g.FillTriangle(sel ? mSelectedTextColor : mItemColor, cx - 0.3f * h, cy - 0.3f * h, cx + 0.3f * h, cy - 0.3f * h, cx,
                 cy + 0.3f * h, blend);
}

void IPopupMenuControl::DrawSeparator(IGraphics& g, const IRECT& bounds, const IBlend* blend)
{
  if (blend && blend->mWeight > 0.9f)
  {
    const IBlend faint(blend->mMethod, 0.25f);
    g.FillRect(mSeparatorColor, bounds, &faint);
  }
}

void IPopupMenuControl::DrawCalloutArrow(IGraphics& g, const IRECT& b, const IBlend* blend)
{
  FillCallout(g, b, mCalloutDir, blend);
}

void IPopupMenuControl::DrawSubmenuCalloutArrow(IGraphics& g, const IRECT& b, const IBlend* blend)
{
  FillCallout(g, b, mSubMenuOpensRight ? kRight : kLeft, blend);
}

void IPopupMenuControl::FillCallout(IGraphics& g, const IRECT& b, int dir, const IBlend* blend) const
{
  // The base lies along the side facing the panel, the tip points at the anchor.
  switch (dir)
  {
    case kAbove: g.FillTriangle(mPanelBackgroundColor, b.L, b.T, b.R, b.T, b.MW(), b.B, blend); break;
    case kRight: g.FillTriangle(mPanelBackgroundColor, b.R, b.T, b.R, b.B, b.L, b.MH(), blend); break;
    case kBelow: g.FillTriangle(mPanelBackgroundColor, b.L, b.B, b.R, b.B, b.MW(), b.T, blend); break;
    default: g.FillTriangle(mPanelBackgroundColor, b.L, b.T, b.L, b.B, b.R, b.MH(), blend); break;
  }
}

}  // namespace iplug::igraphics
