// The SVG document: the in-place XML tokenizer, element dispatch, the attribute stack, the final
// mapping from the view box into output units, and the image's lifetime.

#include "renderer/svg/SvgParser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool svgNameIs(const char* name, const char* expected)
{
  return std::strcmp(name, expected) == 0;
}

// Reads the attributes of a start tag into name/value pairs closed by two nulls; returns whether
// the tag closes itself ("/" before its end).
bool svgReadTagAttributes(char* s, const char** attributes)
{
  int count = 0;
  bool selfClosing = false;
  while (*s)
  {
    s = svgSkipSpace(s);
    if (*s == '/')
    {
      selfClosing = true;
      break;
    }
    if (!*s || count == 2 * kSVGMaxTagAttributes)
      break;
    char* name = s;
    while (*s && *s != '=' && !svgIsSpace(*s))
      ++s;
    if (*s)
      *s++ = '\0';
    while (*s && *s != '"' && *s != '\'')
      ++s;
    if (!*s)
      break;  // no quoted value: the attribute list ends here
    const char quote = *s++;
    char* value = s;
    while (*s && *s != quote)
      ++s;
    if (*s)
      *s++ = '\0';
    attributes[count++] = name;
    attributes[count++] = value;
  }
  attributes[count] = nullptr;
  attributes[count + 1] = nullptr;
  return selfClosing;
}

void svgParseTag(char* s, SVGStartElementFn onStart, SVGEndElementFn onEnd, void* user)
{
  s = svgSkipSpace(s);
  const bool endTag = *s == '/';
  if (endTag)
    ++s;
  if (!*s || *s == '!' || *s == '?')
    return;  // comments, declarations, processing instructions
  const char* name = s;
  while (*s && !svgIsSpace(*s))
    ++s;
  if (*s)
    *s++ = '\0';
  if (endTag)
  {
    if (onEnd)
      onEnd(user, name);
    return;
  }
  const char* attributes[2 * kSVGMaxTagAttributes + 2];
  const bool selfClosing = svgReadTagAttributes(s, attributes);
  if (onStart)
    onStart(user, name, attributes);
  if (selfClosing && onEnd)
    onEnd(user, name);
}

void svgOnStartElement(void* user, const char* name, const char** attributes)
{
  auto* p = static_cast<SVGParser*>(user);
  if (svgNameIs(name, "linearGradient"))
  {
    svgReadGradientAttributes(p, attributes, kSVGPaintLinearGradient);
  }
  else if (svgNameIs(name, "radialGradient"))
  {
    svgReadGradientAttributes(p, attributes, kSVGPaintRadialGradient);
  }
  else if (svgNameIs(name, "stop"))
  {
    svgReadGradientStop(p, attributes);
  }
  else if (svgNameIs(name, "defs"))
  {
    ++p->defsDepth;
  }
  else if (p->defsDepth > 0)
  {
    return;  // definitions hold gradients only; nothing else inside them is drawn or styled
  }
  else if (svgNameIs(name, "g"))
  {
    svgPushAttributes(p);
    svgApplyStyleAttribute(p, attributes);
  }
  else if (svgNameIs(name, "svg"))
  {
    svgParseSvgElement(p, attributes);
  }
  else
  {
    using Reader = void (*)(SVGParser*, const char**);
    static constexpr struct
    {
      const char* name;
      Reader read;
    } kShapes[] = {
      {"path", svgParsePathData},
      {"rect", svgParseRect},
      {"circle", svgParseCircle},
      {"ellipse", svgParseEllipse},
      {"line", svgParseLine},
      {"polyline", [](SVGParser* q, const char** a) { svgReadPointList(q, a, false); }},
      {"polygon", [](SVGParser* q, const char** a) { svgReadPointList(q, a, true); }},
    };
    for (const auto& shape : kShapes)
    {
      if (svgNameIs(name, shape.name))
      {
        svgPushAttributes(p);
        shape.read(p, attributes);
        svgPopAttributes(p);
        return;
      }
    }
  }
}

void svgOnEndElement(void* user, const char* name)
{
  auto* p = static_cast<SVGParser*>(user);
  if (svgNameIs(name, "defs"))
  {
    if (p->defsDepth > 0)
      --p->defsDepth;
  }
  else if (svgNameIs(name, "g") && p->defsDepth == 0)
  {
    // A group inside definitions pushed nothing, so its end tag must not pop either.
    svgPopAttributes(p);
  }
}

void svgOnContent(void*, const char*) {}  // text content of elements is not drawn

void svgInitRootAttributes(SVGAttributeState* a)
{
  svgTransformIdentity(a->xform);
  a->opacity = 1.0f;
  a->fillOpacity = 1.0f;
  a->strokeOpacity = 1.0f;
  a->strokeWidth = 1.0f;
  a->miterLimit = 4.0f;
  a->stopOpacity = 1.0f;
  a->hasFill = kSVGSourceColor;
  a->hasStroke = kSVGSourceNone;
  a->visible = 1;
}

// User units per output unit.
float svgUnitFactor(const SVGParser* p, const char* units)
{
  float factor = 1.0f;
  if (units && units[0] == '%')
  {
    factor = 0.01f;
  }
  else if (units && units[0] && units[1])
  {
    const char a = units[0], b = units[1];
    const float fontSize = p->attr[p->attrHead].fontSize;
    if (a == 'c' && b == 'm')
      factor = p->dpi * 0.39370078f;
    else if (a == 'm' && b == 'm')
      factor = p->dpi * 0.03937008f;
    else if (a == 'i' && b == 'n')
      factor = p->dpi;
    else if (a == 'p' && b == 't')
      factor = p->dpi * 0.013888889f;
    else if (a == 'p' && b == 'c')
      factor = p->dpi * 0.16666667f;
    else if (a == 'e' && b == 'm')
      factor = fontSize;
    else if (a == 'e' && b == 'x')
      factor = fontSize * 0.52f;
  }
  // A font size or dpi of 0 would send every coordinate to infinity; keep user units instead.
  return factor > 0.0f && std::isfinite(factor) ? factor : 1.0f;
}

// A view-box axis left unset spans the picture's size on it, or else the shapes' extent.
void svgDefaultViewAxis(float* min, float* size, float imageSize, float boundsMin, float boundsMax)
{
  if (*size != 0)
    return;
  if (imageSize > 0)
  {
    *size = imageSize;
  }
  else
  {
    *min = boundsMin;
    *size = boundsMax - boundsMin;
  }
}

float svgAlignOffset(int32_t align, float container, float content)
{
  if (align == kSVGAlignMid)
    return (container - content) * 0.5f;
  if (align == kSVGAlignMax)
    return container - content;
  return 0.0f;
}

void svgScaleBounds(float* b, float tx, float ty, float sx, float sy)
{
  b[0] = (b[0] + tx) * sx;
  b[1] = (b[1] + ty) * sy;
  b[2] = (b[2] + tx) * sx;
  b[3] = (b[3] + ty) * sy;
}

void svgScaleGradient(SVGPaint* paint, float tx, float ty, float sx, float sy)
{
  if (paint->type != kSVGPaintLinearGradient && paint->type != kSVGPaintRadialGradient)
    return;
  float* xform = paint->gradient->xform;
  const float translate[6] = {1, 0, 0, 1, tx, ty};
  const float scale[6] = {sx, 0, 0, sy, 0, 0};
  svgTransformMultiply(xform, translate);
  svgTransformMultiply(xform, scale);
  const float toPicture[6] = {xform[0], xform[1], xform[2], xform[3], xform[4], xform[5]};
  svgTransformInvert(xform, toPicture);
}

void svgScaleToViewBox(SVGParser* p, const char* units)
{
  SVGImage* image = p->image;
  float bounds[4] = {0, 0, 0, 0};
  for (const SVGShape* shape = image->shapes; shape; shape = shape->next)
  {
    svgUnionBounds(bounds, shape->bounds, shape == image->shapes);
  }
  svgDefaultViewAxis(&p->viewMinx, &p->viewWidth, image->width, bounds[0], bounds[2]);
  svgDefaultViewAxis(&p->viewMiny, &p->viewHeight, image->height, bounds[1], bounds[3]);
  if (image->width == 0)
    image->width = p->viewWidth;
  if (image->height == 0)
    image->height = p->viewHeight;

  float tx = -p->viewMinx, ty = -p->viewMiny;
  float sx = p->viewWidth > 0 ? image->width / p->viewWidth : 0.0f;
  float sy = p->viewHeight > 0 ? image->height / p->viewHeight : 0.0f;
  const float unitFactor = svgUnitFactor(p, units);
  if (p->alignType != kSVGAlignNone)
  {
    const float s = p->alignType == kSVGAlignMeet ? std::min(sx, sy) : std::max(sx, sy);
    sx = sy = s;
    if (s != 0.0f)
    {  // an empty view-box axis gives no scale to align with
      tx += svgAlignOffset(p->alignX, image->width, p->viewWidth * s) / s;
      ty += svgAlignOffset(p->alignY, image->height, p->viewHeight * s) / s;
    }
  }
  sx /= unitFactor;
  sy /= unitFactor;
  const float averageScale = (sx + sy) * 0.5f;

  for (SVGShape* shape = image->shapes; shape; shape = shape->next)
  {
    svgScaleBounds(shape->bounds, tx, ty, sx, sy);
    for (SVGPath* path = shape->paths; path; path = path->next)
    {
      svgScaleBounds(path->bounds, tx, ty, sx, sy);
      for (int32_t i = 0; i < path->npts; ++i)
      {
        path->pts[2 * i] = (path->pts[2 * i] + tx) * sx;
        path->pts[2 * i + 1] = (path->pts[2 * i + 1] + ty) * sy;
      }
    }
    svgScaleGradient(&shape->fill, tx, ty, sx, sy);
    svgScaleGradient(&shape->stroke, tx, ty, sx, sy);
    shape->strokeWidth *= averageScale;
    shape->strokeDashOffset *= averageScale;
    for (int i = 0; i < shape->strokeDashCount; ++i)
      shape->strokeDashArray[i] *= averageScale;
  }
}

void svgDeleteParser(SVGParser* p)
{
  svgDeletePaths(p->plist);
  svgDeleteGradients(p->gradients);
  std::free(p->pts);
  svgDeleteImage(p->image);
  std::free(p);
}

void svgDeletePaint(SVGPaint* paint)
{
  if (paint->type == kSVGPaintLinearGradient || paint->type == kSVGPaintRadialGradient)
    std::free(paint->gradient);
}

}  // namespace

int svgTokenizeXml(char* text, SVGStartElementFn onStart, SVGEndElementFn onEnd, SVGContentFn onContent, void* user)
{
  if (!text)
    return 1;
  char* mark = text;
  bool inTag = false;
  for (char* s = text; *s; ++s)
  {
    if (!inTag && *s == '<')
    {
      *s = '\0';
      const char* content = svgSkipSpace(mark);
      if (*content && onContent)
        onContent(user, content);
      mark = s + 1;
      inTag = true;
    }
    else if (inTag && *s == '>')
    {
      *s = '\0';
      svgParseTag(mark, onStart, onEnd, user);
      mark = s + 1;
      inTag = false;
    }
  }
  return 1;
}

SVGAttributeState* svgTopAttributes(SVGParser* p)
{
  return &p->attr[p->attrHead];
}

void svgPushAttributes(SVGParser* p)
{
  if (p->attrHead < kSVGMaxAttributeDepth - 1)
  {
    ++p->attrHead;
    p->attr[p->attrHead] = p->attr[p->attrHead - 1];
  }
  else
  {
    // Deeper nesting shares the top entry; count the level so that its pop stays matched.
    ++p->attrSkipped;
  }
}

void svgPopAttributes(SVGParser* p)
{
  if (p->attrSkipped > 0)
  {
    --p->attrSkipped;
  }
  else if (p->attrHead > 0)
  {
    --p->attrHead;
  }
}

SVGImage* svgParseText(char* text, const char* units, float dpi)
{
  auto* p = static_cast<SVGParser*>(std::calloc(1, sizeof(SVGParser)));
  if (!p)
    return nullptr;
  p->image = static_cast<SVGImage*>(std::calloc(1, sizeof(SVGImage)));
  if (!p->image)
  {
    std::free(p);
    return nullptr;
  }
  svgInitRootAttributes(&p->attr[0]);
  p->dpi = dpi;
  svgTokenizeXml(text, svgOnStartElement, svgOnEndElement, svgOnContent, p);
  svgScaleToViewBox(p, units);
  SVGImage* image = p->image;
  p->image = nullptr;
  svgDeleteParser(p);
  return image;
}

SVGImage* svgLoadFile(const char* path, const char* units, float dpi)
{
  std::FILE* file = std::fopen(path, "rb");
  if (!file)
    return nullptr;
  char* text = nullptr;
  long length = -1;
  if (std::fseek(file, 0, SEEK_END) == 0)
    length = std::ftell(file);
  if (length >= 0 && std::fseek(file, 0, SEEK_SET) == 0)
  {
    const auto size = static_cast<size_t>(length);
    text = static_cast<char*>(std::malloc(size + 1));
    if (text && std::fread(text, 1, size, file) == size)
    {
      text[size] = '\0';
    }
    else
    {
      std::free(text);
      text = nullptr;
    }
  }
  std::fclose(file);
  if (!text)
    return nullptr;
  SVGImage* image = svgParseText(text, units, dpi);
  std::free(text);
  return image;
}

void svgDeleteImage(SVGImage* image)
{
  if (!image)
    return;
  SVGShape* shape = image->shapes;
  while (shape)
  {
    SVGShape* next = shape->next;
    svgDeletePaths(shape->paths);
    svgDeletePaint(&shape->fill);
    svgDeletePaint(&shape->stroke);
    std::free(shape);
    shape = next;
  }
  std::free(image);
}

SVGPath* svgCopyPath(const SVGPath* path)
{
  if (!path)
    return nullptr;
  auto* copy = static_cast<SVGPath*>(std::calloc(1, sizeof(SVGPath)));
  if (!copy)
    return nullptr;
  const size_t bytes = static_cast<size_t>(path->npts) * 2 * sizeof(float);
  copy->pts = static_cast<float*>(std::malloc(bytes > 0 ? bytes : 1));
  if (!copy->pts)
  {
    std::free(copy);
    return nullptr;
  }
  if (bytes > 0)
    std::memcpy(copy->pts, path->pts, bytes);
  copy->npts = path->npts;
  copy->closed = path->closed;
  std::copy(path->bounds, path->bounds + 4, copy->bounds);
  return copy;
}
