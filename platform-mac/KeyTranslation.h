#pragma once
// AppKit key events in the numbering of Windows virtual-key codes, which every control's key
// handling uses.

#include "graphics/IGraphicsStructs.h"
#include "platform/AppKit/NSEvent.h"

namespace iplug::igraphics {

// Bits of the flags built while translating.
enum EKeyTranslationFlag {
  kKeyCodeValid = 1,
  kKeyShift = 4,
  kKeyCommand = 8,
  kKeyOption = 16,
  kKeyControl = 32,
};

// The translated code of the key; flags receive the modifiers and, when the code means a key
// the controls know, kKeyCodeValid.
int TranslateKey(const NSEvent& event, int& flags);

// The key record the graphics core takes: the code when valid (0 otherwise), the key's text as
// UTF-8 and shift, command and option.
IKeyPress MakeKeyPress(const NSEvent& event);

}  // namespace iplug::igraphics
