#pragma once
// The modal file panels: the save panel, and the open panel that chooses files or folders. Each
// run asks the person (platform/AppKit/Person.h) and returns when they answer.

#include <memory>
#include <string>
#include <vector>

#include "platform/AppKit/Person.h"
#include "platform/Foundation/NSObjCRuntime.h"
#include "platform/Foundation/NSURL.h"

typedef NSInteger NSModalResponse;
enum : NSModalResponse { NSModalResponseCancel = 0, NSModalResponseOK = 1 };

class NSSavePanel
{
public:
  static std::shared_ptr<NSSavePanel> savePanel();
  virtual ~NSSavePanel() = default;

  void setTitle(const std::string& title) { mQuestion.title = title; }
  // Extensions without the dot; empty: any.
  void setAllowedFileTypes(std::vector<std::string> types) { mQuestion.allowedFileTypes = std::move(types); }
  void setAllowsOtherFileTypes(bool allows) { mAllowsOtherFileTypes = allows; }
  void setFloatingPanel(bool floating) { mFloating = floating; }
  bool isFloatingPanel() const { return mFloating; }
  void setCanCreateDirectories(bool can) { mQuestion.canCreateDirectories = can; }
  void setDirectoryURL(const NSURL& url) { mQuestion.directory = url.path(); }

  // An empty directory or file: none proposed. A saved name without one of the allowed
  // extensions gets the first one, unless other types are allowed.
  NSModalResponse runModalForDirectory(const std::string& directory, const std::string& file);
  NSModalResponse runModal() { return Run(); }
  // The full path chosen at the last run that the person confirmed; empty before.
  const std::string& filename() const { return mFilename; }

protected:
  NSSavePanel() = default;
  NSModalResponse Run();

  platform::FileQuestion mQuestion;

private:
  bool mAllowsOtherFileTypes = true;
  bool mFloating = false;
  std::string mFilename;
};

class NSOpenPanel final : public NSSavePanel
{
public:
  static std::shared_ptr<NSOpenPanel> openPanel();

  void setCanChooseFiles(bool can) { mQuestion.chooseFiles = can; }
  void setCanChooseDirectories(bool can) { mQuestion.chooseDirectories = can; }
  void setResolvesAliases(bool resolves) { mResolvesAliases = resolves; }
  bool resolvesAliases() const { return mResolvesAliases; }
  // Files of other types cannot be chosen; no types: any.
  NSModalResponse runModalForDirectory(const std::string& directory, const std::string& file,
                                       std::vector<std::string> types);

private:
  NSOpenPanel();

  bool mResolvesAliases = false;
};
