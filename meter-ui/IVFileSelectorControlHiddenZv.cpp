#include "meter-ui/IVFileSelectorControlHiddenZv.h"

#include <string>

#include "graphics/IGraphics.h"
#include "meter-ui/EditorAction.h"

using namespace iplug::igraphics;

IVFileSelectorControlHiddenZv::IVFileSelectorControlHiddenZv(const IRECT& bounds, int postActionId, int fileAction,
                                                             const char* folder, const char* extensions,
                                                             int preActionId)
: IControl(bounds, -1),
  mFolder(folder ? folder : ""),
  mExtensions(extensions ? extensions : ""),
  mFileAction(fileAction),
  mPostActionId(postActionId),
  mPreActionId(preActionId)
{
}

void IVFileSelectorControlHiddenZv::OnMouseDown(float, float, const IMouseMod&)
{
  if (mFileAction != kOpen && mFileAction != kSave)
    return;
  mFileName.Set("");
  FireEditorAction(*this, mPreActionId);
  if (mGraphics)
  {
    std::string name = mFileName.Get();
    std::string folder = mFolder.Get();
    mGraphics->AskForFile(name, folder, mFileAction == kSave, mExtensions.Get());
    mFileName.Set(name.c_str());
    // The next dialog starts where this one ended.
    if (const size_t slash = name.rfind('/'); slash != std::string::npos)
      mFolder.Set(name.substr(0, slash + 1).c_str());
  }
  FireEditorAction(*this, mPostActionId);
  SetDirty(true, -1);
}
