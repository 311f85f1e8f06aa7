#include "controls/ITextControls.h"

#include <cstring>

#include "framework/IPlugParameter.h"
#include "graphics/IGraphics.h"

namespace iplug::igraphics {

// ---- Text ---------------------------------------------------------------------------------

ITextControl::ITextControl(const IRECT& bounds, const char* str, const IText& text, const IColor& bgColor,
                           bool setBoundsBasedOnStr)
: IControl(bounds), mStr(str ? str : ""), mBGColor(bgColor), mSetBoundsBasedOnStr(setBoundsBasedOnStr)
{
  mText = text;
  mIgnoreMouse = true;
}

void ITextControl::OnInit()
{
  if (mSetBoundsBasedOnStr)
  {
    SetBoundsToStr();
  }
}

void ITextControl::Draw(IGraphics& g)
{
  g.FillRect(mBGColor, mRECT, &mBlend);
  // While the text is being edited the entry field shows it.
  if (mStr.GetLength() > 0 && g.GetControlInTextEntry() != this)
  {
    g.DrawText(mText, mStr.Get(), mRECT, &mBlend);
  }
}

void ITextControl::SetStr(const char* str)
{
  str = str ? str : "";
  if (std::strcmp(str, mStr.Get()) == 0)
  {
    return;
  }
  mStr.Set(str);
  if (mSetBoundsBasedOnStr)
  {
    SetBoundsToStr();
  }
}

void ITextControl::SetStrFmt(int maxLength, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  mStr.VSetFormatted(maxLength, format, args);
  va_end(args);
}

void ITextControl::SetBoundsToStr()
{
  IRECT m;
  if (const IGraphics* g = GetUI())
  {
    g->MeasureText(mText, mStr.Get(), m);
  }
  const float cx = mRECT.MW(), cy = mRECT.MH();
  const float hw = m.W() / 2.f, hh = m.H() / 2.f;
  SetTargetAndDrawRECTs(IRECT(cx - hw, cy - hh, cx + hw, cy + hh));
}

// ---- Link ---------------------------------------------------------------------------------

IURLControl::IURLControl(const IRECT& bounds, const char* label, const char* url, const IText& text,
                         const IColor& bgColor, const IColor& mouseOverColor, const IColor& clickedColor)
: ITextControl(bounds, label, text, bgColor),
  mURLStr(url ? url : ""),
  mOriginalColor(text.mFGColor),
  mMOColor(mouseOverColor),
  mCLColor(clickedColor)
{
  mIgnoreMouse = false;
}

void IURLControl::OnMouseDown(float, float, const IMouseMod&)
{
  IGraphics* g = GetUI();
  g->OpenWebLink(mURLStr.Get());
  g->ReleaseMouseCapture();
  mClicked = true;
}

void IURLControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  GetUI()->SetCursorShape(kCursorHand);
  IControl::OnMouseOver(x, y, mod);
}

void IURLControl::OnMouseOut()
{
  GetUI()->SetCursorShape(kCursorArrow);
  IControl::OnMouseOut();
}

void IURLControl::Draw(IGraphics& g)
{
  g.FillRect(mBGColor, mRECT, &mBlend);
  mText.mFGColor = mMouseIsOver ? mMOColor : mClicked ? mCLColor : mOriginalColor;
  if (mStr.GetLength() == 0)
  {
    return;
  }
  IRECT textRect;
  g.MeasureText(mText, mStr.Get(), textRect);
  const float w = textRect.W();
  float x = mRECT.MW() - w / 2.f;
  if (mText.mAlign == EAlign::Near)
  {
    x = mRECT.L;
  }
  else if (mText.mAlign == EAlign::Far)
  {
    x = mRECT.R - w;
  }
  // The underline runs under the text: below a top-aligned line, at the foot of a bottom-aligned
  // one, and under a centred one.
  float y = mRECT.MH() + textRect.B;
  if (mText.mVAlign == EVAlign::Top)
  {
    y = mRECT.T + textRect.H();
  }
  else if (mText.mVAlign == EVAlign::Bottom)
  {
    y = mRECT.B;
  }
  g.DrawLine(mText.mFGColor, x, y, x + w, y, &mBlend);
  g.DrawText(mText, mStr.Get(), mRECT, &mBlend);
}

// ---- Toggle -------------------------------------------------------------------------------

ITextToggleControl::ITextToggleControl(const IRECT& bounds, int paramIdx, const char* offText, const char* onText,
                                       const IText& text, const IColor& bgColor)
: ITextControl(bounds, offText, text, bgColor), mOffText(offText ? offText : ""), mOnText(onText ? onText : "")
{
  SetParamIdx(paramIdx);
  mIgnoreMouse = false;
  mDblAsSingleClick = true;
}

ITextToggleControl::ITextToggleControl(const IRECT& bounds, ControlActionFunc action, const char* offText,
                                       const char* onText, const IText& text, const IColor& bgColor)
: ITextToggleControl(bounds, -1, offText, onText, text, bgColor)
{
  SetActionFunction(std::move(action));
}

void ITextToggleControl::OnMouseDown(float, float, const IMouseMod&)
{
  SetValue(GetValue() < 0.5 ? 1.0 : 0.0);
  SetDirty(true);
}

void ITextToggleControl::SetDirty(bool triggerAction, int)
{
  SetStr(GetValue() > 0.5 ? mOnText.Get() : mOffText.Get());
  IControl::SetDirty(triggerAction, -1);
}

// ---- Caption ------------------------------------------------------------------------------

ICaptionControl::ICaptionControl(const IRECT& bounds, int paramIdx, const IText& text, const IColor& bgColor,
                                 bool showParamLabel)
: ITextControl(bounds, "", text, bgColor), mShowParamLabel(showParamLabel)
{
  SetParamIdx(paramIdx);
  mDisablePrompt = false;
  mDblAsSingleClick = true;
  mIgnoreMouse = false;
}

void ICaptionControl::OnMouseDown(float, float, const IMouseMod& mod)
{
  if ((mod.L || mod.R) && GetParamIdx() >= 0 && !mDisablePrompt)
  {
    GetUI()->AskForValue(this, mRECT, 0);
  }
}

void ICaptionControl::OnResize()
{
  const IParam* param = GetParam();
  if (param && param->GetKind() == ParamKind::Enum)
  {
    mTri = IRECT(mRECT.R - 0.2f * mRECT.W(), mRECT.T, mRECT.R, mRECT.B).GetCentredInside(8.f, 5.f);
  }
}

void ICaptionControl::Draw(IGraphics& g)
{
  if (const IParam* param = GetParam())
  {
    WDL_String display;
    if (mShowParamLabel)
    {
      param->FormatDisplayWithLabel(display);
    }
    else
    {
      param->FormatDisplay(param->Value(), false, display);
    }
    SetStr(display.Get());
  }
  ITextControl::Draw(g);
  if (mTri.W() > 0.f)
  {
    if (mMouseIsOver)
    {
      g.FillTriangle(mTriangleMouseOverColor, mTri.L, mTri.T, mTri.R, mTri.T, mTri.MW(), mTri.B);
    }
    else
    {
      g.FillTriangle(mTriangleColor, mTri.L, mTri.T, mTri.R, mTri.T, mTri.MW(), mTri.B, &kBlend50);
    }
  }
}

// ---- Place holder -------------------------------------------------------------------------

PlaceHolder::PlaceHolder(const IRECT& bounds, const char* str) : ITextControl(bounds, str, IText(20.f), kColorWhite)
{
  mDisablePrompt = false;
  mIgnoreMouse = false;
}

void PlaceHolder::OnResize()
{
  mTLHCStr.SetFormatted(32, "%0.1f, %0.1f", mRECT.L, mRECT.T);
  mWidthStr.SetFormatted(32, "%0.1f", mRECT.W());
  mHeightStr.SetFormatted(32, "%0.1f", mRECT.H());
}

void PlaceHolder::OnMouseDblClick(float, float, const IMouseMod&)
{
  GetUI()->OpenTextEntry(this, mText, mRECT, mStr.Get(), 0);
}

void PlaceHolder::DrawReadout(IGraphics& g, const IText& text, const WDL_String& str, float x, float y,
                              const IBlend& boxBlend)
{
  IRECT box;
  g.MeasureText(text, str.Get(), box);
  g.FillRect(mBGColor, box.GetTranslated(x, y), &boxBlend);
  g.DrawTextAtPoint(text, str.Get(), x, y);
}

void PlaceHolder::Draw(IGraphics& g)
{
  g.FillRect(mBGColor, mRECT);
  g.DrawLine(kColorRed, mRECT.L, mRECT.B, mRECT.R, mRECT.T, &kBlend50, 2.f);
  g.DrawLine(kColorRed, mRECT.L, mRECT.T, mRECT.R, mRECT.B, &kBlend50, 2.f);
  DrawReadout(g, mHeightText, mHeightStr, mRECT.L + 10.f, mRECT.MH(), kBlend50);
  DrawReadout(g, mWidthText, mWidthStr, mRECT.MW(), mRECT.T + 10.f, kBlend75);
  DrawReadout(g, mTLGCText, mTLHCStr, mRECT.L + 10.f, mRECT.T + 10.f, kBlend50);
  if (mStr.GetLength() > 0)
  {
    IRECT box = mRECT;
    g.MeasureText(mText, mStr.Get(), box);
    g.FillRect(mBGColor, box, &kBlend75);
    g.DrawText(mText, mStr.Get(), box);
    mTextBounds = box;
  }
}

}  // namespace iplug::igraphics
