#include "au-adapter/IPlugAUViewFactory.h"

#include <algorithm>

namespace iplug {

AUViewFactory::AUViewFactory(const std::string& className) : mDescription(className)
{
  std::replace(mDescription.begin(), mDescription.end(), '_', ' ');
}

void* AUViewFactory::uiViewForAudioUnit(AudioUnit unit, NSSize)
{
  IPlugAU* plug = nullptr;
  UInt32 size = sizeof plug;
  if (AudioUnitGetProperty(unit, IPlugAU::kPlugObjectProperty, kAudioUnitScope_Global, 0, &plug, &size) != noErr)
    return nullptr;
  mPlug = plug;
  return mPlug && mPlug->HasUI() ? mPlug->OpenWindow(nullptr) : nullptr;
}

}  // namespace iplug
