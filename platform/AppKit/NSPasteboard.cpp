#include "platform/AppKit/NSPasteboard.h"

#include <algorithm>

const NSPasteboardType NSFilenamesPboardType = "NSFilenamesPboardType";

std::vector<NSPasteboardType> NSPasteboard::types() const
{
  std::vector<NSPasteboardType> types;
  for (const auto& item : mItems)
    types.push_back(item.first);
  return types;
}

std::vector<std::string> NSPasteboard::propertyListForType(const NSPasteboardType& type) const
{
  auto found = std::find_if(mItems.begin(), mItems.end(), [&](const auto& item) { return item.first == type; });
  return found == mItems.end() ? std::vector<std::string>{} : found->second;
}

void NSPasteboard::setPropertyList(std::vector<std::string> list, const NSPasteboardType& type)
{
  auto found = std::find_if(mItems.begin(), mItems.end(), [&](const auto& item) { return item.first == type; });
  if (found == mItems.end())
    mItems.emplace_back(type, std::move(list));
  else
    found->second = std::move(list);
}
