#pragma once

// The controls that the graphics object owns or reaches itself, each in a header of its own: the
// corner resizer, the value bubble, the in-window popup menu and text entry and the frame-time
// read-out. They live beside the graphics object because it creates them.

#include "graphics/IBubbleControl.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"
