#pragma once
// The editable text field: its text, the cell that lays the text out, the formatter that judges
// every edit, its colours, and the delegate that hears when editing ends. Keys reach it as its
// window's first responder: characters are inserted at the end (those the formatter refuses are
// not), backspace takes the last one away, and return ends the editing, as does the field giving up
// the keys (another view becoming first responder). A person's typing
// (platform/AppKit/Person.h) arrives that way on the next pass of the run loop after the field
// takes the keys.

#include <memory>
#include <string>

#include "platform/AppKit/NSColor.h"
#include "platform/AppKit/NSFont.h"
#include "platform/AppKit/NSView.h"

typedef NSInteger NSTextAlignment;
enum : NSTextAlignment {
  NSTextAlignmentLeft = 0,
  NSTextAlignmentRight = 1,
  NSTextAlignmentCenter = 2,
  NSTextAlignmentJustified = 3,
  NSTextAlignmentNatural = 4,
};

typedef NSUInteger NSLineBreakMode;
enum : NSLineBreakMode {
  NSLineBreakByWordWrapping = 0,
  NSLineBreakByCharWrapping = 1,
  NSLineBreakByClipping = 2,
  NSLineBreakByTruncatingHead = 3,
  NSLineBreakByTruncatingTail = 4,
  NSLineBreakByTruncatingMiddle = 5,
};

typedef NSUInteger NSFocusRingType;
enum : NSFocusRingType { NSFocusRingTypeDefault = 0, NSFocusRingTypeNone = 1, NSFocusRingTypeExterior = 2 };

class NSFormatter
{
public:
  virtual ~NSFormatter() = default;
  // Whether the text may stand as the field's text after an edit.
  virtual bool isPartialStringValid(const std::string& partial) const = 0;
};

// Lays out a field's text: its font, alignment and line breaking.
class NSTextFieldCell
{
public:
  virtual ~NSTextFieldCell() = default;
  void initTextCell(const std::string& text) { mText = text; }

  const std::shared_ptr<NSFont>& font() const { return mFont; }
  void setFont(std::shared_ptr<NSFont> font) { mFont = std::move(font); }
  NSTextAlignment alignment() const { return mAlignment; }
  void setAlignment(NSTextAlignment alignment) { mAlignment = alignment; }
  NSLineBreakMode lineBreakMode() const { return mLineBreakMode; }
  void setLineBreakMode(NSLineBreakMode mode) { mLineBreakMode = mode; }
  bool allowsEditingTextAttributes() const { return mAllowsEditingTextAttributes; }
  void setAllowsEditingTextAttributes(bool allows) { mAllowsEditingTextAttributes = allows; }
  // The size one line of the font needs: no width of its own, and the font's point size plus a
  // fifth for the line's leading (nothing without a font).
  NSSize cellSize() const;
  // Where the text is drawn within the cell's bounds: all of them here.
  virtual NSRect drawingRectForBounds(NSRect bounds) const { return bounds; }

private:
  std::string mText;
  std::shared_ptr<NSFont> mFont;
  NSTextAlignment mAlignment = NSTextAlignmentNatural;
  NSLineBreakMode mLineBreakMode = NSLineBreakByClipping;
  bool mAllowsEditingTextAttributes = false;
};

// The field editor: the text view that edits a field's text while the field takes the keys.
class NSTextView
{
public:
  const NSColor& insertionPointColor() const { return mInsertionPointColor; }
  void setInsertionPointColor(const NSColor& color) { mInsertionPointColor = color; }

private:
  NSColor mInsertionPointColor = NSColor::colorWithDeviceRed(0, 0, 0, 1);
};

class NSTextField;

class NSTextFieldDelegate
{
public:
  virtual ~NSTextFieldDelegate() = default;
  virtual void controlTextDidEndEditing(NSTextField& field) = 0;
};

class NSTextField : public NSView
{
public:
  NSTextField();

  const std::string& stringValue() const { return mString; }
  void setStringValue(const std::string& text) { mString = text; }
  const std::shared_ptr<NSTextFieldCell>& cell() const { return mCell; }
  void setCell(std::shared_ptr<NSTextFieldCell> cell);
  const std::shared_ptr<NSFormatter>& formatter() const { return mFormatter; }
  void setFormatter(std::shared_ptr<NSFormatter> formatter) { mFormatter = std::move(formatter); }
  // The delegate is not held; null: none.
  void setDelegate(NSTextFieldDelegate* delegate) { mDelegate = delegate; }
  NSTextFieldDelegate* delegate() const { return mDelegate; }

  const std::shared_ptr<NSFont>& font() const { return mCell->font(); }
  void setFont(std::shared_ptr<NSFont> font) { mCell->setFont(std::move(font)); }
  NSTextAlignment alignment() const { return mCell->alignment(); }
  void setAlignment(NSTextAlignment alignment) { mCell->setAlignment(alignment); }
  const NSColor& textColor() const { return mTextColor; }
  void setTextColor(const NSColor& color) { mTextColor = color; }
  const NSColor& backgroundColor() const { return mBackgroundColor; }
  void setBackgroundColor(const NSColor& color) { mBackgroundColor = color; }
  bool isEditable() const { return mEditable; }
  void setEditable(bool editable) { mEditable = editable; }
  bool drawsBackground() const { return mDrawsBackground; }
  void setDrawsBackground(bool draws) { mDrawsBackground = draws; }
  bool isBordered() const { return mBordered; }
  void setBordered(bool bordered) { mBordered = bordered; }
  NSFocusRingType focusRingType() const { return mFocusRingType; }
  void setFocusRingType(NSFocusRingType type) { mFocusRingType = type; }
  // The field editor from the moment the field takes the keys until it gives them up; null
  // otherwise.
  NSTextView* currentEditor() { return mEditing ? &mFieldEditor : nullptr; }

  bool acceptsFirstResponder() const override { return mEditable; }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  void keyDown(const NSEvent& event) override;

private:
  bool IsFirstResponder() const;
  void Insert(const std::string& character);

  std::string mString;
  std::shared_ptr<NSTextFieldCell> mCell;
  std::shared_ptr<NSFormatter> mFormatter;
  NSTextFieldDelegate* mDelegate = nullptr;
  NSTextView mFieldEditor;
  NSColor mTextColor = NSColor::colorWithDeviceRed(0, 0, 0, 1);
  NSColor mBackgroundColor = NSColor::colorWithDeviceRed(1, 1, 1, 1);
  bool mEditable = true;
  bool mEditing = false;
  bool mDrawsBackground = false;
  bool mBordered = true;
  NSFocusRingType mFocusRingType = NSFocusRingTypeDefault;
};
