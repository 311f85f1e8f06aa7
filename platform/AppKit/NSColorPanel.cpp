#include "platform/AppKit/NSColorPanel.h"

#include "platform/AppKit/Person.h"

namespace {

std::unique_ptr<NSColorPanel>& Shared()
{
  static std::unique_ptr<NSColorPanel> panel;
  return panel;
}

}  // namespace

NSColorPanel& NSColorPanel::sharedColorPanel()
{
  if (!Shared())
    Shared().reset(new NSColorPanel);
  return *Shared();
}

bool NSColorPanel::sharedColorPanelExists()
{
  return Shared() != nullptr;
}

void NSColorPanel::orderFront()
{
  mVisible = true;
  if (mPickPending)
    return;
  mPickPending = true;
  platform::AnswerLater([this] { Pick(); });
}

void NSColorPanel::Pick()
{
  mPickPending = false;
  for (NSColor picked : platform::CurrentPerson().PickColors(mColor))
  {
    if (!mVisible)
      return;
    if (!mShowsAlpha)
      picked = NSColor::colorWithDeviceRed(picked.redComponent(), picked.greenComponent(), picked.blueComponent(), 1);
    mColor = picked;
    const std::shared_ptr<NSResponder> target = mTarget.lock();
    const Action action = mAction;  // the action may set another one
    if (target && action)
      action(*this);
  }
}
