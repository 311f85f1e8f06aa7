#pragma once
// The preset menu button of the top bar (control tag 3): it shows the current preset's name and
// opens the preset menu, loading a file, resetting to the default, saving a file or the default,
// and picking a factory or user preset. File work is the plug-in's: the button keeps the path
// chosen in its dialogs, which the plug-in's load and save actions read. Optional arrow buttons
// step through the factory presets.

#include "framework/WDLString.h"
#include "graphics/IBitmap.h"
#include "graphics/IControl.h"
#include "graphics/IPopupMenu.h"

class Vantorelix;
struct PresetMenuStore;
namespace iplug {
struct IPreset;
}

class IBPresetMenuZv : public iplug::igraphics::IControl
{
public:
  static constexpr int kTag = 3;

  IBPresetMenuZv(Vantorelix* plug, const iplug::igraphics::IRECT& bounds, const iplug::igraphics::IRECT& clickRect,
                 int previousX, int previousY, const iplug::igraphics::IText& text,
                 const iplug::igraphics::IBitmap& previousBitmap, int nextX, int nextY,
                 const iplug::igraphics::IBitmap& nextBitmap, int loadId, int saveId, int saveAsDefaultId, int openId,
                 int resetId, int afterLoadId, PresetMenuStore* store, const WDL_String* presetFolder,
                 const char* extension, int maxNameLength, bool showArrows, bool userPresetsFromFiles,
                 const iplug::igraphics::IRECT& textRect);

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnResize() override;
  void PopupMenuChosen(iplug::igraphics::IPopupMenu* menu, int valIdx) override;
  void Draw(iplug::igraphics::IGraphics& g) override;

  void BuildMenu();
  // The name as drawn in at most maxLength characters: the start, " ... " and the end. Counted
  // in characters, so a cut never splits one.
  static void ShortenName(WDL_String& out, const char* name, int maxLength);

  const iplug::igraphics::IPopupMenu& Menu() const { return mMenu; }
  iplug::igraphics::IPopupMenu* FactoryMenu() const { return mFactoryMenu; }
  iplug::igraphics::IPopupMenu* UserMenu() const { return mUserMenu; }
  int CurrentFactoryIndex() const { return mCurrentFactoryIndex; }

  // The file chosen in the last open or save dialog; empty after a cancel.
  WDL_String mChosenFile;

private:
  enum Item { kLoadItem = 2, kResetItem = 3, kSaveItem = 5, kSaveAsDefaultItem = 6 };

  // Copies the record into the plug-in's preset slot 0 and loads it, then tells the host.
  void LoadRecord(const iplug::IPreset& record, bool raiseLoading, int idBeforeAfterLoad);
  void AskForPresetFile(bool save);
  void Fire(int actionId) const;

  WDL_String mPresetFolder;
  WDL_String mExtension;
  iplug::igraphics::IPopupMenu mMenu;
  iplug::igraphics::IPopupMenu* mFactoryMenu = nullptr;  // owned by their items in mMenu
  iplug::igraphics::IPopupMenu* mUserMenu = nullptr;
  int mSaveId, mSaveAsDefaultId, mLoadId, mOpenId, mResetId, mAfterLoadId;
  Vantorelix* mPlug;
  PresetMenuStore* mStore;
  int mMaxNameLength;
  int mCurrentFactoryIndex = 0;
  iplug::igraphics::IRECT mClickRect, mTextRect, mPreviousRect, mNextRect;
  iplug::igraphics::IBitmap mPreviousBitmap, mNextBitmap;
  bool mShowArrows;
  bool mUserPresetsFromFiles;
  bool mOverClick = false, mOverPrevious = false, mOverNext = false;
};
