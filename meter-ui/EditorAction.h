#pragma once

// Editor actions are ids above the host parameters that the plug-in handles in its
// parameter-changed hook; a control fires one without setting any parameter.

#include "framework/IGraphicsEditorDelegate.h"
#include "graphics/IControl.h"

// Nothing for an id below 0 (none) or a control not yet attached.
inline void FireEditorAction(const iplug::igraphics::IControl& control, int actionId)
{
  if (actionId >= 0 && control.GetDelegate())
    control.GetDelegate()->ParameterChanged(actionId, iplug::kEditor, -1);
}
