#pragma once

// A text control refreshed many times a second by the read-outs: an unchanged text costs no
// redraw.

#include <cstring>

#include "controls/ITextControls.h"

class IVTextControlZv : public iplug::igraphics::ITextControl
{
public:
  using ITextControl::ITextControl;

  void SetStr(const char* str) override
  {
    if (!str)
      str = "";
    if (std::strcmp(str, mStr.Get()) == 0)
      return;
    mStr.Set(str);
    if (mSetBoundsBasedOnStr)
      SetBoundsToStr();
    SetDirty(true, -1);
  }
};
