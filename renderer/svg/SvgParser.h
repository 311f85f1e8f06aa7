#pragma once
// State and readers of one SVG parse, shared by the document, attribute and geometry parts of
// the parser. Callers outside the parser use SvgImage.h only.

#include "renderer/svg/SvgImage.h"

#include <cstdint>

constexpr int kSVGMaxAttributeDepth = 128;  // entries of the attribute stack, the root included
constexpr int kSVGMaxTagAttributes = 127;   // name/value pairs passed on per tag
constexpr int kSVGMaxDashes = 8;
constexpr int kSVGIdSize = 64;

enum SVGUnit : uint8_t {
  kSVGUnitUser = 0,
  kSVGUnitPx,
  kSVGUnitPt,
  kSVGUnitPc,
  kSVGUnitMm,
  kSVGUnitCm,
  kSVGUnitIn,
  kSVGUnitPercent,
  kSVGUnitEm,
  kSVGUnitEx,
};

struct SVGLength
{
  float value;
  uint8_t units;  // SVGUnit
};

enum SVGPaintSource : uint8_t { kSVGSourceNone = 0, kSVGSourceColor = 1, kSVGSourceGradient = 2 };
enum SVGAlign : int32_t { kSVGAlignMin = 0, kSVGAlignMid = 1, kSVGAlignMax = 2 };
enum SVGAlignType : int32_t { kSVGAlignNone = 0, kSVGAlignMeet = 1, kSVGAlignSlice = 2 };

// The inherited presentation state of one nesting level.
struct SVGAttributeState
{
  char id[kSVGIdSize];
  float xform[6];
  uint32_t fillColor;
  uint32_t strokeColor;
  float opacity;
  float fillOpacity;
  float strokeOpacity;
  char fillGradient[kSVGIdSize];
  char strokeGradient[kSVGIdSize];
  float strokeWidth;
  float strokeDashOffset;
  float strokeDashArray[kSVGMaxDashes];
  int32_t strokeDashCount;
  uint8_t strokeLineJoin;
  uint8_t strokeLineCap;
  float miterLimit;
  uint8_t fillRule;
  float fontSize;
  uint32_t stopColor;
  float stopOpacity;
  float stopOffset;
  uint8_t hasFill;    // SVGPaintSource
  uint8_t hasStroke;  // SVGPaintSource
  uint8_t visible;
};

// Geometry slots shared by both gradient kinds: a linear gradient reads x1 y1 x2 y2, a radial
// one cx cy r fx fy, each from the same position.
enum SVGGradientSlot { kSVGSlotX1Cx = 0, kSVGSlotY1Cy, kSVGSlotX2R, kSVGSlotY2Fx, kSVGSlotFy, kSVGSlotCount };

struct SVGGradientData
{
  char id[kSVGIdSize];
  char ref[kSVGIdSize];  // id named by "xlink:href"
  int8_t type;           // kSVGPaintLinearGradient or kSVGPaintRadialGradient
  SVGLength geometry[kSVGSlotCount];
  uint8_t spread;
  uint8_t units;  // 1 object bounding box, 0 user space
  float xform[6];
  int32_t nstops;
  SVGGradientStop* stops;  // sorted by offset
  SVGGradientData* next;
};

struct SVGParser
{
  SVGAttributeState attr[kSVGMaxAttributeDepth];
  int32_t attrHead;     // index of the top entry; 0 is the root
  int32_t attrSkipped;  // pushes refused while the stack was full, still to be popped
  float* pts;           // point buffer: npts points in use, room for cpts
  int32_t npts;
  int32_t cpts;
  SVGPath* plist;  // sub-paths of the shape being built, newest first
  SVGImage* image;
  SVGGradientData* gradients;  // newest first
  SVGShape* shapesTail;
  float viewMinx, viewMiny, viewWidth, viewHeight;
  int32_t alignX, alignY;  // SVGAlign
  int32_t alignType;       // SVGAlignType
  float dpi;
  int32_t defsDepth;  // nesting of defs elements around the current position
};

using SVGStartElementFn = void (*)(void* user, const char* name, const char** attributes);
using SVGEndElementFn = void (*)(void* user, const char* name);
using SVGContentFn = void (*)(void* user, const char* text);

// Document: tokenizer, dispatch, attribute stack.
int svgTokenizeXml(char* text, SVGStartElementFn onStart, SVGEndElementFn onEnd, SVGContentFn onContent, void* user);
SVGAttributeState* svgTopAttributes(SVGParser* p);
void svgPushAttributes(SVGParser* p);
void svgPopAttributes(SVGParser* p);

// Attributes, numbers, lengths, colours and transforms.
bool svgIsSpace(char c);
bool svgIsNumberStart(char c);
template <typename Char>
Char* svgSkipSpace(Char* s)
{
  while (svgIsSpace(*s))
    ++s;
  return s;
}
void svgCopyId(char* out, const char* value);  // at most 63 characters
void svgApplyStyleAttribute(SVGParser* p, const char** attributes);
int svgApplyAttribute(SVGParser* p, const char* name, const char* value);
const char* svgScanNumber(const char* s, char* buffer /* 64 characters */);
double svgStringToDouble(const char* s);
SVGLength svgReadLength(const char* s);
float svgConvertToPixels(const SVGParser* p, SVGLength length, float origin, float reference);
float svgActualLength(const SVGParser* p);
uint32_t svgReadColor(const char* s);
void svgReadTransformList(float* xform, const char* s);
void svgTransformIdentity(float* t);
void svgTransformMultiply(float* t, const float* s);
void svgTransformPremultiply(float* t, const float* s);
void svgTransformInvert(float* inverse, const float* t);
void svgTransformPoint(float* x, float* y, float px, float py, const float* t);
void svgSetPoint(float* point, float x, float y);
void svgParseSvgElement(SVGParser* p, const char** attributes);

// Outlines: the point buffer, sub-paths and shapes.
void svgMoveTo(SVGParser* p, float x, float y);
void svgLineTo(SVGParser* p, float x, float y);
void svgCubicTo(SVGParser* p, float c1x, float c1y, float c2x, float c2y, float x, float y);
void svgFinishSubpath(SVGParser* p, bool closed);
void svgFinishShape(SVGParser* p);
void svgBezierBounds(float* bounds, const float* curve /* 4 points */);
void svgUnionBounds(float* bounds, const float* other, bool first);  // first: copy instead
void svgDeletePaths(SVGPath* path);

// Elements that draw.
void svgParsePathData(SVGParser* p, const char** attributes);
void svgParseRect(SVGParser* p, const char** attributes);
void svgParseCircle(SVGParser* p, const char** attributes);
void svgParseEllipse(SVGParser* p, const char** attributes);
void svgParseLine(SVGParser* p, const char** attributes);
void svgReadPointList(SVGParser* p, const char** attributes, bool closed);

// Gradients: definitions, stops and their resolution into a shape's paint.
void svgReadGradientAttributes(SVGParser* p, const char** attributes, int8_t kind);
void svgReadGradientStop(SVGParser* p, const char** attributes);
SVGGradient* svgResolveGradient(SVGParser* p, const char* id, const float* localBounds, uint8_t* paintType);
void svgDeleteGradients(SVGGradientData* gradients);
