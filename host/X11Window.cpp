#include "host/X11Window.h"

#include <poll.h>

#include "platform/shared/Utf8.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>

// Last: Xlib defines macros (Bool, Status, None...) that would rename what follows it.
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

namespace host {
namespace {

// The key code a keyboard gives keys that are not its own; beyond every key the layer knows, so
// such a key is told by its characters.
constexpr unsigned short kUnlistedKey = 127;

// The hardware key code of a key, by its symbol without modifiers but Num Lock: the keypad's digits
// are the keypad's keys, its cursor symbols (Num Lock off) the cursor keys they stand for.
unsigned short HardwareKeyCode(KeySym symbol)
{
  static const std::map<KeySym, unsigned short> kCodes = {
    {XK_Return, 36},   {XK_Tab, 48},        {XK_ISO_Left_Tab, 48}, {XK_space, 49},       {XK_BackSpace, 51},
    {XK_Escape, 53},   {XK_KP_Decimal, 65}, {XK_KP_Delete, 117},   {XK_KP_Multiply, 67}, {XK_KP_Add, 69},
    {XK_Num_Lock, 71}, {XK_KP_Divide, 75},  {XK_KP_Enter, 76},     {XK_KP_Subtract, 78}, {XK_KP_Equal, 81},
    {XK_KP_0, 82},     {XK_KP_Insert, 114}, {XK_KP_1, 83},         {XK_KP_End, 119},     {XK_KP_2, 84},
    {XK_KP_Down, 125}, {XK_KP_3, 85},       {XK_KP_Next, 121},     {XK_KP_4, 86},        {XK_KP_Left, 123},
    {XK_KP_5, 87},     {XK_KP_6, 88},       {XK_KP_Right, 124},    {XK_KP_7, 89},        {XK_KP_Home, 115},
    {XK_KP_8, 91},     {XK_KP_Up, 126},     {XK_KP_9, 92},         {XK_KP_Prior, 116},   {XK_F5, 96},
    {XK_F6, 97},       {XK_F7, 98},         {XK_F3, 99},           {XK_F8, 100},         {XK_F9, 101},
    {XK_F11, 103},     {XK_F13, 105},       {XK_F16, 106},         {XK_F14, 107},        {XK_F10, 109},
    {XK_F12, 111},     {XK_F15, 113},       {XK_Insert, 114},      {XK_Help, 114},       {XK_Home, 115},
    {XK_Prior, 116},   {XK_Delete, 117},    {XK_F4, 118},          {XK_End, 119},        {XK_F2, 120},
    {XK_Next, 121},    {XK_F1, 122},        {XK_Left, 123},        {XK_Right, 124},      {XK_Down, 125},
    {XK_Up, 126},
  };
  const auto found = kCodes.find(symbol);
  return found == kCodes.end() ? kUnlistedKey : found->second;
}

// The character a key symbol types, as the keyboard layer gives it (its own characters for the
// arrows and function keys); none for a key that types nothing.
std::u16string KeyCharacters(KeySym symbol)
{
  if ((symbol >= 0x20 && symbol <= 0x7E) || (symbol >= 0xA0 && symbol <= 0xFF))
    return std::u16string(1, char16_t(symbol));  // Latin-1 symbols are their code points
  if (symbol >= 0x01000100 && symbol <= 0x0100FFFF)
    return std::u16string(1, char16_t(symbol - 0x01000000));  // the rest of the first plane
  if (symbol >= XK_KP_0 && symbol <= XK_KP_9)
    return std::u16string(1, char16_t(u'0' + (symbol - XK_KP_0)));
  if (symbol >= XK_F1 && symbol <= XK_F24)
    return std::u16string(1, char16_t(NSF1FunctionKey + (symbol - XK_F1)));
  switch (symbol)
  {
    case XK_Return: return u"\r";
    case XK_KP_Enter: return u"\x03";
    case XK_Tab: return u"\t";
    case XK_ISO_Left_Tab: return std::u16string(1, NSBackTabCharacter);
    case XK_BackSpace: return u"\x7F";
    case XK_Escape: return u"\x1B";
    case XK_KP_Decimal: return u".";
    case XK_KP_Multiply: return u"*";
    case XK_KP_Add: return u"+";
    case XK_KP_Subtract: return u"-";
    case XK_KP_Divide: return u"/";
    case XK_KP_Equal: return u"=";
    case XK_Up: return std::u16string(1, NSUpArrowFunctionKey);
    case XK_Down: return std::u16string(1, NSDownArrowFunctionKey);
    case XK_Left: return std::u16string(1, NSLeftArrowFunctionKey);
    case XK_Right: return std::u16string(1, NSRightArrowFunctionKey);
    default: return {};
  }
}

// The modifier bit Num Lock sets on this display's keyboard; none when no key is Num Lock.
unsigned NumLockMask(Display* display)
{
  XModifierKeymap* map = XGetModifierMapping(display);
  if (!map)
    return 0;
  const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
  unsigned mask = 0;
  for (int modifier = 0; modifier < 8 && numLock && !mask; ++modifier)
    for (int k = 0; k < map->max_keypermod; ++k)
      if (map->modifiermap[modifier * map->max_keypermod + k] == numLock)
        mask = 1u << modifier;
  XFreeModifiermap(map);
  return mask;
}

// The keyboard layer's modifier bits: the Super key stands for the command key.
NSEventModifierFlags Modifiers(unsigned state)
{
  NSUInteger flags = 0;
  if (state & ShiftMask)
    flags |= NSEventModifierFlagShift;
  if (state & LockMask)
    flags |= NSEventModifierFlagCapsLock;
  if (state & ControlMask)
    flags |= NSEventModifierFlagControl;
  if (state & Mod1Mask)
    flags |= NSEventModifierFlagOption;
  if (state & Mod4Mask)
    flags |= NSEventModifierFlagCommand;
  return NSEventModifierFlags(flags);
}

WindowInput PointerMotion(int x, int y, unsigned state, Time time)
{
  WindowInput input;
  input.kind = WindowInput::Kind::Motion;
  input.x = x;
  input.y = y;
  input.leftHeld = state & Button1Mask;
  input.rightHeld = state & Button3Mask;
  input.modifiers = Modifiers(state);
  input.timeMs = time;
  return input;
}

unsigned FontCursorShape(PointerShape shape)
{
  switch (shape)
  {
    case PointerShape::IBeam: return XC_xterm;
    case PointerShape::Crosshair: return XC_crosshair;
    case PointerShape::ResizeUp: return XC_top_side;
    case PointerShape::ResizeUpDown: return XC_sb_v_double_arrow;
    case PointerShape::ResizeLeftRight: return XC_sb_h_double_arrow;
    case PointerShape::ResizeTopLeftBottomRight: return XC_bottom_right_corner;
    case PointerShape::ResizeTopRightBottomLeft: return XC_bottom_left_corner;
    case PointerShape::NotAllowed: return XC_X_cursor;
    case PointerShape::PointingHand: return XC_hand2;
    case PointerShape::Busy: return XC_watch;
    case PointerShape::Help: return XC_question_arrow;
    case PointerShape::Move: return XC_fleur;
    default: return XC_left_ptr;
  }
}

// How long a paste waits for the clipboard's owner to answer.
constexpr double kClipboardPatience = 1.0;

// The classic tooltip colours: black text on pale yellow, in a thin black frame.
constexpr unsigned long kTooltipBackground = 0xFFFFE1;
constexpr unsigned long kTooltipInk = 0x000000;
constexpr int kTooltipPadding = 3;
// Below the pointer's hot spot, clear of the arrow.
constexpr int kTooltipBelowPointer = 20;

// The text in the 8-bit characters of the server's built-in font; others show as "?".
std::string Latin1(const std::string& text)
{
  std::string latin1;
  for (char16_t unit : utf8::ToUtf16(text))
    latin1 += unit < 0x100 ? char(unit) : '?';
  return latin1;
}

// Xlib's answer to a broken connection ends the program; it must return for the run to end as a
// run does, with what was measured.
int LetTheConnectionGo(Display*)
{
  return 0;
}

// Xlib's answer to a protocol error ends the program too. One failed request is no reason to end
// the run: the one other programs can cause, an answer to a clipboard request whose requestor has
// gone (its window with it), is simply dropped, and the run goes on.
int DropTheRequest(Display*, XErrorEvent*)
{
  return 0;
}

}  // namespace

struct X11Window::Connection
{
  ~Connection()
  {
    DropImage();
    if (font)
      XFreeFont(display, font);
    if (gc)
      XFreeGC(display, gc);  // held on this side too
    if (!display)
      return;
    XCloseDisplay(display);  // the window and its cursors go with the connection; safe once broken
    XSetIOErrorHandler(previousIOErrorHandler);
    XSetErrorHandler(previousErrorHandler);
  }

  // Called by Xlib when the connection broke, in place of ending the program. Xlib then returns
  // from the call that met the break, and asks nothing more of the server.
  static void Broke(Display*, void* connection) { static_cast<Connection*>(connection)->lost = true; }

  // Off the screen at once.
  void Hide()
  {
    XUnmapWindow(display, window);
    XFlush(display);
  }

  // The image over the pixels shown; its data is ours, not Xlib's to free.
  void DropImage()
  {
    if (!image)
      return;
    image->data = nullptr;
    XDestroyImage(image);
    image = nullptr;
  }

  void Put(int x, int y, int width, int height)
  {
    x = std::max(x, 0);
    y = std::max(y, 0);
    width = std::min(width, shownWidth - x);
    height = std::min(height, shownHeight - y);
    if (image && width > 0 && height > 0)
      XPutImage(display, window, gc, image, x, y, x, y, unsigned(width), unsigned(height));
  }

  Cursor CursorOf(PointerShape shape)
  {
    Cursor& cursor = cursors[shape];
    if (cursor)
      return cursor;
    if (shape == PointerShape::Hidden)
    {
      const char empty = 0;
      const Pixmap blank = XCreateBitmapFromData(display, window, &empty, 1, 1);
      XColor black{};
      cursor = XCreatePixmapCursor(display, blank, blank, &black, &black, 0, 0);
      XFreePixmap(display, blank);
    }
    else
    {
      cursor = XCreateFontCursor(display, FontCursorShape(shape));
    }
    return cursor;
  }

  std::optional<WindowInput> Translate(XEvent& event);

  // Another program asks for the clipboard's text in a form: the list of forms, or the text as
  // UTF-8 (also for TEXT) or, when it is plain ASCII, as STRING; anything else is refused.
  void AnswerSelection(const XSelectionRequestEvent& request)
  {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = display;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;
    const Atom property = request.property != None ? request.property : request.target;  // older clients
    const bool ascii = owned && std::all_of(owned->begin(), owned->end(), [](char c) { return (c & 0x80) == 0; });
    // A text larger than one request would need the incremental transfer, which no value needs.
    const bool fits = owned && owned->size() < size_t(XMaxRequestSize(display)) * 4 - 1024;
    if (request.selection == clipboard && owned && fits)
    {
      if (request.target == targets)
      {
        const Atom forms[] = {targets, utf8String, textAtom, XA_STRING};
        XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(forms), 4);
        reply.property = property;
      }
      else if (request.target == utf8String || request.target == textAtom || (request.target == XA_STRING && ascii))
      {
        XChangeProperty(display, request.requestor, property, request.target == XA_STRING ? XA_STRING : utf8String, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(owned->data()), int(owned->size()));
        reply.property = property;
      }
    }
    XSendEvent(display, request.requestor, 0, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    XFlush(display);
  }

  void DrawTooltip()
  {
    XClearWindow(display, tooltip);
    XSetForeground(display, gc, kTooltipInk);
    XSetFont(display, gc, font->fid);
    XDrawString(display, tooltip, gc, kTooltipPadding, kTooltipPadding + font->ascent, tooltipText.data(),
                int(tooltipText.size()));
  }

  void HideTooltip()
  {
    if (!tooltip)
      return;
    XDestroyWindow(display, tooltip);
    tooltip = 0;
    tooltipText.clear();
  }

  Display* display = nullptr;
  Window window = 0;
  GC gc = nullptr;
  Atom deleteWindow = 0;
  Atom clipboard = 0;
  Atom utf8String = 0;
  Atom targets = 0;
  Atom textAtom = 0;
  Atom pasted = 0;                   // the property of this window a paste arrives in
  std::optional<std::string> owned;  // the clipboard's text while this window owns the selection
  Time lastTime = CurrentTime;       // of the last input, which owning the selection is dated by
  Window tooltip = 0;
  std::string tooltipText;  // in the font's characters
  XFontStruct* font = nullptr;
  unsigned numLockMask = 0;
  int width = 0;
  int height = 0;
  XImage* image = nullptr;
  std::vector<uint8_t> shown;  // the pixels on the screen, as the frame that was shown
  int shownWidth = 0;
  int shownHeight = 0;
  std::map<PointerShape, Cursor> cursors;
  std::optional<PointerShape> shape;
  XIOErrorHandler previousIOErrorHandler = nullptr;
  XErrorHandler previousErrorHandler = nullptr;
  bool lost = false;
};

X11Window::X11Window() : mX(std::make_unique<Connection>()) {}

X11Window::~X11Window() = default;

std::string X11Window::Open(const std::string& title, int width, int height)
{
  Display* display = XOpenDisplay(nullptr);
  if (!display)
  {
    const char* name = std::getenv("DISPLAY");
    return name && *name ? "cannot open the X display \"" + std::string(name) + "\""
                         : "cannot open a window: no X display (DISPLAY is not set)";
  }
  mX->display = display;
  mX->previousIOErrorHandler = XSetIOErrorHandler(LetTheConnectionGo);
  mX->previousErrorHandler = XSetErrorHandler(DropTheRequest);
  XSetIOErrorExitHandler(display, &Connection::Broke, mX.get());
  const int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  const int depth = DefaultDepth(display, screen);
  // Frames are BGRA bytes: shown as they are on a true-colour display of 32-bit pixels, least
  // significant byte first, blue in the lowest byte.
  XImage* probe = XCreateImage(display, visual, unsigned(depth), ZPixmap, 0, nullptr, 1, 1, 32, 0);
  const bool direct = probe && probe->bits_per_pixel == 32 && probe->byte_order == LSBFirst &&
                      visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
  if (probe)
    XDestroyImage(probe);
  if (!direct)
    return "the X display does not show 24-bit true colour";

  mX->width = width;
  mX->height = height;
  mX->window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(width), unsigned(height), 0,
                                   BlackPixel(display, screen), BlackPixel(display, screen));
  XStoreName(display, mX->window, title.c_str());
  XChangeProperty(display, mX->window, XInternAtom(display, "_NET_WM_NAME", 0), XInternAtom(display, "UTF8_STRING", 0),
                  8, PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()), int(title.size()));
  mX->deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", 0);
  mX->numLockMask = NumLockMask(display);
  mX->clipboard = XInternAtom(display, "CLIPBOARD", 0);
  mX->utf8String = XInternAtom(display, "UTF8_STRING", 0);
  mX->targets = XInternAtom(display, "TARGETS", 0);
  mX->textAtom = XInternAtom(display, "TEXT", 0);
  mX->pasted = XInternAtom(display, "VANTORELIX_PASTED", 0);
  XSetWMProtocols(display, mX->window, &mX->deleteWindow, 1);
  XSelectInput(display, mX->window,
               ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                 EnterWindowMask | LeaveWindowMask | FocusChangeMask | StructureNotifyMask);
  mX->gc = XCreateGC(display, mX->window, 0, nullptr);
  XMapWindow(display, mX->window);
  XFlush(display);
  return "";
}

std::optional<WindowInput> X11Window::Connection::Translate(XEvent& event)
{
  WindowInput input;
  switch (event.type)
  {
    case ButtonPress:
    case ButtonRelease:
    {
      const XButtonEvent& button = event.xbutton;
      input.x = button.x;
      input.y = button.y;
      input.modifiers = Modifiers(button.state);
      input.timeMs = button.time;
      lastTime = button.time;
      if (button.button == Button4 || button.button == Button5)
      {
        if (event.type == ButtonRelease)
          return std::nullopt;  // a wheel step is the press alone
        input.kind = WindowInput::Kind::Wheel;
        input.wheel = button.button == Button4 ? 1 : -1;
        return input;
      }
      if (button.button > Button3)
        return std::nullopt;
      input.kind = event.type == ButtonPress ? WindowInput::Kind::ButtonDown : WindowInput::Kind::ButtonUp;
      input.button = int(button.button);
      return input;
    }
    case MotionNotify:
    {
      // Only the latest of the moves waiting matters.
      while (XEventsQueued(display, QueuedAlready) > 0)
      {
        XEvent next;
        XPeekEvent(display, &next);
        if (next.type != MotionNotify)
          break;
        XNextEvent(display, &event);
      }
      return PointerMotion(event.xmotion.x, event.xmotion.y, event.xmotion.state, event.xmotion.time);
    }
    case EnterNotify:
    case LeaveNotify:
      return PointerMotion(event.xcrossing.x, event.xcrossing.y, event.xcrossing.state, event.xcrossing.time);
    case KeyPress:
    case KeyRelease:
    {
      XKeyEvent& key = event.xkey;
      KeySym typed = 0;
      char ignored[8];
      XLookupString(&key, ignored, sizeof ignored, &typed, nullptr);
      if (IsModifierKey(typed))
        return std::nullopt;  // the modifiers reach the view with the keys and clicks they change
      // Shift, caps lock and Num Lock: the modifiers a key's unmodified characters still follow.
      XKeyEvent plain = key;
      plain.state &= ShiftMask | LockMask | numLockMask;
      KeySym unmodified = 0;
      XLookupString(&plain, ignored, sizeof ignored, &unmodified, nullptr);
      input.kind = event.type == KeyPress ? WindowInput::Kind::KeyDown : WindowInput::Kind::KeyUp;
      input.modifiers = Modifiers(key.state);
      input.timeMs = key.time;
      lastTime = key.time;
      input.keyCode = HardwareKeyCode(unmodified);
      if (input.keyCode == kUnlistedKey)
        input.keyCode = HardwareKeyCode(XLookupKeysym(&key, 0));
      input.characters = KeyCharacters(typed);
      input.charactersIgnoringModifiers = KeyCharacters(unmodified);
      // With control held a letter types its control character, as the keyboard layer gives it.
      if ((key.state & ControlMask) && input.characters.size() == 1 && input.characters[0] >= u'@' &&
          input.characters[0] <= u'~')
        input.characters[0] = char16_t(input.characters[0] & 0x1F);
      return input;
    }
    case FocusIn:
    case FocusOut:
      if (event.xfocus.mode == NotifyGrab || event.xfocus.mode == NotifyUngrab)
        return std::nullopt;  // the window manager holding the keyboard for a moment
      input.kind = event.type == FocusIn ? WindowInput::Kind::FocusGained : WindowInput::Kind::FocusLost;
      return input;
    case ConfigureNotify:
      if (event.xconfigure.width == width && event.xconfigure.height == height)
        return std::nullopt;
      width = event.xconfigure.width;
      height = event.xconfigure.height;
      input.kind = WindowInput::Kind::Resized;
      input.width = width;
      input.height = height;
      return input;
    case Expose:
      if (event.xexpose.window == tooltip)
        DrawTooltip();
      else
        Put(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height);
      return std::nullopt;
    case SelectionRequest: AnswerSelection(event.xselectionrequest); return std::nullopt;
    case SelectionClear:
      if (event.xselectionclear.selection == clipboard)
        owned.reset();  // another program copied
      return std::nullopt;
    case ClientMessage:
      if (event.xclient.format != 32 || Atom(event.xclient.data.l[0]) != deleteWindow)
        return std::nullopt;
      Hide();  // whatever the run still does before it ends
      input.kind = WindowInput::Kind::CloseAsked;
      return input;
    default: return std::nullopt;
  }
}

std::optional<WindowInput> X11Window::NextInput()
{
  // A broken connection has no events to give; reading on would fail.
  while (!mX->lost && XPending(mX->display) > 0)
  {
    XEvent event;
    XNextEvent(mX->display, &event);
    if (std::optional<WindowInput> input = mX->Translate(event))
      return input;
  }
  return std::nullopt;
}

void X11Window::Wait(double seconds)
{
  XFlush(mX->display);
  if (mX->lost || XPending(mX->display) > 0 || seconds <= 0)
    return;
  pollfd connection{ConnectionNumber(mX->display), POLLIN, 0};
  poll(&connection, 1, int(std::ceil(seconds * 1000)));
}

void X11Window::Show(const uint8_t* bgra, int width, int height)
{
  Connection& x = *mX;
  const size_t rowBytes = size_t(width) * 4;
  if (width != x.shownWidth || height != x.shownHeight || !x.image)
  {
    x.DropImage();
    x.shown.assign(bgra, bgra + rowBytes * size_t(height));
    x.shownWidth = width;
    x.shownHeight = height;
    const int screen = DefaultScreen(x.display);
    x.image = XCreateImage(x.display, DefaultVisual(x.display, screen), unsigned(DefaultDepth(x.display, screen)),
                           ZPixmap, 0, reinterpret_cast<char*>(x.shown.data()), unsigned(width), unsigned(height), 32,
                           int(rowBytes));
    x.Put(0, 0, width, height);
    XFlush(x.display);
    return;
  }
  // The frame's changes, bounded: the rows first, then the columns within them.
  auto differs = [&](int row) {
    return std::memcmp(&x.shown[size_t(row) * rowBytes], bgra + size_t(row) * rowBytes, rowBytes) != 0;
  };
  int top = 0;
  while (top < height && !differs(top))
    ++top;
  if (top == height)
    return;
  int bottom = height - 1;
  while (!differs(bottom))
    --bottom;
  int left = width, right = -1;
  for (int row = top; row <= bottom; ++row)
  {
    const auto* before = reinterpret_cast<const uint32_t*>(&x.shown[size_t(row) * rowBytes]);
    const auto* after = reinterpret_cast<const uint32_t*>(bgra + size_t(row) * rowBytes);
    int l = 0;
    while (l < left && before[l] == after[l])
      ++l;
    left = l;
    int r = width - 1;
    while (r > right && before[r] == after[r])
      --r;
    right = r;
  }
  for (int row = top; row <= bottom; ++row)
    std::memcpy(&x.shown[size_t(row) * rowBytes + size_t(left) * 4], bgra + size_t(row) * rowBytes + size_t(left) * 4,
                size_t(right - left + 1) * 4);
  x.Put(left, top, right - left + 1, bottom - top + 1);
  XFlush(x.display);
}

void X11Window::Resize(int width, int height)
{
  if (width == mX->width && height == mX->height)
    return;
  mX->width = width;
  mX->height = height;
  XResizeWindow(mX->display, mX->window, unsigned(width), unsigned(height));
}

void X11Window::Hide()
{
  mX->Hide();
}

bool X11Window::Lost() const
{
  return mX->lost;
}

int X11Window::Width() const
{
  return mX->width;
}

int X11Window::Height() const
{
  return mX->height;
}

void X11Window::SetPointerShape(PointerShape shape)
{
  if (mX->shape == shape)
    return;
  mX->shape = shape;
  XDefineCursor(mX->display, mX->window, mX->CursorOf(shape));
}

void X11Window::WarpPointer(int x, int y)
{
  XWarpPointer(mX->display, 0, mX->window, 0, 0, 0, 0, x, y);
}

void X11Window::ShowTooltip(const std::string& text, int x, int y)
{
  Connection& c = *mX;
  c.HideTooltip();
  if (!c.font)
    c.font = XLoadQueryFont(c.display, "fixed");  // built into every X server
  if (!c.font || text.empty())
    return;
  c.tooltipText = Latin1(text);
  const int width = XTextWidth(c.font, c.tooltipText.data(), int(c.tooltipText.size())) + 2 * kTooltipPadding;
  const int height = c.font->ascent + c.font->descent + 2 * kTooltipPadding;
  const int border = 1;
  // Below the pointer where it fits, else above it; never past the window's edges.
  int top = y + kTooltipBelowPointer;
  if (top + height + 2 * border > c.height)
    top = y - height - 2 * border - 4;
  const int left = std::max(0, std::min(x, c.width - width - 2 * border));
  top = std::max(0, top);
  c.tooltip = XCreateSimpleWindow(c.display, c.window, left, top, unsigned(width), unsigned(height), border,
                                  kTooltipInk, kTooltipBackground);
  XSelectInput(c.display, c.tooltip, ExposureMask);
  XMapRaised(c.display, c.tooltip);
  XFlush(c.display);
}

void X11Window::HideTooltip()
{
  mX->HideTooltip();
  XFlush(mX->display);
}

bool X11Window::Write(const std::string& text)
{
  Connection& c = *mX;
  if (c.lost)
    return false;
  XSetSelectionOwner(c.display, c.clipboard, c.window, c.lastTime);
  if (XGetSelectionOwner(c.display, c.clipboard) != c.window)
  {
    c.owned.reset();
    return false;
  }
  c.owned = text;
  return true;
}

std::optional<std::string> X11Window::Read()
{
  Connection& c = *mX;
  if (c.lost)
    return std::nullopt;
  const Window owner = XGetSelectionOwner(c.display, c.clipboard);
  if (owner == c.window)
    return c.owned;
  if (owner == 0)
    return std::nullopt;
  XConvertSelection(c.display, c.clipboard, c.utf8String, c.pasted, c.window, c.lastTime);
  XFlush(c.display);
  // Only the answer is taken from the input; the rest stays for the window's loop, in order.
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(kClipboardPatience);
  XEvent answer;
  while (!XCheckTypedWindowEvent(c.display, c.window, SelectionNotify, &answer))
  {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (c.lost || left.count() <= 0)
      return std::nullopt;
    pollfd connection{ConnectionNumber(c.display), POLLIN, 0};
    poll(&connection, 1, int(left.count()));
  }
  if (answer.xselection.property == 0)
    return std::nullopt;  // the owner has no text
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const int read = XGetWindowProperty(c.display, c.window, c.pasted, 0, XMaxRequestSize(c.display), 1, AnyPropertyType,
                                      &type, &format, &count, &after, &data);
  std::optional<std::string> text;
  // Only UTF-8 in one piece: an incremental transfer (type INCR) is for far more than a value.
  if (read == Success && type == c.utf8String && format == 8 && after == 0)
    text = std::string(reinterpret_cast<const char*>(data), count);
  if (data)
    XFree(data);
  return text;
}

}  // namespace host
