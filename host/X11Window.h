#pragma once
// A top-level window of the X server, and the only part of au-host that speaks Xlib (whose macros
// would clash with the platform's names, so its headers stay in the .cpp). It shows BGRA frames
// and tooltips over them, hands over what a person does in it as plain records, takes the
// pointer's shape and position, and is the desktop's clipboard (the CLIPBOARD selection) for the
// text the editor copies and pastes.

#include "platform/AppKit/NSEvent.h"
#include "platform/AppKit/NSPasteboard.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace host {

enum class PointerShape {
  Arrow,
  IBeam,
  Crosshair,
  ResizeUp,
  ResizeUpDown,
  ResizeLeftRight,
  ResizeTopLeftBottomRight,
  ResizeTopRightBottomLeft,
  NotAllowed,
  PointingHand,
  Busy,
  Help,
  Move,
  Hidden,
};

struct WindowInput
{
  enum class Kind {
    ButtonDown,  // button 1 left, 2 middle, 3 right
    ButtonUp,
    Motion,  // also where the pointer crossed into or out of the window
    Wheel,   // lines, up positive
    KeyDown,
    KeyUp,
    FocusGained,
    FocusLost,
    Resized,     // by the person (or the window manager), to width by height pixels
    CloseAsked,  // the window has left the screen
  };
  Kind kind = Kind::Motion;
  int x = 0;  // pixels from the window's top left
  int y = 0;
  int button = 0;
  int wheel = 0;
  bool leftHeld = false;  // during the event, before it took effect
  bool rightHeld = false;
  NSEventModifierFlags modifiers = NSEventModifierFlags(0);
  unsigned long timeMs = 0;    // the server's clock
  unsigned short keyCode = 0;  // the hardware key code the keyboard layer numbers keys by
  std::u16string characters;
  std::u16string charactersIgnoringModifiers;
  int width = 0;
  int height = 0;
};

class X11Window final : public platform::Clipboard
{
public:
  X11Window();
  ~X11Window() override;
  X11Window(const X11Window&) = delete;
  X11Window& operator=(const X11Window&) = delete;

  // Connects to the display $DISPLAY names and maps a window of that size in pixels; empty on
  // success, else why not.
  std::string Open(const std::string& title, int width, int height);

  // What the person did, in order, without waiting; nothing once all is taken.
  std::optional<WindowInput> NextInput();
  // Waits until input arrives or the time runs out.
  void Wait(double seconds);

  // Shows a frame of 8-bit BGRA pixels, rows packed; only what changed since the last one shown
  // goes to the server.
  void Show(const uint8_t* bgra, int width, int height);
  void Resize(int width, int height);
  // Takes the window off the screen at once, before the run ends.
  void Hide();
  // Whether the connection to the display broke (the server ended, or the network went); from
  // then on no input comes and nothing shown reaches the screen.
  bool Lost() const;
  int Width() const;
  int Height() const;
  void SetPointerShape(PointerShape shape);
  // Moves the pointer to pixels of the window.
  void WarpPointer(int x, int y);
  // A tooltip of one line over the frame, below the pointer at that place (pixels of the window)
  // and kept inside the window; it replaces the one shown.
  void ShowTooltip(const std::string& text, int x, int y);
  void HideTooltip();

  // The window owns the CLIPBOARD selection with the text, and answers other programs' requests
  // for it while it reads their input.
  bool Write(const std::string& text) override;
  // The text the owner of the CLIPBOARD selection gives, waiting for its answer a second at most.
  std::optional<std::string> Read() override;

private:
  struct Connection;
  std::unique_ptr<Connection> mX;
};

}  // namespace host
