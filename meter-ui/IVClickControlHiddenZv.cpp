#include "meter-ui/IVClickControlHiddenZv.h"

#include "graphics/IGraphics.h"
#include "meter-ui/EditorAction.h"

using namespace iplug::igraphics;

void IVClickControlHiddenZv::OnMouseDown(float, float, const IMouseMod& mod)
{
  mMouseMod = mod;
  FireEditorAction(*this, mActionId);
}
