#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "framework/WDLHeapBuf.h"
#include "graphics/IControl.h"
#include "graphics/IPopupMenu.h"

namespace iplug::igraphics {

// The in-window text entry: one line of text edited in place of the native field. While it is
// open the graphics object routes every key and pointer event to it; return or a click outside
// applies the text, escape drops it.
class ITextEntryControl : public IControl
{
public:
  ITextEntryControl();
  ~ITextEntryControl() override;

  void Draw(IGraphics& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  bool OnKeyDown(float x, float y, const IKeyPress& key) override;
  void AnimationEnded() override;

  // Opens over bounds with all of str selected; the length limit is the native field's.
  void OpenTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length, const char* str);
  void CommitEdit();
  void CancelEdit();
  // Closes without applying, as when the editor loses focus.
  void DismissEdit();

  void SelectAll();
  void CopySelection();
  void Cut();
  void Paste();

  bool EditInProgress() const { return mEditing; }
  bool CursorVisible() const { return mDrawCursor; }
  std::string GetStr() const;
  int GetLength() const { return static_cast<int>(mEditString.size()); }
  char16_t GetChar(int idx) const;
  int GetCursor() const;
  int GetSelectionStart() const;
  int GetSelectionEnd() const;
  // The width a character adds to the line, its kerning with the one before included.
  float GetCharWidth(int idx);
  void FillCharWidthCache();
  const IPopupMenu& GetEditMenu() const { return mEditMenu; }

private:
  friend struct TextEditAccess;
  struct EditState;
  // One row holding the whole text: its horizontal extent and its vertical span from the top.
  struct Row
  {
    float x0, x1, ymin, ymax;
  };

  void Blink();
  void SetStr(const char* str);
  void CalcCharWidths();
  float MeasureWidth(std::u16string_view chars) const;
  float WidthBefore(int idx);
  Row LayoutRow();
  bool DeleteChars(int pos, int n);
  bool InsertChars(int pos, const char16_t* chars, int n);
  // Runs an edit on the state machine and marks the control for drawing when it changed.
  template <class Edit>
  bool ChangesState(Edit edit);
  bool SendKey(uint32_t key);
  // Whether the entry takes a character, typed or pasted: no control characters; for a numeric
  // parameter only digits (digit tells: a typed one by its key), signs and, for a floating-point
  // one, the point.
  bool TakesChar(uint32_t ch, bool digit) const;
  // The character a key types for the parameter being edited, or the key as a function key,
  // which types nothing.
  uint32_t FilteredKey(const IKeyPress& key, uint32_t ch) const;
  void Close();

  bool mDrawCursor = false;
  bool mEditing = false;
  std::unique_ptr<EditState> mEditState;
  WDL_TypedBuf<float> mCharWidths;
  std::u16string mEditString;
  int mParamIdx = -1;
  IPopupMenu mEditMenu{"", {"Cut", "Copy", "Paste"}};
};

}  // namespace iplug::igraphics
