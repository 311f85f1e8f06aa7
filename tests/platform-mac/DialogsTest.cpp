#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "graphics/IPopupMenuControl.h"
#include "host/EditorWindow.h"
#include "platform/AppKit/NSPasteboard.h"
#include "platform/AppKit/NSWorkspace.h"
#include "tests/platform-mac/EditorFixture.h"
#include "tests/platform-mac/ScriptedPerson.h"

namespace vtest {
namespace {

using platform::AlertButton;

class DialogTest : public EditorTest
{
protected:
  ScriptedPerson person;
};

TEST_F(DialogTest, EachAlertTypeShowsItsButtonsAndAnswersByTheButtonPressedAlsoToItsCompletion)
{
  Open();
  struct Case
  {
    int type;
    const char* buttons;  // default|alternate|other, as the panel shows them
    int onDefault, onAlternate, onOther;
  };
  const Case cases[] = {
    {0, "OK||", 1, 1, 1},    {1, "OK|Cancel|", 1, 2, 1},    {3, "Yes|Cancel|No", 6, 2, 7},
    {4, "Yes|No|", 6, 7, 6}, {5, "Retry|Cancel|", 4, 2, 4},
  };
  for (const Case& c : cases)
  {
    const int expected[] = {c.onDefault, c.onAlternate, c.onOther};
    int i = 0;
    for (AlertButton button : {AlertButton::Default, AlertButton::Alternate, AlertButton::Other})
    {
      person.button = button;
      person.alerts.clear();
      std::vector<int> heard;
      const int answer = delegate.Graphics()->ShowAlert("100% done", "Title", c.type,
                                                        [&](int result) { heard.push_back(result); });
      EXPECT_EQ(answer, expected[i++]) << c.type;
      EXPECT_EQ(heard, std::vector<int>{answer}) << c.type << ": the completion hears it once";
      ASSERT_EQ(person.alerts.size(), 1u);
      const platform::AlertQuestion& asked = person.alerts[0];
      EXPECT_EQ(asked.defaultButton + "|" + asked.alternateButton + "|" + asked.otherButton, c.buttons);
      EXPECT_EQ(asked.title, "Title");
      EXPECT_EQ(asked.message, "100% done");  // the text is never read as a format
    }
  }
  // Type 2 and unknown types show nothing and answer Cancel, to a completion too.
  person.alerts.clear();
  for (int type : {2, 6, -1})
  {
    int heard = 0;
    EXPECT_EQ(delegate.Graphics()->ShowAlert("text", "caption", type, [&](int result) { heard = result; }), 2);
    EXPECT_EQ(heard, 2) << type;
    EXPECT_EQ(delegate.Graphics()->ShowAlert("text", "caption", type, nullptr), 2) << "no completion";
  }
  EXPECT_TRUE(person.alerts.empty());
}

TEST_F(DialogTest, AnAlertReleasesTheMouseBeforeItShowsAndTakesAnyText)
{
  Open();
  Mouse(NSEventTypeLeftMouseDown, 150, 150);
  ASSERT_TRUE(delegate.Graphics()->ControlIsCaptured());
  bool capturedWhileShown = true;
  person.onAlert = [&] { capturedWhileShown = delegate.Graphics()->ControlIsCaptured(); };
  delegate.Graphics()->ShowAlert(nullptr, "bad \xff text", 0, nullptr);
  EXPECT_FALSE(capturedWhileShown);
  EXPECT_EQ(person.alerts.at(0).message, "");
  EXPECT_EQ(person.alerts.at(0).title, "bad ? text");
}

TEST_F(DialogTest, AFileDialogSplitsTheChosenPathOrLeavesThePathWhenCancelled)
{
  Open();
  IGraphicsMac& g = *delegate.Graphics();
  std::string name = "old.mcls";
  std::string folder = "/start/";
  g.AskForFile(name, folder, false, "mcls");
  EXPECT_EQ(name, "");
  EXPECT_EQ(folder, "/start/");
  ASSERT_EQ(person.files.size(), 1u);
  EXPECT_FALSE(person.files[0].save);
  EXPECT_EQ(person.files[0].directory, "/start/");
  EXPECT_EQ(person.files[0].file, "old.mcls");
  EXPECT_EQ(person.files[0].allowedFileTypes, std::vector<std::string>{"mcls"});

  person.path = "/Users/me/presets/loud.xml";
  g.AskForFile(name, folder, true, "zvp xml");
  EXPECT_EQ(name, "/Users/me/presets/loud.xml");
  EXPECT_EQ(folder, "/Users/me/presets/");
  EXPECT_TRUE(person.files[1].save);
  EXPECT_EQ(person.files[1].file, "");  // the name was emptied by the cancel
  EXPECT_EQ(person.files[1].allowedFileTypes, (std::vector<std::string>{"zvp", "xml"}));

  person.path = "/top.zvp";  // in the root folder
  g.AskForFile(name, folder, false, nullptr);
  EXPECT_EQ(folder, "/");
  EXPECT_TRUE(person.files[2].allowedFileTypes.empty());

  IGraphicsMac closed(delegate, 100, 100, 60, 1.f);  // no view: nothing is shown
  closed.AskForFile(name, folder, false, "mcls");
  EXPECT_EQ(name, "");
  EXPECT_EQ(person.files.size(), 3u);
}

TEST_F(DialogTest, AFolderDialogStartsOnTheDesktopAndACancelEmptiesTheFolder)
{
  Open();
  std::string folder;
  person.path = "/Users/me/Exports";
  EXPECT_TRUE(delegate.Graphics()->AskForFolder(folder));
  EXPECT_EQ(folder, "/Users/me/Exports/");
  const platform::FileQuestion& asked = person.files.at(0);
  EXPECT_EQ(asked.directory, "~/Desktop");
  EXPECT_EQ(asked.title, "Choose a Directory");
  EXPECT_TRUE(asked.chooseDirectories);
  EXPECT_FALSE(asked.chooseFiles);
  EXPECT_TRUE(asked.canCreateDirectories);

  person.path.reset();
  EXPECT_FALSE(delegate.Graphics()->AskForFolder(folder));
  EXPECT_EQ(person.files.at(1).directory, "/Users/me/Exports/");
  EXPECT_EQ(folder, "");
}

TEST_F(DialogTest, TheColourFunctionHearsEveryColourPickedTheLastOneFinal)
{
  Open();
  person.colours = {NSColor::colorWithDeviceRed(1, 0, 0, 1), NSColor::colorWithDeviceRed(0, 1, 0, 0.5),
                    NSColor::colorWithDeviceRed(0.2, 0.4, 0.6, 0.8)};
  std::vector<IColor> heard;
  EXPECT_TRUE(
    delegate.Graphics()->AskForColor(IColor(255, 10, 20, 30), "Pick", [&](const IColor& c) { heard.push_back(c); }));
  EXPECT_TRUE(heard.empty());  // the panel returns at once; the person picks later
  platform::RunMainLoop();
  ASSERT_EQ(person.colourStarts.size(), 1u);
  EXPECT_NEAR(person.colourStarts[0].blueComponent(), 30 / 255.0, 1e-9);
  EXPECT_EQ(heard, (std::vector<IColor>{IColor(255, 255, 0, 0), IColor(127, 0, 255, 0), IColor(204, 51, 102, 153)}));
}

TEST_F(DialogTest, AWideGamutColourIsHeldToTheChannelsRange)
{
  Open();
  person.colours = {NSColor::colorWithDeviceRed(1.25, -0.1, 0.5, 1.5)};
  std::vector<IColor> heard;
  delegate.Graphics()->AskForColor(IColor(), "", [&](const IColor& c) { heard.push_back(c); });
  platform::RunMainLoop();
  EXPECT_EQ(heard, (std::vector<IColor>{IColor(255, 255, 0, 127)}));
}

TEST_F(DialogTest, AColourPickedAfterTheEditorClosedReachesNoOneThoughTheHostKeepsTheView)
{
  const std::shared_ptr<NSResponder> kept = Open()->shared_from_this();
  person.colours = {NSColor::colorWithDeviceRed(1, 0, 0, 1)};
  int heard = 0;
  delegate.Graphics()->AskForColor(IColor(), "", [&](const IColor&) { ++heard; });
  delegate.CloseWindow();
  ASSERT_TRUE(NSColorPanel::sharedColorPanel().isVisible());
  platform::RunMainLoop();
  EXPECT_EQ(heard, 0);
}

TEST_F(DialogTest, TheClipboardGivesBackWhatWasWrittenAndNothingOnceCleared)
{
  Open();
  IGraphicsMac& g = *delegate.Graphics();
  std::string text = "stale";
  ASSERT_TRUE(g.WriteClipboardText("-23.0 LUFS"));
  EXPECT_TRUE(g.ReadClipboardText(text));
  EXPECT_EQ(text, "-23.0 LUFS");
  NSPasteboard::generalPasteboard().clearContents();
  EXPECT_FALSE(g.ReadClipboardText(text));
  EXPECT_EQ(text, "");
}

// What the desktop's opener is handed; it opens nothing.
class OpenerTest : public DialogTest
{
protected:
  OpenerTest()
  {
    platform::SetOpener([this](const std::string& target) {
      handed.push_back(target);
      return opens;
    });
  }
  ~OpenerTest() override { platform::SetOpener(nullptr); }

  std::vector<std::string> handed;
  bool opens = true;
};

TEST_F(OpenerTest, WebLinksAndFilesOpenOnlyWhenAURLCanBeMadeAndTheFileExists)
{
  Open();
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("vantorelix-manual-" + std::to_string(::getpid()) + ".pdf");
  std::ofstream(file) << "pdf";
  const NSWorkspace& workspace = NSWorkspace::sharedWorkspace();
  struct Case
  {
    const char* text;
    bool opens;
  };
  const std::string existing = file.string();
  const size_t openedBefore = workspace.opened().size();
  const Case cases[] = {
    {"https://example.com/products/vantoreli#Changelog", true},
    {"https://example.com/a page", false},  // a space: no URL
    {"http://example.com/%zz", false},      // a broken escape
    {existing.c_str(), true},
    {"/no/such/manual.pdf", false},
    {"", false},
    {nullptr, false},
  };
  for (const Case& c : cases)
  {
    const size_t before = workspace.opened().size();
    EXPECT_EQ(delegate.Graphics()->OpenWebLink(c.text), c.opens) << (c.text ? c.text : "null");
    EXPECT_EQ(workspace.opened().size(), before + (c.opens ? 1 : 0));
  }

  const size_t opened = workspace.opened().size();
  EXPECT_TRUE(delegate.Graphics()->ShowInFileBrowser(existing.c_str(), true));
  EXPECT_EQ(workspace.opened().at(opened), file.parent_path().string());
  EXPECT_EQ(workspace.selected().back(), existing);
  EXPECT_TRUE(delegate.Graphics()->ShowInFileBrowser(existing.c_str(), false));
  EXPECT_EQ(workspace.opened().back(), existing);
  EXPECT_FALSE(delegate.Graphics()->ShowInFileBrowser("", false));
  EXPECT_FALSE(delegate.Graphics()->ShowInFileBrowser("/no/such/file", true));
  EXPECT_EQ(handed,
            std::vector<std::string>(workspace.opened().begin() + long(openedBefore), workspace.opened().end()));

  // What the opener cannot open is not opened.
  opens = false;
  EXPECT_FALSE(delegate.Graphics()->OpenWebLink("https://example.com/products/vantoreli#Changelog"));
  EXPECT_FALSE(delegate.Graphics()->OpenWebLink(existing.c_str()));
  EXPECT_EQ(workspace.opened().size(), openedBefore + handed.size() - 2);
  std::filesystem::remove(file);
}

TEST_F(OpenerTest, TheSharedDocumentsFolderIsTheFirstSystemDataFoldersDocumentation)
{
  Open();
  const std::filesystem::path data = std::filesystem::temp_directory_path() /
                                     ("vantorelix-shared-" + std::to_string(::getpid()));
  const std::filesystem::path manual = data / "doc/Vantorelix/Vantorelix manual.pdf";
  std::filesystem::create_directories(manual.parent_path());
  std::ofstream(manual) << "pdf";
  const char* before = std::getenv("XDG_DATA_DIRS");
  const std::string kept = before ? before : "";
  struct Case
  {
    std::string dataDirs;
    std::string path;
    std::string opened;  // empty: nothing
    std::string said;    // on stderr
  };
  const std::string shared = "/Users/Shared/Documents/Vantorelix/Vantorelix manual.pdf";
  const std::string other = "/Users/Shared/DocumentsVantorelix/Vantorelix manual.pdf";
  const Case cases[] = {
    {data.string() + "/:/usr/share", shared, manual.string(), ""},
    // Only an absolute first folder counts.
    {"relative:" + data.string(), shared, "",
     "cannot open /usr/local/share/doc/Vantorelix/Vantorelix manual.pdf: it does not exist\n"},
    {data.string(), other, "", "cannot open " + other + ": it does not exist\n"},
  };
  for (const Case& c : cases)
  {
    setenv("XDG_DATA_DIRS", c.dataDirs.c_str(), 1);
    handed.clear();
    testing::internal::CaptureStderr();
    EXPECT_EQ(delegate.Graphics()->OpenWebLink(c.path.c_str()), !c.opened.empty()) << c.dataDirs << " " << c.path;
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(handed, c.opened.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.opened});
    EXPECT_EQ(said.empty() ? "" : said.substr(said.find(": ") + 2), c.said) << said;
  }
  before ? setenv("XDG_DATA_DIRS", kept.c_str(), 1) : unsetenv("XDG_DATA_DIRS");
  std::filesystem::remove_all(data);
}

// The desktop's own opener: xdg-open when $PATH has it, else a line on stderr and nothing opened.
TEST_F(DialogTest, TheDesktopOpenerIsXdgOpenAndItsAbsenceIsSaid)
{
  Open();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("vantorelix-opener-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder / "bin");
  const std::filesystem::path script = folder / "bin/xdg-open";
  const std::filesystem::path record = folder / "opened.txt";
  std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << record.string() << "'\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  const std::string kept = std::getenv("PATH") ? std::getenv("PATH") : "";
  const char* link = "https://example.com/products/vantoreli#Changelog";

  setenv("PATH", (folder / "bin").c_str(), 1);
  EXPECT_TRUE(delegate.Graphics()->OpenWebLink(link));
  std::string opened;
  for (int tries = 0; tries < 500 && opened.empty(); ++tries)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream(record) >> opened;
  }
  EXPECT_EQ(opened, link);

  setenv("PATH", folder.c_str(), 1);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(delegate.Graphics()->OpenWebLink(link));
  const std::string said = testing::internal::GetCapturedStderr();
  setenv("PATH", kept.c_str(), 1);
  EXPECT_NE(said.find(std::string("cannot open ") + link + ": xdg-open is not installed (xdg-utils)\n"),
            std::string::npos)
    << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
  std::filesystem::remove_all(folder);
}

// The live window's colour dialog is zenity's, whose answer is a text.
TEST(ZenityColour, OpaqueAndTranslucentAnswersGiveTheirChannelsAndOthersNothing)
{
  struct Case
  {
    const char* answer;
    int red, green, blue;  // -1: nothing
  };
  const Case cases[] = {
    {"rgb(255,56,45)", 255, 56, 45},
    {"rgba(0,128,255,0.5)", 0, 128, 255},
    {"rgba(1,2,3,1)", 1, 2, 3},
    {"rgb(0,0,0)", 0, 0, 0},
    {"rgb(256,0,0)", -1, 0, 0},
    {"rgb(-1,0,0)", -1, 0, 0},
    {"rgb(1,2)", -1, 0, 0},
    {"rgb(1,2,3", -1, 0, 0},
    {"rgb(1,2,3) ", -1, 0, 0},
    {"rgba(1,2,3,1.5)", -1, 0, 0},
    {"rgba(1,2,3)", -1, 0, 0},
    {"#ff382d", -1, 0, 0},
    {"", -1, 0, 0},
  };
  for (const Case& c : cases)
  {
    const std::optional<host::ZenityColour> colour = host::ParseZenityColour(c.answer);
    ASSERT_EQ(colour.has_value(), c.red >= 0) << c.answer;
    if (colour)
    {
      EXPECT_EQ(std::vector<int>({colour->red, colour->green, colour->blue}),
                std::vector<int>({c.red, c.green, c.blue}))
        << c.answer;
    }
  }
}

TEST_F(DialogTest, TooltipsCoverShownControlsWithAreasAndTellTheTextOfTheControlUnderThePointer)
{
  IGraphicsView_vVantorelix_au* view = Open();
  IGraphicsMac& g = *delegate.Graphics();
  auto* hidden = new LogControl(IRECT(0, 0, 10, 10), delegate.log);
  hidden->Hide(true);
  g.AddControl(hidden);
  g.AddControl(new LogControl(IRECT(), delegate.log));  // no area
  delegate.control->SetTooltip("Gain");
  g.UpdateTooltips();
  EXPECT_TRUE(view->toolTipRects().empty());  // switched off
  g.EnableTooltips(true);
  ASSERT_EQ(view->toolTipRects().size(), 2u);  // the background and the control
  EXPECT_EQ(view->toolTipRects()[1].rect.origin.x, 100);
  EXPECT_EQ(view->toolTipRects()[1].owner, view);

  g.EnableMouseOver(true);
  Mouse(NSEventTypeMouseMoved, 150, 150);
  EXPECT_EQ(view->stringForToolTip(view->toolTipRects()[1].tag, NSMakePoint(150, 150), nullptr), "Gain");
  Mouse(NSEventTypeMouseMoved, 10, 300);  // the background has no text
  EXPECT_EQ(view->stringForToolTip(view->toolTipRects()[0].tag, NSMakePoint(10, 300), nullptr), "");
}

TEST_F(DialogTest, TheWindowShowsATooltipWhenThePointerRestsAndHidesItWhenItMovesAwayOrAButtonIsPressed)
{
  IGraphicsView_vVantorelix_au* view = Open();
  IGraphicsMac& g = *delegate.Graphics();
  g.EnableMouseOver(true);
  delegate.control->SetTooltip("Gain");
  g.EnableTooltips(true);
  const auto rest = [](double seconds) {
    platform::AdvanceClock(seconds);
    platform::RunMainLoop();
  };
  const auto shown = [&] { return window->shownToolTip() ? window->shownToolTip()->text : "(none)"; };

  Mouse(NSEventTypeMouseMoved, 150, 150);
  rest(NSWindow::kToolTipDelay - 0.1);
  EXPECT_EQ(shown(), "(none)");
  rest(0.2);
  EXPECT_EQ(shown(), "Gain");
  EXPECT_EQ(window->shownToolTip()->location.x, InWindow(*view, 150, 150).x);
  Mouse(NSEventTypeMouseMoved, 160, 150);  // within the control
  EXPECT_EQ(shown(), "Gain");
  Mouse(NSEventTypeMouseMoved, 10, 300);
  EXPECT_EQ(shown(), "(none)");
  rest(NSWindow::kToolTipDelay + 0.1);
  EXPECT_EQ(shown(), "(none)");  // the background has no text

  Mouse(NSEventTypeMouseMoved, 150, 150);
  rest(NSWindow::kToolTipDelay + 0.1);
  EXPECT_EQ(shown(), "Gain");
  Mouse(NSEventTypeLeftMouseDown, 150, 150);
  EXPECT_EQ(shown(), "(none)");
  Mouse(NSEventTypeLeftMouseUp, 150, 150);
  rest(NSWindow::kToolTipDelay + 0.1);
  EXPECT_EQ(shown(), "(none)");  // only a rest after a move shows one
}

TEST_F(DialogTest, TooltipsComeBackWhenTheInWindowMenuRefreshesThemInItsLastFadingStep)
{
  IGraphicsView_vVantorelix_au* view = Open();
  IGraphicsMac& g = *delegate.Graphics();
  g.AddPopupMenuControl(IText());
  g.EnableTooltips(true);
  IPopupMenuControl& menuControl = *g.GetPopupMenuControl();
  IPopupMenu menu("", {"a", "b"});
  g.OpenMenu(delegate.control, menu, delegate.control->GetRECT(), -1);
  menuControl.AnimationEnded();  // shown
  ASSERT_EQ(menuControl.GetState(), IPopupMenuControl::kExpanded);

  Mouse(NSEventTypeLeftMouseDown, 5, 5);  // a click outside the menu closes it
  Mouse(NSEventTypeLeftMouseUp, 5, 5);
  menuControl.AnimationEnded();
  ASSERT_EQ(menuControl.GetState(), IPopupMenuControl::kCollapsing);
  g.UpdateTooltips();
  EXPECT_TRUE(view->toolTipRects().empty());  // still fading out over the editor
  menuControl.AnimationEnded();
  ASSERT_EQ(menuControl.GetState(), IPopupMenuControl::kIdling);
  g.UpdateTooltips();  // a refresh in the last step already brings them back
  EXPECT_EQ(view->toolTipRects().size(), 2u);
  menuControl.AnimationEnded();
  EXPECT_EQ(menuControl.GetState(), IPopupMenuControl::kCollapsed);
  EXPECT_EQ(view->toolTipRects().size(), 2u);
}

}  // namespace
}  // namespace vtest
