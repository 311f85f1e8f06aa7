#pragma once
// A parsed SVG picture as plain records, and the entry points that make and free one.
//
// Every drawable element becomes one SVGShape; its outline is a list of SVGPath records holding
// a start point followed by cubic Bezier segments, already in output units. Packed colours hold
// red in bits 0-7, green in 8-15, blue in 16-23 and alpha in 24-31.

#include <cstdint>

enum SVGPaintType : uint8_t {
  kSVGPaintNone = 0,
  kSVGPaintColor = 1,
  kSVGPaintLinearGradient = 2,
  kSVGPaintRadialGradient = 3,
};

enum SVGSpread : uint8_t { kSVGSpreadPad = 0, kSVGSpreadReflect = 1, kSVGSpreadRepeat = 2 };
enum SVGLineJoin : uint8_t { kSVGJoinMiter = 0, kSVGJoinRound = 1, kSVGJoinBevel = 2 };
enum SVGLineCap : uint8_t { kSVGCapButt = 0, kSVGCapRound = 1, kSVGCapSquare = 2 };
enum SVGFillRule : uint8_t { kSVGFillRuleNonZero = 0, kSVGFillRuleEvenOdd = 1 };
enum SVGShapeFlags : uint8_t { kSVGFlagsVisible = 0x01 };

struct SVGGradientStop
{
  uint32_t color;  // alpha = stop opacity x 255
  float offset;
};

// One allocation: the header, then its stops (`stops` points just past the header).
struct SVGGradient
{
  float xform[6];  // output coordinates -> gradient unit space
  uint8_t spread;
  float fx, fy;  // radial focal point divided by the radius
  int32_t nstops;
  SVGGradientStop* stops;  // sorted by offset
};

struct SVGPaint
{
  uint8_t type;  // SVGPaintType
  union
  {
    uint32_t color;         // kSVGPaintColor
    SVGGradient* gradient;  // the gradient kinds; owned by the shape
  };
};

struct SVGPath
{
  float* pts;    // npts points as x, y pairs: start point, then three points per cubic
  int32_t npts;  // 1 + 3k, at least 4
  uint8_t closed;
  float bounds[4];  // min x, min y, max x, max y of the curve itself
  SVGPath* next;
};

struct SVGShape
{
  char id[64];
  SVGPaint fill;
  SVGPaint stroke;
  float opacity;
  float strokeWidth;
  float strokeDashOffset;
  float strokeDashArray[8];
  int8_t strokeDashCount;  // 0 = solid
  uint8_t strokeLineJoin;  // SVGLineJoin
  uint8_t strokeLineCap;   // SVGLineCap
  float miterLimit;
  uint8_t fillRule;  // SVGFillRule
  uint8_t flags;     // SVGShapeFlags
  float bounds[4];
  SVGPath* paths;  // the last sub-path finished comes first
  SVGShape* next;  // document order
};

struct SVGImage
{
  float width;
  float height;
  SVGShape* shapes;
};

// Parses a writable NUL-terminated text in place. `units` names the output unit ("px", "pt",
// "pc", "mm", "cm", "in", "%", "em", "ex"; anything else or null is "px"); `dpi` is the number of
// output pixels per inch. Null only when memory runs out; a text without drawable elements gives
// an image with no shapes.
SVGImage* svgParseText(char* text, const char* units, float dpi);

// Reads a whole file and parses it; null when the file cannot be read.
SVGImage* svgLoadFile(const char* path, const char* units, float dpi);

// Frees an image with all its shapes, paths and gradients; null is ignored.
void svgDeleteImage(SVGImage* image);

// A detached copy of one path (next is null); null for null or when memory runs out.
SVGPath* svgCopyPath(const SVGPath* path);
