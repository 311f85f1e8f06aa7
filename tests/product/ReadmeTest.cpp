// Every command the README shows runs as shown, so that the README cannot drift from the program:
// each is run in a fresh folder, with au-host on the PATH and the files it reads made from the
// bundled sample. A command that cannot run here is passed over for the reason given.

#include "ShellRun.h"

#include "tests/meter-plugin/PluginFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using product_test::Quoted;
using product_test::Shell;

// The commands of the README's code blocks (lines indented by four spaces or more after a blank
// line, in a list too), a command continued over lines with a trailing backslash taken whole.
// Lines that show what a command prints ("{...}" or a line au-host prints) are not commands.
std::vector<std::string> ReadmeCommands(const std::string& path)
{
  std::ifstream file(path);
  std::vector<std::string> commands;
  std::string line, previous = "", command;
  bool inBlock = false;
  while (std::getline(file, line))
  {
    const size_t indent = line.find_first_not_of(' ');
    const bool blank = indent == std::string::npos;
    inBlock = !blank && indent >= 4 && (inBlock || previous.find_first_not_of(' ') == std::string::npos);
    previous = line;
    if (!inBlock)
      continue;
    std::string text = line.substr(indent);
    if (command.empty() && (text[0] == '{' || text.rfind("au-host:", 0) == 0 || text.rfind("OUT:", 0) == 0))
      continue;
    const bool continued = text.back() == '\\';
    command += continued ? text.substr(0, text.size() - 1) : text;
    if (!continued)
    {
      commands.push_back(command);
      command.clear();
    }
  }
  return commands;
}

// Commands that do not run here, by a part of their text, and why.
struct NotRun
{
  const char* part;
  const char* reason;
};
const NotRun kNotRun[] = {
  {"tools/demo", "the demo itself, which builds the product; run by hand and by the lead"},
  {"tools/test", "runs every suite, this one among them"},
  {"cmake --install", "InstallTest installs the tree and runs it moved"},
  {"--window", "needs an X display; AuHostWindowTest shows the window on a virtual one"},
};

const NotRun* Passed(const std::string& command)
{
  for (const NotRun& notRun : kNotRun)
    if (command.find(notRun.part) != std::string::npos)
      return &notRun;
  return nullptr;
}

// The words of a command, without the quotes round them.
std::vector<std::string> Words(const std::string& command)
{
  std::istringstream in(command);
  std::vector<std::string> words;
  for (std::string word; in >> word;)
    words.push_back(word);
  for (std::string& word : words)
    if (word.size() > 1 && (word.front() == '"' || word.front() == '\''))
      word = word.substr(1, word.size() - 2);
  return words;
}

TEST(Readme, EveryCommandItShowsRuns)
{
  const std::string readme = (fs::path(SAMPLE_WAV).parent_path().parent_path() / "README.md").string();
  const std::vector<std::string> commands = ReadmeCommands(readme);
  ASSERT_FALSE(commands.empty()) << "no commands found in " << readme;

  const std::string folder = plugin_test::TempFolder();
  const std::string bin = folder + "/.bin", home = folder + "/.home";
  fs::create_directories(bin);
  fs::create_directories(home);
  fs::create_symlink(AU_HOST, bin + "/au-host");
  const bool ffmpeg = Shell("command -v ffmpeg >/dev/null").status == 0;

  for (const std::string& command : commands)
  {
    if (const NotRun* notRun = Passed(command))
    {
      std::cout << "not run: " << command << "\n  (" << notRun->reason << ")\n";
      continue;
    }
    // The audio a command reads is the sample, under the name the README gives it.
    bool runnable = true;
    const std::vector<std::string> words = Words(command);
    for (size_t i = 0; i < words.size(); ++i)
    {
      const bool written = i > 0 && (words[i - 1] == "--out" || words[i - 1] == "--png");
      const fs::path input = fs::path(folder) / words[i];
      if (written || words[i].find('/') != std::string::npos || fs::exists(input))
        continue;
      if (input.extension() == ".wav")
        fs::copy_file(SAMPLE_WAV, input);
      else if (input.extension() == ".flac" && ffmpeg)
        Shell("ffmpeg -v error -i " + Quoted(SAMPLE_WAV) + " " + Quoted(input.string()));
      else if (input.extension() == ".flac")
        runnable = false;
    }
    if (!runnable)
    {
      std::cout << "not run: " << command << "\n  (ffmpeg is not installed)\n";
      continue;
    }
    const std::string errors = folder + "/.stderr";
    const auto run = Shell("cd " + Quoted(folder) + " && HOME=" + Quoted(home) + " PATH=" + Quoted(bin) +
                           ":\"$PATH\" sh -c " + Quoted(command) + " >/dev/null 2>" + Quoted(errors));
    EXPECT_EQ(run.status, 0) << command << "\n" << plugin_test::ReadFile(errors);
  }
}

}  // namespace
