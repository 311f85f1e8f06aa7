#include "platform/AppKit/NSPasteboard.h"

#include <algorithm>

const NSPasteboardType NSFilenamesPboardType = "NSFilenamesPboardType";
const NSPasteboardType NSStringPboardType = "NSStringPboardType";

namespace {

platform::Clipboard* gClipboard = nullptr;  // the main thread's alone

}  // namespace

void platform::SetClipboard(Clipboard* clipboard)
{
  gClipboard = clipboard;
}

NSPasteboard& NSPasteboard::generalPasteboard()
{
  static NSPasteboard pasteboard;
  return pasteboard;
}

NSInteger NSPasteboard::clearContents()
{
  mItems.clear();
  return ++mChangeCount;
}

std::vector<NSPasteboard::Item>::const_iterator NSPasteboard::Find(const NSPasteboardType& type) const
{
  return std::find_if(mItems.begin(), mItems.end(), [&](const Item& item) { return item.first == type; });
}

std::vector<NSPasteboardType> NSPasteboard::types() const
{
  std::vector<NSPasteboardType> types;
  for (const auto& item : mItems)
    types.push_back(item.first);
  return types;
}

std::vector<std::string> NSPasteboard::propertyListForType(const NSPasteboardType& type) const
{
  const auto found = Find(type);
  return found == mItems.end() ? std::vector<std::string>{} : found->second;
}

void NSPasteboard::setPropertyList(std::vector<std::string> list, const NSPasteboardType& type)
{
  const auto found = Find(type);
  if (found == mItems.end())
    mItems.emplace_back(type, std::move(list));
  else
    mItems[found - mItems.begin()].second = std::move(list);
}

// The desktop's clipboard stands behind the general pasteboard's string, while there is one.
static platform::Clipboard* ClipboardBehind(const NSPasteboard& pasteboard, const NSPasteboardType& type)
{
  return type == NSStringPboardType && &pasteboard == &NSPasteboard::generalPasteboard() ? gClipboard : nullptr;
}

bool NSPasteboard::setString(const std::string& string, const NSPasteboardType& type)
{
  setPropertyList({string}, type);
  platform::Clipboard* clipboard = ClipboardBehind(*this, type);
  return !clipboard || clipboard->Write(string);
}

std::optional<std::string> NSPasteboard::stringForType(const NSPasteboardType& type) const
{
  if (platform::Clipboard* clipboard = ClipboardBehind(*this, type))
    return clipboard->Read();
  const auto found = Find(type);
  if (found == mItems.end() || found->second.size() != 1)
    return std::nullopt;
  return found->second.front();
}
