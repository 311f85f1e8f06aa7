#pragma once
// The measurement's CSV table and log, exported as a person exports them: a click on the editor's
// CSV or LOG button, and its save dialog answered with the file given.

#include "host/EditorHost.h"
#include "platform/AppKit/Person.h"

#include <string>

namespace host {

struct ExportFiles
{
  std::string csv;
  std::string log;
  bool Any() const { return !csv.empty() || !log.empty(); }
};

// Answers the file dialogs of an editor used without a person, for as long as it is in place (the
// person before it comes back after): an export's save dialog takes the file given for it; any
// other dialog, or an export without a file, is cancelled with one line on stderr that says so.
class ExportAnswers : public platform::Person
{
public:
  explicit ExportAnswers(ExportFiles files);
  ~ExportAnswers() override;
  ExportAnswers(const ExportAnswers&) = delete;
  ExportAnswers& operator=(const ExportAnswers&) = delete;

  std::optional<std::string> ChoosePath(const platform::FileQuestion& question) override;

private:
  ExportFiles mFiles;
  platform::Person* mBefore;
};

// Clicks the export buttons of the open editor for the files given; returns an empty string, or
// what went wrong.
std::string Export(EditorHost& editor, const ExportFiles& files);

}  // namespace host
