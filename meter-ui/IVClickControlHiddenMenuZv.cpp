#include "meter-ui/IVClickControlHiddenMenuZv.h"

#include "meter-ui/EditorAction.h"

using namespace iplug::igraphics;

IVClickControlHiddenMenuZv::IVClickControlHiddenMenuZv(const IRECT& bounds, int clickId, int item1Id, int item2Id,
                                                       int item3Id)
: IControl(bounds, -1, nullptr), mClickId(clickId), mItemIds{item1Id, item2Id, item3Id}
{
}

void IVClickControlHiddenMenuZv::OnMouseDown(float, float, const IMouseMod&)
{
  FireEditorAction(*this, mClickId);
}

void IVClickControlHiddenMenuZv::PopupMenuChosen(IPopupMenu* menu, int)
{
  if (menu != &mMenu)
    return;
  const int chosen = menu->GetChosenItemIdx();
  if (chosen < 0)
    return;  // nothing chosen; an unfilled item's position is -1
  for (int k = 0; k < 3; ++k)
    if (chosen == mItemPositions[k])
    {
      FireEditorAction(*this, mItemIds[k]);
      return;
    }
}
