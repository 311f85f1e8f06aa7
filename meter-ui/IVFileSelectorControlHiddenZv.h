#pragma once

// The invisible click area over a drawn "Load" or "Save" button: it runs the open or save dialog
// and hands the chosen path to the plug-in through editor actions. The plug-in reads mFileName
// when the post-action arrives; a cancelled dialog leaves it empty.

#include <string>

#include "framework/WDLString.h"
#include "graphics/IGraphics.h"
#include "meter-ui/EditorAction.h"

class IVFileSelectorControlHiddenZv : public iplug::igraphics::IControl
{
public:
  enum FileAction { kOpen = 0, kSave = 1 };

  // folder and extensions (blank-separated, without dots) may be null.
  IVFileSelectorControlHiddenZv(const iplug::igraphics::IRECT& bounds, int postActionId,
                                int fileAction, const char* folder, const char* extensions,
                                int preActionId)
  : IControl(bounds, -1), mFolder(folder ? folder : ""), mExtensions(extensions ? extensions : ""),
    mFileAction(fileAction), mPostActionId(postActionId), mPreActionId(preActionId)
  {
  }

  // The pre-action may offer a name in mFileName; the modal dialog then replaces it with the
  // chosen path, or empties it when cancelled. The post-action runs either way.
  void OnMouseDown(float, float, const iplug::igraphics::IMouseMod&) override
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

  void Draw(iplug::igraphics::IGraphics&) override {}

  WDL_String mFolder;     // where the dialog starts, ending in "/" after a confirmed dialog
  WDL_String mFileName;   // full path of the chosen file; empty when cancelled
  WDL_String mExtensions;
  int mFileAction;
  int mPostActionId;  // -1: none
  int mPreActionId;   // -1: none
};
