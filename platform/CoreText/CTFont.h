#pragma once
// Fonts and font descriptors. A descriptor made from a family and a style name finds its file
// among the installed fonts, which fontconfig catalogues (FONTCONFIG_FILE chooses the
// configuration, so a test can point it at a folder of its own).

#include "platform/CoreFoundation/CFDictionary.h"
#include "platform/CoreFoundation/CFString.h"
#include "platform/CoreFoundation/CFURL.h"
#include "platform/CoreGraphics/CGFont.h"
#include "platform/CoreGraphics/CGGeometry.h"

typedef const struct __CTFont* CTFontRef;
typedef const struct __CTFontDescriptor* CTFontDescriptorRef;
struct CGAffineTransform;

// Attribute names of a descriptor: family and style names (CFString), the font file (CFURL).
extern const CFStringRef kCTFontFamilyNameAttribute;
extern const CFStringRef kCTFontStyleNameAttribute;
extern const CFStringRef kCTFontURLAttribute;

// Retains the graphics font; the descriptor of the result carries the file URL when the font
// came from a file.
CTFontRef CTFontCreateWithGraphicsFont(CGFontRef graphicsFont, CGFloat size, const CGAffineTransform* matrix,
                                       CTFontDescriptorRef attributes);
CTFontDescriptorRef CTFontCopyFontDescriptor(CTFontRef font);

// Keeps a copy of the attributes; null for a null dictionary.
CTFontDescriptorRef CTFontDescriptorCreateWithAttributes(CFDictionaryRef attributes);
// The attribute's value (retained), or null. The URL of a descriptor given a family and a
// style is that of the installed font with exactly that family and style, when there is one.
CFTypeRef CTFontDescriptorCopyAttribute(CTFontDescriptorRef descriptor, CFStringRef attribute);
