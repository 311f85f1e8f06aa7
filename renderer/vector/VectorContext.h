// The vector context: an immediate-mode 2D renderer. Callers set a draw state, describe paths and
// ask for fills, strokes and text; the context tessellates them into triangles with
// anti-aliasing fringes and hands each draw call to a GPU back end through NVGbackend.
// All floats are 32-bit; every function runs on the one thread that draws with the context.
#pragma once

struct NVGcontext;

struct NVGcolor
{
  union
  {
    float rgba[4];
    struct
    {
      float r, g, b, a;
    };
  };
};

// 2x3 transforms are float[6] {a, b, c, d, e, f}: (x, y) -> (a x + c y + e, b x + d y + f).
struct NVGpaint
{
  float xform[6];
  float extent[2];
  float radius;
  float feather;
  NVGcolor innerColor;
  NVGcolor outerColor;
  int image;
};

// extent holds the half width and half height of the clip rectangle in its own frame; a negative
// extent means that no scissor is set.
struct NVGscissor
{
  float xform[6];
  float extent[2];
};

struct NVGcompositeOperationState
{
  int srcRGB;
  int dstRGB;
  int srcAlpha;
  int dstAlpha;
};

struct NVGvertex
{
  float x, y, u, v;
};

struct NVGpath
{
  int first;
  int count;
  unsigned char closed;
  int nbevel;
  NVGvertex* fill;
  int nfill;
  NVGvertex* stroke;
  int nstroke;
  int winding;
  int convex;
};

enum NVGtextureType {
  NVG_TEXTURE_ALPHA = 1,
  NVG_TEXTURE_RGBA = 2,
};

// Passed through to the back end unchanged; their meaning is the back end's.
enum NVGimageFlags {
  NVG_IMAGE_GENERATE_MIPMAPS = 1,
  NVG_IMAGE_REPEATX = 2,
  NVG_IMAGE_REPEATY = 4,
  NVG_IMAGE_FLIPY = 8,
  NVG_IMAGE_PREMULTIPLIED = 16,
  NVG_IMAGE_NEAREST = 32,
  NVG_IMAGE_NODELETE = 0x10000,
};

// Line caps and joins share one code space.
enum NVGlineCap {
  NVG_BUTT = 0,
  NVG_ROUND = 1,
  NVG_SQUARE = 2,
  NVG_BEVEL = 3,
  NVG_MITER = 4,
};

enum NVGwinding {
  NVG_CCW = 1,  // solid
  NVG_CW = 2,   // hole
};

enum NVGsolidity {
  NVG_SOLID = 1,
  NVG_HOLE = 2,
};

enum NVGblendFactor {
  NVG_ZERO = 1 << 0,
  NVG_ONE = 1 << 1,
  NVG_SRC_COLOR = 1 << 2,
  NVG_ONE_MINUS_SRC_COLOR = 1 << 3,
  NVG_DST_COLOR = 1 << 4,
  NVG_ONE_MINUS_DST_COLOR = 1 << 5,
  NVG_SRC_ALPHA = 1 << 6,
  NVG_ONE_MINUS_SRC_ALPHA = 1 << 7,
  NVG_DST_ALPHA = 1 << 8,
  NVG_ONE_MINUS_DST_ALPHA = 1 << 9,
  NVG_SRC_ALPHA_SATURATE = 1 << 10,
};

enum NVGcompositeOperation {
  NVG_SOURCE_OVER,
  NVG_SOURCE_IN,
  NVG_SOURCE_OUT,
  NVG_ATOP,
  NVG_DESTINATION_OVER,
  NVG_DESTINATION_IN,
  NVG_DESTINATION_OUT,
  NVG_DESTINATION_ATOP,
  NVG_LIGHTER,
  NVG_COPY,
  NVG_XOR,
};

// Text alignment bits: horizontal (mask 7) and vertical (mask 120).
enum NVGalign {
  NVG_ALIGN_LEFT = 1,
  NVG_ALIGN_CENTER = 2,
  NVG_ALIGN_RIGHT = 4,
  NVG_ALIGN_TOP = 8,
  NVG_ALIGN_MIDDLE = 16,
  NVG_ALIGN_BOTTOM = 32,
  NVG_ALIGN_BASELINE = 64,
};

struct NVGtextRow
{
  const char* start;  // first byte of the row in the caller's string
  const char* end;    // one past its last visible character
  const char* next;   // where the next row starts
  float width;        // logical width
  float minx, maxx;   // actual horizontal extent of the glyphs, relative to the row start
};

struct NVGglyphPosition
{
  const char* str;
  float x;
  float minx, maxx;
};

// The renderer callback table, copied whole into the context at creation. The geometry handed to
// renderFill, renderStroke and renderTriangles belongs to the context and is valid only during
// the call.
struct NVGbackend
{
  void* userPtr;
  int edgeAntiAlias;
  int (*renderCreate)(void* uptr);
  int (*renderCreateTexture)(void* uptr, int type, int w, int h, int imageFlags, const unsigned char* data);
  int (*renderDeleteTexture)(void* uptr, int image);
  int (*renderUpdateTexture)(void* uptr, int image, int x, int y, int w, int h, const unsigned char* data);
  int (*renderGetTextureSize)(void* uptr, int image, int* w, int* h);
  void (*renderViewport)(void* uptr, float width, float height, float devicePixelRatio);
  void (*renderCancel)(void* uptr);
  void (*renderFlush)(void* uptr);
  void (*renderFill)(void* uptr, NVGpaint* paint, NVGcompositeOperationState compositeOperation, NVGscissor* scissor,
                     float fringe, const float* bounds, const NVGpath* paths, int npaths);
  void (*renderStroke)(void* uptr, NVGpaint* paint, NVGcompositeOperationState compositeOperation, NVGscissor* scissor,
                       float fringe, float strokeWidth, const NVGpath* paths, int npaths);
  void (*renderTriangles)(void* uptr, NVGpaint* paint, NVGcompositeOperationState compositeOperation,
                          NVGscissor* scissor, const NVGvertex* verts, int nverts, float fringe);
  void (*renderDelete)(void* uptr);
};

// Context, frames and the draw-state stack.
NVGcontext* vgCreateContext(const NVGbackend* backend);
void vgDeleteContext(NVGcontext* ctx);
void vgBeginFrame(NVGcontext* ctx, float windowWidth, float windowHeight, float devicePixelRatio);
void vgCancelFrame(NVGcontext* ctx);
void vgEndFrame(NVGcontext* ctx);
void vgSave(NVGcontext* ctx);
void vgRestore(NVGcontext* ctx);
void vgResetState(NVGcontext* ctx);
void vgSetShapeAntiAlias(NVGcontext* ctx, int enabled);
void vgSetStrokeWidth(NVGcontext* ctx, float width);
void vgSetMiterLimit(NVGcontext* ctx, float limit);
void vgSetLineCap(NVGcontext* ctx, int cap);
void vgSetLineJoin(NVGcontext* ctx, int join);
void vgSetGlobalAlpha(NVGcontext* ctx, float alpha);
void vgSetCompositeOperation(NVGcontext* ctx, int op);
void vgSetBlendFunc(NVGcontext* ctx, int sfactor, int dfactor);
void vgSetBlendFuncSeparate(NVGcontext* ctx, int srcRGB, int dstRGB, int srcAlpha, int dstAlpha);
void vgGetImageSize(NVGcontext* ctx, int image, int* w, int* h);

// Transforms.
void vgTransformIdentity(float* t);
void vgTransformSetTranslate(float* t, float tx, float ty);
void vgTransformSetScale(float* t, float sx, float sy);
void vgTransformSetRotate(float* t, float a);
void vgTransformSetSkewX(float* t, float a);
void vgTransformSetSkewY(float* t, float a);
void vgTransformMultiply(float* t, const float* s);
void vgTransformPremultiply(float* t, const float* s);
int vgTransformInvert(float* inv, const float* t);
void vgTransformPoint(float* dx, float* dy, const float* t, float sx, float sy);
float vgDegToRad(float deg);
float vgRadToDeg(float rad);
void vgApplyTransform(NVGcontext* ctx, float a, float b, float c, float d, float e, float f);
void vgTranslate(NVGcontext* ctx, float x, float y);
void vgRotate(NVGcontext* ctx, float angle);
void vgSkewX(NVGcontext* ctx, float angle);
void vgSkewY(NVGcontext* ctx, float angle);
void vgScale(NVGcontext* ctx, float x, float y);
void vgResetTransform(NVGcontext* ctx);
void vgGetTransform(NVGcontext* ctx, float* xform);

// Colours.
NVGcolor vgColorRGB(unsigned char r, unsigned char g, unsigned char b);
NVGcolor vgColorRGBA(unsigned char r, unsigned char g, unsigned char b, unsigned char a);
NVGcolor vgColorRGBf(float r, float g, float b);
NVGcolor vgColorRGBAf(float r, float g, float b, float a);
NVGcolor vgColorTransAlpha(NVGcolor c, unsigned char a);
NVGcolor vgColorTransAlphaf(NVGcolor c, float a);
NVGcolor vgColorMix(NVGcolor c0, NVGcolor c1, float u);
NVGcolor vgColorHSL(float h, float s, float l);
NVGcolor vgColorHSLA(float h, float s, float l, unsigned char a);

// Paints (the context argument is not read) and the paint setters of the draw state.
NVGpaint vgLinearGradient(NVGcontext* ctx, float sx, float sy, float ex, float ey, NVGcolor icol, NVGcolor ocol);
NVGpaint vgRoundedBoxGradient(NVGcontext* ctx, float x, float y, float w, float h, float r, float f, NVGcolor icol,
                              NVGcolor ocol);
NVGpaint vgRadialGradient(NVGcontext* ctx, float cx, float cy, float inr, float outr, NVGcolor icol, NVGcolor ocol);
NVGpaint vgImagePaint(NVGcontext* ctx, float ox, float oy, float ex, float ey, float angle, int image, float alpha);
void vgSetFillColor(NVGcontext* ctx, NVGcolor color);
void vgSetStrokeColor(NVGcontext* ctx, NVGcolor color);
void vgSetFillPaint(NVGcontext* ctx, NVGpaint paint);
void vgSetStrokePaint(NVGcontext* ctx, NVGpaint paint);

// Scissor.
void vgSetScissor(NVGcontext* ctx, float x, float y, float w, float h);
void vgIntersectScissor(NVGcontext* ctx, float x, float y, float w, float h);
void vgResetScissor(NVGcontext* ctx);

// Images; the back end owns the textures. Ids are > 0; 0 means failure.
int vgCreateImageFromFile(NVGcontext* ctx, const char* path, int imageFlags);
int vgCreateImageFromMemory(NVGcontext* ctx, int imageFlags, unsigned char* data, int size);
int vgCreateImageFromPixels(NVGcontext* ctx, int w, int h, int imageFlags, const unsigned char* rgba);
void vgReplaceImagePixels(NVGcontext* ctx, int image, const unsigned char* data);
void vgDeleteImage(NVGcontext* ctx, int image);

// Paths.
void vgBeginPath(NVGcontext* ctx);
void vgMoveTo(NVGcontext* ctx, float x, float y);
void vgLineTo(NVGcontext* ctx, float x, float y);
void vgBezierTo(NVGcontext* ctx, float c1x, float c1y, float c2x, float c2y, float x, float y);
void vgQuadTo(NVGcontext* ctx, float cx, float cy, float x, float y);
void vgArcTo(NVGcontext* ctx, float x1, float y1, float x2, float y2, float radius);
void vgClosePath(NVGcontext* ctx);
void vgSetPathWinding(NVGcontext* ctx, int dir);
void vgArc(NVGcontext* ctx, float cx, float cy, float r, float a0, float a1, int dir);
void vgRect(NVGcontext* ctx, float x, float y, float w, float h);
void vgRoundedRect(NVGcontext* ctx, float x, float y, float w, float h, float r);
void vgRoundedRectCorners(NVGcontext* ctx, float x, float y, float w, float h, float radTopLeft, float radTopRight,
                          float radBottomRight, float radBottomLeft);
void vgEllipse(NVGcontext* ctx, float cx, float cy, float rx, float ry);
void vgCircle(NVGcontext* ctx, float cx, float cy, float r);

// Fill and stroke the current path.
void vgFill(NVGcontext* ctx);
void vgStroke(NVGcontext* ctx);
void vgDumpPathCache(NVGcontext* ctx);

// Fonts (ids of the glyph atlas; -1 on failure) and the text style of the draw state.
int vgAddFontFromFile(NVGcontext* ctx, const char* name, const char* path);
int vgAddFontFromFileAtIndex(NVGcontext* ctx, const char* name, const char* path, int fontIndex);
int vgAddFontFromMemory(NVGcontext* ctx, const char* name, unsigned char* data, int ndata, int freeData);
// checked: these bytes were added at this index before and accepted (see atlasAddFontMemory).
int vgAddFontFromMemoryAtIndex(NVGcontext* ctx, const char* name, unsigned char* data, int ndata, int fontIndex,
                               int freeData, int checked);
int vgFindFont(NVGcontext* ctx, const char* name);
int vgAddFallbackFontId(NVGcontext* ctx, int baseFont, int fallbackFont);
int vgAddFallbackFont(NVGcontext* ctx, const char* baseFont, const char* fallbackFont);
void vgSetFontSize(NVGcontext* ctx, float size);
void vgSetFontBlur(NVGcontext* ctx, float blur);
void vgSetTextLetterSpacing(NVGcontext* ctx, float spacing);
void vgSetTextLineHeight(NVGcontext* ctx, float lineHeight);
void vgSetTextAlign(NVGcontext* ctx, int align);
void vgSetFontById(NVGcontext* ctx, int font);
void vgSetFontByName(NVGcontext* ctx, const char* font);

// Text. `end` null means up to the terminating NUL. Text whose scale cannot be rasterised (a
// vanishing transform, a glyph under 0.2 pixels or beyond the atlas's 16-bit sizes) is neither
// drawn nor measured.
float vgDrawText(NVGcontext* ctx, float x, float y, const char* string, const char* end);
float vgMeasureText(NVGcontext* ctx, float x, float y, const char* string, const char* end, float* bounds);
void vgFontVerticalMetrics(NVGcontext* ctx, float* ascender, float* descender, float* lineh);
int vgGlyphPositions(NVGcontext* ctx, float x, float y, const char* string, const char* end,
                     NVGglyphPosition* positions, int maxPositions);
int vgWrapTextRows(NVGcontext* ctx, const char* string, const char* end, float breakRowWidth, NVGtextRow* rows,
                   int maxRows);
void vgDrawWrappedText(NVGcontext* ctx, float x, float y, float breakRowWidth, const char* string, const char* end);
void vgMeasureWrappedText(NVGcontext* ctx, float x, float y, float breakRowWidth, const char* string, const char* end,
                          float* bounds);
