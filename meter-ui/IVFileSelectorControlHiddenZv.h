#pragma once

// The invisible click area over a drawn "Load" or "Save" button: it runs the open or save dialog
// and hands the chosen path to the plug-in through editor actions. The plug-in reads mFileName
// when the post-action arrives; a cancelled dialog leaves it empty.

#include "framework/WDLString.h"
#include "graphics/IControl.h"

class IVFileSelectorControlHiddenZv : public iplug::igraphics::IControl
{
public:
  enum FileAction { kOpen = 0, kSave = 1 };

  // folder and extensions (blank-separated, without dots) may be null.
  IVFileSelectorControlHiddenZv(const iplug::igraphics::IRECT& bounds, int postActionId, int fileAction,
                                const char* folder, const char* extensions, int preActionId);

  // The pre-action may offer a name in mFileName; the modal dialog then replaces it with the
  // chosen path, or empties it when cancelled. The post-action runs either way.
  void OnMouseDown(float, float, const iplug::igraphics::IMouseMod&) override;

  void Draw(iplug::igraphics::IGraphics&) override {}

  WDL_String mFolder;    // where the dialog starts, ending in "/" after a confirmed dialog
  WDL_String mFileName;  // full path of the chosen file; empty when cancelled
  WDL_String mExtensions;
  int mFileAction;
  int mPostActionId;  // -1: none
  int mPreActionId;   // -1: none
};
