#pragma once
// The class an audio unit names in its CocoaUI property: the host makes it by name and asks it
// for the editor view.

#include "platform/AudioToolbox/AUComponent.h"
#include "platform/Foundation/NSGeometry.h"
#include "platform/ObjC/NSObject.h"

class AUCocoaUIBase : public platform::NSObject
{
public:
  // Defined in the platform library, so that host and plug-in share one type identity.
  ~AUCocoaUIBase() override;
  virtual unsigned interfaceVersion() const = 0;
  // The editor view (a platform view handle), or null when the unit offers none.
  virtual void* uiViewForAudioUnit(AudioUnit unit, NSSize preferredSize) = 0;
};
