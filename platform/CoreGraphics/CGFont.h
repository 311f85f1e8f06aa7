#pragma once
// A font made from the bytes of a data provider. Only bytes that begin like a font file (a
// single TrueType or OpenType font, or a collection of them) make one.

#include "platform/CoreGraphics/CGDataProvider.h"

typedef struct CGFont* CGFontRef;

// Null when the provider's bytes are not a font.
CGFontRef CGFontCreateWithDataProvider(CGDataProviderRef provider);
CGFontRef CGFontRetain(CGFontRef font);
// Null is ignored.
void CGFontRelease(CGFontRef font);
