// au-host editor --window on a virtual X display: the live editor a person sees, clicked and typed
// into through the X server and read back from it, shows what the picture of the same settings
// shows; closing the window, Ctrl-C or a request to end ends the run with the measurement, and a
// display that goes away ends it with an error after the measurement.

#include "Picture.h"
#include "ShellRun.h"
#include "ToneFile.h"

#include "host/X11Window.h"
#include "reports/AudioFile.h"
#include "tests/meter-plugin/PluginFixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// Last: Xlib's macros would rename what follows.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

extern char** environ;

namespace {

using product_test::Quoted;
using product_test::Shell;
using Clock = std::chrono::steady_clock;
using product_test::Colour;
using product_test::Picture;
using product_test::Read;

// How long a wait may last before it counts as a failure: the editor under the sanitizers on a busy
// machine draws many times slower than alone. Waits end as soon as what they wait for is seen.
constexpr double kPatience = 60;

// Controls fade by the wall clock: a menu takes clicks once its fade-in (0.1 s, a sub-menu's 0.2 s)
// has had its time.
constexpr auto kLongestFade = std::chrono::milliseconds(250);

// Polls until the condition holds or the time runs out; whether it held.
bool Eventually(double seconds, const std::function<bool()>& condition)
{
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (!condition())
  {
    if (Clock::now() > end)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// A program run with its output in files, killed if the test leaves before it ended.
class Child
{
public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() { End(); }

  // Asked to end first, so that a server leaves no lock behind.
  void End()
  {
    if (mPid <= 0)
      return;
    kill(mPid, SIGTERM);
    if (!Wait(5))
    {
      kill(mPid, SIGKILL);
      waitpid(mPid, nullptr, 0);
      mPid = 0;
    }
  }

  void Signal(int signal) { kill(mPid, signal); }

  // Whether the program waits in a read of its standard input.
  bool ReadingInput() const
  {
    const std::string call = plugin_test::ReadFile("/proc/" + std::to_string(mPid) + "/syscall");
    return call.rfind(std::to_string(SYS_read) + " 0x0 ", 0) == 0;
  }

  // The environment is this process's with the settings given added or replaced; descriptors not
  // marked close-on-exec stay open in the program. Standard input is the descriptor given, else
  // empty.
  bool Start(std::vector<std::string> arguments, const std::vector<std::string>& settings, const std::string& out,
             const std::string& err, int input = -1)
  {
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
    {
      const std::string entry = *e;
      const std::string name = entry.substr(0, entry.find('=') + 1);
      if (std::none_of(settings.begin(), settings.end(), [&](const std::string& s) { return s.rfind(name, 0) == 0; }))
        environment.push_back(entry);
    }
    environment.insert(environment.end(), settings.begin(), settings.end());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input >= 0)
      posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    else
      posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int spawned = posix_spawn(&mPid, arguments[0].c_str(), &actions, nullptr, Pointers(arguments).data(),
                                    Pointers(environment).data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
      mPid = 0;
    return spawned == 0;
  }

  // The exit status once the program ended within the time, else nothing.
  std::optional<int> Wait(double seconds)
  {
    int status = 0;
    if (!Eventually(seconds, [&] { return waitpid(mPid, &status, WNOHANG) == mPid; }))
      return std::nullopt;
    mPid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

private:
  // The texts as a null-ended array of C strings, valid while the texts are.
  static std::vector<char*> Pointers(std::vector<std::string>& texts)
  {
    std::vector<char*> pointers;
    for (std::string& text : texts)
      pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
  }

  pid_t mPid = 0;
};

// Places of the editor, in its layout's points: the graph button, what it changes and the audio
// does not (the graph's memory button, one of its curve buttons, the middle of the panel), and the
// time read-out, which stops where the file ends.
constexpr int kGraphX = 425, kGraphY = 18;
struct Area
{
  int x, y, width, height;
};
const Area kProbes[] = {{628, 65, 1, 1}, {812, 113, 1, 1}, {700, 240, 1, 1}};
constexpr Area kTimeReadout = {160, 92, 120, 30};
// The preset drop-down in the top bar, where the loaded preset's name shows, and the top row of
// the menu it opens; its "Factory" item, the top row of the sub-menu that item opens over the top
// bar, and a factory preset in it.
constexpr int kPresetsX = 670, kPresetsY = 23;
constexpr Area kPresetName = {560, 8, 220, 30};
constexpr Area kPresetMenuTop = {625, 38, 120, 14};
constexpr int kFactoryX = 660, kFactoryY = 140;
constexpr Area kFactoryMenuTop = {470, 12, 100, 14};
constexpr int kFactoryPresetX = 510, kFactoryPresetY = 134;
// The setup button, and the value field of the first setup page's short-term window.
constexpr int kSetupX = 458, kSetupY = 18;
constexpr int kFieldX = 460, kFieldY = 131;
constexpr Area kField = {430, 121, 60, 20};

std::string Point(int x, int y)
{
  return std::to_string(x) + "," + std::to_string(y);
}

// au-host run as a person runs it, in a home and a folder of the test's own.
class AuHostWindowCommand : public ::testing::Test
{
protected:
  product_test::ShellRun Run(const std::string& arguments)
  {
    return Shell(environment + Quoted(AU_HOST) + " " + arguments + " 2>" + Quoted(Path("stderr.txt")));
  }

  std::string Path(const std::string& name) const { return folder + "/" + name; }

  // The picture au-host editor --png writes of the file with the arguments added; empty when the
  // run failed.
  Picture EditorPicture(const std::string& file, const std::string& name, const std::string& arguments = "")
  {
    if (Run("editor " + Quoted(file) + " --png " + Quoted(Path(name)) + " " + arguments).status != 0)
      return {};
    return Read(Path(name));
  }

  std::string folder = plugin_test::TempFolder();
  std::string home = folder + ".home";
  std::string environment = "HOME=" + Quoted(home) + " VANTORELIX_UPDATE_SERVER=http://127.0.0.1:9 ";
};

// The same with a virtual X server of the test's own to show the window on.
class AuHostWindow : public AuHostWindowCommand
{
protected:
  void SetUp() override
  {
    std::string xvfb = Shell("command -v Xvfb").out;
    xvfb = xvfb.substr(0, xvfb.find('\n'));
    if (xvfb.empty())
      GTEST_SKIP() << "Xvfb is not installed (tools/install-deps installs it)";
    ASSERT_TRUE(StartServer(xvfb)) << plugin_test::ReadFile(Path("xvfb.txt"));
    // A window can go between two requests about it, as an editor ends: the request then fails
    // and says so by its result, rather than ending the test as Xlib's own handler does.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }

  void TearDown() override
  {
    if (display)
      XCloseDisplay(display);
  }

  // Starts au-host editor FILE --window with the arguments added, on the virtual display; its
  // standard input is the descriptor given, else empty.
  bool StartEditor(Child& editor, const std::vector<std::string>& arguments, int input = -1)
  {
    std::vector<std::string> command = {AU_HOST, "editor"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    command.push_back("--window");
    return editor.Start(command,
                        {"DISPLAY=" + displayName, "HOME=" + home, "VANTORELIX_UPDATE_SERVER=http://127.0.0.1:9"},
                        Path("out.txt"), Path("err.txt"), input);
  }

  // A virtual X server on a display number it finds free itself; false when none started.
  bool StartServer(const std::string& xvfb)
  {
    int ends[2];
    if (pipe(ends) != 0)
      return false;
    const bool started = server.Start(
      {xvfb, "-displayfd", std::to_string(ends[1]), "-nolisten", "tcp", "-screen", "0", "1280x1024x24"}, {},
      "/dev/null", Path("xvfb.txt"));
    close(ends[1]);
    std::string number;
    pollfd readable{ends[0], POLLIN, 0};
    char c = 0;
    while (started && poll(&readable, 1, int(kPatience * 1000)) > 0 && read(ends[0], &c, 1) == 1 && c != '\n')
      number += c;
    close(ends[0]);
    if (number.empty())
      return false;
    displayName = ":" + number;
    display = XOpenDisplay(displayName.c_str());
    return display != nullptr;
  }

  // The top-level window whose name holds the text, once it is shown.
  Window FindWindow(const std::string& name)
  {
    Window found = 0;
    Eventually(kPatience, [&] { return (found = ShownWindow(name)) != 0; });
    return found;
  }

  // The top-level window shown now whose name holds the text; none when there is none.
  Window ShownWindow(const std::string& name)
  {
    Window found = 0, root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count && !found; ++i)
    {
      char* title = nullptr;
      XWindowAttributes attributes{};
      if (XFetchName(display, children[i], &title) && title && std::string(title).find(name) != std::string::npos &&
          XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
        found = children[i];
      if (title)
        XFree(title);
    }
    if (children)
      XFree(children);
    return found;
  }

  // The window's pixels over the area, row by row; none when they cannot be read.
  std::vector<Colour> Pixels(Window window, const Area& area)
  {
    XImage* image = XGetImage(display, window, area.x, area.y, unsigned(area.width), unsigned(area.height), AllPlanes,
                              ZPixmap);
    if (!image)
      return {};
    std::vector<Colour> pixels;
    for (int y = 0; y < area.height; ++y)
      for (int x = 0; x < area.width; ++x)
      {
        const unsigned long pixel = XGetPixel(image, x, y);
        pixels.push_back({uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)});
      }
    XDestroyImage(image);
    return pixels;
  }

  static std::vector<Colour> Pixels(const Picture& picture, const Area& area)
  {
    std::vector<Colour> pixels;
    for (int y = 0; y < area.height; ++y)
      for (int x = 0; x < area.width; ++x)
        pixels.push_back(picture.At(area.x + x, area.y + y));
    return pixels;
  }

  // Whether the window shows the picture's pixels over the areas.
  bool Shows(Window window, const Picture& picture, std::initializer_list<Area> areas)
  {
    return std::all_of(areas.begin(), areas.end(),
                       [&](const Area& area) { return Pixels(window, area) == Pixels(picture, area); });
  }

  // Waits until the area differs from the picture and then lets the longest fade have its time,
  // counted from when it was seen, which is after it began: what opened there then takes clicks,
  // however few frames a busy editor has drawn meanwhile. Whether it opened.
  bool Opens(Window window, const Picture& picture, const Area& area)
  {
    if (!Eventually(kPatience, [&] { return !Shows(window, picture, {area}); }))
      return false;
    std::this_thread::sleep_for(kLongestFade);
    return true;
  }

  void Send(Window window, XEvent event, long mask)
  {
    XSendEvent(display, window, 0, mask, &event);
    XFlush(display);
  }

  // A press and a release of the left button; a double click is two of them within a moment. Clicks
  // apart in time are a second apart on the server's clock, as a person's are.
  void Click(Window window, int x, int y, int times = 1)
  {
    XEvent event{};
    event.xbutton.window = window;
    event.xbutton.root = DefaultRootWindow(display);
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.button = Button1;
    event.xbutton.same_screen = 1;
    serverTime += 1000;
    for (int time = 0; time < times; ++time)
    {
      event.xbutton.time = serverTime += 50;
      event.type = ButtonPress;
      event.xbutton.state = 0;
      Send(window, event, ButtonPressMask);
      event.type = ButtonRelease;
      event.xbutton.state = Button1Mask;
      Send(window, event, ButtonReleaseMask);
    }
  }

  void Move(Window window, int x, int y)
  {
    XEvent event{};
    event.type = MotionNotify;
    event.xmotion.window = window;
    event.xmotion.root = DefaultRootWindow(display);
    event.xmotion.x = x;
    event.xmotion.y = y;
    event.xmotion.time = serverTime += 50;
    event.xmotion.same_screen = 1;
    Send(window, event, PointerMotionMask);
  }

  // Presses and releases the keys, one after the other, with the modifiers of the state held.
  void Type(Window window, std::initializer_list<KeySym> keys, unsigned state = 0)
  {
    for (const KeySym key : keys)
    {
      XEvent event{};
      event.xkey.window = window;
      event.xkey.root = DefaultRootWindow(display);
      event.xkey.keycode = XKeysymToKeycode(display, key);
      event.xkey.state = state;
      event.xkey.time = serverTime += 50;
      event.xkey.same_screen = 1;
      event.type = KeyPress;
      Send(window, event, KeyPressMask);
      event.type = KeyRelease;
      Send(window, event, KeyReleaseMask);
    }
  }

  void AskToClose(Window window)
  {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", 0);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", 0));
    Send(window, event, NoEventMask);
  }

  std::string ToneFile(double seconds, uint16_t channels)
  {
    return product_test::WriteTone(Path("tone.wav"), seconds, channels);
  }

  Child server;
  std::string displayName;
  Display* display = nullptr;
  Time serverTime = 0;
};

TEST_F(AuHostWindow, ShowsTheClickedEditorAndReportsOnClosing)
{
  constexpr double kSeconds = 1.0;
  const std::string tone = ToneFile(kSeconds, 1);
  const product_test::ShellRun measured = Run("measure " + Quoted(tone));
  ASSERT_EQ(measured.status, 0) << plugin_test::ReadFile(Path("stderr.txt"));
  const Picture meters = EditorPicture(tone, "meters.png");
  const Picture graph = EditorPicture(tone, "graph.png", "--click " + Point(kGraphX, kGraphY));
  ASSERT_GT(meters.width * graph.width, 0) << plugin_test::ReadFile(Path("stderr.txt"));
  for (const Area& probe : kProbes)
    ASSERT_NE(meters.At(probe.x, probe.y), graph.At(probe.x, probe.y)) << "probe " << probe.x << "," << probe.y;

  Child editor;
  ASSERT_TRUE(StartEditor(editor, {tone}));
  const Window window = FindWindow("Vantorelix");
  ASSERT_NE(window, 0u) << plugin_test::ReadFile(Path("err.txt"));
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, window, &attributes);
  EXPECT_EQ(attributes.width, meters.width);
  EXPECT_EQ(attributes.height, meters.height);

  const auto probes = {kProbes[0], kProbes[1], kProbes[2]};
  ASSERT_TRUE(Eventually(kPatience, [&] { return Shows(window, meters, probes); })) << "the meters never showed";
  Click(window, kGraphX, kGraphY);
  EXPECT_TRUE(Eventually(kPatience, [&] { return Shows(window, graph, probes); }))
    << "the click did not bring the graph";

  // Closed once the file has played, the run reports what measure reports. The read-out shows the
  // file's length from its last tenth of a second on: a moment later the file has surely ended.
  ASSERT_TRUE(Eventually(kPatience, [&] { return Shows(window, graph, {kTimeReadout}); })) << "the file never ended";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_FALSE(editor.Wait(0).has_value()) << "ended before it was closed: " << plugin_test::ReadFile(Path("err.txt"));
  AskToClose(window);
  const std::optional<int> status = editor.Wait(kPatience);
  ASSERT_TRUE(status.has_value()) << "the window did not close";
  EXPECT_EQ(*status, 0) << plugin_test::ReadFile(Path("err.txt"));
  EXPECT_EQ(plugin_test::ReadFile(Path("out.txt")), measured.out);
  EXPECT_EQ(plugin_test::ReadFile(Path("err.txt")), "");
}

TEST_F(AuHostWindow, ResizedTheWindowTakesTheSizeTheCornerResizerGives)
{
  const std::string tone = ToneFile(1.0, 1);
  Child editor;
  ASSERT_TRUE(StartEditor(editor, {tone}));
  const Window window = FindWindow("Vantorelix");
  ASSERT_NE(window, 0u) << plugin_test::ReadFile(Path("err.txt"));
  // Larger, and smaller than the editor allows.
  for (const auto& [width, height] : {std::array<int, 2>{1000, 600}, std::array<int, 2>{300, 200}})
  {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const Picture sized = EditorPicture(tone, "sized.png", "--size " + size);
    ASSERT_GT(sized.width, 0) << plugin_test::ReadFile(Path("stderr.txt"));
    XResizeWindow(display, window, unsigned(width), unsigned(height));  // as a window manager does
    XFlush(display);
    // The resizer's handle in the bottom right corner shows where the editor's edge is.
    const Area corner = {sized.width - 16, sized.height - 16, 16, 16};
    EXPECT_TRUE(Eventually(kPatience,
                           [&] {
                             XWindowAttributes attributes{};
                             XGetWindowAttributes(display, window, &attributes);
                             return attributes.width == sized.width && attributes.height == sized.height &&
                                    Shows(window, sized, {corner});
                           }))
      << size;
  }
}

TEST_F(AuHostWindow, APresetIsChosenInTheMenuAndAClickBesideTheMenuChoosesNothing)
{
  const std::string tone = ToneFile(1.0, 1);
  const Picture untouched = EditorPicture(tone, "untouched.png");
  ASSERT_GT(untouched.width, 0) << plugin_test::ReadFile(Path("stderr.txt"));
  const auto meters = {kPresetName, kPresetMenuTop, kProbes[0], kProbes[1], kProbes[2]};
  // A menu that closed opens again only some frames later, which the window does not show: each
  // part has an editor of its own.
  const auto open = [&](Child& editor, const std::vector<std::string>& arguments) -> Window {
    const Window window = StartEditor(editor, arguments) ? FindWindow("Vantorelix") : 0;
    return window && Eventually(kPatience, [&] { return Shows(window, untouched, meters); }) ? window : 0;
  };
  const auto close = [&](Child& editor, Window window) {
    AskToClose(window);
    const std::optional<int> status = editor.Wait(kPatience);
    ASSERT_TRUE(status.has_value()) << "the window did not close";
    EXPECT_EQ(*status, 0) << plugin_test::ReadFile(Path("err.txt"));
    ASSERT_TRUE(Eventually(kPatience, [&] { return ShownWindow("Vantorelix") == 0; })) << "the window stayed";
  };

  // A click beside the open menu, on the graph button, closes the menu and reaches nothing under
  // it, then or later.
  {
    Child editor;
    const Window window = open(editor, {tone});
    ASSERT_NE(window, 0u) << "the editor never showed: " << plugin_test::ReadFile(Path("err.txt"));
    Click(window, kPresetsX, kPresetsY);
    ASSERT_TRUE(Opens(window, untouched, kPresetMenuTop)) << "the preset menu did not open";
    Click(window, kGraphX, kGraphY);
    EXPECT_TRUE(Eventually(kPatience, [&] { return Shows(window, untouched, meters); })) << "the menu stayed open";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(Shows(window, untouched, meters)) << "the click beside the menu did something";
    ASSERT_NO_FATAL_FAILURE(close(editor, window));
  }

  // Down the factory presets' sub-menu, as a person's pointer goes.
  Child editor;
  const Window window = open(editor, {tone, "--state-out", Path("state.bin")});
  ASSERT_NE(window, 0u) << "the editor never showed: " << plugin_test::ReadFile(Path("err.txt"));
  Click(window, kPresetsX, kPresetsY);
  ASSERT_TRUE(Opens(window, untouched, kPresetMenuTop)) << "the preset menu did not open";
  Move(window, kFactoryX, kFactoryY);
  ASSERT_TRUE(Opens(window, untouched, kFactoryMenuTop)) << "the factory presets did not open";
  Move(window, kFactoryPresetX, kFactoryPresetY);
  Click(window, kFactoryPresetX, kFactoryPresetY);
  ASSERT_TRUE(Eventually(
    kPatience,
    [&] {
      return Shows(window, untouched, {kPresetMenuTop, kFactoryMenuTop}) && !Shows(window, untouched, {kPresetName});
    }))
    << "no preset was loaded";
  const std::vector<Colour> loaded = Pixels(window, kPresetName);
  ASSERT_NO_FATAL_FAILURE(close(editor, window));

  // The state saved holds the preset: the editor opened from it shows its name.
  const Picture restored = EditorPicture(tone, "restored.png", "--state-in " + Quoted(Path("state.bin")));
  ASSERT_GT(restored.width, 0) << plugin_test::ReadFile(Path("stderr.txt"));
  EXPECT_EQ(Pixels(restored, kPresetName), loaded);
}

// Num Lock is the second modifier on the virtual server's keyboard, as on most; the command key
// is the Super key.
constexpr unsigned kNumLock = Mod2Mask;
constexpr unsigned kCommand = Mod4Mask;

TEST_F(AuHostWindow, AValueTypedIntoASetupFieldAppliesOnReturnAndNotOnEscapeAndGoesThroughTheClipboard)
{
  const std::string tone = ToneFile(1.0, 1);
  const std::string setup = "--click " + Point(kSetupX, kSetupY);
  const Picture before = EditorPicture(tone, "setup.png", setup);
  const Picture typed = EditorPicture(tone, "typed.png", "--set " + Quoted("SL Integration Time=2500") + " " + setup);
  ASSERT_GT(before.width * typed.width, 0) << plugin_test::ReadFile(Path("stderr.txt"));
  ASSERT_NE(Pixels(before, kField), Pixels(typed, kField));
  Child editor;
  ASSERT_TRUE(StartEditor(editor, {tone}));
  const Window window = FindWindow("Vantorelix");
  ASSERT_NE(window, 0u) << plugin_test::ReadFile(Path("err.txt"));
  Click(window, kSetupX, kSetupY);
  ASSERT_TRUE(Eventually(kPatience, [&] { return Shows(window, before, {kField}); })) << "the setup page never showed";
  const std::string display = "DISPLAY=" + displayName + " ";
  const auto clipboard = [&] { return Shell(display + "xclip -o -selection clipboard 2>/dev/null").out; };

  struct Ending
  {
    const char* what;
    std::function<void()> edit;
    KeySym key;
    const Picture& shown;
  };
  const Ending endings[] = {
    // Typed, selected and copied: another program reads it from the clipboard.
    {"copied",
     [&] {
       Type(window, {XK_2, XK_5, XK_0, XK_0});
       Type(window, {XK_a, XK_c}, kCommand);
       EXPECT_TRUE(Eventually(kPatience, [&] { return clipboard() == "2500"; })) << clipboard();
     },
     XK_Escape, before},
    // Copied in another program and pasted.
    {"pasted",
     [&] {
       // xclip stays to serve the one paste: its output must not hold the pipe open.
       ASSERT_EQ(Shell("printf 2500 | " + display + "xclip -i -selection clipboard -loops 1 >/dev/null 2>&1").status,
                 0);
       Type(window, {XK_v}, kCommand);
     },
     XK_Return, typed},
    // On the keypad, with Num Lock on: the setting's own value again.
    {"keypad",
     [&] {
       Type(window, {XK_KP_3, XK_KP_0, XK_KP_0, XK_KP_0}, kNumLock);
     },
     XK_Return, before},
  };
  const Picture* shown = &before;
  for (const Ending& ending : endings)
  {
    SCOPED_TRACE(ending.what);
    Click(window, kFieldX, kFieldY, 2);
    ASSERT_TRUE(Opens(window, *shown, kField)) << "the field did not open for typing";
    shown = &ending.shown;
    ending.edit();
    Type(window, {ending.key}, kNumLock);
    Move(window, kSetupX, kSetupY);  // where the pictures leave the pointer
    EXPECT_TRUE(Eventually(kPatience, [&] { return Shows(window, ending.shown, {kField}); }));
  }
}

// A program that asks for the clipboard's text and is gone before the answer (a paste that gave
// up, a clipboard manager that ended) costs the run nothing: the answer is dropped, and the run
// goes on to its report.
TEST_F(AuHostWindow, AClipboardRequestorThatLeavesBeforeTheAnswerDoesNotEndTheRun)
{
  const std::string tone = ToneFile(30.0, 1);
  const Picture setup = EditorPicture(tone, "setup.png", "--click " + Point(kSetupX, kSetupY));
  ASSERT_GT(setup.width, 0) << plugin_test::ReadFile(Path("stderr.txt"));
  Child editor;
  ASSERT_TRUE(StartEditor(editor, {tone}));
  const Window window = FindWindow("Vantorelix");
  ASSERT_NE(window, 0u) << plugin_test::ReadFile(Path("err.txt"));
  Click(window, kSetupX, kSetupY);
  ASSERT_TRUE(Eventually(kPatience, [&] { return Shows(window, setup, {kField}); })) << "the setup page never showed";
  Click(window, kFieldX, kFieldY, 2);
  ASSERT_TRUE(Opens(window, setup, kField)) << "the field did not open for typing";
  Type(window, {XK_a, XK_c}, kCommand);
  const Atom clipboard = XInternAtom(display, "CLIPBOARD", 0);
  ASSERT_TRUE(Eventually(kPatience, [&] { return XGetSelectionOwner(display, clipboard) != None; }));

  for (const char* form : {"UTF8_STRING", "TARGETS"})
  {
    // The request and the requestor's end reach the server together, before the answer can.
    Display* requestor = XOpenDisplay(displayName.c_str());
    ASSERT_NE(requestor, nullptr);
    const Window asking = XCreateSimpleWindow(requestor, DefaultRootWindow(requestor), 0, 0, 1, 1, 0, 0, 0);
    XConvertSelection(requestor, clipboard, XInternAtom(requestor, form, 0), XInternAtom(requestor, "PASTED", 0),
                      asking, CurrentTime);
    XCloseDisplay(requestor);
  }
  EXPECT_FALSE(editor.Wait(1.0).has_value()) << plugin_test::ReadFile(Path("err.txt"));
  AskToClose(window);
  const std::optional<int> status = editor.Wait(kPatience);
  ASSERT_TRUE(status.has_value()) << "the run did not end";
  EXPECT_EQ(*status, 0) << plugin_test::ReadFile(Path("err.txt"));
  EXPECT_NE(plugin_test::ReadFile(Path("out.txt")).find("OUT:IL: "), std::string::npos);
}

TEST_F(AuHostWindow, ATooltipShowsBelowThePointerOnceItRestsAndGoesWithAClick)
{
  const std::string tone = ToneFile(1.0, 1);
  Child editor;
  ASSERT_TRUE(StartEditor(editor, {tone}));
  const Window window = FindWindow("Vantorelix");
  ASSERT_NE(window, 0u) << plugin_test::ReadFile(Path("err.txt"));
  // The tooltip's pale paper below the pointer, over the graph button's tooltip.
  const Area below = {kGraphX, kGraphY + 15, 120, 30};
  const Colour paper = {0xFF, 0xFF, 0xE1};
  const auto paperShown = [&] {
    const std::vector<Colour> pixels = Pixels(window, below);
    return std::count(pixels.begin(), pixels.end(), paper) > 200;
  };
  Move(window, kGraphX, kGraphY);
  ASSERT_TRUE(Eventually(kPatience, paperShown)) << "no tooltip showed";
  Click(window, kGraphX, kGraphY);
  EXPECT_TRUE(Eventually(kPatience, [&] { return !paperShown(); })) << "the click left the tooltip";
}

// The keyboard layer's keys as the window hands them to the editor: the hardware key code the key
// table looks up, and the characters without the modifiers (but Num Lock).
TEST_F(AuHostWindow, KeysOfTheKeyboardReachTheEditorAsTheKeyTableExpects)
{
  setenv("DISPLAY", displayName.c_str(), 1);
  host::X11Window keys;
  ASSERT_EQ(keys.Open("keys", 64, 64), "");
  const Window window = FindWindow("keys");
  ASSERT_NE(window, 0u);
  struct Case
  {
    KeySym key;
    unsigned state;
    unsigned short code;
    std::u16string characters;  // ignoring the modifiers
  };
  const Case cases[] = {
    {XK_KP_1, kNumLock, 83, u"1"},  // keypad digits with Num Lock
    {XK_KP_0, kNumLock, 82, u"0"},
    {XK_KP_9, kNumLock, 92, u"9"},
    {XK_KP_Delete, kNumLock, 65, u"."},  // the key is found by its other symbol
    {XK_KP_1, 0, 119, u""},              // without it, the cursor keys they carry: end,
    {XK_KP_0, 0, 114, u""},              // insert,
    {XK_KP_Delete, 0, 117, u""},         // forward delete,
    {XK_KP_4, 0, 123, u""},              // and the arrows
    {XK_KP_Enter, kNumLock, 76, u"\x03"},
    {XK_KP_Add, 0, 69, u"+"},
    {XK_a, kNumLock | ShiftMask, 127, u"A"},  // the letters by their characters
    {XK_2, 0, 127, u"2"},
    {XK_Tab, ShiftMask, 48, std::u16string(1, NSBackTabCharacter)},
    {XK_F1, 0, 122, std::u16string(1, NSF1FunctionKey)},
  };
  for (const Case& c : cases)
  {
    Type(window, {c.key}, c.state);
    std::optional<host::WindowInput> input;
    Eventually(kPatience, [&] {
      while ((input = keys.NextInput()) && input->kind != host::WindowInput::Kind::KeyDown)
      {
      }
      return input.has_value();
    });
    ASSERT_TRUE(input.has_value()) << XKeysymToString(c.key);
    EXPECT_EQ(input->keyCode, c.code) << XKeysymToString(c.key) << " state " << c.state;
    EXPECT_EQ(input->charactersIgnoringModifiers, c.characters) << XKeysymToString(c.key) << " state " << c.state;
  }
}

TEST_F(AuHostWindow, ClosingCtrlCOrARequestToEndDuringTheFileEndsTheRunWithWhatPlayed)
{
  constexpr double kSeconds = 30.0;
  const std::string tone = ToneFile(kSeconds, 2);
  AudioFileBuffer source;
  audioFileInit(&source);
  ASSERT_EQ(audioFileRead(&source, tone.c_str(), 0, 0, false), 0);
  struct Ending
  {
    const char* name;
    std::function<void(Child&, Window)> end;
  };
  const Ending endings[] = {
    {"closing the window", [&](Child&, Window window) { AskToClose(window); }},
    {"Ctrl-C", [](Child& editor, Window) { editor.Signal(SIGINT); }},
    {"a request to end", [](Child& editor, Window) { editor.Signal(SIGTERM); }},
  };
  for (const Ending& ending : endings)
  {
    SCOPED_TRACE(ending.name);
    std::remove(Path("played.wav").c_str());
    std::remove(Path("state.bin").c_str());
    Child editor;
    ASSERT_TRUE(StartEditor(editor, {tone, "--out", Path("played.wav"), "--state-out", Path("state.bin")}));
    const Window window = FindWindow("Vantorelix");
    ASSERT_NE(window, 0u) << plugin_test::ReadFile(Path("err.txt"));
    ending.end(editor, window);
    const std::optional<int> status = editor.Wait(kPatience);
    ASSERT_TRUE(status.has_value()) << "the run did not end";
    EXPECT_EQ(*status, 0) << plugin_test::ReadFile(Path("err.txt"));
    EXPECT_NE(plugin_test::ReadFile(Path("out.txt")).find("OUT:IL: "), std::string::npos);
    EXPECT_FALSE(plugin_test::ReadFile(Path("state.bin")).empty());

    // The processed audio is the start of the file, as far as it played, on every channel.
    AudioFileBuffer played;
    audioFileInit(&played);
    ASSERT_EQ(audioFileRead(&played, Path("played.wav").c_str(), 0, 0, false), 0);
    const uint32_t frames = audioFileFrames(&played);
    EXPECT_GT(frames, 0u);
    EXPECT_LT(frames, audioFileFrames(&source));
    ASSERT_EQ(audioFileChannels(&played), 2);
    for (uint32_t c = 0; c < 2; ++c)
    {
      const float* in = audioFileChannel(&source, c, true);
      const float* out = audioFileChannel(&played, c, true);
      ASSERT_TRUE(in && out);
      for (uint32_t n = 0; n < frames; n += 97)
        ASSERT_EQ(out[n], in[n]) << "channel " << c << ", frame " << n;
      audioFileChannel(&source, c, false);
      audioFileChannel(&played, c, false);
    }
    audioFileFree(&played);
  }
  audioFileFree(&source);
}

// Standard input a slow writer keeps open: the run waits in a read for audio that does not come,
// and Ctrl-C or a request to end still ends it with the report of what arrived.
TEST_F(AuHostWindow, CtrlCOrARequestToEndWhileASlowPipeIsAwaitedEndsTheRunWithWhatArrived)
{
  // The header announces ten seconds; two arrive, more than the first read takes, so that the
  // window opens and plays them before the run waits for the rest.
  const std::string file = plugin_test::ReadFile(ToneFile(10.0, 2));
  const std::string arrived = file.substr(0, file.size() / 5);
  for (const int signal : {SIGINT, SIGTERM})
  {
    SCOPED_TRACE(strsignal(signal));
    std::remove(Path("state.bin").c_str());
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    // All that arrives fits in the pipe: the write does not wait for the reader.
    ASSERT_GE(fcntl(ends[1], F_SETPIPE_SZ, 1 << 20), int(arrived.size()));
    ASSERT_EQ(write(ends[1], arrived.data(), arrived.size()), ssize_t(arrived.size()));
    Child editor;
    const bool started = StartEditor(editor, {"-", "--state-out", Path("state.bin")}, ends[0]);
    close(ends[0]);
    ASSERT_TRUE(started);
    ASSERT_NE(FindWindow("Vantorelix"), 0u) << plugin_test::ReadFile(Path("err.txt"));
    ASSERT_TRUE(Eventually(kPatience, [&] { return editor.ReadingInput(); })) << "the run never waited for input";
    editor.Signal(signal);
    const std::optional<int> status = editor.Wait(kPatience);
    close(ends[1]);
    ASSERT_TRUE(status.has_value()) << "the run did not end";
    const std::string errors = plugin_test::ReadFile(Path("err.txt"));
    EXPECT_EQ(*status, 0) << errors;
    EXPECT_EQ(errors.find("header is damaged"), std::string::npos) << errors;
    EXPECT_NE(plugin_test::ReadFile(Path("out.txt")).find("OUT:IL: "), std::string::npos);
    EXPECT_FALSE(plugin_test::ReadFile(Path("state.bin")).empty());
  }
}

TEST_F(AuHostWindow, ADisplayThatGoesAwayEndsTheRunWithAnErrorAfterTheMeasurement)
{
  const std::string tone = ToneFile(30.0, 1);
  Child editor;
  ASSERT_TRUE(StartEditor(editor, {tone, "--out", Path("played.wav")}));
  ASSERT_NE(FindWindow("Vantorelix"), 0u) << plugin_test::ReadFile(Path("err.txt"));
  XCloseDisplay(display);  // the test's own connection would end the test with the server
  display = nullptr;
  server.End();
  const std::optional<int> status = editor.Wait(kPatience);
  ASSERT_TRUE(status.has_value()) << "the run did not end";
  EXPECT_EQ(*status, 1);
  EXPECT_EQ(plugin_test::ReadFile(Path("err.txt")), "au-host: the connection to the X display was lost\n");
  EXPECT_NE(plugin_test::ReadFile(Path("out.txt")).find("OUT:IL: "), std::string::npos);
  AudioFileBuffer played;
  audioFileInit(&played);
  EXPECT_EQ(audioFileRead(&played, Path("played.wav").c_str(), 0, 0, true), 0);
  EXPECT_GT(audioFileFrames(&played), 0u);
  audioFileFree(&played);
}

// The factory presets live in the editor's preset menu, not among the presets the host sees: au-host
// lists them and loads them through that menu, and a preset measures as its settings do.
TEST_F(AuHostWindowCommand, AFactoryPresetOfThePresetMenuMeasuresAsItsSettingsDo)
{
  const product_test::ShellRun listed = Run("list-presets");
  ASSERT_EQ(listed.status, 0) << plugin_test::ReadFile(Path("stderr.txt"));
  EXPECT_EQ(listed.out.rfind("0: Init\nFactory/Init\nFactory/EBU R128 LUFS +27\n", 0), 0u) << listed.out;
  EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 52);  // the host's one and 51 factory presets

  const std::string sample = Quoted(SAMPLE_WAV);
  const std::string settings[] = {"Loudness Target Level=-23",
                                  "Gating mode=G10",
                                  "ML Integration Time=400",
                                  "LM Unit Mode=LU",
                                  "WFilter Mode=Leq(K)",
                                  "Loudness Range Mode=LRA",
                                  "Peak Mode=True Peak",
                                  "IL Min Mode=2",
                                  "IL Min Level=-24",
                                  "IL Max Mode=2",
                                  "IL Max Level=-22",
                                  "SL Min Mode=2",
                                  "SL Min Level=-26",
                                  "SL Max Mode=2",
                                  "SL Max Level=-20",
                                  "ML Min Mode=2",
                                  "ML Max Mode=2",
                                  "IL Dial Min Mode=2",
                                  "IL Dial Max Mode=2",
                                  "LRA Min Mode=2",
                                  "LRA Min Level=10"};
  std::string sets;
  for (const std::string& setting : settings)
    sets += " --set " + Quoted(setting);
  const product_test::ShellRun set = Run("measure " + sample + sets);
  ASSERT_EQ(set.status, 0) << plugin_test::ReadFile(Path("stderr.txt"));
  for (const char* name : {"EBU R128 LUFS +27", "Factory/EBU R128 LUFS +27"})
  {
    const product_test::ShellRun preset = Run("measure " + sample + " --preset " + Quoted(name));
    EXPECT_EQ(preset.status, 0) << name << ": " << plugin_test::ReadFile(Path("stderr.txt"));
    EXPECT_EQ(preset.out, set.out) << name;
  }
  EXPECT_NE(Run("measure " + sample).out, set.out);

  const product_test::ShellRun unknown = Run("measure " + sample + " --preset " + Quoted("Factory/Nope"));
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(plugin_test::ReadFile(Path("stderr.txt")),
            "au-host: unknown preset \"Factory/Nope\" (au-host list-presets shows the names and numbers)\n");
}

TEST_F(AuHostWindowCommand, NoDisplayAndMisusedOptionsFailOnOneLine)
{
  const std::string sample = Quoted(SAMPLE_WAV);
  struct Case
  {
    std::string command;
    int status;
    std::string error;
  };
  const Case cases[] = {
    {"env -u DISPLAY " + environment + Quoted(AU_HOST) + " editor " + sample + " --window", 1,
     "au-host: cannot open a window: no X display (DISPLAY is not set)\n"},
    {environment + Quoted(AU_HOST) + " editor " + sample + " --window --click 1,1", 2,
     "au-host: --window takes none of --png, --click, --size and --scale\n"},
  };
  for (const Case& c : cases)
  {
    const product_test::ShellRun run = Shell(c.command + " 2>" + Quoted(Path("stderr.txt")));
    EXPECT_EQ(run.status, c.status) << c.command;
    EXPECT_EQ(run.out, "") << c.command;
    const std::string err = plugin_test::ReadFile(Path("stderr.txt"));
    EXPECT_EQ(err.substr(0, err.find('\n') + 1), c.error) << c.command;
  }
}

}  // namespace
