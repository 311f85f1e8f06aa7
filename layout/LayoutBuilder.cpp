#include "layout/LayoutBuilder.h"

using namespace iplug::igraphics;

int LayoutBuilder::Add(IControl* control, int tag)
{
  if (!mUI.AddControl(control, tag))
  {
    delete control;
    return -1;
  }
  return mUI.NControls() - 1;
}

int LayoutBuilder::Add(IControl* control, std::vector<int>& group)
{
  const int index = Add(control);
  group.push_back(index);
  return index;
}

void LayoutBuilder::Move(int index, bool followWidth, bool followHeight)
{
  const IControl* control = mUI.GetControl(index);
  if (!control)
    return;
  ControlAnchor anchor;
  anchor.controlIndex = index;
  anchor.x = control->GetRECT().L;
  anchor.y = control->GetRECT().T;
  anchor.moveX = followWidth;
  anchor.moveY = followHeight;
  mRecords.anchors.push_back(anchor);
}

void LayoutBuilder::Resize(int index, bool left, bool top, bool right, bool bottom)
{
  const IControl* control = mUI.GetControl(index);
  if (!control)
    return;
  const IRECT& r = control->GetRECT();
  ControlAnchor anchor;
  anchor.controlIndex = index;
  anchor.resizable = 1;
  anchor.left = r.L;
  anchor.top = r.T;
  anchor.right = r.R;
  anchor.bottom = r.B;
  anchor.anchorLeft = left;
  anchor.anchorTop = top;
  anchor.anchorRight = right;
  anchor.anchorBottom = bottom;
  mRecords.anchors.push_back(anchor);
}
