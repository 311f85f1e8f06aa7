#pragma once
// The view factory class a host makes by the name in the CocoaUI property: it fetches the plug-in
// object through the private property and opens the editor.

#include "au-adapter/IPlugAU.h"
#include "platform/AudioToolbox/AUCocoaUIView.h"

#include <string>

namespace iplug {

class AUViewFactory final : public AUCocoaUIBase
{
public:
  // The description is the class name with blanks for underscores ("Vantorelix_View" gives
  // "Vantorelix View").
  explicit AUViewFactory(const std::string& className);

  unsigned interfaceVersion() const override { return 0; }
  std::string description() const override { return mDescription; }
  // Null when the unit does not hand out its object (the object kept is then unchanged) or the
  // plug-in has no editor.
  void* uiViewForAudioUnit(AudioUnit unit, NSSize preferredSize) override;
  IPlugAU* GetPlug() const { return mPlug; }

private:
  IPlugAU* mPlug = nullptr;
  std::string mDescription;
};

}  // namespace iplug
