// au-host editor --window on a virtual X display: the live editor a person sees, clicked through
// the X server and read back from it, shows what the picture of the same click shows; closing the
// window ends the run with the measurement.

#include "Picture.h"
#include "ShellRun.h"

#include "reports/AudioFile.h"
#include "tests/meter-plugin/PluginFixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// Last: Xlib's macros would rename what follows.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace {

using product_test::Quoted;
using product_test::Shell;
using Clock = std::chrono::steady_clock;
using product_test::Colour;
using product_test::Picture;
using product_test::Read;

// Polls until the condition holds or the time runs out; whether it held.
bool Eventually(double seconds, const std::function<bool()>& condition)
{
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (!condition()) {
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
  // Asked to end first, so that a server leaves no lock behind.
  ~Child()
  {
    if (mPid <= 0)
      return;
    kill(mPid, SIGTERM);
    if (!Wait(5)) {
      kill(mPid, SIGKILL);
      waitpid(mPid, nullptr, 0);
    }
  }

  // The environment is this process's with the settings given added or replaced; descriptors not
  // marked close-on-exec stay open in the program.
  bool Start(std::vector<std::string> arguments, const std::vector<std::string>& settings,
             const std::string& out, const std::string& err)
  {
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      const std::string name = entry.substr(0, entry.find('=') + 1);
      if (std::none_of(settings.begin(), settings.end(), [&](const std::string& s) { return s.rfind(name, 0) == 0; }))
        environment.push_back(entry);
    }
    environment.insert(environment.end(), settings.begin(), settings.end());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
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

// au-host run as a person runs it, in a home and a folder of the test's own.
class AuHostWindowCommand : public ::testing::Test
{
protected:
  product_test::ShellRun Run(const std::string& arguments)
  {
    return Shell(environment + Quoted(AU_HOST) + " " + arguments + " 2>" + Quoted(Path("stderr.txt")));
  }

  std::string Path(const std::string& name) const { return folder + "/" + name; }

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
  }

  void TearDown() override
  {
    if (display)
      XCloseDisplay(display);
  }

  // Starts au-host editor FILE --window with the arguments added, on the virtual display.
  bool StartEditor(Child& editor, const std::vector<std::string>& arguments)
  {
    std::vector<std::string> command = {AU_HOST, "editor"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    command.push_back("--window");
    return editor.Start(command,
                        {"DISPLAY=" + displayName, "HOME=" + home, "VANTORELIX_UPDATE_SERVER=http://127.0.0.1:9"},
                        Path("out.txt"), Path("err.txt"));
  }

  // A virtual X server on a display number it finds free itself; false when none started.
  bool StartServer(const std::string& xvfb)
  {
    int ends[2];
    if (pipe(ends) != 0)
      return false;
    const bool started = server.Start({xvfb, "-displayfd", std::to_string(ends[1]), "-nolisten", "tcp", "-screen", "0",
                                       "1280x1024x24"},
                                      {}, "/dev/null", Path("xvfb.txt"));
    close(ends[1]);
    std::string number;
    pollfd readable{ends[0], POLLIN, 0};
    char c = 0;
    while (started && poll(&readable, 1, 10000) > 0 && read(ends[0], &c, 1) == 1 && c != '\n')
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
    Eventually(30, [&] {
      Window root = 0, parent = 0, *children = nullptr;
      unsigned count = 0;
      XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
      for (unsigned i = 0; i < count && !found; ++i) {
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
      return found != 0;
    });
    return found;
  }

  // Whether the window shows the picture's pixels over the areas.
  bool Shows(Window window, const Picture& picture, std::initializer_list<Area> areas)
  {
    for (const Area& area : areas) {
      XImage* image = XGetImage(display, window, area.x, area.y, unsigned(area.width), unsigned(area.height), AllPlanes,
                                ZPixmap);
      if (!image)
        return false;
      bool same = true;
      for (int y = 0; y < area.height && same; ++y)
        for (int x = 0; x < area.width && same; ++x) {
          const unsigned long pixel = XGetPixel(image, x, y);
          same = Colour{uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)} == picture.At(area.x + x, area.y + y);
        }
      XDestroyImage(image);
      if (!same)
        return false;
    }
    return true;
  }

  void Send(Window window, XEvent event, long mask)
  {
    XSendEvent(display, window, 0, mask, &event);
    XFlush(display);
  }

  void Click(Window window, int x, int y)
  {
    XEvent event{};
    event.xbutton.window = window;
    event.xbutton.root = DefaultRootWindow(display);
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.button = Button1;
    event.xbutton.same_screen = 1;
    event.type = ButtonPress;
    Send(window, event, ButtonPressMask);
    event.type = ButtonRelease;
    event.xbutton.state = Button1Mask;
    Send(window, event, ButtonReleaseMask);
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

  // A 48 kHz file of 32-bit samples: a 1 kHz tone at -6 dBFS, on a second channel 500 Hz at -12.
  std::string ToneFile(double seconds, uint16_t channels)
  {
    constexpr uint32_t kRate = 48000;
    AudioFileBuffer buffer;
    audioFileInit(&buffer);
    const auto frames = uint32_t(std::lround(seconds * kRate));
    EXPECT_EQ(audioFileAllocate(&buffer, frames, channels, 32, kRate, 0), 0);
    for (uint16_t c = 0; c < channels; ++c)
      for (uint32_t n = 0; n < frames; ++n)
        buffer.samples[size_t(c) * frames + n] = float(0.5 / (c + 1) * std::sin(2.0 * M_PI * 1000.0 / (c + 1) * n / kRate));
    const std::string path = Path("tone.wav");
    EXPECT_EQ(audioFileWriteWav(&buffer, path.c_str()), 0);
    audioFileFree(&buffer);
    return path;
  }

  Child server;
  std::string displayName;
  Display* display = nullptr;
};

TEST_F(AuHostWindow, ShowsTheClickedEditorAndReportsOnClosing)
{
  constexpr double kSeconds = 1.0;
  const std::string tone = ToneFile(kSeconds, 1);
  const product_test::ShellRun measured = Run("measure " + Quoted(tone));
  ASSERT_EQ(measured.status, 0) << plugin_test::ReadFile(Path("stderr.txt"));
  ASSERT_EQ(Run("editor " + Quoted(tone) + " --png " + Quoted(Path("meters.png"))).status, 0);
  ASSERT_EQ(Run("editor " + Quoted(tone) + " --png " + Quoted(Path("graph.png")) + " --click " + std::to_string(kGraphX) + "," +
                std::to_string(kGraphY)).status,
            0);
  const Picture meters = Read(Path("meters.png")), graph = Read(Path("graph.png"));
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
  ASSERT_TRUE(Eventually(10, [&] { return Shows(window, meters, probes); })) << "the meters never showed";
  Click(window, kGraphX, kGraphY);
  EXPECT_TRUE(Eventually(10, [&] { return Shows(window, graph, probes); })) << "the click did not bring the graph";

  // Closed once the file has played, the run reports what measure reports. The read-out shows the
  // file's length from its last tenth of a second on: a moment later the file has surely ended.
  ASSERT_TRUE(Eventually(30, [&] { return Shows(window, graph, {kTimeReadout}); })) << "the file never ended";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_FALSE(editor.Wait(0).has_value()) << "ended before it was closed: " << plugin_test::ReadFile(Path("err.txt"));
  AskToClose(window);
  const std::optional<int> status = editor.Wait(20);
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
  for (const auto& [width, height] : {std::array<int, 2>{1000, 600}, std::array<int, 2>{300, 200}}) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    ASSERT_EQ(Run("editor " + Quoted(tone) + " --png " + Quoted(Path("sized.png")) + " --size " + size).status, 0);
    const Picture sized = Read(Path("sized.png"));
    XResizeWindow(display, window, unsigned(width), unsigned(height));  // as a window manager does
    XFlush(display);
    // The resizer's handle in the bottom right corner shows where the editor's edge is.
    const Area corner = {sized.width - 16, sized.height - 16, 16, 16};
    EXPECT_TRUE(Eventually(10, [&] {
      XWindowAttributes attributes{};
      XGetWindowAttributes(display, window, &attributes);
      return attributes.width == sized.width && attributes.height == sized.height && Shows(window, sized, {corner});
    })) << size;
  }
}

TEST_F(AuHostWindow, ClosingDuringTheFileEndsTheRunWithWhatPlayed)
{
  constexpr double kSeconds = 30.0;
  const std::string tone = ToneFile(kSeconds, 2);
  Child editor;
  ASSERT_TRUE(StartEditor(editor, {tone, "--out", Path("played.wav")}));
  const Window window = FindWindow("Vantorelix");
  ASSERT_NE(window, 0u) << plugin_test::ReadFile(Path("err.txt"));
  AskToClose(window);
  const std::optional<int> status = editor.Wait(20);
  ASSERT_TRUE(status.has_value()) << "the window did not close";
  EXPECT_EQ(*status, 0) << plugin_test::ReadFile(Path("err.txt"));
  EXPECT_NE(plugin_test::ReadFile(Path("out.txt")).find("OUT:IL: "), std::string::npos);

  // The processed audio is the start of the file, as far as it played, on every channel.
  AudioFileBuffer source, played;
  audioFileInit(&source);
  audioFileInit(&played);
  ASSERT_EQ(audioFileRead(&source, tone.c_str(), 0, 0, false), 0);
  ASSERT_EQ(audioFileRead(&played, Path("played.wav").c_str(), 0, 0, false), 0);
  const uint32_t frames = audioFileFrames(&played);
  EXPECT_GT(frames, 0u);
  EXPECT_LT(frames, audioFileFrames(&source));
  ASSERT_EQ(audioFileChannels(&played), 2);
  for (uint32_t c = 0; c < 2; ++c) {
    const float* in = audioFileChannel(&source, c, true);
    const float* out = audioFileChannel(&played, c, true);
    ASSERT_TRUE(in && out);
    for (uint32_t n = 0; n < frames; n += 97)
      ASSERT_EQ(out[n], in[n]) << "channel " << c << ", frame " << n;
    audioFileChannel(&source, c, false);
    audioFileChannel(&played, c, false);
  }
  audioFileFree(&source);
  audioFileFree(&played);
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
  for (const Case& c : cases) {
    const product_test::ShellRun run = Shell(c.command + " 2>" + Quoted(Path("stderr.txt")));
    EXPECT_EQ(run.status, c.status) << c.command;
    EXPECT_EQ(run.out, "") << c.command;
    const std::string err = plugin_test::ReadFile(Path("stderr.txt"));
    EXPECT_EQ(err.substr(0, err.find('\n') + 1), c.error) << c.command;
  }
}

} // namespace
