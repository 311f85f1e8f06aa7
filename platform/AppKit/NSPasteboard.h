#pragma once
// Pasteboards and what a drag carries onto a view: typed property lists (a list of texts: the
// file paths of a file drag, for one) and the drag's position in the window.

#include <memory>
#include <string>
#include <vector>

#include "platform/Foundation/NSGeometry.h"
#include "platform/Foundation/NSObjCRuntime.h"

typedef std::string NSPasteboardType;
extern const NSPasteboardType NSFilenamesPboardType;

class NSPasteboard
{
public:
  // The types held, in the order they were first written.
  std::vector<NSPasteboardType> types() const;
  // Empty when the type is not held.
  std::vector<std::string> propertyListForType(const NSPasteboardType& type) const;
  void setPropertyList(std::vector<std::string> list, const NSPasteboardType& type);

private:
  std::vector<std::pair<NSPasteboardType, std::vector<std::string>>> mItems;
};

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
