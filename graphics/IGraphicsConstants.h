#pragma once

// Named colours, blends and text styles shared by the graphics core and every control, and the
// default look of the vector controls. Fixed from program start.

#include "graphics/IGraphicsStructs.h"
#include "graphics/IVStyle.h"

namespace iplug::igraphics {

inline constexpr IColor kColorTransparent(0, 0, 0, 0);
inline constexpr IColor kColorTranslucent(10, 0, 0, 0);
inline constexpr IColor kColorBlack(255, 0, 0, 0);
inline constexpr IColor kColorBlackDropShadow(128, 0, 0, 0);
inline constexpr IColor kColorGray(255, 127, 127, 127);
inline constexpr IColor kColorLightGray(255, 240, 240, 240);
inline constexpr IColor kColorMidGray(255, 200, 200, 200);
inline constexpr IColor kColorDarkGray(255, 70, 70, 70);
inline constexpr IColor kColorWhite(255, 255, 255, 255);
inline constexpr IColor kColorRed(255, 255, 0, 0);
inline constexpr IColor kColorGreen(255, 0, 255, 0);
inline constexpr IColor kColorBlue(255, 0, 0, 255);
inline constexpr IColor kColorYellow(255, 255, 255, 0);
inline constexpr IColor kColorOrange(255, 255, 127, 0);
inline constexpr IColor kColorIndigo(255, 75, 0, 130);
inline constexpr IColor kColorViolet(255, 148, 0, 211);
inline constexpr IColor kColorShadow(60, 0, 0, 0);
inline constexpr IColor kColorRamp1(255, 36, 157, 16);
inline constexpr IColor kColorRamp2(255, 153, 191, 28);
inline constexpr IColor kColorRamp3(255, 215, 222, 37);
inline constexpr IColor kColorRamp4(255, 247, 153, 33);

inline constexpr IColor DEFAULT_TEXT_FGCOLOR = kColorBlack;
inline constexpr IColor DEFAULT_TEXTENTRY_BGCOLOR = kColorWhite;
inline constexpr IColor DEFAULT_TEXTENTRY_FGCOLOR = kColorBlack;

inline constexpr IBlend kBlend75(0, 0.75f);
inline constexpr IBlend kBlend50(0, 0.5f);
inline constexpr IBlend kBlend25(0, 0.25f);
inline constexpr IBlend kBlend10(0, 0.1f);
inline constexpr IBlend kBlend05(0, 0.05f);
inline constexpr IBlend kBlend01(0, 0.01f);
inline constexpr IBlend kBlendDstIn(5, 1.f);    // the back end's destination-in compositing
inline constexpr IBlend kBlendDstOver(4, 1.f);  // destination-over compositing

inline const IText kTextDefault{};
inline const IText kTextLabel(19.f, kColorBlack, "Roboto-Regular", EAlign::Center, EVAlign::Top);
inline const IText kTextValue(14.f, kColorBlack, "Roboto-Regular", EAlign::Center, EVAlign::Bottom);

inline const IVStyle kStyleDefault{};

// 10 to the power -4.5: -90 dB as a linear amplitude.
inline constexpr float kAmpMinus90dB = 3.1622778e-05f;

}  // namespace iplug::igraphics
