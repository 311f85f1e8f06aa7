#include "host/Exports.h"

#include "platform/CoreFoundation/CFRunLoop.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace host {
namespace {

// An export: the file type its save dialog offers, the option that names its file, and the
// button's tooltip, by which it is found.
struct ExportButton
{
  const char* type;
  const char* option;
  const char* tooltip;
  std::string ExportFiles::*file;
};

constexpr ExportButton kButtons[] = {
  {"csv", "--csv", "Export measurement to file (.csv)", &ExportFiles::csv},
  {"log", "--log", "Export measurement summary (.log)", &ExportFiles::log},
};

bool Offers(const platform::FileQuestion& question, const char* type)
{
  const std::vector<std::string>& types = question.allowedFileTypes;
  return std::find(types.begin(), types.end(), type) != types.end();
}

}  // namespace

ExportAnswers::ExportAnswers(ExportFiles files) : mFiles(std::move(files)), mBefore(platform::SetPerson(this)) {}

ExportAnswers::~ExportAnswers()
{
  platform::SetPerson(mBefore);
}

std::optional<std::string> ExportAnswers::ChoosePath(const platform::FileQuestion& question)
{
  for (const ExportButton& button : kButtons)
    if (question.save && Offers(question, button.type))
    {
      if (const std::string& file = mFiles.*button.file; !file.empty())
        return file;
      std::fprintf(stderr, "au-host: no file chosen for the .%s export (give %s FILE)\n", button.type, button.option);
      return std::nullopt;
    }
  std::fprintf(stderr, "au-host: no file chosen in the %s dialog\n", question.save ? "save" : "open");
  return std::nullopt;
}

std::string Export(EditorHost& editor, const ExportFiles& files)
{
  const ExportAnswers answers(files);
  for (const ExportButton& button : kButtons)
  {
    const std::string& file = files.*button.file;
    if (file.empty())
      continue;
    const std::optional<NSPoint> at = editor.FindByTooltip(button.tooltip);
    if (!at)
      return std::string("the editor shows no .") + button.type + " export button (are its tooltips switched off?)";
    editor.Click(*at);
    platform::RunMainLoop();  // what the click left for the next pass
    if (!std::filesystem::exists(file))
      return "cannot write " + file + ": the plug-in wrote no file there";
  }
  return "";
}

}  // namespace host
