#pragma once
// The native text entry's parts: the field, the cell that centres its text vertically, and the
// formatter that keeps to the characters and the length a value allows.

#include <memory>
#include <string>

#include "platform/AppKit/NSTextField.h"
#include "platform/Foundation/NSCharacterSet.h"

namespace iplug::igraphics {

// Its insertion point takes the text colour.
class IGraphicsTextField_vVantorelix_au final : public NSTextField
{
public:
  bool becomeFirstResponder() override;
};

class IGraphicsTextFieldCell_vVantorelix_au final : public NSTextFieldCell
{
public:
  // One line of text, centred vertically in the bounds.
  NSRect drawingRectForBounds(NSRect bounds) const override;
};

class IGraphicsFormatter_vVantorelix_au final : public NSFormatter
{
public:
  // Refuses a text holding a character outside the set (when there is one) or longer than the
  // maximum length in UTF-16 units (0: any).
  bool isPartialStringValid(const std::string& partial) const override;
  void setAcceptableCharacterSet(std::shared_ptr<const NSMutableCharacterSet> set)
  {
    filterCharacterSet = std::move(set);
  }
  void setMaximumLength(int length) { maxLength = length; }

private:
  std::shared_ptr<const NSMutableCharacterSet> filterCharacterSet;
  int maxLength = 0;
};

}  // namespace iplug::igraphics
