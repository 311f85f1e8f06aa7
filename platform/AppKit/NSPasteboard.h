#pragma once
// Pasteboards: the general one of copy and paste, and what a drag carries onto a view. Each holds
// typed items: a string, or a property list of texts (the file paths of a file drag, for one);
// a drag also carries its position in the window. While the desktop's clipboard is set (a live
// window's), the general pasteboard's string goes to it and comes from it, so that text is copied
// to and pasted from other programs.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Foundation/NSGeometry.h"
#include "platform/Foundation/NSObjCRuntime.h"

typedef std::string NSPasteboardType;
extern const NSPasteboardType NSFilenamesPboardType;
extern const NSPasteboardType NSStringPboardType;

class NSPasteboard
{
public:
  static NSPasteboard& generalPasteboard();
  // Empties it; answers the change count, which goes up by one.
  NSInteger clearContents();
  NSInteger changeCount() const { return mChangeCount; }
  bool setString(const std::string& string, const NSPasteboardType& type);
  // Nothing when no string of the type is held.
  std::optional<std::string> stringForType(const NSPasteboardType& type) const;

  // The types held, in the order they were first written.
  std::vector<NSPasteboardType> types() const;
  // Empty when the type is not held.
  std::vector<std::string> propertyListForType(const NSPasteboardType& type) const;
  void setPropertyList(std::vector<std::string> list, const NSPasteboardType& type);

private:
  using Item = std::pair<NSPasteboardType, std::vector<std::string>>;  // a string is a list of one
  std::vector<Item>::const_iterator Find(const NSPasteboardType& type) const;

  std::vector<Item> mItems;
  NSInteger mChangeCount = 0;
};

namespace platform {
class Clipboard
{
public:
  virtual ~Clipboard() = default;
  // Puts the text on the clipboard; false when the clipboard could not be had.
  virtual bool Write(const std::string& text) = 0;
  // The clipboard's text; nothing when it holds none or its holder did not answer in time.
  virtual std::optional<std::string> Read() = 0;
};
// Null: the general pasteboard keeps its string within the process. The clipboard must outlive
// its time here.
void SetClipboard(Clipboard* clipboard);
}  // namespace platform

enum NSDragOperation : NSUInteger {
  NSDragOperationNone = 0,
  NSDragOperationCopy = 1,
  NSDragOperationLink = 2,
  NSDragOperationGeneric = 4,
  NSDragOperationPrivate = 8,
  NSDragOperationMove = 16,
  NSDragOperationDelete = 32,
};

class NSDraggingInfo
{
public:
  NSDraggingInfo(std::shared_ptr<NSPasteboard> pasteboard, NSPoint location)
  : mPasteboard(std::move(pasteboard)), mLocation(location)
  {
  }
  NSPasteboard& draggingPasteboard() const { return *mPasteboard; }
  NSPoint draggingLocation() const { return mLocation; }  // window coordinates

private:
  std::shared_ptr<NSPasteboard> mPasteboard;
  NSPoint mLocation;
};
