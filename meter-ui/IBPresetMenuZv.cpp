#include "meter-ui/IBPresetMenuZv.h"

#include "graphics/IBackgroundControls.h"
#include "graphics/IGraphics.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/EditorAction.h"
#include "platform/shared/Utf8.h"

#include <string>

using namespace iplug::igraphics;

namespace {

IRECT ArrowRect(int x, int y, const IBitmap& bitmap)
{
  const IRECT frame = IBitmapBase::FrameSize(bitmap);
  const float l = static_cast<float>(x), t = static_cast<float>(y);
  return IRECT(l, t, l + frame.W(), t + frame.H());
}

bool IsContinuation(char c)
{
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The byte offset where character `index` begins (the length for the end).
size_t CharacterOffset(const std::string& text, size_t index)
{
  size_t at = 0;
  for (size_t seen = 0; at < text.size(); ++at)
    if (!IsContinuation(text[at]) && seen++ == index)
      return at;
  return text.size();
}

size_t CharacterCount(const std::string& text)
{
  size_t n = 0;
  for (char c : text)
    n += !IsContinuation(c);
  return n;
}

}  // namespace

IBPresetMenuZv::IBPresetMenuZv(Vantorelix* plug, const IRECT& bounds, const IRECT& clickRect, int previousX,
                               int previousY, const IText& text, const IBitmap& previousBitmap, int nextX, int nextY,
                               const IBitmap& nextBitmap, int loadId, int saveId, int saveAsDefaultId, int openId,
                               int resetId, int afterLoadId, PresetMenuStore* store, const WDL_String* presetFolder,
                               const char* extension, int maxNameLength, bool showArrows, bool userPresetsFromFiles,
                               const IRECT& textRect)
: IControl(bounds, -1, nullptr),
  mPresetFolder(presetFolder ? presetFolder->Get() : ""),
  mExtension(extension ? extension : ""),
  mSaveId(saveId),
  mSaveAsDefaultId(saveAsDefaultId),
  mLoadId(loadId),
  mOpenId(openId),
  mResetId(resetId),
  mAfterLoadId(afterLoadId),
  mPlug(plug),
  mStore(store),
  mMaxNameLength(maxNameLength),
  mClickRect(clickRect),
  mTextRect(textRect),
  mPreviousRect(ArrowRect(previousX, previousY, previousBitmap)),
  mNextRect(ArrowRect(nextX, nextY, nextBitmap)),
  mPreviousBitmap(previousBitmap),
  mNextBitmap(nextBitmap),
  mShowArrows(showArrows),
  mUserPresetsFromFiles(userPresetsFromFiles)
{
  mText = text;
  SetMouseDblAsSingleClick(true);
}

void IBPresetMenuZv::Fire(int actionId) const
{
  FireEditorAction(*this, actionId);
}

void IBPresetMenuZv::OnMouseDown(float x, float y, const IMouseMod&)
{
  if (mClickRect.Contains(x, y))
  {
    Fire(mOpenId);  // the plug-in refreshes the user presets before the menu lists them
    SetDirty(true, -1);
    BuildMenu();
    SetDirty(true, -1);
    return;
  }
  if (!mShowArrows || !mStore)
    return;
  const int count = mStore->factory.GetSize();
  if (mPreviousRect.Contains(x, y))
  {
    if (--mCurrentFactoryIndex < 0)
      mCurrentFactoryIndex = 0;
    else if (const iplug::IPreset* record = mStore->factory.Get(mCurrentFactoryIndex))
      LoadRecord(*record, true, -1);
  }
  else if (mNextRect.Contains(x, y))
  {
    if (++mCurrentFactoryIndex >= count)
      mCurrentFactoryIndex = std::max(count - 1, 0);
    else if (const iplug::IPreset* record = mStore->factory.Get(mCurrentFactoryIndex))
      LoadRecord(*record, true, -1);
  }
  else
    return;
  SetDirty(true, -1);
}

void IBPresetMenuZv::OnMouseUp(float, float, const IMouseMod&)
{
  SetDirty(true, -1);
}

void IBPresetMenuZv::OnMouseOver(float x, float y, const IMouseMod&)
{
  mOverClick = mClickRect.Contains(x, y);
  mOverPrevious = mShowArrows && mPreviousRect.Contains(x, y);
  mOverNext = mShowArrows && mNextRect.Contains(x, y);
  SetDirty(false, -1);
}

void IBPresetMenuZv::OnMouseOut()
{
  mOverClick = mOverPrevious = mOverNext = false;
  SetDirty(false, -1);
}

void IBPresetMenuZv::OnResize()
{
  SetDirty(false, -1);
}

void IBPresetMenuZv::BuildMenu()
{
  mMenu.ClearItems();
  mMenu.SetPrefix(0);
  mMenu.SetMultiCheck(false);
  mFactoryMenu = mUserMenu = nullptr;
  mMenu.AddItem(">> Preset menu <<");
  mMenu.AddItem("", IPopupMenu::kAppend, IPopupMenu::Item::kSeparator);
  mMenu.AddItem("Load preset ...");
  mMenu.AddItem("Reset to default");
  mMenu.AddItem("", IPopupMenu::kAppend, IPopupMenu::Item::kSeparator);
  mMenu.AddItem("Save preset ...");
  mMenu.AddItem("Save as default");
  auto addList = [this](const WDL_PtrList<iplug::IPreset>& records, const char* title) -> IPopupMenu* {
    if (records.GetSize() == 0)
      return nullptr;
    mMenu.AddItem("", IPopupMenu::kAppend, IPopupMenu::Item::kSeparator);
    auto* sub = new IPopupMenu("");
    for (int i = 0; i < records.GetSize(); ++i)
      sub->AddItem(records.Get(i)->mName);
    mMenu.AddItem(title, sub);
    return sub;
  };
  if (mStore)
  {
    mFactoryMenu = addList(mStore->factory, "Factory");
    mUserMenu = addList(mStore->user, "User");
  }
  if (IGraphics* ui = GetUI())
    ui->OpenMenu(this, mMenu, mRECT, 0);
}

void IBPresetMenuZv::AskForPresetFile(bool save)
{
  mChosenFile.Set("");
  IGraphics* ui = GetUI();
  if (!ui)
    return;
  std::string file;
  std::string folder = mPresetFolder.Get();
  ui->AskForFile(file, folder, save, mExtension.Get());
  mChosenFile.Set(file.c_str());
}

void IBPresetMenuZv::LoadRecord(const iplug::IPreset& record, bool raiseLoading, int idBeforeAfterLoad)
{
  if (!mPlug)
    return;
  if (raiseLoading && mStore)
    mStore->loading = true;
  mPlug->ClearPresetChunk(record, 0);
  mPlug->LoadPresetSlot(0);
  mPlug->NotifyHostPresetChanged();
  if (mStore)
    mStore->loading = false;
  Fire(idBeforeAfterLoad);
  Fire(mAfterLoadId);
}

void IBPresetMenuZv::PopupMenuChosen(IPopupMenu* menu, int)
{
  if (!menu)
    return;  // dismissed: not even a redraw
  const int chosen = menu->GetChosenItemIdx();
  if (menu == &mMenu)
  {
    switch (chosen)
    {
      case kLoadItem:
        AskForPresetFile(false);
        Fire(mLoadId);
        Fire(mAfterLoadId);
        break;
      case kResetItem:
        if (mStore)
          LoadRecord(mStore->defaults, false, mResetId);
        break;
      case kSaveItem:
        AskForPresetFile(true);
        Fire(mSaveId);
        break;
      case kSaveAsDefaultItem: Fire(mSaveAsDefaultId); break;
      default: break;  // the title or a separator
    }
  }
  else if (menu == mFactoryMenu && mFactoryMenu && chosen >= 0)
  {
    mCurrentFactoryIndex = chosen;
    if (const iplug::IPreset* record = mStore->factory.Get(chosen))
      LoadRecord(*record, true, -1);
  }
  else if (menu == mUserMenu && mUserMenu && chosen >= 0)
  {
    mCurrentFactoryIndex = 0;
    const iplug::IPreset* record = mStore->user.Get(chosen);
    if (record && mUserPresetsFromFiles)
    {
      mChosenFile.SetFormatted(4096, "%s/%s.%s", mPresetFolder.Get(), record->mName, mExtension.Get());
      mStore->loading = true;
      Fire(mLoadId);
      mStore->loading = false;
      Fire(mAfterLoadId);
    }
    else if (record)
      LoadRecord(*record, true, -1);
  }
  SetDirty(true, -1);
}

void IBPresetMenuZv::ShortenName(WDL_String& out, const char* name, int maxLength)
{
  const std::string text = name ? name : "";
  const size_t m = maxLength > 0 ? static_cast<size_t>(maxLength) : 0;
  if (maxLength < 7 || text.empty() || CharacterCount(text) < m)
  {
    out.Set(text.c_str());
    return;
  }
  const size_t h = m / 2;
  const size_t count = CharacterCount(text);
  const std::string head = text.substr(0, CharacterOffset(text, h - 2));
  const std::string tail = text.substr(CharacterOffset(text, count - (m - h - 3)));
  out.Set((head + " ... " + tail).c_str());
}

void IBPresetMenuZv::Draw(IGraphics& g)
{
  if (mShowArrows)
  {
    g.DrawBitmapFrame(mPreviousBitmap, mPreviousRect, mOverPrevious ? 2 : 1, &mBlend);
    g.DrawBitmapFrame(mNextBitmap, mNextRect, mOverNext ? 2 : 1, &mBlend);
  }
  const char* current = mPlug ? mPlug->PresetSlotName(mPlug->GetCurrentPresetIdx()) : "";
  current = current ? current : "";
  // At most 255 bytes of it, cut between characters.
  const std::string name(current, utf8::CutLength(current, 255));
  IText text = mText;
  if (mOverClick)
    text.mFGColor = IColor(text.mFGColor.A, 255, 255, 255);
  // A name of wide letters can overflow the text rectangle even at the length limit and would be
  // clipped at both ends; it is shortened further, down to the shortest form with " ... ".
  constexpr int kShortestShortened = 7;
  WDL_String shown;
  for (int length = mMaxNameLength;; --length)
  {
    ShortenName(shown, name.c_str(), length);
    IRECT measured = mTextRect;
    if (length <= kShortestShortened || g.MeasureText(text, shown.Get(), measured) <= mTextRect.W())
      break;
  }
  g.DrawText(text, shown.Get(), mTextRect);
  SetTooltip(("Preset menu: " + name).c_str());
}
