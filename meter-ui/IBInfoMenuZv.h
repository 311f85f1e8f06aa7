#pragma once
// The plug-in menu button at the left of the top bar: the about box, the manual, the changelog,
// the update check and its automatic option, the data folder, the tooltip switch, the editor size
// and scale commands, and a sub-menu for each parameter with a short list of values. Most items
// fire an action id for the plug-in; the switches and sub-menus set their parameters directly.

#include "framework/WDLString.h"
#include "graphics/IBackgroundControls.h"
#include "graphics/IControl.h"
#include "graphics/IPopupMenu.h"

#include <string>
#include <vector>

class Vantorelix;
namespace iplug {
class IParam;
}

class IBInfoMenuZv : public iplug::igraphics::IControl, public iplug::igraphics::IBitmapBase
{
public:
  IBInfoMenuZv(Vantorelix* plug, float x, float y, const iplug::igraphics::IBitmap& bitmap, int aboutId,
               int updateCheckId, const WDL_String* dataFolder, const char* changelogLink, int tooltipsParam,
               int autoUpdateParam, int guiParam, int resetSizeId, int resetScaleId, int minimumScaleId,
               const std::vector<int>& menuParams, const std::vector<int>& extraItemIds,
               const std::vector<std::string>& extraItemTexts, const std::vector<iplug::IParam*>& uiOnlyParams,
               int uiOnlyIdBase);

  // The maker's changelog page of the product, or an empty text when the build names no web site.
  static std::string ChangelogLink();
  // Where the manual lies: the product's folder in the shared documents folder.
  static std::string ManualPath();

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseOut() override;
  void PopupMenuChosen(iplug::igraphics::IPopupMenu* menu, int valIdx) override;
  void OnRescale() override { ReloadBitmap(); }
  void Draw(iplug::igraphics::IGraphics& g) override;

  void BuildMenu();
  void SetParamFromMenu(int paramIdx, double value);
  void SetParamFromSubmenu(int paramIdx, int index);

  const iplug::igraphics::IPopupMenu& Menu() const { return mMenu; }

private:
  enum Item {
    kAbout,
    kCheckForUpdate,
    kOpenManual,
    kChangelog,
    kOpenDataFolder,
    kTooltips,
    kAutoUpdate,
    kResetSize,
    kResetScale,
    kMinimumScale,
    kItemCount
  };

  // Adds an item and answers its position.
  int Add(const char* text, int flags = iplug::igraphics::IPopupMenu::Item::kNoFlags);
  void AddSeparator() { Add("", iplug::igraphics::IPopupMenu::Item::kSeparator); }
  // A sub-menu of the parameter's display texts, the current one checked when asked.
  iplug::igraphics::IPopupMenu* AddParamMenu(const iplug::IParam& param, bool checkCurrent);
  bool ParamIsOn(int paramIdx) const;
  void ChooseItem(int position);
  void SetParam(int paramIdx, double value);

  WDL_String mChangelogLink;
  WDL_String mDataFolder;
  Vantorelix* mPlug;
  iplug::igraphics::IPopupMenu mMenu;
  iplug::igraphics::IPopupMenu* mGuiParamMenu = nullptr;  // sub-menus are owned by their items
  int mAboutId, mUpdateCheckId;
  int mTooltipsParam, mAutoUpdateParam, mGuiParam;
  int mResetSizeId, mResetScaleId, mMinimumScaleId;
  std::vector<int> mMenuParams;
  int mItemPositions[kItemCount];
  std::vector<iplug::igraphics::IPopupMenu*> mMenuParamMenus;
  std::vector<int> mMenuParamIndices;
  std::vector<int> mExtraItemIds;
  std::vector<std::string> mExtraItemTexts;
  std::vector<int> mExtraItemPositions;
  std::vector<iplug::IParam*> mUIOnlyParams;
  int mUIOnlyIdBase;
  std::vector<iplug::igraphics::IPopupMenu*> mUIOnlyMenus;
  std::vector<int> mUIOnlyIds;
  bool mOver = false;
};
