// Presentation attributes and styles, and the small readers every element shares: numbers,
// lengths and units, colours, dash lists, transform lists with their arithmetic, and the svg
// root element.

#include "renderer/svg/SvgParser.h"

#include "renderer/svg/Transform2D.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace {

constexpr size_t kDeclarationPartSize = 512;  // name or value of one style declaration, NUL included
constexpr int kMaxSignificantDigits = 18;     // more would overflow the 64-bit digit accumulator
constexpr int kMaxExponent = 9999;            // far beyond every float; keeps the exponent an int
constexpr float kPi = 3.1415927f;

bool svgIsDigit(char c)
{
  return c >= '0' && c <= '9';
}

// Copies at most size - 1 of the length characters at begin and terminates the copy.
void svgCopyText(char* out, size_t size, const char* begin, size_t length)
{
  length = std::min(length, size - 1);
  std::memcpy(out, begin, length);
  out[length] = '\0';
}

float svgClamp01(double v)
{
  return static_cast<float>(std::clamp(v, 0.0, 1.0));
}

// Stops at the first character that is not a hex digit, after at most maxDigits digits.
uint32_t svgReadHex(const char* s, int maxDigits)
{
  uint32_t value = 0;
  for (int i = 0; i < maxDigits; ++i)
  {
    const char c = s[i];
    int digit;
    if (svgIsDigit(c))
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      break;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return value;
}

uint32_t svgPackRgb(uint32_t r, uint32_t g, uint32_t b)
{
  return r | g << 8 | b << 16;
}

// A decimal integer after optional blanks and sign, saturated far beyond any colour component.
bool svgReadInteger(const char*& s, int64_t* out)
{
  const char* q = svgSkipSpace(s);
  const bool negative = *q == '-';
  if (*q == '-' || *q == '+')
    ++q;
  if (!svgIsDigit(*q))
    return false;
  int64_t v = 0;
  for (; svgIsDigit(*q); ++q)
    v = std::min<int64_t>(v * 10 + (*q - '0'), 1000000);
  *out = negative ? -v : v;
  s = q;
  return true;
}

// The separator run between two rgb() components; returns whether one was there.
bool svgReadRgbSeparator(const char*& s, bool* percent)
{
  const char* q = s;
  while (*q == '%' || *q == ',' || *q == ' ' || *q == '\t')
  {
    if (*q == '%')
      *percent = true;
    ++q;
  }
  const bool found = q != s;
  s = q;
  return found;
}

uint32_t svgReadRgb(const char* s)
{
  int64_t c[3] = {0, 0, 0};  // a component that cannot be read is 0
  bool percent = false;
  for (int i = 0; i < 3; ++i)
  {
    if (!svgReadInteger(s, &c[i]))
      break;
    bool separatorPercent = false;
    if (i < 2 && !svgReadRgbSeparator(s, &separatorPercent))
      break;
    if (i == 0)
      percent = separatorPercent;
  }
  uint32_t out[3];
  for (int i = 0; i < 3; ++i)
  {
    const int64_t v = percent ? c[i] * 255 / 100 : c[i];
    out[i] = static_cast<uint32_t>(std::clamp<int64_t>(v, 0, 255));
  }
  return svgPackRgb(out[0], out[1], out[2]);
}

uint32_t svgReadHexColor(const char* s)
{
  size_t length = 0;
  while (s[length] && !svgIsSpace(s[length]))
    ++length;
  if (length == 6)
  {
    const uint32_t rgb = svgReadHex(s, 6);
    return svgPackRgb(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
  }
  if (length == 3)
  {
    const uint32_t rgb = svgReadHex(s, 3);
    return svgPackRgb((rgb >> 8 & 0xF) * 0x11, (rgb >> 4 & 0xF) * 0x11, (rgb & 0xF) * 0x11);
  }
  return 0;
}

uint32_t svgNamedColor(const char* s)
{
  static constexpr struct
  {
    const char* name;
    uint32_t color;
  } kColors[] = {
    {"red", 0x0000FF},     {"green", 0x008000}, {"blue", 0xFF0000}, {"yellow", 0x00FFFF}, {"cyan", 0xFFFF00},
    {"magenta", 0xFF00FF}, {"black", 0x000000}, {"grey", 0x808080}, {"gray", 0x808080},   {"white", 0xFFFFFF},
  };
  for (const auto& entry : kColors)
  {
    if (std::strcmp(s, entry.name) == 0)
      return entry.color;
  }
  return 0x808080;
}

float svgReadPixels(const SVGParser* p, const char* value, float reference)
{
  return svgConvertToPixels(p, svgReadLength(value), 0.0f, reference);
}

// "none", a gradient reference url(#id) or a colour; shared by fill and stroke.
void svgReadPaint(const char* value, uint8_t* source, char* gradientId, uint32_t* color)
{
  if (std::strcmp(value, "none") == 0)
  {
    *source = kSVGSourceNone;
  }
  else if (std::strncmp(value, "url(", 4) == 0)
  {
    *source = kSVGSourceGradient;
    const char* id = value + 4;
    if (*id == '#')
      ++id;
    size_t length = 0;
    while (id[length] && id[length] != ')')
      ++length;
    svgCopyText(gradientId, kSVGIdSize, id, length);
  }
  else
  {
    *source = kSVGSourceColor;
    *color = svgReadColor(value);
  }
}

void svgReadDashArray(SVGParser* p, SVGAttributeState* a, const char* s)
{
  a->strokeDashCount = 0;
  if (!*s || *s == 'n')
    return;
  auto isSeparator = [](char c) { return c == ',' || svgIsSpace(c); };
  int count = 0;
  float sum = 0.0f;
  while (count < kSVGMaxDashes)
  {
    while (isSeparator(*s))
      ++s;
    size_t length = 0;
    while (s[length] && !isSeparator(s[length]))
      ++length;
    if (length == 0)
      break;
    char item[64];
    svgCopyText(item, sizeof item, s, length);
    s += length;
    const float dash = std::fabs(svgReadPixels(p, item, svgActualLength(p)));
    a->strokeDashArray[count++] = dash;
    sum += dash;
  }
  a->strokeDashCount = sum > 1e-6f ? count : 0;
}

uint8_t svgKeyword(const char* value, const char* const* words, int count)
{
  for (int i = 0; i < count; ++i)
  {
    if (std::strcmp(value, words[i]) == 0)
      return static_cast<uint8_t>(i);
  }
  return 0;
}

void svgApplyDeclaration(SVGParser* p, const char* start, const char* end)
{
  const char* colon = start;
  while (colon < end && *colon != ':')
    ++colon;
  const char* nameEnd = colon;
  while (nameEnd > start && (svgIsSpace(nameEnd[-1]) || nameEnd[-1] == ':'))
    --nameEnd;
  const char* value = colon;
  while (value < end && (*value == ':' || svgIsSpace(*value)))
    ++value;
  char name[kDeclarationPartSize], text[kDeclarationPartSize];
  svgCopyText(name, sizeof name, start, static_cast<size_t>(nameEnd - start));
  svgCopyText(text, sizeof text, value, static_cast<size_t>(end - value));
  // A style inside a style is not a declaration; refusing it also bounds the recursion.
  if (std::strcmp(name, "style") != 0)
    svgApplyAttribute(p, name, text);
}

void svgApplyStyleText(SVGParser* p, const char* s)
{
  while (*s)
  {
    s = svgSkipSpace(s);
    const char* start = s;
    while (*s && *s != ';')
      ++s;
    const char* end = s;
    while (end > start && (svgIsSpace(end[-1]) || end[-1] == ';'))
      --end;
    if (end > start)
      svgApplyDeclaration(p, start, end);
    if (*s == ';')
      ++s;
  }
}

struct TransformFunction
{
  const char* name;
  int minArgs, maxArgs;
};

// Builds the transform of one function from its arguments; false when their count does not fit.
bool svgMakeTransform(float* t, const char* name, const float* v, int n)
{
  svgTransformIdentity(t);
  if (std::strcmp(name, "matrix") == 0)
  {
    std::copy(v, v + 6, t);
  }
  else if (std::strcmp(name, "translate") == 0)
  {
    t[4] = v[0];
    t[5] = n > 1 ? v[1] : 0.0f;
  }
  else if (std::strcmp(name, "scale") == 0)
  {
    t[0] = v[0];
    t[3] = n > 1 ? v[1] : v[0];
  }
  else if (std::strcmp(name, "rotate") == 0)
  {
    if (n == 2)
      return false;  // a centre needs both coordinates
    const float angle = v[0] / 180.0f * kPi;
    const float c = std::cos(angle), s = std::sin(angle);
    const float rotation[6] = {c, s, -s, c, 0, 0};
    if (n == 3)
    {
      t[4] = -v[1];
      t[5] = -v[2];
    }
    svgTransformMultiply(t, rotation);
    if (n == 3)
    {
      const float back[6] = {1, 0, 0, 1, v[1], v[2]};
      svgTransformMultiply(t, back);
    }
  }
  else if (std::strcmp(name, "skewX") == 0)
  {
    t[2] = std::tan(v[0] / 180.0f * kPi);
  }
  else
  {  // skewY
    t[1] = std::tan(v[0] / 180.0f * kPi);
  }
  return true;
}

// Reads the arguments between "(" and ")" of a function; returns the position after them, or
// null when the parentheses are missing. lastClose is the last ")" of the whole list, so that a
// list with many unclosed functions is read in linear time. n receives the number count
// (maxArgs + 1 when there are more).
const char* svgReadTransformArgs(const char* s, const char* lastClose, float* args, int maxArgs, int* n)
{
  s = svgSkipSpace(s);
  if (*s != '(')
    return nullptr;  // the next function's parentheses do not belong to this one
  if (!lastClose || lastClose < s)
    return nullptr;
  const char* close = std::strchr(s, ')');
  *n = 0;
  for (++s; s < close;)
  {
    if (!svgIsNumberStart(*s))
    {
      ++s;
      continue;
    }
    char number[64];
    s = svgScanNumber(s, number);
    if (*n == maxArgs)
    {
      *n = maxArgs + 1;
      break;
    }
    args[(*n)++] = static_cast<float>(svgStringToDouble(number));
  }
  return close + 1;
}

}  // namespace

bool svgIsSpace(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void svgCopyId(char* out, const char* value)
{
  svgCopyText(out, kSVGIdSize, value, std::strlen(value));
}

bool svgIsNumberStart(char c)
{
  return svgIsDigit(c) || c == '+' || c == '-' || c == '.';
}

void svgApplyStyleAttribute(SVGParser* p, const char** attributes)
{
  for (int i = 0; attributes[i]; i += 2)
    svgApplyAttribute(p, attributes[i], attributes[i + 1]);
}

int svgApplyAttribute(SVGParser* p, const char* name, const char* value)
{
  SVGAttributeState* a = svgTopAttributes(p);
  auto is = [name](const char* expected) { return std::strcmp(name, expected) == 0; };
  if (is("style"))
  {
    svgApplyStyleText(p, value);
  }
  else if (is("display"))
  {
    if (std::strcmp(value, "none") == 0)
      a->visible = 0;
  }
  else if (is("fill"))
  {
    svgReadPaint(value, &a->hasFill, a->fillGradient, &a->fillColor);
  }
  else if (is("stroke"))
  {
    svgReadPaint(value, &a->hasStroke, a->strokeGradient, &a->strokeColor);
  }
  else if (is("opacity"))
  {
    a->opacity = svgClamp01(svgStringToDouble(value));
  }
  else if (is("fill-opacity"))
  {
    a->fillOpacity = svgClamp01(svgStringToDouble(value));
  }
  else if (is("stroke-opacity"))
  {
    a->strokeOpacity = svgClamp01(svgStringToDouble(value));
  }
  else if (is("stroke-width"))
  {
    a->strokeWidth = svgReadPixels(p, value, svgActualLength(p));
  }
  else if (is("stroke-dasharray"))
  {
    svgReadDashArray(p, a, value);
  }
  else if (is("stroke-dashoffset"))
  {
    a->strokeDashOffset = svgReadPixels(p, value, svgActualLength(p));
  }
  else if (is("stroke-linecap"))
  {
    static const char* const kCaps[] = {"butt", "round", "square"};
    a->strokeLineCap = svgKeyword(value, kCaps, 3);
  }
  else if (is("stroke-linejoin"))
  {
    static const char* const kJoins[] = {"miter", "round", "bevel"};
    a->strokeLineJoin = svgKeyword(value, kJoins, 3);
  }
  else if (is("stroke-miterlimit"))
  {
    a->miterLimit = std::max(0.0f, static_cast<float>(svgStringToDouble(value)));
  }
  else if (is("fill-rule"))
  {
    static const char* const kRules[] = {"nonzero", "evenodd"};
    a->fillRule = svgKeyword(value, kRules, 2);
  }
  else if (is("font-size"))
  {
    a->fontSize = svgReadPixels(p, value, svgActualLength(p));
  }
  else if (is("transform"))
  {
    float m[6];
    svgReadTransformList(m, value);
    svgTransformPremultiply(a->xform, m);
  }
  else if (is("stop-color"))
  {
    a->stopColor = svgReadColor(value);
  }
  else if (is("stop-opacity"))
  {
    a->stopOpacity = svgClamp01(svgStringToDouble(value));
  }
  else if (is("offset"))
  {
    a->stopOffset = svgReadPixels(p, value, 1.0f);
  }
  else if (is("id"))
  {
    svgCopyId(a->id, value);
  }
  else
  {
    return 0;
  }
  return 1;
}

const char* svgScanNumber(const char* s, char* buffer)
{
  size_t stored = 0;
  auto take = [&] {
    if (stored < 63)
      buffer[stored++] = *s;
    ++s;
  };
  if (*s == '+' || *s == '-')
    take();
  while (svgIsDigit(*s))
    take();
  if (*s == '.')
  {
    take();
    while (svgIsDigit(*s))
      take();
  }
  // "em" and "ex" after a number are units, not exponents.
  if ((*s == 'e' || *s == 'E') && s[1] != 'm' && s[1] != 'x')
  {
    take();
    if (*s == '+' || *s == '-')
      take();
    while (svgIsDigit(*s))
      take();
  }
  buffer[stored] = '\0';
  return s;
}

double svgStringToDouble(const char* s)
{
  const bool negative = *s == '-';
  if (*s == '-' || *s == '+')
    ++s;
  bool hasDigits = false;
  double integer = 0.0;
  // Integer digits past what a double can grow by only scale the value: counted here, they keep
  // a huge mantissa with a large negative exponent finite instead of infinity times zero.
  int droppedDigits = 0;
  for (; svgIsDigit(*s); ++s)
  {
    if (integer < 1e300)
      integer = integer * 10.0 + (*s - '0');
    else
      droppedDigits = std::min(droppedDigits + 1, kMaxExponent);
    hasDigits = true;
  }
  double fraction = 0.0;
  if (*s == '.')
  {
    ++s;
    int64_t digits = 0;
    int count = 0;
    for (; svgIsDigit(*s); ++s)
    {
      hasDigits = true;
      if (count == kMaxSignificantDigits)
        continue;  // beyond float precision anyway
      digits = digits * 10 + (*s - '0');
      ++count;
    }
    fraction = static_cast<double>(digits) / std::pow(10.0, count);
  }
  if (!hasDigits)
    return 0.0;
  double value = integer + fraction;
  int exponent = droppedDigits;
  if ((*s == 'e' || *s == 'E') && value != 0.0)
  {
    ++s;
    const bool negativeExponent = *s == '-';
    if (*s == '-' || *s == '+')
      ++s;
    int written = 0;
    for (; svgIsDigit(*s); ++s)
      written = std::min(written * 10 + (*s - '0'), kMaxExponent);
    exponent += negativeExponent ? -written : written;
  }
  if (exponent != 0)
    value *= std::pow(10.0, exponent);
  // Every number ends up in a float: saturate rather than overflow to infinity.
  value = std::min(value, static_cast<double>(FLT_MAX));
  return negative ? -value : value;
}

SVGLength svgReadLength(const char* s)
{
  char number[64];
  const char* unit = svgScanNumber(s, number);
  SVGLength length{static_cast<float>(svgStringToDouble(number)), kSVGUnitUser};
  static constexpr struct
  {
    const char* text;
    SVGUnit unit;
  } kUnits[] = {{"cm", kSVGUnitCm}, {"em", kSVGUnitEm}, {"ex", kSVGUnitEx}, {"in", kSVGUnitIn},    {"mm", kSVGUnitMm},
                {"pc", kSVGUnitPc}, {"pt", kSVGUnitPt}, {"px", kSVGUnitPx}, {"%", kSVGUnitPercent}};
  for (const auto& entry : kUnits)
  {
    if (std::strncmp(unit, entry.text, std::strlen(entry.text)) == 0)
    {
      length.units = entry.unit;
      break;
    }
  }
  return length;
}

float svgConvertToPixels(const SVGParser* p, SVGLength length, float origin, float reference)
{
  const float v = length.value;
  const float fontSize = p->attr[p->attrHead].fontSize;
  switch (length.units)
  {
    case kSVGUnitPt: return v / 72.0f * p->dpi;
    case kSVGUnitPc: return v / 6.0f * p->dpi;
    case kSVGUnitMm: return v / 25.4f * p->dpi;
    case kSVGUnitCm: return v / 2.54f * p->dpi;
    case kSVGUnitIn: return v * p->dpi;
    case kSVGUnitPercent: return origin + v / 100.0f * reference;
    case kSVGUnitEm: return v * fontSize;
    case kSVGUnitEx: return v * fontSize * 0.52f;
    default: return v;
  }
}

float svgActualLength(const SVGParser* p)
{
  return std::sqrt(p->viewWidth * p->viewWidth + p->viewHeight * p->viewHeight) / 1.4142135f;
}

uint32_t svgReadColor(const char* s)
{
  while (*s == ' ')
    ++s;
  if (*s == '#')
    return svgReadHexColor(s + 1);
  if (std::strncmp(s, "rgb(", 4) == 0)
    return svgReadRgb(s + 4);
  return svgNamedColor(s);
}

void svgReadTransformList(float* xform, const char* s)
{
  static constexpr TransformFunction kFunctions[] = {
    {"matrix", 6, 6}, {"translate", 1, 2}, {"scale", 1, 2}, {"rotate", 1, 3}, {"skewX", 1, 1}, {"skewY", 1, 1},
  };
  svgTransformIdentity(xform);
  const char* lastClose = std::strrchr(s, ')');
  while (*s)
  {
    const auto* function = std::find_if(std::begin(kFunctions), std::end(kFunctions), [s](const auto& f) {
      return std::strncmp(s, f.name, std::strlen(f.name)) == 0;
    });
    if (function == std::end(kFunctions))
    {
      ++s;
      continue;
    }
    s += std::strlen(function->name);
    float args[6];
    int n = 0;
    const char* next = svgReadTransformArgs(s, lastClose, args, function->maxArgs, &n);
    if (!next)
      continue;  // skipped: the walk goes on after its name
    s = next;
    float t[6];
    // A function with too few or too many arguments is skipped rather than half applied.
    if (n < function->minArgs || n > function->maxArgs || !svgMakeTransform(t, function->name, args, n))
      continue;
    svgTransformPremultiply(xform, t);
  }
}

void svgTransformIdentity(float* t)
{
  transform2d::Identity(t);
}

void svgTransformMultiply(float* t, const float* s)
{
  transform2d::Multiply(t, s);
}

void svgTransformPremultiply(float* t, const float* s)
{
  transform2d::Premultiply(t, s);
}

void svgTransformInvert(float* inverse, const float* t)
{
  transform2d::Invert(inverse, t);
}

void svgTransformPoint(float* x, float* y, float px, float py, const float* t)
{
  transform2d::Point(x, y, px, py, t);
}

void svgParseSvgElement(SVGParser* p, const char** attributes)
{
  SVGImage* image = p->image;
  for (int i = 0; attributes[i]; i += 2)
  {
    const char* name = attributes[i];
    const char* value = attributes[i + 1];
    if (svgApplyAttribute(p, name, value))
      continue;
    if (std::strcmp(name, "width") == 0)
    {
      image->width = svgReadPixels(p, value, 0.0f);
    }
    else if (std::strcmp(name, "height") == 0)
    {
      image->height = svgReadPixels(p, value, 0.0f);
    }
    else if (std::strcmp(name, "viewBox") == 0)
    {
      float* box[4] = {&p->viewMinx, &p->viewMiny, &p->viewWidth, &p->viewHeight};
      const char* s = value;
      for (float* field : box)
      {
        while (svgIsSpace(*s) || *s == ',' || *s == '%')
          ++s;
        if (!*s)
          return;  // a short view box ends the element's attributes
        char number[64];
        s = svgScanNumber(s, number);
        *field = static_cast<float>(svgStringToDouble(number));
      }
    }
    else if (std::strcmp(name, "preserveAspectRatio") == 0)
    {
      if (std::strstr(value, "none"))
      {
        p->alignType = kSVGAlignNone;
        continue;
      }
      // The vertical word is written "YMid" inside "xMidYMid"; a lone "yMid" is read as well.
      static const char* const kX[] = {"xMin", "xMid", "xMax"};
      static const char* const kY[] = {"YMin", "YMid", "YMax"};
      static const char* const kLowerY[] = {"yMin", "yMid", "yMax"};
      for (int32_t align = 0; align < 3; ++align)
      {
        if (std::strstr(value, kX[align]))
        {
          p->alignX = align;
          break;
        }
      }
      for (int32_t align = 0; align < 3; ++align)
      {
        if (std::strstr(value, kY[align]) || std::strstr(value, kLowerY[align]))
        {
          p->alignY = align;
          break;
        }
      }
      p->alignType = std::strstr(value, "slice") ? kSVGAlignSlice : kSVGAlignMeet;
    }
  }
}
