#include "platform-mac/IGraphicsView.h"

#include "framework/IGraphicsEditorDelegate.h"
#include "platform-mac/IGraphicsMac.h"
#include "platform-mac/IGraphicsCoreText.h"
#include "platform-mac/IGraphicsMenu.h"
#include "platform-mac/IGraphicsTextField.h"
#include "platform-mac/KeyTranslation.h"

namespace iplug::igraphics {
namespace {

bool Holds(NSEventModifierFlags flags, NSEventModifierFlags key)
{
  return (flags & key) != 0;
}

NSColor DeviceColor(const IColor& color)
{
  return NSColor::colorWithDeviceRed(color.R / 255.0, color.G / 255.0, color.B / 255.0, color.A / 255.0);
}

// The characters a value of the kind can be typed with; null for any.
std::shared_ptr<const NSMutableCharacterSet> CharactersOf(ParamKind kind)
{
  auto set = std::make_shared<NSMutableCharacterSet>();
  switch (kind)
  {
    case ParamKind::Bool:
    case ParamKind::Int:
    case ParamKind::Enum: set->addCharactersInString(u"0123456789-+"); return set;
    case ParamKind::Double: set->addCharactersInString(u"0123456789.-+kK"); return set;
    default: return nullptr;
  }
}

}  // namespace

IGraphicsView_vVantorelix_au::~IGraphicsView_vVantorelix_au()
{
  if (NSColorPanel::sharedColorPanelExists())
    NSColorPanel::sharedColorPanel().close();
  NSNotificationCenter::defaultCenter().removeObserver(this);
}

void IGraphicsView_vVantorelix_au::initWithIGraphics(IGraphicsMac* graphics)
{
  mGraphics = graphics;
  const float scale = graphics->GetDrawScale();
  initWithFrame(
    NSMakeRect(0, 0, static_cast<int>(graphics->Width() * scale), static_cast<int>(graphics->Height() * scale)));
  mMouseOutDuringDrag = false;
  setWantsLayer(true);
  layer()->setOpaque(true);
  setLayerContentsRedrawPolicy(NSViewLayerContentsRedrawDuringViewResize);
  registerForDraggedTypes({NSFilenamesPboardType});
  auto metalLayer = std::make_shared<CAMetalLayer>();  // draws in 8-bit BGRA
  metalLayer->setDevice(MTLCreateSystemDefaultDevice());
  setLayer(std::move(metalLayer));
  setTimer();
}

void IGraphicsView_vVantorelix_au::DetachGraphics()
{
  mGraphics = nullptr;
  mColorPickerFunc = nullptr;
}

// ---- frames -----------------------------------------------------------------------------------

void IGraphicsView_vVantorelix_au::setTimer()
{
  // The timer holds the view, as a timer holds its target, until killTimer.
  auto self = std::static_pointer_cast<IGraphicsView_vVantorelix_au>(shared_from_this());
  mTimer = NSTimer::timerWithTimeInterval(
    1.0 / mGraphics->FPS(), [self](NSTimer&) { self->onTimer(); }, true);
  NSRunLoop::currentRunLoop().addTimer(mTimer, kCFRunLoopCommonModes);
}

void IGraphicsView_vVantorelix_au::killTimer()
{
  if (mTimer)
    mTimer->invalidate();
  mTimer = nullptr;
}

void IGraphicsView_vVantorelix_au::render()
{
  // Without a vector context (no Metal device) there is nothing to draw into.
  if (!mGraphics || !mGraphics->DrawContextReady())
    return;
  mDirtyRects.Clear();
  if (mGraphics->IsDirty(mDirtyRects))
  {
    mGraphics->MarkAllControlsClean();
    mGraphics->DrawDirtyRects(mDirtyRects);
  }
}

// ---- window, scale and appearance -------------------------------------------------------------

void IGraphicsView_vVantorelix_au::viewDidMoveToWindow()
{
  NSNotificationCenter& center = NSNotificationCenter::defaultCenter();
  center.removeObserver(this);  // the window left behind no longer concerns the view
  NSWindow* window = this->window();
  if (!window)
    return;
  window->makeFirstResponder(this);
  window->setAcceptsMouseMovedEvents(true);
  if (mGraphics)
    mGraphics->SetBackingScale(static_cast<float>(window->backingScaleFactor()));
  for (const NSNotificationName& name : {NSWindowDidResignKeyNotification, NSWindowDidResignMainNotification})
    center.addObserver(
      this, [this](const NSNotification&) { windowDidResign(); }, name, window);
  center.addObserver(
    this, [this](const NSNotification&) { frameDidChange(); }, NSViewFrameDidChangeNotification, this);
}

void IGraphicsView_vVantorelix_au::viewDidChangeBackingProperties()
{
  NSWindow* window = this->window();
  if (!window || !mGraphics)
    return;
  mGraphics->SetNativeContext(nullptr);
  const CGFloat scale = window->backingScaleFactor();
  if (static_cast<float>(scale) != mGraphics->GetScreenScale())
    mGraphics->SetBackingScale(static_cast<float>(scale));
  SetDrawableSize(scale);
}

void IGraphicsView_vVantorelix_au::frameDidChange()
{
  if (NSWindow* window = this->window())
    SetDrawableSize(window->backingScaleFactor());
}

void IGraphicsView_vVantorelix_au::SetDrawableSize(CGFloat scale)
{
  layer()->setDrawableSize(
    {static_cast<NSUInteger>(frame().size.width * scale), static_cast<NSUInteger>(frame().size.height * scale), 1});
}

void IGraphicsView_vVantorelix_au::viewDidChangeEffectiveAppearance()
{
  if (!mGraphics || !platform::IsOperatingSystemAtLeastVersion({10, 14, 0}))
    return;
  const bool dark = effectiveAppearance().name() == NSAppearanceNameDarkAqua;
  mGraphics->AppearanceChanged(dark ? EUIAppearance::Dark : EUIAppearance::Light);
}

void IGraphicsView_vVantorelix_au::updateTrackingAreas()
{
  if (mTrackingArea)
    removeTrackingArea(mTrackingArea);
  mTrackingArea = std::make_shared<NSTrackingArea>(
    bounds(), NSTrackingMouseEnteredAndExited | NSTrackingActiveAlways | NSTrackingEnabledDuringMouseDrag,
    weak_from_this(), nullptr);
  addTrackingArea(mTrackingArea);
}

void IGraphicsView_vVantorelix_au::windowDidResign()
{
  if (mTimer && mGraphics)
    mGraphics->OnFocusLost();
}

// ---- mouse ------------------------------------------------------------------------------------

void IGraphicsView_vVantorelix_au::getMouseXY(const NSEvent& event, float& x, float& y)
{
  const NSPoint point = convertPointFromView(event.locationInWindow(), nullptr);
  const float scale = mGraphics->GetDrawScale();
  x = static_cast<float>(point.x) / scale;
  y = static_cast<float>(point.y) / scale;
  // The pen's own events decide whether the cursor is held.
  mGraphics->SetTabletInput(event.subtype() == NSEventSubtypeTabletPoint);
  mGraphics->DoCursorLock(x, y, mPrevX, mPrevY);
}

IMouseInfo IGraphicsView_vVantorelix_au::getMouseLeft(const NSEvent& event)
{
  IMouseInfo info;
  getMouseXY(event, info.x, info.y);
  const NSEventModifierFlags flags = event.modifierFlags();
  const bool pressed = event.type() == NSEventTypeLeftMouseDown || event.type() == NSEventTypeLeftMouseDragged;
  // A command-click stands for the right button.
  info.ms = IMouseMod(pressed, Holds(flags, NSEventModifierFlagCommand), Holds(flags, NSEventModifierFlagShift),
                      Holds(flags, NSEventModifierFlagControl), Holds(flags, NSEventModifierFlagOption));
  return info;
}

IMouseInfo IGraphicsView_vVantorelix_au::getMouseRight(const NSEvent& event)
{
  IMouseInfo info;
  getMouseXY(event, info.x, info.y);
  const NSEventModifierFlags flags = event.modifierFlags();
  info.ms = IMouseMod(false, true, Holds(flags, NSEventModifierFlagShift), Holds(flags, NSEventModifierFlagControl),
                      Holds(flags, NSEventModifierFlagOption));
  return info;
}

void IGraphicsView_vVantorelix_au::MouseDown(const IMouseInfo& info, NSInteger clickCount)
{
  // The second press of a double click is the double click; a third press starts over.
  if (clickCount % 2)
    mGraphics->OnMouseDown({info});
  else
    mGraphics->OnMouseDblClick(info.x, info.y, info.ms);
}

void IGraphicsView_vVantorelix_au::mouseDown(const NSEvent& event)
{
  if (mGraphics)
    MouseDown(getMouseLeft(event), event.clickCount());
}

void IGraphicsView_vVantorelix_au::rightMouseDown(const NSEvent& event)
{
  if (mGraphics)
    MouseDown(getMouseRight(event), event.clickCount());
}

void IGraphicsView_vVantorelix_au::mouseUp(const NSEvent& event)
{
  if (!mGraphics)
    return;
  mGraphics->OnMouseUp({getMouseLeft(event)});
  if (mMouseOutDuringDrag)
  {
    mGraphics->OnMouseOut();
    mMouseOutDuringDrag = false;
  }
}

void IGraphicsView_vVantorelix_au::rightMouseUp(const NSEvent& event)
{
  if (mGraphics)
    mGraphics->OnMouseUp({getMouseRight(event)});
}

void IGraphicsView_vVantorelix_au::MouseDragged(IMouseInfo (IGraphicsView_vVantorelix_au::*read)(const NSEvent&),
                                                const NSEvent& event)
{
  if (!mGraphics)
    return;
  const float prevX = mPrevX;
  const float prevY = mPrevY;
  IMouseInfo info = (this->*read)(event);
  if (mGraphics->GetControlInTextEntry() && !mGraphics->GetTextEntryControl())
    return;  // a native text entry holds the pointer
  info.dX = info.x - prevX;
  info.dY = info.y - prevY;
  mGraphics->OnMouseDrag({info});
}

void IGraphicsView_vVantorelix_au::mouseDragged(const NSEvent& event)
{
  MouseDragged(&IGraphicsView_vVantorelix_au::getMouseLeft, event);
}

void IGraphicsView_vVantorelix_au::rightMouseDragged(const NSEvent& event)
{
  if (mTextFieldView)
    return;
  MouseDragged(&IGraphicsView_vVantorelix_au::getMouseRight, event);
}

void IGraphicsView_vVantorelix_au::mouseMoved(const NSEvent& event)
{
  if (!mGraphics)
    return;
  const IMouseInfo info = getMouseLeft(event);
  mGraphics->OnMouseOver(info.x, info.y, info.ms);
}

void IGraphicsView_vVantorelix_au::mouseEntered(const NSEvent&)
{
  if (!mGraphics)
    return;
  mMouseOutDuringDrag = false;
  mGraphics->SetCursorShape(mGraphics->GetCursorType());
}

void IGraphicsView_vVantorelix_au::mouseExited(const NSEvent&)
{
  if (!mGraphics)
    return;
  // A control holding the mouse hears of the exit once the button is released.
  if (mGraphics->ControlIsCaptured())
    mMouseOutDuringDrag = true;
  else
    mGraphics->OnMouseOut();
}

void IGraphicsView_vVantorelix_au::scrollWheel(const NSEvent& event)
{
  endUserInput();
  if (!mGraphics)
    return;
  const IMouseInfo info = getMouseLeft(event);
  mGraphics->OnMouseWheel(info.x, info.y, info.ms, static_cast<float>(event.deltaY()));
}

// ---- keys -------------------------------------------------------------------------------------

void IGraphicsView_vVantorelix_au::keyDown(const NSEvent& event)
{
  if (!mGraphics || !mGraphics->OnKeyDown(mPrevX, mPrevY, MakeKeyPress(event)))
    NSView::keyDown(event);
}

void IGraphicsView_vVantorelix_au::keyUp(const NSEvent& event)
{
  if (!mGraphics || !mGraphics->OnKeyUp(mPrevX, mPrevY, MakeKeyPress(event)))
    NSView::keyUp(event);
}

// ---- drag and drop ----------------------------------------------------------------------------

NSDragOperation IGraphicsView_vVantorelix_au::draggingEntered(const NSDraggingInfo& info)
{
  const std::vector<NSPasteboardType> types = info.draggingPasteboard().types();
  const bool files = std::find(types.begin(), types.end(), NSFilenamesPboardType) != types.end();
  return files ? NSDragOperationGeneric : NSDragOperationNone;
}

bool IGraphicsView_vVantorelix_au::performDragOperation(const NSDraggingInfo& info)
{
  const std::vector<std::string> files = info.draggingPasteboard().propertyListForType(NSFilenamesPboardType);
  if (mGraphics && !files.empty())
  {
    // In graphics coordinates, as every other event.
    const NSPoint point = convertPointFromView(info.draggingLocation(), nullptr);
    const float scale = mGraphics->GetDrawScale();
    mGraphics->OnDrop(files.front().c_str(), static_cast<float>(point.x) / scale, static_cast<float>(point.y) / scale);
  }
  return true;
}

// ---- cursor -----------------------------------------------------------------------------------

NSCursor* IGraphicsView_vVantorelix_au::MoveCursor()
{
  if (!mMoveCursor)
    mMoveCursor = std::make_unique<NSCursor>(std::make_shared<NSImage>(NSMakeSize(0, 0)), NSMakePoint(0, 0));
  return mMoveCursor.get();
}

NSCursor* IGraphicsView_vVantorelix_au::CursorOfType(int type)
{
  const auto privateOr = [](const char* selector, NSCursor* fallback) {
    NSCursor* cursor = NSCursor::privateCursor(selector);
    return cursor ? cursor : fallback;
  };
  switch (type)
  {
    case 0: return NSCursor::arrowCursor();
    case 1: return NSCursor::IBeamCursor();
    case 2:
    case 12: return NSCursor::privateCursor("busyButClickableCursor");
    case 3: return NSCursor::crosshairCursor();
    case 4: return privateOr("_windowResizeNorthCursor", NSCursor::resizeUpCursor());
    case 5: return NSCursor::privateCursor("_windowResizeNorthWestSouthEastCursor");
    case 6: return NSCursor::privateCursor("_windowResizeNorthEastSouthWestCursor");
    case 7: return privateOr("_windowResizeEastWestCursor", NSCursor::resizeLeftRightCursor());
    case 8: return privateOr("_windowResizeNorthSouthCursor", NSCursor::resizeUpDownCursor());
    case 9: return MoveCursor();
    case 10: return NSCursor::operationNotAllowedCursor();
    case 11: return NSCursor::pointingHandCursor();
    case 13: return NSCursor::privateCursor("_helpCursor");
    default: return NSCursor::arrowCursor();
  }
}

void IGraphicsView_vVantorelix_au::setMouseCursor(int type)
{
  NSCursor* cursor = CursorOfType(type);
  if (type != 13 && NSCursor::respondsToSelector("helpCursorShown") && NSCursor::helpCursorShown())
    NSCursor::setHelpCursor(false);
  (cursor ? cursor : NSCursor::arrowCursor())->set();
}

// ---- native menu ------------------------------------------------------------------------------

IPopupMenu* IGraphicsView_vVantorelix_au::createPopupMenu(IPopupMenu& menu, NSRect bounds)
{
  auto receiver = std::make_shared<IGraphicsMenuRcvr_vVantorelix_au>();
  receiver->initWithFrame(bounds);
  auto nsMenu = std::make_shared<IGraphicsMenu_vVantorelix_au>();
  nsMenu->initWithIPopupMenuAndReceiver(menu, receiver);
  nsMenu->popUpMenuPositioningItem(nullptr, NSMakePoint(bounds.origin.x, bounds.origin.y + bounds.size.height + 4.0),
                                   this);
  const NSMenuItem* item = receiver->menuItem();
  const auto* holder = item ? dynamic_cast<const IGraphicsMenu_vVantorelix_au*>(item->menu()) : nullptr;
  IPopupMenu* chosen = holder ? holder->iPopupMenu() : nullptr;
  const NSInteger index = holder ? holder->indexOfItem(item) : -1;
  if (!chosen || index < 0)
    return nullptr;
  chosen->SetChosenItemIdx(static_cast<int>(index));
  return chosen;
}

// ---- native text entry -------------------------------------------------------------------------

NSTextField* IGraphicsView_vVantorelix_au::textField() const
{
  return mTextFieldView.get();
}

void IGraphicsView_vVantorelix_au::createTextEntry(int paramIdx, const IText& text, const char* str, int length,
                                                   NSRect areaRect)
{
  if (mTextFieldView || !mGraphics)
    return;
  mTextFieldView = std::make_shared<IGraphicsTextField_vVantorelix_au>();
  mTextFieldView->initWithFrame(areaRect);
  if (text.mVAlign == EVAlign::Middle)
  {
    auto cell = std::make_shared<IGraphicsTextFieldCell_vVantorelix_au>();
    cell->initTextCell("textfield");
    mTextFieldView->setCell(std::move(cell));
    mTextFieldView->setEditable(true);
    mTextFieldView->setDrawsBackground(true);
  }

  // A font never cached has no descriptor: the system font of the size stands in.
  const CGFloat size = text.mSize * mGraphics->GetDrawScale();
  const CoreTextFontDescriptor* cached = GetCachedFontDescriptor(text.mFont);
  mTextFieldView->setFont(cached ? NSFont::fontWithDescriptor(cached->mDescriptor, size * cached->mEMRatio)
                                 : NSFont::systemFontOfSize(size));

  switch (text.mAlign)
  {
    case EAlign::Near: mTextFieldView->setAlignment(NSTextAlignmentLeft); break;
    case EAlign::Center: mTextFieldView->setAlignment(NSTextAlignmentCenter); break;
    case EAlign::Far: mTextFieldView->setAlignment(NSTextAlignmentRight); break;
  }

  if (const IParam* param = paramIdx >= 0 ? mGraphics->GetDelegate()->GetParam(paramIdx) : nullptr)
  {
    auto formatter = std::make_shared<IGraphicsFormatter_vVantorelix_au>();
    formatter->setAcceptableCharacterSet(CharactersOf(param->GetKind()));
    formatter->setMaximumLength(length);
    mTextFieldView->setFormatter(std::move(formatter));
  }

  mTextFieldView->cell()->setLineBreakMode(NSLineBreakByTruncatingTail);
  mTextFieldView->cell()->setAllowsEditingTextAttributes(false);
  mTextFieldView->setTextColor(DeviceColor(text.mTextEntryFGColor));
  mTextFieldView->setBackgroundColor(DeviceColor(text.mTextEntryBGColor));
  mTextFieldView->setStringValue(str ? str : "");
  mTextFieldView->setBordered(false);
  mTextFieldView->setFocusRingType(NSFocusRingTypeNone);
  mTextFieldView->setDelegate(this);
  addSubview(mTextFieldView);
  if (NSWindow* window = this->window())
  {
    window->makeKeyAndOrderFront();
    window->makeFirstResponder(mTextFieldView.get());
  }
}

void IGraphicsView_vVantorelix_au::controlTextDidEndEditing(NSTextField& field)
{
  if (mGraphics)
  {
    mGraphics->ApplyTextEntryResult(field.stringValue().c_str());
    mGraphics->MarkAllControlsDirty(false);
  }
  endUserInput();
}

void IGraphicsView_vVantorelix_au::endUserInput()
{
  if (!mTextFieldView)
    return;
  const std::shared_ptr<IGraphicsTextField_vVantorelix_au> field = std::move(mTextFieldView);
  field->setDelegate(nullptr);
  field->removeFromSuperview();
  if (NSWindow* window = this->window())
    window->makeFirstResponder(this);
  if (mGraphics)
    mGraphics->TextEntryEnded();
}

// ---- colour panel and tooltips ---------------------------------------------------------------

bool IGraphicsView_vVantorelix_au::promptForColor(const IColor& color, std::function<void(const IColor&)> func)
{
  NSColorPanel& panel = NSColorPanel::sharedColorPanel();
  mColorPickerFunc = std::move(func);
  panel.setTarget(weak_from_this());
  panel.setShowsAlpha(true);
  panel.setAction([this](NSColorPanel& sender) { onColorPicked(sender); });
  panel.setColor(NSColor::colorWithDeviceRed(color.R / 255.0, color.G / 255.0, color.B / 255.0, color.A / 255.0));
  panel.orderFront();
  return NSColorPanel::sharedColorPanelExists();
}

void IGraphicsView_vVantorelix_au::onColorPicked(NSColorPanel& sender)
{
  const NSColor& color = sender.color();
  // A wide-gamut colour comes with components below 0 and above 1: each is held to what a channel
  // can show, or packing the channels would mix them up.
  const auto channel = [](CGFloat component) {
    return component > 0.0 ? static_cast<int>(std::min(component, CGFloat(1)) * 255.0) : 0;
  };
  const IColor picked(channel(color.alphaComponent()), channel(color.redComponent()), channel(color.greenComponent()),
                      channel(color.blueComponent()));
  if (mColorPickerFunc)
  {
    const std::function<void(const IColor&)> func = mColorPickerFunc;  // it may ask for another colour
    func(picked);
  }
}

std::string IGraphicsView_vVantorelix_au::stringForToolTip(NSToolTipTag, NSPoint, void*) const
{
  const IControl* control = mGraphics ? mGraphics->GetControl(mGraphics->GetMouseOverIdx()) : nullptr;
  return control ? control->GetTooltip() : "";
}

// ---- focus and teardown -----------------------------------------------------------------------

bool IGraphicsView_vVantorelix_au::resignFirstResponder()
{
  if (mGraphics)
    mGraphics->OnFocusLost();
  return true;
}

void IGraphicsView_vVantorelix_au::removeFromSuperview()
{
  const std::shared_ptr<NSResponder> self = weak_from_this().lock();  // closing drops the editor's hold
  endUserInput();
  if (mGraphics)
  {
    mGraphics->SetNativeContext(nullptr);
    // Closes and deletes the graphics object, which takes the view out and lets go of it.
    mGraphics->GetDelegate()->CloseWindow();
  }
  NSView::removeFromSuperview();
}

}  // namespace iplug::igraphics
