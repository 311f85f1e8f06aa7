// The in-window text entry: a single line edited by stb_textedit's state machine, which this
// control feeds with the text, the character widths and the row layout, and whose keys it
// filters by the kind of the parameter being typed.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/IPlugParameter.h"
#include "framework/IGraphicsEditorDelegate.h"
#include "graphics/IGraphics.h"
#include "graphics/ITextEntryControl.h"
#include "platform/shared/Utf8.h"

// The state machine's configuration. Its key type is unsigned: the codes use the top bits for
// the function-key flag and the modifiers.
#define STB_TEXTEDIT_CHARTYPE char16_t
#define STB_TEXTEDIT_POSITIONTYPE int
#define STB_TEXTEDIT_KEYTYPE uint32_t
#define STB_TEXTEDIT_STRING iplug::igraphics::ITextEntryControl
#define STB_TEXTEDIT_STRINGLEN(tc) iplug::igraphics::TextEditAccess::Length(tc)
#define STB_TEXTEDIT_LAYOUTROW(r, tc, n) iplug::igraphics::TextEditAccess::Layout(r, tc, n)
#define STB_TEXTEDIT_GETWIDTH(tc, n, i) iplug::igraphics::TextEditAccess::Width(tc, n, i)
#define STB_TEXTEDIT_KEYTOTEXT(k) iplug::igraphics::TextEditAccess::KeyToText(k)
#define STB_TEXTEDIT_GETCHAR(tc, i) iplug::igraphics::TextEditAccess::Char(tc, i)
#define STB_TEXTEDIT_NEWLINE '\n'
#define STB_TEXTEDIT_IS_SPACE(ch) iplug::igraphics::TextEditAccess::IsSpace(ch)
#define STB_TEXTEDIT_DELETECHARS(tc, i, n) iplug::igraphics::TextEditAccess::Delete(tc, i, n)
#define STB_TEXTEDIT_INSERTCHARS(tc, i, c, n) iplug::igraphics::TextEditAccess::Insert(tc, i, c, n)

#define STB_TEXTEDIT_K_SHIFT 0x40000000u
#define STB_TEXTEDIT_K_LEFT 0x80000025u
#define STB_TEXTEDIT_K_RIGHT 0x80000027u
#define STB_TEXTEDIT_K_UP 0x80000026u
#define STB_TEXTEDIT_K_DOWN 0x80000028u
// The page keys never reach the state machine (the control answers them unused), but it
// needs their codes defined.
#define STB_TEXTEDIT_K_PGUP 0x80000021u
#define STB_TEXTEDIT_K_PGDOWN 0x80000022u
#define STB_TEXTEDIT_K_LINESTART 0x80000024u
#define STB_TEXTEDIT_K_LINEEND 0x80000023u
#define STB_TEXTEDIT_K_TEXTSTART 0xA0000024u
#define STB_TEXTEDIT_K_TEXTEND 0xA0000023u
#define STB_TEXTEDIT_K_WORDLEFT 0xA0000025u
#define STB_TEXTEDIT_K_WORDRIGHT 0xA0000027u
#define STB_TEXTEDIT_K_DELETE 0x8000002Eu
#define STB_TEXTEDIT_K_BACKSPACE 0x80000008u
#define STB_TEXTEDIT_K_INSERT 0x8000002Du
#define STB_TEXTEDIT_K_UNDO 0x2000007Au
#define STB_TEXTEDIT_K_REDO 0x6000007Au

#include <stb/stb_textedit.h>

namespace iplug::igraphics {

namespace {
constexpr uint32_t kFunctionKey = 0x80000000u;
constexpr uint32_t kShiftBit = 0x40000000u;
constexpr uint32_t kCommandBit = 0x20000000u;
constexpr uint32_t kOptionBit = 0x10000000u;
constexpr uint32_t kModifierBits = kShiftBit | kCommandBit | kOptionBit;

// The key's text as one character; an invalid sequence gives its first byte.
uint32_t DecodeKeyText(const char* text)
{
  const std::string_view s(text);
  if (s.empty())
  {
    return 0;
  }
  uint32_t codePoint = 0;
  return utf8::DecodeAt(s, 0, codePoint) ? codePoint : static_cast<unsigned char>(s[0]);
}
}  // namespace

struct ITextEntryControl::EditState
{
  STB_TexteditState state;
};

// The callbacks the state machine calls through its configuration macros.
struct TextEditAccess
{
  static int Length(ITextEntryControl* tc) { return tc->GetLength(); }
  static char16_t Char(ITextEntryControl* tc, int i) { return tc->GetChar(i); }
  static float Width(ITextEntryControl* tc, int, int i) { return tc->GetCharWidth(i); }
  static bool IsSpace(char16_t ch) { return ch == u' ' || ch == u'\t'; }
  static int KeyToText(uint32_t key) { return key & kFunctionKey ? -1 : static_cast<int>(key & ~kModifierBits); }
  static void Layout(StbTexteditRow* row, ITextEntryControl* tc, int)
  {
    const ITextEntryControl::Row r = tc->LayoutRow();
    row->x0 = r.x0;
    row->x1 = r.x1;
    row->ymin = r.ymin;
    row->ymax = r.ymax;
    row->baseline_y_delta = 1.25f;
    row->num_chars = tc->GetLength();
  }
  static int Delete(ITextEntryControl* tc, int pos, int n) { return tc->DeleteChars(pos, n); }
  static int Insert(ITextEntryControl* tc, int pos, const char16_t* chars, int n)
  {
    return tc->InsertChars(pos, chars, n);
  }
};

}  // namespace iplug::igraphics

#define STB_TEXTEDIT_IMPLEMENTATION
#include <stb/stb_textedit.h>

namespace iplug::igraphics {

ITextEntryControl::ITextEntryControl() : IControl(IRECT()), mEditState(std::make_unique<EditState>())
{
  stb_textedit_initialize_state(&mEditState->state, 1);
  mHide = true;
  SetActionFunction([](IControl* control) {
    auto* entry = static_cast<ITextEntryControl*>(control);
    entry->mDrawCursor = true;
    entry->SetAnimation([](IControl* c) { static_cast<ITextEntryControl*>(c)->Blink(); }, 1000);
  });
}

ITextEntryControl::~ITextEntryControl() = default;

void ITextEntryControl::Blink()
{
  const double p = GetAnimationProgress();
  if (p > 0.5)
  {
    mDrawCursor = false;
    SetDirty(false);
  }
  if (p > 1.0)
  {
    AnimationEnded();
  }
}

void ITextEntryControl::AnimationEnded()
{
  IControl::AnimationEnded();
  if (mEditing)
  {
    SetDirty(true);
  }
}

// ---- Text, widths and layout ----------------------------------------------------------------

void ITextEntryControl::SetStr(const char* str)
{
  mCharWidths.Resize(0, false);
  mEditString = utf8::ToUtf16(str ? str : "");
}

std::string ITextEntryControl::GetStr() const
{
  return utf8::FromUtf16(mEditString);
}

char16_t ITextEntryControl::GetChar(int idx) const
{
  return idx >= 0 && idx < GetLength() ? mEditString[static_cast<size_t>(idx)] : u'\0';
}

float ITextEntryControl::MeasureWidth(std::u16string_view chars) const
{
  IRECT r;
  return GetUI()->MeasureText(mText, utf8::FromUtf16(chars).c_str(), r);
}

void ITextEntryControl::CalcCharWidths()
{
  const int n = GetLength();
  if (mCharWidths.Resize(n, false), mCharWidths.GetSize() != n)
  {
    mCharWidths.Resize(0, false);  // out of memory: measured again on the next use
    return;
  }
  const std::u16string_view text(mEditString);
  for (int i = 0; i < n; ++i)
  {
    // The width a character adds after its predecessor, its kerning with it included.
    const size_t at = static_cast<size_t>(i);
    mCharWidths.Get()[i] = i == 0 ? MeasureWidth(text.substr(0, 1))
                                  : MeasureWidth(text.substr(at - 1, 2)) - MeasureWidth(text.substr(at - 1, 1));
  }
}

void ITextEntryControl::FillCharWidthCache()
{
  if (mCharWidths.GetSize() == 0 && GetLength() > 0)
  {
    CalcCharWidths();
  }
}

float ITextEntryControl::GetCharWidth(int idx)
{
  FillCharWidthCache();
  return idx >= 0 && idx < mCharWidths.GetSize() ? mCharWidths.Get()[idx] : 0.f;
}

float ITextEntryControl::WidthBefore(int idx)
{
  float x = 0.f;
  for (int i = 0; i < idx; ++i)
  {
    x += GetCharWidth(i);
  }
  return x;
}

ITextEntryControl::Row ITextEntryControl::LayoutRow()
{
  const float width = WidthBefore(GetLength());
  Row row{};
  switch (mText.mAlign)
  {
    case EAlign::Near: row.x0 = mRECT.L; break;
    case EAlign::Center: row.x0 = mRECT.MW() - width / 2.f; break;
    case EAlign::Far: row.x0 = mRECT.R - width; break;
  }
  row.x1 = row.x0 + width;
  switch (mText.mVAlign)
  {
    case EVAlign::Top: row.ymin = 0.f; break;
    case EVAlign::Middle: row.ymin = mRECT.H() / 2.f - mText.mSize / 2.f; break;
    case EVAlign::Bottom: row.ymin = mRECT.H() - mText.mSize; break;
  }
  row.ymax = row.ymin + mText.mSize;
  return row;
}

bool ITextEntryControl::DeleteChars(int pos, int n)
{
  if (pos < 0 || n < 0 || pos > GetLength() || n > GetLength() - pos)
  {
    return false;
  }
  mEditString.erase(static_cast<size_t>(pos), static_cast<size_t>(n));
  CalcCharWidths();
  return true;
}

bool ITextEntryControl::InsertChars(int pos, const char16_t* chars, int n)
{
  if (pos < 0 || n < 0 || pos > GetLength())
  {
    return false;
  }
  mEditString.insert(static_cast<size_t>(pos), chars, static_cast<size_t>(n));
  CalcCharWidths();
  return true;
}

// ---- Selection, keys and clipboard ----------------------------------------------------------

int ITextEntryControl::GetCursor() const
{
  return mEditState->state.cursor;
}

int ITextEntryControl::GetSelectionStart() const
{
  return mEditState->state.select_start;
}

int ITextEntryControl::GetSelectionEnd() const
{
  return mEditState->state.select_end;
}

template <class Edit>
bool ITextEntryControl::ChangesState(Edit edit)
{
  const STB_TexteditState before = mEditState->state;
  edit(mEditState->state);
  const bool changed = std::memcmp(&before, &mEditState->state, sizeof(before)) != 0;
  if (changed)
  {
    SetDirty(false);
  }
  return changed;
}

void ITextEntryControl::SelectAll()
{
  ChangesState([this](STB_TexteditState& s) {
    s.select_start = 0;
    s.select_end = GetLength();
  });
}

bool ITextEntryControl::SendKey(uint32_t key)
{
  return ChangesState([&](STB_TexteditState& s) { stb_textedit_key(this, &s, key); });
}

void ITextEntryControl::CopySelection()
{
  const STB_TexteditState& s = mEditState->state;
  if (s.select_start == s.select_end)
  {
    return;
  }
  const int lo = std::min(s.select_start, s.select_end);
  const int hi = std::max(s.select_start, s.select_end);
  const std::u16string_view text(mEditString);
  const std::u16string_view selected = text.substr(static_cast<size_t>(lo), static_cast<size_t>(hi - lo));
  GetUI()->WriteClipboardText(utf8::FromUtf16(selected).c_str());
}

void ITextEntryControl::Cut()
{
  CopySelection();
  ChangesState([this](STB_TexteditState& s) { stb_textedit_cut(this, &s); });
}

void ITextEntryControl::Paste()
{
  std::string text;
  if (!GetUI()->ReadClipboardText(text))
  {
    return;
  }
  // A paste is what typing could have produced, or nothing: dropping the characters the entry
  // refuses would make another number of the rest ("1e999" would be 1999).
  const std::u16string chars = utf8::ToUtf16(text);
  if (chars.empty() ||
      !std::all_of(chars.begin(), chars.end(), [this](char16_t c) { return TakesChar(c, c >= u'0' && c <= u'9'); }))
  {
    return;  // as a key that types nothing
  }
  ChangesState(
    [&](STB_TexteditState& s) { stb_textedit_paste(this, &s, chars.data(), static_cast<int>(chars.size())); });
}

bool ITextEntryControl::TakesChar(uint32_t ch, bool digit) const
{
  // Control characters (keypad enter types one) have no place in a line of text.
  if (ch < 0x20 || ch == 0x7F)
  {
    return false;
  }
  const IParam* param = mParamIdx >= 0 && GetDelegate() ? GetDelegate()->GetParam(mParamIdx) : nullptr;
  if (!param || param->GetKind() == ParamKind::None)
  {
    return true;
  }
  const bool sign = ch == '+' || ch == '-';
  const bool point = ch == '.' && param->GetKind() == ParamKind::Double;
  return digit || sign || point;
}

uint32_t ITextEntryControl::FilteredKey(const IKeyPress& key, uint32_t ch) const
{
  const bool digit = (key.VK >= 48 && key.VK <= 57 && !key.S) || (key.VK >= 96 && key.VK <= 105);
  return TakesChar(ch, digit) ? ch : static_cast<uint32_t>(key.VK) | kFunctionKey;
}

bool ITextEntryControl::OnKeyDown(float, float, const IKeyPress& key)
{
  if (key.C && key.VK >= 'A' && key.VK <= 'Z')
  {
    switch (key.VK)
    {
      case 'A': SelectAll(); return true;
      case 'C': CopySelection(); return true;
      case 'V': Paste(); return true;
      case 'X': Cut(); return true;
      case 'Z': SendKey(key.S ? STB_TEXTEDIT_K_REDO : STB_TEXTEDIT_K_UNDO); return true;
      default: break;
    }
  }
  const uint32_t ch = DecodeKeyText(key.utf8);
  uint32_t code = 0;
  switch (key.VK)
  {
    case 8: code = STB_TEXTEDIT_K_BACKSPACE; break;
    case 9: return false;
    case 13: CommitEdit(); return true;
    case 27: CancelEdit(); return true;
    case 32: code = ' '; break;
    case 33:
    case 34: return false;  // a page means nothing on one line
    case 35:
    case 36:
    case 37:
    case 38:
    case 39:
    case 40:
    case 46: code = static_cast<uint32_t>(key.VK) | kFunctionKey; break;
    default:
      if (!GetUI()->GetControlInTextEntry())
      {
        return false;
      }
      code = FilteredKey(key, ch);
      break;
  }
  code |= (key.C ? kCommandBit : 0u) | (key.A ? kOptionBit : 0u) | (key.S ? kShiftBit : 0u);
  return SendKey(code);
}

// ---- Opening and closing --------------------------------------------------------------------

void ITextEntryControl::OpenTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int, const char* str)
{
  mParamIdx = paramIdx;
  SetTargetAndDrawRECTs(bounds);
  mText = text;
  mText.mFGColor = text.mTextEntryFGColor;
  SetStr(str);
  // Each entry starts its own undo history: records of an earlier text would point into
  // characters this one does not have.
  stb_textedit_initialize_state(&mEditState->state, 1);
  SelectAll();
  mEditState->state.cursor = 0;
  CalcCharWidths();
  IControl::Hide(false);
  SetDirty(true);
  mEditing = true;
}

void ITextEntryControl::Close()
{
  mEditing = false;
  mMouseIsOver = false;
  SetTargetAndDrawRECTs(IRECT());
  IControl::Hide(true);
}

void ITextEntryControl::CommitEdit()
{
  Close();
  GetUI()->ApplyTextEntryResult(GetStr().c_str());
  GetUI()->MarkAllControlsDirty(false);
}

void ITextEntryControl::CancelEdit()
{
  Close();
  GetUI()->ClearInTextEntryControl();
  GetUI()->MarkAllControlsDirty(false);
}

void ITextEntryControl::DismissEdit()
{
  CancelEdit();
}

// ---- Pointer --------------------------------------------------------------------------------

void ITextEntryControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (!mRECT.Contains(x, y))
  {
    CommitEdit();
    return;
  }
  if (mod.L)
  {
    ChangesState([&](STB_TexteditState& s) { stb_textedit_click(this, &s, x, y); });
  }
  if (mod.R)
  {
    mEditMenu.SetFunction([this](IPopupMenu* menu) {
      switch (menu->GetChosenItemIdx())
      {
        case 0: Cut(); break;
        case 1: CopySelection(); break;
        case 2: Paste(); break;
        default: break;
      }
    });
    GetUI()->OpenMenu(this, mEditMenu, IRECT(x, y, x, y), 0);
  }
}

void ITextEntryControl::OnMouseDrag(float x, float y, float, float, const IMouseMod& mod)
{
  if (mEditing && mod.L)
  {
    ChangesState([&](STB_TexteditState& s) { stb_textedit_drag(this, &s, x, y); });
  }
}

void ITextEntryControl::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  if (mEditing && mod.L)
  {
    OnMouseDrag(x, y, 0.f, 0.f, mod);
    SetDirty(true);
  }
}

void ITextEntryControl::OnMouseDblClick(float, float, const IMouseMod&)
{
  SelectAll();
}

// ---- Drawing --------------------------------------------------------------------------------

void ITextEntryControl::Draw(IGraphics& g)
{
  g.FillRect(mText.mTextEntryBGColor, mRECT);
  const Row row = LayoutRow();
  const STB_TexteditState& s = mEditState->state;
  const float top = mRECT.T + row.ymin + 0.1f * mText.mSize;
  const float bottom = mRECT.T + row.ymax - 0.1f * mText.mSize;
  if (s.select_start != s.select_end)
  {
    const int lo = std::min(s.select_start, s.select_end);
    const int hi = std::max(s.select_start, s.select_end);
    const IBlend faint(0, 0.2f);
    g.FillRect(mText.mTextEntryFGColor, IRECT(row.x0 + WidthBefore(lo), top, row.x0 + WidthBefore(hi), bottom), &faint);
  }
  g.DrawText(mText, GetStr().c_str(), mRECT);
  if (s.select_start == s.select_end && mDrawCursor)
  {
    const float x = row.x0 + WidthBefore(s.cursor);
    g.FillRect(mText.mTextEntryFGColor, IRECT(std::round(x - 1.f), top, std::round(x), bottom));
  }
}

}  // namespace iplug::igraphics
