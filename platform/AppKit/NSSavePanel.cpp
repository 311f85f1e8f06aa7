#include "platform/AppKit/NSSavePanel.h"

#include <algorithm>
#include <strings.h>

namespace {

bool HasType(const std::string& path, const std::vector<std::string>& types)
{
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
    return false;
  const std::string extension = path.substr(dot + 1);
  return std::any_of(types.begin(), types.end(),
                     [&](const std::string& type) { return strcasecmp(type.c_str(), extension.c_str()) == 0; });
}

}  // namespace

std::shared_ptr<NSSavePanel> NSSavePanel::savePanel()
{
  auto panel = std::shared_ptr<NSSavePanel>(new NSSavePanel);
  panel->mQuestion.save = true;
  return panel;
}

NSModalResponse NSSavePanel::runModalForDirectory(const std::string& directory, const std::string& file)
{
  mQuestion.directory = directory;
  mQuestion.file = file;
  return Run();
}

NSModalResponse NSSavePanel::Run()
{
  std::optional<std::string> answer = platform::CurrentPerson().ChoosePath(mQuestion);
  if (!answer || answer->empty())
    return NSModalResponseCancel;
  const std::vector<std::string>& types = mQuestion.allowedFileTypes;
  if (!types.empty() && !HasType(*answer, types))
  {
    if (!mQuestion.save)
      return NSModalResponseCancel;  // not offered for choosing
    if (!mAllowsOtherFileTypes)
      *answer += "." + types.front();
  }
  mFilename = std::move(*answer);
  return NSModalResponseOK;
}

NSOpenPanel::NSOpenPanel()
{
  mQuestion.save = false;
}

std::shared_ptr<NSOpenPanel> NSOpenPanel::openPanel()
{
  return std::shared_ptr<NSOpenPanel>(new NSOpenPanel);
}

NSModalResponse NSOpenPanel::runModalForDirectory(const std::string& directory, const std::string& file,
                                                  std::vector<std::string> types)
{
  setAllowedFileTypes(std::move(types));
  return NSSavePanel::runModalForDirectory(directory, file);
}
