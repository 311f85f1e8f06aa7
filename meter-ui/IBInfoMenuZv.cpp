#include "meter-ui/IBInfoMenuZv.h"

#include "framework/IPlugParameter.h"
#include "graphics/IGraphics.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/EditorAction.h"

#include <algorithm>
#include <cmath>

using namespace iplug::igraphics;
using MenuItem = IPopupMenu::Item;

namespace {

IRECT BoundsAt(float x, float y, const IBitmap& bitmap)
{
  const IRECT frame = IBitmapBase::FrameSize(bitmap);
  return IRECT(x, y, x + frame.W(), y + frame.H());
}

}  // namespace

IBInfoMenuZv::IBInfoMenuZv(Vantorelix* plug, float x, float y, const IBitmap& bitmap, int aboutId, int updateCheckId,
                           const WDL_String* dataFolder, const char* changelogLink, int tooltipsParam,
                           int autoUpdateParam, int guiParam, int resetSizeId, int resetScaleId, int minimumScaleId,
                           const std::vector<int>& menuParams, const std::vector<int>& extraItemIds,
                           const std::vector<std::string>& extraItemTexts,
                           const std::vector<iplug::IParam*>& uiOnlyParams, int uiOnlyIdBase)
: IControl(BoundsAt(x, y, bitmap), -1, nullptr),
  IBitmapBase(bitmap, this),
  mChangelogLink(changelogLink ? changelogLink : ""),
  mDataFolder(dataFolder ? dataFolder->Get() : ""),
  mPlug(plug),
  mAboutId(aboutId),
  mUpdateCheckId(updateCheckId),
  mTooltipsParam(tooltipsParam),
  mAutoUpdateParam(autoUpdateParam),
  mGuiParam(guiParam),
  mResetSizeId(resetSizeId),
  mResetScaleId(resetScaleId),
  mMinimumScaleId(minimumScaleId),
  mMenuParams(menuParams),
  mExtraItemIds(extraItemIds),
  mExtraItemTexts(extraItemTexts),
  mUIOnlyParams(uiOnlyParams),
  mUIOnlyIdBase(uiOnlyIdBase)
{
  std::fill(std::begin(mItemPositions), std::end(mItemPositions), -1);
}

std::string IBInfoMenuZv::ChangelogLink()
{
  const std::string site = VANTORELIX_PRODUCT_SITE;
  return site.empty() ? std::string() : site + "/products/vantoreli#Changelog";
}

std::string IBInfoMenuZv::ManualPath()
{
  WDL_String path;
  path.SetFormatted(4096, "/Users/Shared/Documents/%s/%s%s", "Vantorelix", "Vantorelix", " manual.pdf");
  return path.Get();
}

int IBInfoMenuZv::Add(const char* text, int flags)
{
  mMenu.AddItem(text, IPopupMenu::kAppend, flags);
  return mMenu.NItems() - 1;
}

bool IBInfoMenuZv::ParamIsOn(int paramIdx) const
{
  const iplug::IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
  return param && static_cast<int>(param->Value()) == 1;
}

IPopupMenu* IBInfoMenuZv::AddParamMenu(const iplug::IParam& param, bool checkCurrent)
{
  auto* sub = new IPopupMenu("");
  const int current = static_cast<int>(param.Value());
  for (int v = 0; v < param.DisplayTextCount(); ++v)
  {
    WDL_String text;
    param.FormatDisplay(v, false, text);
    sub->AddItem(text.Get(), IPopupMenu::kAppend,
                 checkCurrent && v == current ? MenuItem::kChecked : MenuItem::kNoFlags);
  }
  mMenu.AddItem(param.GetName(), sub);
  return sub;
}

void IBInfoMenuZv::BuildMenu()
{
  mMenu.ClearItems();
  mMenu.SetPrefix(0);
  mMenu.SetMultiCheck(false);
  std::fill(std::begin(mItemPositions), std::end(mItemPositions), -1);
  mGuiParamMenu = nullptr;
  mMenuParamMenus.clear();
  mMenuParamIndices.clear();
  mUIOnlyMenus.clear();
  mUIOnlyIds.clear();
  mExtraItemPositions.clear();

  Add(">> Plugin menu <<", MenuItem::kTitle);
  AddSeparator();
  mItemPositions[kAbout] = Add("About ...");
  AddSeparator();
  mItemPositions[kOpenManual] = Add("Open manual ...");
  mItemPositions[kChangelog] = Add("Changelog ...");
  if (mUpdateCheckId != -1)
    mItemPositions[kCheckForUpdate] = Add("Check for update ...");
  if (mAutoUpdateParam != -1)
    mItemPositions[kAutoUpdate] = Add("Check for updates automatically",
                                      ParamIsOn(mAutoUpdateParam) ? MenuItem::kChecked : MenuItem::kNoFlags);
  AddSeparator();
  mItemPositions[kOpenDataFolder] = Add("Open data folder ...");
  if (mTooltipsParam != -1)
  {
    AddSeparator();
    mItemPositions[kTooltips] = Add("Tooltips", ParamIsOn(mTooltipsParam) ? MenuItem::kChecked : MenuItem::kNoFlags);
  }
  if (const iplug::IParam* param = mGuiParam != -1 && mPlug ? mPlug->GetParam(mGuiParam) : nullptr)
  {
    AddSeparator();
    mGuiParamMenu = AddParamMenu(*param, true);
  }
  if (mResetSizeId != -1)
  {
    AddSeparator();
    mItemPositions[kResetSize] = Add("Reset GUI size");
  }
  if (mResetScaleId != -1)
  {
    AddSeparator();
    mItemPositions[kResetScale] = Add("Reset GUI scale");
  }
  if (mMinimumScaleId != -1)
    mItemPositions[kMinimumScale] = Add("Set min GUI scale");
  if (!mMenuParams.empty())
  {
    AddSeparator();
    for (int paramIdx : mMenuParams)
      if (const iplug::IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr)
      {
        mMenuParamMenus.push_back(AddParamMenu(*param, true));
        mMenuParamIndices.push_back(paramIdx);
      }
  }
  if (!mUIOnlyParams.empty())
  {
    AddSeparator();
    for (size_t i = 0; i < mUIOnlyParams.size(); ++i)
      if (mUIOnlyParams[i])
      {
        mUIOnlyMenus.push_back(AddParamMenu(*mUIOnlyParams[i], false));
        mUIOnlyIds.push_back(mUIOnlyIdBase + static_cast<int>(i));
      }
  }
  if (!mExtraItemTexts.empty())
  {
    AddSeparator();
    for (const std::string& text : mExtraItemTexts)
      mExtraItemPositions.push_back(Add(text.c_str()));
  }
  if (IGraphics* ui = GetUI())
    ui->OpenMenu(this, mMenu, mRECT, 0);
}

void IBInfoMenuZv::PopupMenuChosen(IPopupMenu* menu, int)
{
  SetValue(0.0);
  SetDirty(true, -1);
  if (!menu)
    return;  // dismissed
  const int chosen = menu->GetChosenItemIdx();
  if (menu == &mMenu)
  {
    ChooseItem(chosen);
    return;
  }
  if (menu == mGuiParamMenu)
  {
    SetParamFromSubmenu(mGuiParam, chosen);
    return;
  }
  for (size_t k = 0; k < mMenuParamMenus.size(); ++k)
    if (menu == mMenuParamMenus[k])
    {
      if (chosen >= 0)
        SetParamFromSubmenu(mMenuParamIndices[k], chosen);
      return;
    }
  for (size_t k = 0; k < mUIOnlyMenus.size(); ++k)
    if (menu == mUIOnlyMenus[k])
    {
      const int id = mUIOnlyIds[k];
      if (id >= 0 && chosen >= 0)
      {
        mUIOnlyParams[static_cast<size_t>(id - mUIOnlyIdBase)]->Set(chosen);
        FireEditorAction(*this, id);
      }
      return;
    }
}

void IBInfoMenuZv::ChooseItem(int position)
{
  if (position < 0)
    return;
  IGraphics* ui = GetUI();
  for (size_t k = 0; k < mExtraItemPositions.size(); ++k)
    if (position == mExtraItemPositions[k])
    {
      FireEditorAction(*this, mExtraItemIds.size() > k ? mExtraItemIds[k] : -1);
      return;
    }
  const int* found = std::find(std::begin(mItemPositions), std::end(mItemPositions), position);
  switch (found == std::end(mItemPositions) ? kItemCount : static_cast<int>(found - std::begin(mItemPositions)))
  {
    case kAbout: FireEditorAction(*this, mAboutId); break;
    case kCheckForUpdate: FireEditorAction(*this, mUpdateCheckId); break;
    case kOpenManual:
      // The manual lies in the shared documents folder; the data folder only has to be known.
      if (ui && mDataFolder.GetLength())
        ui->OpenWebLink(ManualPath().c_str());
      break;
    case kChangelog:
      if (ui && mChangelogLink.GetLength())
        ui->OpenWebLink(mChangelogLink.Get());
      break;
    case kOpenDataFolder:
      if (ui && mDataFolder.GetLength())
      {
        WDL_String folder;
        folder.SetFormatted(4096, "%s", mDataFolder.Get());
        ui->OpenWebLink(folder.Get());
      }
      break;
    case kTooltips: SetParamFromMenu(mTooltipsParam, ParamIsOn(mTooltipsParam) ? 0.0 : 1.0); break;
    case kAutoUpdate: SetParamFromMenu(mAutoUpdateParam, ParamIsOn(mAutoUpdateParam) ? 0.0 : 1.0); break;
    case kResetSize: FireEditorAction(*this, mResetSizeId); break;
    case kResetScale: FireEditorAction(*this, mResetScaleId); break;
    case kMinimumScale: FireEditorAction(*this, mMinimumScaleId); break;
    default: break;  // the title or a separator
  }
}

void IBInfoMenuZv::SetParamFromSubmenu(int paramIdx, int index)
{
  const iplug::IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
  if (!param || static_cast<int>(param->Value()) == index)
    return;
  SetParam(paramIdx, index);
}

void IBInfoMenuZv::SetParamFromMenu(int paramIdx, double value)
{
  const iplug::IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
  if (!param || param->Value() == value)
    return;
  SetParam(paramIdx, value);
}

// Through the plug-in's normal road: controls bound to the parameter follow, the host is told and
// the plug-in's change handler runs.
void IBInfoMenuZv::SetParam(int paramIdx, double value)
{
  iplug::IParam* param = mPlug->GetParam(paramIdx);
  param->Set(value);
  const double stored = param->Value();
  if (iplug::igraphics::IGEditorDelegate* dlg = GetDelegate())
  {
    dlg->DeliverValueToEditor(paramIdx, stored, false);
    dlg->SetValueFromEditor(paramIdx, std::clamp(param->ToNormalised(stored), 0.0, 1.0), true);
  }
}

void IBInfoMenuZv::Draw(IGraphics& g)
{
  const IRECT frame = FrameSize(mBitmap);
  const float cx = mRECT.MW(), cy = mRECT.MH();
  g.DrawBitmapFrame(mBitmap, IRECT(cx - frame.W() / 2, cy - frame.H() / 2, cx + frame.W() / 2, cy + frame.H() / 2),
                    mOver ? 2 : 1, &mBlend);
}

void IBInfoMenuZv::OnMouseDown(float, float, const IMouseMod&)
{
  SetDirty(false, -1);
  BuildMenu();
}

void IBInfoMenuZv::OnMouseUp(float, float, const IMouseMod&)
{
  SetDirty(false, -1);
}

void IBInfoMenuZv::OnMouseOver(float, float, const IMouseMod&)
{
  mOver = true;
  SetDirty(false, -1);
}

void IBInfoMenuZv::OnMouseOut()
{
  mOver = false;
  SetDirty(false, -1);
}
