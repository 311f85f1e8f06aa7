#include "platform-mac/IGraphicsTextField.h"

#include <algorithm>

#include "platform/shared/Utf8.h"

namespace iplug::igraphics {

bool IGraphicsTextField_vVantorelix_au::becomeFirstResponder()
{
  if (!NSTextField::becomeFirstResponder())
    return false;
  if (NSTextView* editor = currentEditor())
    editor->setInsertionPointColor(textColor());
  return true;
}

NSRect IGraphicsTextFieldCell_vVantorelix_au::drawingRectForBounds(NSRect bounds) const
{
  NSRect rect = NSTextFieldCell::drawingRectForBounds(bounds);
  const CGFloat line = cellSize().height;
  if (line < rect.size.height)
  {
    rect.origin.y += (rect.size.height - line) / 2;
    rect.size.height = line;
  }
  return rect;
}

bool IGraphicsFormatter_vVantorelix_au::isPartialStringValid(const std::string& partial) const
{
  const std::u16string units = utf8::ToUtf16(partial);
  if (filterCharacterSet &&
      !std::all_of(units.begin(), units.end(), [this](char16_t c) { return filterCharacterSet->characterIsMember(c); }))
    return false;
  return !maxLength || units.size() <= static_cast<size_t>(maxLength);
}

}  // namespace iplug::igraphics
