#include "platform/AppKit/NSTextField.h"

#include <cmath>
#include <utility>

#include "platform/AppKit/NSWindow.h"
#include "platform/AppKit/Person.h"
#include "platform/shared/Utf8.h"

NSSize NSTextFieldCell::cellSize() const
{
  return {0, mFont ? std::ceil(mFont->pointSize() * 1.2) : 0};
}

NSTextField::NSTextField() : mCell(std::make_shared<NSTextFieldCell>()) {}

void NSTextField::setCell(std::shared_ptr<NSTextFieldCell> cell)
{
  if (cell)
    mCell = std::move(cell);
}

bool NSTextField::IsFirstResponder() const
{
  return window() && window()->firstResponder() == this;
}

bool NSTextField::becomeFirstResponder()
{
  mEditing = true;
  std::weak_ptr<NSResponder> self = weak_from_this();
  platform::AnswerLater([self] {
    const auto field = std::static_pointer_cast<NSTextField>(self.lock());
    if (!field || !field->IsFirstResponder())
      return;
    const std::u16string typed = platform::CurrentPerson().TypeIntoField(*field);
    if (!typed.empty())
      field->window()->sendEvent(
        NSEvent::keyEventWithType(NSEventTypeKeyDown, NSEventModifierFlags(0), field->window(), typed, typed, 0));
  });
  return true;
}

bool NSTextField::resignFirstResponder()
{
  // Giving up the keys ends the editing, as return does: the delegate hears of it once.
  const bool wasEditing = std::exchange(mEditing, false);
  if (wasEditing && mDelegate)
    mDelegate->controlTextDidEndEditing(*this);
  return true;
}

void NSTextField::keyDown(const NSEvent& event)
{
  const std::shared_ptr<NSResponder> hold = weak_from_this().lock();  // ending may take the field out
  const std::u16string_view characters = event.characters();
  for (size_t at = 0; at < characters.size(); ++at)
  {
    if (!IsFirstResponder())
      return;
    const char16_t character = characters[at];
    if (character == u'\r' || character == 0x03)
    {  // return or enter
      if (mDelegate)
        mDelegate->controlTextDidEndEditing(*this);
    }
    else if (character == 0x7F || character == 0x08)
    {  // backspace
      utf8::PopBack(mString);
    }
    else
    {
      // A character beyond the first plane comes as a surrogate pair.
      const bool pair = character >= 0xD800 && character <= 0xDBFF && at + 1 < characters.size();
      Insert(utf8::FromUtf16(characters.substr(at, pair ? 2 : 1)));
      at += pair ? 1 : 0;
    }
  }
}

void NSTextField::Insert(const std::string& character)
{
  const std::string edited = mString + character;
  if (!mFormatter || mFormatter->isPartialStringValid(edited))
    mString = edited;
}
