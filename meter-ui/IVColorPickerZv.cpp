#include "meter-ui/IVColorPickerZv.h"

#include <cmath>
#include <cstdio>

#include "framework/IPlugParameter.h"
#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConstants.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/EditorAction.h"

using namespace iplug::igraphics;

namespace {
int Pack(const IColor& c)
{
  return (c.R << 16) | (c.G << 8) | c.B;
}

IColor Unpack(int packed)
{
  return IColor(255, (packed >> 16) & 255, (packed >> 8) & 255, packed & 255);
}

// The caption's colour on a swatch: its complement, which stands out from light, dark and vivid
// colours, but not from greys and muted colours near the middle, whose complement lies close to
// them; on those the caption is black or white, whichever differs more in brightness.
IColor CaptionColor(const IColor& fill)
{
  // The distance between a colour and its complement is that of each component from 255 minus it.
  const auto away = [](int component) { return static_cast<double>(2 * component - 255); };
  const double distance = std::sqrt(away(fill.R) * away(fill.R) + away(fill.G) * away(fill.G) +
                                    away(fill.B) * away(fill.B));
  // Below this the caption on a muted blue or a mid grey is hard to make out.
  constexpr double kLeastDistance = 160.0;
  if (distance >= kLeastDistance)
    return IColor(255, 255 - fill.R, 255 - fill.G, 255 - fill.B);
  // Brightness on the 0..255 scale, the eye weighing green most and blue least.
  const double brightness = 0.299 * fill.R + 0.587 * fill.G + 0.114 * fill.B;
  return brightness > 127.5 ? kColorBlack : kColorWhite;
}
}  // namespace

IVColorPickerZv::IVColorPickerZv(const IRECT& bounds, int colorParamIdx, const IVStyleZv& style, const char* label)
: PressOnly(bounds, -1),
  mStyle(style),
  mFillPattern(style.fillColor),
  mLabel(label ? label : ""),
  mColorParamIdx(colorParamIdx)
{
  mText = style.text;
  mDblAsSingleClick = true;
}

int IVColorPickerZv::PackedColor() const
{
  const iplug::IParam* param = mDelegate ? mDelegate->GetParam(mColorParamIdx) : nullptr;
  return param ? static_cast<int>(param->Value()) & 0xFFFFFF : 0;
}

void IVColorPickerZv::ApplyColor(int packed)
{
  if (iplug::IParam* param = mDelegate ? mDelegate->GetParam(mColorParamIdx) : nullptr)
    param->Set(packed);
  FireEditorAction(*this, mColorParamIdx);
  SetDirty(true, -1);
}

void IVColorPickerZv::OnMouseDown(float, float, const IMouseMod& mod)
{
  mMouseMod = mod;
  const int packed = PackedColor();
  if (mod.A)
  {
    const IColor c = Unpack(packed);
    char text[24];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.R, c.G, c.B);
    if (mGraphics)
      mGraphics->OpenTextEntry(this, mText, mRECT, text, 0);
    SetDirty(true, -1);
  }
  else if (mod.S)
  {
    ApplyColor(~packed & 0xFFFFFF);
  }
  else
  {
    if (mGraphics && mDelegate)
    {
      // The chooser stays open and reports every pick. A pick takes effect at once, as a click
      // would; the editor may have closed meanwhile, so the swatch is looked up again through
      // the plug-in, which outlives it.
      IGEditorDelegate* dlg = mDelegate;
      mGraphics->AskForColor(Unpack(packed), "Choose a color", [dlg, this](const IColor& c) {
        const IGraphics* ui = dlg->GetUI();
        if (ui && ui->GetControlIdx(this) >= 0)
          ApplyColor(Pack(c));
      });
    }
    FireEditorAction(*this, mColorParamIdx);
    SetDirty(true, -1);
  }
}

void IVColorPickerZv::TextEntryDone(const char* str, int)
{
  ApplyColor(Pack(Vantorelix::ColorFromHex(str)));
}

void IVColorPickerZv::Draw(IGraphics& g)
{
  if (mDrawBackground)
  {
    const IColor c = Unpack(PackedColor());
    mText.mFGColor = CaptionColor(c);
    mFillPattern = IPattern(c);
    DrawStyleBackground(g, mRECT, mStyle, mFillPattern, &mBlend);
  }
  g.DrawText(mText, mLabel.Get(), mRECT);
}
