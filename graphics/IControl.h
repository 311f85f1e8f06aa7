#pragma once

// The base of every on-screen element: draw and hit bounds, value slots linked to plug-in
// parameters, a text style, a blend, state flags, a tooltip, three function objects (action,
// animation, animation end) with an animation clock, and gesture handlers. It carries a value on
// two roads: from the user to the plug-in (through the editor delegate) and from the plug-in to
// the screen.

#include <initializer_list>
#include <string>
#include <unordered_map>
#include <vector>

#include "graphics/IGraphicsStructs.h"

namespace iplug {
class IParam;
struct IMidiMsg;

namespace igraphics {
class IGEditorDelegate;
class IPopupMenu;

class IControl
{
public:
  IControl(const IRECT& bounds, int paramIdx = -1, ControlActionFunc action = nullptr);
  IControl(const IRECT& bounds, std::initializer_list<int> params, ControlActionFunc action = nullptr);
  IControl(const IRECT& bounds, ControlActionFunc action);

  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;
  virtual ~IControl() = default;

  // Event reactions; the defaults below are what a control does unless it overrides them.
  virtual void OnMouseDown(float x, float y, const IMouseMod& mod);
  virtual void OnMouseUp(float, float, const IMouseMod&) {}
  virtual void OnMouseDrag(float, float, float, float, const IMouseMod&) {}
  virtual void OnMouseDblClick(float x, float y, const IMouseMod& mod);
  virtual void OnMouseWheel(float, float, const IMouseMod&, float) {}
  virtual bool OnKeyDown(float, float, const IKeyPress&) { return false; }
  virtual bool OnKeyUp(float, float, const IKeyPress&) { return false; }
  virtual void OnMouseOver(float x, float y, const IMouseMod& mod);
  virtual void OnMouseOut();
  virtual void OnTouchCancelled(float, float, const IMouseMod&) {}
  virtual void OnDrop(const char*) {}
  virtual void OnRescale() {}
  virtual void OnResize() {}
  virtual void OnInit() {}
  virtual void OnAttached() {}
  virtual void MessageFromDelegate(int, int, const void*) {}
  virtual void OnMidi(const IMidiMsg&) {}
  virtual bool OnGesture(const IGestureInfo& info);
  virtual void BuildContextMenu(IPopupMenu&) {}
  virtual void PopupMenuChosen(IPopupMenu* menu, int valIdx);
  virtual void TextEntryDone(const char*, int) {}
  virtual void ContextItemChosen(int) {}
  virtual void Draw(IGraphics& g) = 0;
  virtual void DrawHostHighlight(IGraphics& g);

  // Value slots. The accessors expect an existing slot; SetParamIdx alone checks its index and
  // throws std::out_of_range.
  virtual void SetParamIdx(int paramIdx, int valIdx = 0);
  virtual int ValueIndexAt(float x, float y) const;
  virtual void ValueFromDelegate(double value, int valIdx = 0);
  virtual void ValueFromUserInput(double value, int valIdx = 0);
  virtual void SetValueToDefault(int valIdx = -1);
  virtual void SetValue(double value, int valIdx = 0);

  virtual void SetPosition(float x, float y);
  virtual void SetSize(float w, float h);
  virtual void Hide(bool hide);
  virtual void SetDisabled(bool disable);
  virtual bool IsHit(float x, float y) const { return mTargetRECT.Contains(x, y); }

  // Clamps the value(s) to 0..1 and marks the control for drawing; with triggerAction also sends
  // each linked value to the plug-in, updates the other controls of that parameter and runs the
  // action function. valIdx -1 means every slot; a one-slot control always acts on slot 0.
  virtual void SetDirty(bool triggerAction = true, int valIdx = -1);
  virtual void SetClean()
  {
    mDirty = false;
    mHideChanged = false;
  }
  virtual bool IsDirty();
  virtual void OnIdle() {}

  // Sets the value from the pointer position inside bounds along the direction, to 0.001,
  // clamped to lo..hi; bounds of zero extent along the direction leave the value unchanged.
  virtual void ValueFromPointer(float x, float y, EDirection dir, const IRECT& bounds, int valIdx = -1, double lo = 0.0,
                                double hi = 1.0);
  virtual void AnimationEnded();

  int GetParamIdx(int valIdx = 0) const { return mVals[static_cast<size_t>(valIdx)].idx; }
  const IParam* GetParam(int valIdx = 0) const;
  int FindValIdxForParam(int paramIdx) const;
  double GetValue(int valIdx = 0) const { return mVals[static_cast<size_t>(valIdx)].value; }
  int NVals() const { return static_cast<int>(mVals.size()); }
  bool IsLinkedToParam(int paramIdx) const { return FindValIdxForParam(paramIdx) >= 0; }

  void AskForValue(int valIdx);
  void AskForValue(const IRECT& bounds, int valIdx);

  // Animation clock in steady-clock milliseconds.
  void StartAnimation(int durationMs, bool forward = true);
  double GetAnimationProgress() const;
  // Runs a copy of the animation function: ending the animation clears the function while it
  // runs, and a capturing one would be freed under its own call.
  void Animate()
  {
    if (mAnimationFunc)
    {
      const ControlActionFunc func = mAnimationFunc;
      func(this);
    }
  }

  void AddGestureFunc(EGestureType type, GestureFunc func);
  bool HasGestures() const { return !mGestureFuncs.empty(); }
  EGestureType GetLastGesture() const { return mLastGesture; }

  // Colour 0 red, 1 blue, 2 green, 3 yellow; other indices keep the colour.
  void SetHostHighlight(bool on, int colourIdx);

  // Field access.
  const IRECT& GetRECT() const { return mRECT; }
  void SetRECT(const IRECT& r) { mRECT = r; }
  const IRECT& GetTargetRECT() const { return mTargetRECT; }
  void SetTargetRECT(const IRECT& r) { mTargetRECT = r; }
  void SetTargetAndDrawRECTs(const IRECT& r)
  {
    mRECT = mTargetRECT = r;
    mMouseIsOver = false;
    OnResize();
  }
  const char* GetGroup() const { return mGroup.c_str(); }
  void SetGroup(const char* group) { mGroup = group ? group : ""; }
  const IText& GetText() const { return mText; }
  void SetText(const IText& text) { mText = text; }
  const IBlend& GetBlend() const { return mBlend; }
  void SetBlend(const IBlend& blend) { mBlend = blend; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  bool IsHidden() const { return mHide; }
  // Whether the control was hidden or shown since it was last marked clean.
  bool HideChanged() const { return mHideChanged; }
  bool IsDisabled() const { return mDisabled; }
  bool GetPromptDisabled() const { return mDisablePrompt; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  bool GetMouseDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetMouseDblAsSingleClick(bool on) { mDblAsSingleClick = on; }
  bool GetMouseEventsWhenDisabled() const { return mMouseEventsWhenDisabled; }
  void SetMouseEventsWhenDisabled(bool on) { mMouseEventsWhenDisabled = on; }
  bool GetMouseOverWhenDisabled() const { return mMouseOverWhenDisabled; }
  void SetMouseOverWhenDisabled(bool on) { mMouseOverWhenDisabled = on; }
  bool GetIgnoreMouse() const { return mIgnoreMouse; }
  void SetIgnoreMouse(bool ignore) { mIgnoreMouse = ignore; }
  bool GetWantsRightClick() const { return mWantsRightClick; }
  void SetWantsRightClick(bool on) { mWantsRightClick = on; }
  bool GetWantsMidi() const { return mWantsMidi; }
  void SetWantsMidi(bool on) { mWantsMidi = on; }
  bool GetWantsMultiTouch() const { return mWantsMultiTouch; }
  void SetWantsMultiTouch(bool on) { mWantsMultiTouch = on; }
  bool GetPromptShowsParamLabel() const { return mPromptShowsParamLabel; }
  void SetPromptShowsParamLabel(bool on) { mPromptShowsParamLabel = on; }
  bool GetMouseIsOver() const { return mMouseIsOver; }
  const char* GetTooltip() const { return mTooltip.c_str(); }
  void SetTooltip(const char* tooltip) { mTooltip = tooltip ? tooltip : ""; }
  const IColor& GetHighlightColor() const { return mHighlightColor; }
  bool GetHighlightOn() const { return mHighlightOn; }
  IGEditorDelegate* GetDelegate() const { return mDelegate; }
  void SetDelegate(IGEditorDelegate* dlg) { mDelegate = dlg; }
  IGraphics* GetUI() const { return mGraphics; }
  void SetGraphics(IGraphics* g) { mGraphics = g; }
  const ControlActionFunc& GetActionFunction() const { return mActionFunc; }
  void SetActionFunction(ControlActionFunc f) { mActionFunc = std::move(f); }
  const ControlActionFunc& GetAnimationEndActionFunction() const { return mAnimationEndActionFunc; }
  void SetAnimationEndActionFunction(ControlActionFunc f) { mAnimationEndActionFunc = std::move(f); }
  const ControlActionFunc& GetAnimationFunction() const { return mAnimationFunc; }
  void SetAnimation(ControlActionFunc f) { mAnimationFunc = std::move(f); }
  void SetAnimation(ControlActionFunc f, int durationMs)
  {
    mAnimationFunc = std::move(f);
    StartAnimation(durationMs);
  }
  double GetAnimationDuration() const { return mAnimationDuration; }

protected:
  // Milliseconds of the steady clock; a test replaces it to drive animations.
  virtual double AnimationClockMs() const;

  // Sends slot valIdx's value to the plug-in through the delegate.
  void SendValueToDelegate(int valIdx);

  IRECT mRECT;
  IRECT mTargetRECT;
  std::string mGroup;
  IText mText;
  IBlend mBlend;
  int mTextEntryLength = 7;
  bool mDirty = true;
  bool mHide = false;
  bool mHideChanged = false;
  bool mDisabled = false;
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMouseEventsWhenDisabled = false;
  bool mMouseOverWhenDisabled = false;
  bool mIgnoreMouse = false;
  bool mWantsRightClick = false;
  bool mWantsMidi = false;
  bool mWantsMultiTouch = false;
  bool mPromptShowsParamLabel = false;
  bool mMouseIsOver = false;
  std::string mTooltip;
  IColor mHighlightColor{255, 255, 0, 0};
  bool mHighlightOn = false;
  IGEditorDelegate* mDelegate = nullptr;
  IGraphics* mGraphics = nullptr;
  ControlActionFunc mActionFunc;
  ControlActionFunc mAnimationEndActionFunc;
  ControlActionFunc mAnimationFunc;
  double mAnimationStartMs = 0.0;
  double mAnimationDuration = 0.0;
  bool mAnimationForward = true;

private:
  struct ValueSlot
  {
    int idx = -1;
    double value = 0.0;
  };

  // Runs fn(slot) on slot valIdx, or on every slot when valIdx < 0.
  template <class F>
  void ForValIdx(int valIdx, F fn)
  {
    if (valIdx < 0)
    {
      for (int i = 0; i < NVals(); ++i)
      {
        fn(i);
      }
    }
    else
    {
      fn(valIdx);
    }
  }

  std::vector<ValueSlot> mVals;
  std::unordered_map<int, GestureFunc> mGestureFuncs;
  EGestureType mLastGesture = EGestureType::Unknown;
};

// Action and animation functions offered to control builders.
void FlashClickActionFunc(IControl* control);
void RippleClickAction(IControl* control);
void BubbleRightAction(IControl* control);
void BubbleAboveAction(IControl* control);
void TimedAnimation(IControl* control);
void RippleAnimation(IControl* control);

}  // namespace igraphics
}  // namespace iplug
