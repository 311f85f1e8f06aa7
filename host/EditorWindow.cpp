#include "host/EditorWindow.h"

#include "host/EditorHost.h"
#include "host/X11Window.h"
#include "platform/AppKit/NSCursor.h"
#include "platform/AppKit/Person.h"
#include "platform/CoreFoundation/CFRunLoop.h"
#include "platform/CoreGraphics/CGDisplay.h"
#include "platform/Metal/CAMetalLayer.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>

extern char** environ;

namespace host {
namespace {

using Clock = std::chrono::steady_clock;

// The pace the window is served at once the file has rendered, as a display refreshes.
constexpr double kFrameSeconds = 1.0 / 60.0;
// Presses of a button this close in time and place count up as a double (triple...) click.
constexpr unsigned long kMultiClickMs = 400;
constexpr int kMultiClickPixels = 4;

// Set when the program is asked to end; the window's loop takes it as the window closing.
volatile sig_atomic_t gEndAsked = 0;

void AskToEnd(int)
{
  gEndAsked = 1;
}

// Ctrl-C (SIGINT) and a request to end (SIGTERM) close the window while it is open, so the run
// still reports what was played. The first only: a second ends the program as usual, for a run
// that no longer answers.
class EndSignals
{
public:
  EndSignals()
  {
    gEndAsked = 0;
    struct sigaction asked = {};
    asked.sa_handler = AskToEnd;
    sigemptyset(&asked.sa_mask);
    asked.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &asked, &mInterrupt);
    sigaction(SIGTERM, &asked, &mTerminate);
  }
  ~EndSignals()
  {
    sigaction(SIGINT, &mInterrupt, nullptr);
    sigaction(SIGTERM, &mTerminate, nullptr);
  }
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;

  bool Asked() const { return gEndAsked != 0; }

private:
  struct sigaction mInterrupt = {};
  struct sigaction mTerminate = {};
};

double Since(Clock::time_point start)
{
  return std::chrono::duration<double>(Clock::now() - start).count();
}

PointerShape ShapeOf(const NSCursor& cursor)
{
  if (const NSImage* image = cursor.image())
    // Only its size is known. The one image cursor the editor makes is its move cursor, whose image
    // is empty where the system's cursor files are missing, as they are here.
    return image->size().width > 0 && image->size().height > 0 ? PointerShape::Arrow : PointerShape::Move;
  static const std::map<std::string, PointerShape> kShapes = {
    {"IBeamCursor", PointerShape::IBeam},
    {"crosshairCursor", PointerShape::Crosshair},
    {"resizeUpCursor", PointerShape::ResizeUp},
    {"_windowResizeNorthCursor", PointerShape::ResizeUp},
    {"resizeUpDownCursor", PointerShape::ResizeUpDown},
    {"_windowResizeNorthSouthCursor", PointerShape::ResizeUpDown},
    {"resizeLeftRightCursor", PointerShape::ResizeLeftRight},
    {"_windowResizeEastWestCursor", PointerShape::ResizeLeftRight},
    {"_windowResizeNorthWestSouthEastCursor", PointerShape::ResizeTopLeftBottomRight},
    {"_windowResizeNorthEastSouthWestCursor", PointerShape::ResizeTopRightBottomLeft},
    {"operationNotAllowedCursor", PointerShape::NotAllowed},
    {"pointingHandCursor", PointerShape::PointingHand},
    {"busyButClickableCursor", PointerShape::Busy},
    {"_helpCursor", PointerShape::Help},
  };
  const auto found = kShapes.find(cursor.name());
  return found == kShapes.end() ? PointerShape::Arrow : found->second;
}

// What a dialog run as a program of its own gave: whether it could be shown at all, and what the
// person confirmed (nothing when they cancelled).
struct DialogAnswer
{
  bool shown = false;
  std::optional<std::string> text;
};

// zenity, the desktop's dialog program, with the arguments given; its answer is its output's first
// line.
DialogAnswer Zenity(const std::vector<std::string>& arguments)
{
  int ends[2];
  if (pipe(ends) != 0)
    return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, ends[0]);
  posix_spawn_file_actions_addclose(&actions, ends[1]);
  std::vector<char*> argv = {const_cast<char*>("zenity")};
  for (const std::string& argument : arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "zenity", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(ends[1]);
  if (spawned != 0)
  {
    close(ends[0]);
    return {};
  }
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) != 0;)
    if (n > 0)
      output.append(buffer, size_t(n));
    else if (errno != EINTR)
      break;
  close(ends[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR)
  {
  }
  DialogAnswer answer{true, std::nullopt};
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
    answer.text = output.substr(0, output.find('\n'));
  return answer;
}

void Cancelled(const char* dialog)
{
  std::fprintf(stderr, "au-host: the %s dialog needs zenity, which is not installed: cancelled\n", dialog);
}

std::string OneLine(std::string text)
{
  for (char& c : text)
    c = c == '\n' || c == '\r' ? ' ' : c;
  return text;
}

// The person at the window: message boxes are told on stderr and take their default button; file
// and colour dialogs are zenity's. The editor draws its own menus and value fields, which the
// window's mouse and keys reach; a native menu, which only an editor without them pops up, is
// dismissed.
class WindowPerson : public platform::Person
{
public:
  WindowPerson() { platform::SetPerson(this); }
  ~WindowPerson() override { platform::SetPerson(nullptr); }
  WindowPerson(const WindowPerson&) = delete;
  WindowPerson& operator=(const WindowPerson&) = delete;

  platform::AlertButton PressAlertButton(const platform::AlertQuestion& question) override
  {
    std::fprintf(stderr, "au-host: %s: %s [%s]\n", OneLine(question.title).c_str(), OneLine(question.message).c_str(),
                 OneLine(question.defaultButton).c_str());
    return platform::AlertButton::Default;
  }

  std::optional<std::string> ChoosePath(const platform::FileQuestion& question) override
  {
    std::vector<std::string> arguments = {"--file-selection"};
    if (question.save)
      arguments.push_back("--save");
    if (question.chooseDirectories && !question.chooseFiles)
      arguments.push_back("--directory");
    if (!question.title.empty())
      arguments.push_back("--title=" + question.title);
    if (!question.directory.empty() || !question.file.empty())
      arguments.push_back("--filename=" + (question.directory.empty() ? "" : question.directory + "/") + question.file);
    if (!question.allowedFileTypes.empty())
    {
      std::string filter = "--file-filter=";
      for (const std::string& type : question.allowedFileTypes)
        filter += (filter.back() == '=' ? "*." : " *.") + type;
      arguments.push_back(filter);
    }
    const DialogAnswer answer = Zenity(arguments);
    if (!answer.shown)
      Cancelled("file");
    return answer.text;
  }

  std::vector<NSColor> PickColors(const NSColor& start) override
  {
    const auto byte = [](CGFloat component) { return std::to_string(int(std::lround(component * 255.0))); };
    const DialogAnswer answer = Zenity({"--color-selection", "--color=rgb(" + byte(start.redComponent()) + "," +
                                                               byte(start.greenComponent()) + "," +
                                                               byte(start.blueComponent()) + ")"});
    if (!answer.shown)
      Cancelled("colour");
    const std::optional<ZenityColour> colour = answer.text ? ParseZenityColour(*answer.text) : std::nullopt;
    if (!colour)
      return {};
    return {NSColor::colorWithDeviceRed(colour->red / 255.0, colour->green / 255.0, colour->blue / 255.0,
                                        start.alphaComponent())};
  }

  NSMenuItem* ChooseMenuItem(NSMenu&) override
  {
    std::fprintf(stderr, "au-host: menus are not shown in this window: dismissed\n");
    return nullptr;
  }
};

// The open editor in its X window: what the person does there reaches the view as the window
// layer's events, the frames the view presents are shown, and the pointer takes the shape and the
// place the editor gives it.
class LiveEditor
{
public:
  LiveEditor(AudioUnit unit, std::string title) : mEditor(unit), mTitle(std::move(title)) {}
  ~LiveEditor() { platform::SetClipboard(nullptr); }
  LiveEditor(const LiveEditor&) = delete;
  LiveEditor& operator=(const LiveEditor&) = delete;

  EditorHost& Host() { return mEditor; }

  std::string Open()
  {
    if (std::string problem = mEditor.Open(); !problem.empty())
      return problem;
    const NSSize size = ViewPixels();
    if (std::string problem = mWindow.Open(mTitle, int(size.width), int(size.height)); !problem.empty())
      return problem;
    // While the window is open, text is copied to and pasted from the desktop's clipboard.
    platform::SetClipboard(&mWindow);
    mPointerMoves = platform::CursorMoveCount();
    mStart = Clock::now();
    return "";
  }

  // Empty, or why the window went before the person closed it.
  std::string Problem() const { return mWindow.Lost() ? "the connection to the X display was lost" : ""; }

  // Serves the window until the wall clock reaches the time of the audio rendered; false once the
  // person closed it.
  bool Play(double seconds)
  {
    for (;;)
    {
      Serve();
      if (mClosed)
        return false;
      const double ahead = seconds - Since(mStart);
      if (ahead <= 0)
        return true;
      mWindow.Wait(ahead);
    }
  }

  // Serves the window, the run loop's clock following the wall clock, until the person closes it.
  void Linger()
  {
    Clock::time_point last = Clock::now();
    while (!mClosed)
    {
      const Clock::time_point now = Clock::now();
      platform::AdvanceClock(std::chrono::duration<double>(now - last).count());
      last = now;
      platform::RunMainLoop();
      Serve();
      mWindow.Wait(kFrameSeconds - Since(now));
    }
  }

private:
  NSSize ViewPixels() const
  {
    const NSSize points = mEditor.View()->frame().size;
    const CGFloat scale = mEditor.Window()->backingScaleFactor();
    return NSMakeSize(std::round(points.width * scale), std::round(points.height * scale));
  }

  // A point of the X window's pixels in the editor window's coordinates (origin bottom left).
  NSPoint WindowPoint(int x, int y) const
  {
    const CGFloat scale = mEditor.Window()->backingScaleFactor();
    return NSMakePoint(x / scale, mEditor.Window()->frame().size.height - y / scale);
  }

  void Serve()
  {
    if (mEndSignals.Asked())
    {
      mWindow.Hide();
      mClosed = true;
      return;
    }
    while (std::optional<WindowInput> input = mWindow.NextInput())
    {
      Deliver(*input);
      if (mClosed)
        return;
    }
    if (mWindow.Lost())
    {
      mClosed = true;
      return;
    }
    FollowPointer();
    ShowFrame();
    ShowToolTip();
  }

  void Deliver(const WindowInput& input)
  {
    NSWindow* window = mEditor.Window();
    const NSPoint at = WindowPoint(input.x, input.y);
    switch (input.kind)
    {
      case WindowInput::Kind::ButtonDown:
      case WindowInput::Kind::ButtonUp:
      {
        if (input.button == 2)
          return;  // the editor has no use for the middle button
        const bool down = input.kind == WindowInput::Kind::ButtonDown;
        if (down)
          CountClick(input);
        const NSEventType type = input.button == 1 ? (down ? NSEventTypeLeftMouseDown : NSEventTypeLeftMouseUp)
                                                   : (down ? NSEventTypeRightMouseDown : NSEventTypeRightMouseUp);
        window->sendEvent(NSEvent::mouseEventWithType(type, at, input.modifiers, window, mClicks));
        return;
      }
      case WindowInput::Kind::Motion:
      {
        const NSEventType type = input.leftHeld    ? NSEventTypeLeftMouseDragged
                                 : input.rightHeld ? NSEventTypeRightMouseDragged
                                                   : NSEventTypeMouseMoved;
        window->sendEvent(NSEvent::mouseEventWithType(type, at, input.modifiers, window, 0));
        return;
      }
      case WindowInput::Kind::Wheel:
        window->sendEvent(NSEvent::scrollWheelEvent(at, input.wheel, input.modifiers, window));
        return;
      case WindowInput::Kind::KeyDown:
      case WindowInput::Kind::KeyUp:
        window->sendEvent(NSEvent::keyEventWithType(
          input.kind == WindowInput::Kind::KeyDown ? NSEventTypeKeyDown : NSEventTypeKeyUp, input.modifiers, window,
          input.characters, input.charactersIgnoringModifiers, input.keyCode));
        return;
      case WindowInput::Kind::FocusGained: window->makeKeyAndOrderFront(); return;
      case WindowInput::Kind::FocusLost:
        window->resignKeyWindow();
        window->resignMainWindow();
        return;
      case WindowInput::Kind::Resized:
      {
        // As the corner resizer would be dragged; the window then takes the size the editor allows.
        const CGFloat scale = window->backingScaleFactor();
        mEditor.DragCorner(NSMakePoint(input.width / scale, input.height / scale), NSEventModifierFlags(0));
        return;
      }
      case WindowInput::Kind::CloseAsked: mClosed = true; return;
    }
  }

  void CountClick(const WindowInput& press)
  {
    const bool again = press.button == mClickButton && press.timeMs - mClickMs <= kMultiClickMs &&
                       std::abs(press.x - mClickX) <= kMultiClickPixels &&
                       std::abs(press.y - mClickY) <= kMultiClickPixels;
    mClicks = again ? mClicks + 1 : 1;
    mClickButton = press.button;
    mClickMs = press.timeMs;
    mClickX = press.x;
    mClickY = press.y;
  }

  // The pointer's shape, and its place when the editor moved it.
  void FollowPointer()
  {
    mWindow.SetPointerShape(platform::CursorHideCount() > 0 ? PointerShape::Hidden
                                                            : ShapeOf(*NSCursor::currentCursor()));
    const int moves = platform::CursorMoveCount();
    if (moves == mPointerMoves)
      return;
    mPointerMoves = moves;
    // From the display's coordinates (top left, y down) through the screen's to the window's.
    const CGPoint display = platform::PointerLocation();
    const NSRect frame = mEditor.Window()->frame();
    const CGFloat screenY = CGFloat(CGDisplayPixelsHigh(CGMainDisplayID())) - display.y;
    const CGFloat scale = mEditor.Window()->backingScaleFactor();
    mWindow.WarpPointer(int(std::lround((display.x - frame.origin.x) * scale)),
                        int(std::lround((frame.size.height - (screenY - frame.origin.y)) * scale)));
  }

  // The tooltip the editor's window shows, drawn over the frame where the pointer rested.
  void ShowToolTip()
  {
    const std::optional<NSShownToolTip>& tip = mEditor.Window()->shownToolTip();
    const std::optional<std::string> text = tip ? std::optional<std::string>(tip->text) : std::nullopt;
    const NSPoint at = tip ? tip->location : NSMakePoint(0, 0);
    if (text == mToolTipText && (!tip || (at.x == mToolTipAt.x && at.y == mToolTipAt.y)))
      return;
    mToolTipText = text;
    mToolTipAt = at;
    if (!tip)
    {
      mWindow.HideTooltip();
      return;
    }
    const CGFloat scale = mEditor.Window()->backingScaleFactor();
    mWindow.ShowTooltip(tip->text, int(std::lround(at.x * scale)),
                        int(std::lround((mEditor.Window()->frame().size.height - at.y) * scale)));
  }

  // The frame the view presented last, once; the window follows the view's size.
  void ShowFrame()
  {
    const NSSize size = ViewPixels();
    mWindow.Resize(int(size.width), int(size.height));
    const std::shared_ptr<CAMetalLayer>& layer = mEditor.View()->layer();
    const int presented = layer->presentedCount();
    if (presented == mPresented)
      return;
    mPresented = presented;
    if (const std::shared_ptr<MTLTexture> frame = layer->presentedTexture())
      mWindow.Show(frame->texel(0, 0), int(frame->width()), int(frame->height()));
  }

  EditorHost mEditor;
  X11Window mWindow;
  WindowPerson mPerson;
  EndSignals mEndSignals;
  std::string mTitle;
  Clock::time_point mStart;
  bool mClosed = false;
  int mPresented = 0;
  std::optional<std::string> mToolTipText;  // the tooltip shown in the window
  NSPoint mToolTipAt = NSMakePoint(0, 0);
  int mPointerMoves = 0;
  int mClicks = 0;
  int mClickButton = 0;
  unsigned long mClickMs = 0;
  int mClickX = 0;
  int mClickY = 0;
};

}  // namespace

std::optional<ZenityColour> ParseZenityColour(const std::string& answer)
{
  ZenityColour colour;
  double alpha = 0;
  int end = -1;
  const char* text = answer.c_str();
  const bool opaque = std::sscanf(text, "rgb(%d,%d,%d)%n", &colour.red, &colour.green, &colour.blue, &end) == 3;
  if (!opaque)
    std::sscanf(text, "rgba(%d,%d,%d,%lf)%n", &colour.red, &colour.green, &colour.blue, &alpha, &end);
  const auto channel = [](int value) { return value >= 0 && value <= 255; };
  if (end < 0 || size_t(end) != answer.size() || !channel(colour.red) || !channel(colour.green) ||
      !channel(colour.blue) || !(alpha >= 0.0 && alpha <= 1.0))
    return std::nullopt;
  return colour;
}

std::string EditorWindow(AudioUnit unit, const MeasureOptions& measure, const std::string& title)
{
  LiveEditor editor(unit, title);
  MeasureStages stages;
  stages.beforeFirstBlock = [&] { return editor.Open(); };
  stages.editor = &editor.Host();
  bool open = true;
  stages.afterBlock = [&](double seconds) { return open = editor.Play(seconds); };
  stages.afterLastBlock = [&] {
    if (open)
      editor.Linger();
    return std::string();
  };
  if (std::string problem = Measure(unit, measure, stages); !problem.empty())
    return problem;
  return editor.Problem();  // after the report and the files, which cover what was played
}

}  // namespace host
