// The rasteriser that runs a render pass's draws on the CPU.
//
// Triangles are rasterised at pixel centres with 8 bits of sub-pixel precision and the top-left
// rule, so that an edge shared by two triangles covers each pixel once. Facing is judged as the
// triangle appears in the window (y down). Per pixel: stencil test of the facing side, fragment
// function (which may discard), stencil operation, blending and the colour write mask.
#include "platform/Metal/MTLRasteriser.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace mtlraster {
namespace {
using namespace mtlpixels;

float blendFactor(MTLBlendFactor f, const float src[4], const float dst[4], int channel)
{
  const bool alpha = channel == 3;
  switch (f)
  {
    case MTLBlendFactorZero: return 0.0f;
    case MTLBlendFactorOne: return 1.0f;
    case MTLBlendFactorSourceColor: return src[channel];
    case MTLBlendFactorOneMinusSourceColor: return 1.0f - src[channel];
    case MTLBlendFactorSourceAlpha: return src[3];
    case MTLBlendFactorOneMinusSourceAlpha: return 1.0f - src[3];
    case MTLBlendFactorDestinationColor: return dst[channel];
    case MTLBlendFactorOneMinusDestinationColor: return 1.0f - dst[channel];
    case MTLBlendFactorDestinationAlpha: return dst[3];
    case MTLBlendFactorOneMinusDestinationAlpha: return 1.0f - dst[3];
    case MTLBlendFactorSourceAlphaSaturated: return alpha ? 1.0f : std::min(src[3], 1.0f - dst[3]);
  }
  return 0.0f;
}

void blend(const MTLRenderPipelineColorAttachmentDescriptor& a, const float src[4], float dst[4])
{
  float out[4];
  for (int c = 0; c < 4; c++)
  {
    const bool alpha = c == 3;
    const float s = blendFactor(alpha ? a.sourceAlphaBlendFactor : a.sourceRGBBlendFactor, src, dst, c);
    const float d = blendFactor(alpha ? a.destinationAlphaBlendFactor : a.destinationRGBBlendFactor, src, dst, c);
    out[c] = src[c] * s + dst[c] * d;
  }
  std::memcpy(dst, out, sizeof(out));
}

// Blending that gives the source as it is: the same as no blending, byte for byte (the target's
// share is zero times a finite stored value).
bool isReplace(const MTLRenderPipelineColorAttachmentDescriptor& a)
{
  return a.sourceRGBBlendFactor == MTLBlendFactorOne && a.sourceAlphaBlendFactor == MTLBlendFactorOne &&
         a.destinationRGBBlendFactor == MTLBlendFactorZero && a.destinationAlphaBlendFactor == MTLBlendFactorZero;
}

bool isSourceOver(const MTLRenderPipelineColorAttachmentDescriptor& a)
{
  return a.sourceRGBBlendFactor == MTLBlendFactorOne && a.sourceAlphaBlendFactor == MTLBlendFactorOne &&
         a.destinationRGBBlendFactor == MTLBlendFactorOneMinusSourceAlpha &&
         a.destinationAlphaBlendFactor == MTLBlendFactorOneMinusSourceAlpha;
}

bool stencilCompare(MTLCompareFunction f, uint32_t reference, uint32_t stored)
{
  switch (f)
  {
    case MTLCompareFunctionNever: return false;
    case MTLCompareFunctionLess: return reference < stored;
    case MTLCompareFunctionEqual: return reference == stored;
    case MTLCompareFunctionLessEqual: return reference <= stored;
    case MTLCompareFunctionGreater: return reference > stored;
    case MTLCompareFunctionNotEqual: return reference != stored;
    case MTLCompareFunctionGreaterEqual: return reference >= stored;
    case MTLCompareFunctionAlways: return true;
  }
  return true;
}

void stencilApply(MTLStencilOperation op, const MTLStencilDescriptor& d, uint32_t reference, unsigned char* stored)
{
  const unsigned s = *stored;
  unsigned v = s;
  switch (op)
  {
    case MTLStencilOperationKeep: return;
    case MTLStencilOperationZero: v = 0; break;
    case MTLStencilOperationReplace: v = reference; break;
    case MTLStencilOperationIncrementClamp: v = s < 255 ? s + 1 : 255; break;
    case MTLStencilOperationDecrementClamp: v = s > 0 ? s - 1 : 0; break;
    case MTLStencilOperationInvert: v = ~s; break;
    case MTLStencilOperationIncrementWrap: v = s + 1; break;
    case MTLStencilOperationDecrementWrap: v = s - 1; break;
  }
  *stored = static_cast<unsigned char>(((s & ~d.writeMask) | (v & d.writeMask)) & 0xFF);
}

// The smallest x with d x >= n (d > 0).
int64_t ceilDiv(int64_t n, int64_t d)
{
  const int64_t x = n / d;  // rounded towards zero
  return x * d < n ? x + 1 : x;
}

// The first and last pixel whose centre is at or after (at or before) a sub-pixel position; the
// shifts round towards minus infinity.
int64_t firstCentre(int64_t s)
{
  return (s - kSubPixel / 2 + kSubPixel - 1) >> kSubPixelBits;
}
int64_t lastCentre(int64_t s)
{
  return (s - kSubPixel / 2) >> kSubPixelBits;
}

// The sub-pixel position of a pixel column's or row's centre.
int64_t centre(int64_t pixel)
{
  return pixel * kSubPixel + kSubPixel / 2;
}

// E(x, y) = a (x - px) + b (y - py), in sub-pixels: zero on the edge through (px, py).
struct Edge
{
  int64_t a, b, px, py;
  bool topLeft;
  int64_t at(int64_t x, int64_t y) const { return a * (x - px) + b * (y - py); }
};

Edge makeEdge(const Vertex& p, const Vertex& q)
{
  const int64_t dx = q.x - p.x, dy = q.y - p.y;
  // E = dx (y - p.y) - dy (x - p.x): positive inside a triangle of positive area.
  return {-dy, dx, p.x, p.y, dy < 0 || (dy == 0 && dx > 0)};
}

// What every pixel of one draw needs, worked out once per draw.
struct PixelPipeline
{
  // The fragment function's span body for the draw, or else its body for single fragments; both
  // null: no fragment function.
  MTLFragmentSpanBody spanBody = nullptr;
  MTLFragmentFunctionBody fragment = nullptr;
  const MTLShaderResources* resources = nullptr;
  unsigned char* colour = nullptr;  // null: no colour written
  NSUInteger colourStride = 0, colourBpp = 0;
  TexelLayout layout{};
  NSUInteger writeMask = 0;
  const MTLRenderPipelineColorAttachmentDescriptor* attachment = nullptr;
  bool blending = false, sourceOver = false;
  bool wholeTexel = false;           // four channels stored and all written
  unsigned char* stencil = nullptr;  // null: no stencil test
  NSUInteger stencilStride = 0;
  const MTLStencilDescriptor* front = nullptr;
  const MTLStencilDescriptor* back = nullptr;
  uint32_t reference = 0;
  int64_t clip[4] = {};  // first and last pixel columns and rows: the viewport inside the targets
  LaneConstants lanes;
  const TexelRowKernels* kernels = &rowKernels();
};

// A number of the scissor rectangle, held far beyond any target so that sums cannot overflow.
int64_t scissorPixel(NSUInteger v)
{
  return static_cast<int64_t>(std::min<NSUInteger>(v, NSUInteger{1} << 40));
}

PixelPipeline pixelPipeline(const PassState& st)
{
  PixelPipeline pp;
  const MTLRenderPipelineDescriptor& pd = st.pipeline->descriptor;
  if (const MTLFunction* function = pd.fragmentFunction.get())
  {
    pp.spanBody = function->specialiser ? function->specialiser(st.fragmentResources) : nullptr;
    pp.fragment = pp.spanBody ? nullptr : function->fragment;
  }
  pp.resources = &st.fragmentResources;
  pp.attachment = &pd.colorAttachments[0];
  pp.writeMask = pp.attachment->writeMask;
  if ((pp.spanBody || pp.fragment) && st.colour && pp.writeMask != MTLColorWriteMaskNone)
  {
    pp.colour = st.colour->texel(0, 0);
    pp.colourBpp = st.colour->bytesPerPixel();
    pp.colourStride = st.colour->width() * pp.colourBpp;
    pp.layout = texelLayout(st.colour->pixelFormat());
    pp.blending = pp.attachment->blendingEnabled && !isReplace(*pp.attachment);
    pp.sourceOver = pp.blending && isSourceOver(*pp.attachment);
    pp.wholeTexel = pp.colourBpp == 4 && pp.writeMask == MTLColorWriteMaskAll;
  }
  // A state that passes everything and changes nothing needs no stencil at all.
  auto passive = [](const MTLStencilDescriptor& d) {
    return d.stencilCompareFunction == MTLCompareFunctionAlways &&
           d.depthStencilPassOperation == MTLStencilOperationKeep;
  };
  const bool stencilUsed = st.depthStencil && !(passive(st.depthStencil->front) && passive(st.depthStencil->back));
  if (st.stencil && stencilUsed && pd.stencilAttachmentPixelFormat == MTLPixelFormatStencil8)
  {
    pp.stencil = st.stencil->texel(0, 0);
    pp.stencilStride = st.stencil->width();
    pp.front = &st.depthStencil->front;
    pp.back = &st.depthStencil->back;
    pp.reference = st.stencilReference;
  }
  NSUInteger targetW = st.colour ? st.colour->width() : (st.stencil ? st.stencil->width() : 0);
  NSUInteger targetH = st.colour ? st.colour->height() : (st.stencil ? st.stencil->height() : 0);
  if (st.stencil)
  {
    targetW = std::min(targetW, st.stencil->width());
    targetH = std::min(targetH, st.stencil->height());
  }
  pp.clip[0] = static_cast<int64_t>(std::ceil(std::max(0.0, st.viewport.originX)));
  pp.clip[1] = static_cast<int64_t>(std::ceil(std::max(0.0, st.viewport.originY)));
  pp.clip[2] = static_cast<int64_t>(std::floor(std::min<double>(targetW, st.viewport.originX + st.viewport.width))) - 1;
  pp.clip[3] = static_cast<int64_t>(std::floor(std::min<double>(targetH, st.viewport.originY + st.viewport.height))) -
               1;
  // The scissor rectangle cuts the viewport further.
  const auto at = scissorPixel;
  pp.clip[0] = std::max(pp.clip[0], at(st.scissor.x));
  pp.clip[1] = std::max(pp.clip[1], at(st.scissor.y));
  pp.clip[2] = std::min(pp.clip[2], at(st.scissor.x) + at(st.scissor.width) - 1);
  pp.clip[3] = std::min(pp.clip[3], at(st.scissor.y) + at(st.scissor.height) - 1);
  return pp;
}

template <bool kBGRA>
inline void writeWholeTexel(const LaneConstants& k, bool blending, unsigned char* texel, const float colour[4])
{
  blendWhole(k, blending, texel, wholeSource<kBGRA>(k, colour));
}

// The colours of a span's fragments; every fragment is kept when the pipeline has no fragment
// function.
void shadeSpan(const PixelPipeline& pp, const MTLFragmentSpan& span, MTLFragmentColours& out)
{
  out.form = MTLFragmentColours::PerFragment;
  if (pp.spanBody)
  {
    pp.spanBody(span, *pp.resources, out);
    return;
  }
  if (!pp.fragment)
  {
    std::fill(out.kept, out.kept + span.count, true);
    return;
  }
  // A function without a span body shades one fragment at a time.
  MTLFragmentIn in = span.first;
  for (int i = 0; i < span.count; i++)
  {
    for (int v = 0; v < kMTLMaxVaryings; v++)
      in.varyings[v] = span.first.varyings[v] + static_cast<float>(span.start + i) * span.step[v];
    in.position[0] = span.first.position[0] + static_cast<float>(i);
    out.kept[i] = pp.fragment(in, *pp.resources, out.colours[i]);
  }
}

// What happens to the shaded fragments of a span that starts at (x, y): from the stencil test to
// the colour write.
using SpanStage = void (*)(const PixelPipeline& pp, int64_t x, int64_t y, bool front, MTLFragmentColours& out,
                           int count);

// Any pipeline state. kWhole: four channels stored and all written.
template <bool kWhole>
void writePixels(const PixelPipeline& pp, int64_t x, int64_t y, bool front, MTLFragmentColours& out, int count)
{
  out.spread(count);
  unsigned char* stencil = pp.stencil ? pp.stencil + y * pp.stencilStride + x : nullptr;
  const MTLStencilDescriptor* sd = front ? pp.front : pp.back;
  unsigned char* texel = pp.colour ? pp.colour + y * pp.colourStride + x * pp.colourBpp : nullptr;
  for (int i = 0; i < count; i++)
  {
    unsigned char* stored = stencil ? stencil + i : nullptr;
    if (stored && !stencilCompare(sd->stencilCompareFunction, pp.reference & sd->readMask, *stored & sd->readMask))
    {
      stencilApply(sd->stencilFailureOperation, *sd, pp.reference, stored);
      continue;
    }
    if (!out.kept[i])
      continue;
    if (stored)
      stencilApply(sd->depthStencilPassOperation, *sd, pp.reference, stored);
    if (!texel)
      continue;
    unsigned char* p = texel + i * pp.colourBpp;
    if (kWhole && (pp.sourceOver || !pp.blending))
    {
      if (pp.layout.channel[0] == 0)
        writeWholeTexel<false>(pp.lanes, pp.blending, p, out.colours[i]);
      else
        writeWholeTexel<true>(pp.lanes, pp.blending, p, out.colours[i]);
      continue;
    }
    float colour[4];
    for (int c = 0; c < 4; c++)
      colour[c] = std::clamp(out.colours[i][c], 0.0f, 1.0f);
    if (pp.blending)
    {
      float dst[4];
      readTexel<kWhole>(pp.layout, p, dst);
      blend(*pp.attachment, colour, dst);
      writeTexel<kWhole>(pp.layout, p, dst, pp.writeMask);
    }
    else
    {
      writeTexel<kWhole>(pp.layout, p, colour, pp.writeMask);
    }
  }
}

// Only the stencil written, by a test every fragment passes and with no fragment function to
// discard any: the shape pass of a concave fill, where a whole span takes one operation.
void writeStencilOnly(const PixelPipeline& pp, int64_t x, int64_t y, bool front, MTLFragmentColours&, int count)
{
  const MTLStencilDescriptor& sd = front ? *pp.front : *pp.back;
  unsigned char* stored = pp.stencil + y * pp.stencilStride + x;
  const MTLStencilOperation op = sd.depthStencilPassOperation;
  if (op == MTLStencilOperationIncrementWrap || op == MTLStencilOperationDecrementWrap)
  {
    const unsigned mask = sd.writeMask & 0xFF;
    const unsigned delta = op == MTLStencilOperationIncrementWrap ? 1 : 0xFF;
    for (int i = 0; i < count; i++)
      stored[i] = static_cast<unsigned char>((stored[i] & ~mask) | ((stored[i] + delta) & mask));
    return;
  }
  for (int i = 0; i < count; i++)
    stencilApply(op, sd, pp.reference, stored + i);
}

// The common state, with nothing left to decide per fragment: no stencil, source-over blending
// into an RGBA or BGRA target with every channel written. Each form of the colours is written as
// the per-fragment form would be, byte for byte.
template <bool kBGRA>
void writeSourceOver(const PixelPipeline& pp, int64_t x, int64_t y, bool, MTLFragmentColours& out, int count)
{
  const LaneConstants& k = pp.lanes;
  unsigned char* texel = pp.colour + y * pp.colourStride + x * 4;
  switch (out.form)
  {
    case MTLFragmentColours::PerFragment: pp.kernels->blendColours(texel, out.colours, out.kept, count, kBGRA); break;
    case MTLFragmentColours::Uniform:
    {
      const Lanes colour = wholeSource<kBGRA>(k, out.colours[0]);
      if (colour[3] != 1.0f)
      {
        // A source of zeros leaves the texels as they are.
        float source[4];
        std::memcpy(source, &colour, sizeof(source));
        if (laneBits(colour == k.zero) != 0xF)
          pp.kernels->blendUniform(texel, source, count);
        break;
      }
      // Opaque: the same bytes everywhere, stored four texels at a time.
      unsigned char bytes[16];
      toBytes(colour * k.toByte + k.half, bytes);
      for (int i = 4; i < 16; i += 4)
        std::memcpy(bytes + i, bytes, 4);
      int i = 0;
      for (; i + 4 <= count; i += 4)
        std::memcpy(texel + 4 * i, bytes, 16);
      for (; i < count; i++)
        std::memcpy(texel + 4 * i, bytes, 4);
      break;
    }
    case MTLFragmentColours::Texels:
      pp.kernels->blendTexels(texel, out.texels, count, (out.texelFormat == MTLPixelFormatBGRA8Unorm) != kBGRA);
      break;
  }
}

// No stencil and no blending into an RGBA or BGRA target with every channel written: what a frame
// composited onto a drawable does, replacing what the drawable held. Each form of the colours is
// written as the per-fragment form would be, byte for byte.
template <bool kBGRA>
void writeReplace(const PixelPipeline& pp, int64_t x, int64_t y, bool, MTLFragmentColours& out, int count)
{
  unsigned char* texel = pp.colour + y * pp.colourStride + x * 4;
  if (out.form == MTLFragmentColours::Texels)
  {
    // A stored byte comes back from its conversion unchanged: the texels are copied as they are.
    pp.kernels->copyTexels(texel, out.texels, count, (out.texelFormat == MTLPixelFormatBGRA8Unorm) != kBGRA);
    return;
  }
  if (out.form == MTLFragmentColours::Uniform)
  {
    writeWholeTexel<kBGRA>(pp.lanes, false, texel, out.colours[0]);
    for (int i = 1; i < count; i++)
      std::memcpy(texel + 4 * i, texel, 4);
    return;
  }
  for (int i = 0; i < count; i++)
    if (out.kept[i])
      writeWholeTexel<kBGRA>(pp.lanes, false, texel + 4 * i, out.colours[i]);
}

// A stencil test whose operations only keep or zero the stored value, then source-over into whole
// texels: the fringe and the cover pass of a concave fill. The whole span is tested first; what
// passes is then written as the pass without a stencil writes it, so the colours stay in the form
// the fragment function gave them.
template <bool kBGRA>
void writeStencilledSourceOver(const PixelPipeline& pp, int64_t x, int64_t y, bool front, MTLFragmentColours& out,
                               int count)
{
  const MTLStencilDescriptor& sd = front ? *pp.front : *pp.back;
  unsigned char* stored = pp.stencil + y * pp.stencilStride + x;
  if (out.form == MTLFragmentColours::Texels)
    out.spread(count);
  const bool perFragment = out.form == MTLFragmentColours::PerFragment;
  const uint32_t reference = pp.reference & sd.readMask;
  const auto kept = static_cast<unsigned char>(~sd.writeMask);  // what zeroing leaves
  const bool zeroOnFail = sd.stencilFailureOperation == MTLStencilOperationZero;
  const bool zeroOnPass = sd.depthStencilPassOperation == MTLStencilOperationZero;
  bool passed[kMTLMaxSpan];
  // The fill passes test for equality either way round: those tests run without a call each.
  auto test = [&](auto compare) {
    for (int i = 0; i < count; i++)
      passed[i] = compare(reference, stored[i] & sd.readMask);
  };
  const MTLCompareFunction f = sd.stencilCompareFunction;
  if (f == MTLCompareFunctionEqual)
    test([](uint32_t r, uint32_t v) { return r == v; });
  else if (f == MTLCompareFunctionNotEqual)
    test([](uint32_t r, uint32_t v) { return r != v; });
  else
    test([f](uint32_t r, uint32_t v) { return stencilCompare(f, r, v); });
  for (int i = 0; i < count; i++)
  {
    // A discarded fragment fails no test, but leaves the stencil as it is when it passes.
    const bool write = passed[i] && (!perFragment || out.kept[i]);
    if (passed[i] ? write && zeroOnPass : zeroOnFail)
      stored[i] &= kept;
    passed[i] = write;
  }
  if (perFragment)
  {
    std::copy(passed, passed + count, out.kept);
    writeSourceOver<kBGRA>(pp, x, y, front, out, count);
    return;
  }
  // One colour for all: each run of fragments that passed is written as a span of its own.
  for (int i = 0; i < count;)
  {
    if (!passed[i])
    {
      i++;
      continue;
    }
    int end = i + 1;
    while (end < count && passed[end])
      end++;
    writeSourceOver<kBGRA>(pp, x + i, y, front, out, end - i);
    i = end;
  }
}

// Which pixels of a triangle are covered: both walkers below call span(y, first, last, w0, w1)
// for each row with any, in order from the top, with the first two edge functions' values at the
// first pixel. A pixel is covered when its centre has E >= 0 on every top-left edge and E >= 1 on
// the others; the covered pixels of a row are contiguous.

// A triangle at most four pixels wide: every edge function on four lanes, one per column, stepped
// row by row; no division at all. For triangles whose values all fit in 32 bits (narrowFits).
template <class Span>
void coverNarrow(const Edge (&e)[3], int64_t minX, int64_t minY, int64_t maxX, int64_t maxY, Span&& span)
{
  IntLanes value[3], rowStep[3], outside[3];
  for (int i = 0; i < 3; i++)
  {
    const int64_t at = e[i].at(centre(minX), centre(minY)), step = e[i].a * kSubPixel;
    value[i] = IntLanes{static_cast<int>(at), static_cast<int>(at + step), static_cast<int>(at + 2 * step),
                        static_cast<int>(at + 3 * step)};
    rowStep[i] = IntLanes{} + static_cast<int>(e[i].b * kSubPixel);
    outside[i] = IntLanes{} + (e[i].topLeft ? -1 : 0);  // the greatest value outside the edge
  }
  const int columns = (2 << (maxX - minX)) - 1;
  for (int64_t y = minY; y <= maxY; y++)
  {
    const int covered = laneBits((value[0] > outside[0]) & (value[1] > outside[1]) & (value[2] > outside[2])) & columns;
    if (covered)
    {
      const int first = __builtin_ctz(covered), last = 31 - __builtin_clz(covered);
      span(y, minX + first, minX + last, value[0][first], value[1][first]);
    }
    for (int i = 0; i < 3; i++)
      value[i] += rowStep[i];
  }
}

// Whether coverNarrow may walk a triangle: at most four columns, and no edge function value it
// meets (four columns from the first, rows down to one past the last, all within the vertices'
// extent spanW x spanH but for those) reaches 2^31.
bool narrowFits(int64_t minX, int64_t maxX, int64_t spanW, int64_t spanH)
{
  return maxX - minX < 4 && spanH * (spanW + 3 * kSubPixel) + spanW * (spanH + kSubPixel) < (int64_t{1} << 31);
}

// Any triangle: per edge, the first (or last) pixel of each row inside it. The bound is
// ceil(n / d) for a numerator n that changes by the same amount every row, so it is stepped
// exactly from row to row, kept as n = q d - r with 0 <= r < d.
struct Bound
{
  int64_t q, r = 0, d = 1, dq = 0, dr = 0;
  void next()
  {
    q += dq;
    r += dr;
    const bool carry = r >= d;
    r -= carry ? d : 0;
    q -= carry;
  }
};

// The rows between kFirsts left bounds and kLasts right ones.
template <int kFirsts, int kLasts, class Span>
void walkRows(Bound* first, Bound* last, const Edge (&e)[3], int64_t minX, int64_t minY, int64_t maxX, int64_t maxY,
              Span& span)
{
  for (int64_t y = minY; y <= maxY; y++)
  {
    int64_t x0 = minX, x1 = maxX;
    for (int i = 0; i < kFirsts; i++)
    {
      x0 = std::max(x0, first[i].q);
      first[i].next();
    }
    for (int i = 0; i < kLasts; i++)
    {
      x1 = std::min(x1, last[i].q);
      last[i].next();
    }
    if (x0 <= x1)
      span(y, x0, x1, e[0].at(centre(x0), centre(y)), e[1].at(centre(x0), centre(y)));
  }
}

template <class Span>
void coverBounded(const Edge (&e)[3], int64_t minX, int64_t minY, int64_t maxX, int64_t maxY, Span&& span)
{
  // need(y): how far E at the centre of row y's pixel 0 falls short of the edge's inside (E >= 0
  // on a top-left edge, E >= 1 on the others). Pixel x of the row is inside when step x >= need(y),
  // step being E's growth from one pixel to the next.
  auto need = [](const Edge& edge, int64_t y) { return (edge.topLeft ? 0 : 1) - edge.at(centre(0), centre(y)); };
  // A horizontal edge: a row is all in or all out, and need is monotonic, so only rows at the
  // ends can be out (at most the one the edge lies on).
  for (const Edge& edge : e)
  {
    if (edge.a != 0)
      continue;
    while (minY <= maxY && need(edge, minY) > 0)
      minY++;
    while (minY <= maxY && need(edge, maxY) > 0)
      maxY--;
  }
  Bound first[2] = {}, last[2] = {};
  int firsts = 0, lasts = 0;
  for (const Edge& edge : e)
  {
    if (edge.a == 0)
      continue;
    // step x >= need: x >= need / step on a left bound; x <= need / step, that is
    // x < (1 - need) / -step rounded up, on a right one.
    const int64_t step = edge.a * kSubPixel;
    const int64_t d = step > 0 ? step : -step;
    const int64_t n = step > 0 ? need(edge, minY) : 1 - need(edge, minY);
    const int64_t nStep = (step > 0 ? -edge.b : edge.b) * kSubPixel;
    Bound b;
    b.d = d;
    b.q = ceilDiv(n, d);
    b.r = b.q * d - n;
    b.dq = ceilDiv(nStep, d);
    b.dr = b.dq * d - nStep;
    if (step > 0)
    {
      first[firsts++] = b;
    }
    else
    {
      b.q--;
      last[lasts++] = b;
    }
  }
  // A triangle of positive area has one or two bounds on each side, three in all.
  if (firsts == 2)
    walkRows<2, 1>(first, last, e, minX, minY, maxX, maxY, span);
  else if (lasts == 2)
    walkRows<1, 2>(first, last, e, minX, minY, maxX, maxY, span);
  else
    walkRows<1, 1>(first, last, e, minX, minY, maxX, maxY, span);
}

template <SpanStage kStage>
void rasterize(const PassState& st, const PixelPipeline& pp, const Vertex& v0, const Vertex& b, const Vertex& c)
{
  int64_t area = (b.x - v0.x) * (c.y - v0.y) - (c.x - v0.x) * (b.y - v0.y);
  if (area == 0)
    return;
  // With y down, a positive area is a clockwise triangle on screen.
  const bool clockwise = area > 0;
  const bool front = (st.winding == MTLWindingClockwise) == clockwise;
  if ((st.cull == MTLCullModeFront && front) || (st.cull == MTLCullModeBack && !front))
    return;
  // Taken in the order that makes the area positive.
  const Vertex& v1 = area > 0 ? b : c;
  const Vertex& v2 = area > 0 ? c : b;
  area = area > 0 ? area : -area;
  const Edge e[3] = {makeEdge(v1, v2), makeEdge(v2, v0), makeEdge(v0, v1)};

  // Pixels whose centres lie within the triangle's extent, clipped to the viewport and the target.
  // (A centre outside the extent is outside some edge, so it never counts.)
  const int64_t left = std::min({v0.x, v1.x, v2.x}), right = std::max({v0.x, v1.x, v2.x});
  const int64_t top = std::min({v0.y, v1.y, v2.y}), bottom = std::max({v0.y, v1.y, v2.y});
  const int64_t minX = std::max(pp.clip[0], firstCentre(left)), maxX = std::min(pp.clip[2], lastCentre(right));
  const int64_t minY = std::max(pp.clip[1], firstCentre(top)), maxY = std::min(pp.clip[3], lastCentre(bottom));
  if (minX > maxX || minY > maxY)
    return;

  // The fragments' inputs: what is the same for the triangle or the row is set once. The varyings
  // are interpolated on all four at once, as the third corner's value plus the others' differences
  // from it, weighted: a varying equal at all three corners is then exactly that value.
  static_assert(sizeof(Lanes) == sizeof(MTLVertexOut::varyings));
  Lanes corner[3];
  std::memcpy(&corner[0], v0.out.varyings, sizeof(Lanes));
  std::memcpy(&corner[1], v1.out.varyings, sizeof(Lanes));
  std::memcpy(&corner[2], v2.out.varyings, sizeof(Lanes));
  const Lanes towards0 = corner[0] - corner[2], towards1 = corner[1] - corner[2];
  const float invArea = 1.0f / static_cast<float>(area);
  const int64_t step0 = e[0].a * kSubPixel, step1 = e[1].a * kSubPixel;
  const Lanes step = static_cast<float>(step0) * invArea * towards0 + static_cast<float>(step1) * invArea * towards1;
  MTLFragmentSpan run{};
  run.first.position[3] = 1.0f;
  run.first.frontFacing = front;
  std::memcpy(run.step, &step, sizeof(run.step));
  MTLFragmentColours shaded;
  // A row is cut into runs at whole multiples of the longest run, and each takes its varyings from
  // the first pixel of its piece of the row: a fragment's varyings are then the same wherever a
  // scissor or the target's edge cuts its row, so that a partial redraw matches a whole one.
  auto span = [&](int64_t y, int64_t x0, int64_t x1, int64_t w0, int64_t w1) {
    run.first.position[1] = static_cast<float>(y) + 0.5f;
    for (int64_t x = x0; x <= x1;)
    {
      const int64_t base = x - x % kMTLMaxSpan, end = std::min(x1, base + kMTLMaxSpan - 1);
      run.count = static_cast<int>(end - x + 1);
      // The shape pass of a concave fill has no fragment function and reads no fragment: a span
      // of it is only counted into the stencil.
      if constexpr (kStage != &writeStencilOnly)
      {
        const Lanes varyings = corner[2] + static_cast<float>(w0 + (base - x0) * step0) * invArea * towards0 +
                               static_cast<float>(w1 + (base - x0) * step1) * invArea * towards1;
        std::memcpy(run.first.varyings, &varyings, sizeof(run.first.varyings));
        run.first.position[0] = static_cast<float>(x) + 0.5f;
        run.start = static_cast<int>(x - base);
        shadeSpan(pp, run, shaded);
      }
      kStage(pp, x, y, front, shaded, run.count);
      x = end + 1;
    }
  };
  if (narrowFits(minX, maxX, right - left, bottom - top))
    coverNarrow(e, minX, minY, maxX, maxY, span);
  else
    coverBounded(e, minX, minY, maxX, maxY, span);
}

template <SpanStage kStage>
void drawTriangles(const PassState& st, const PixelPipeline& pp, MTLPrimitiveType type, const std::vector<Vertex>& v)
{
  if (type == MTLPrimitiveTypeTriangle)
  {
    for (size_t i = 0; i + 2 < v.size(); i += 3)
      rasterize<kStage>(st, pp, v[i], v[i + 1], v[i + 2]);
  }
  else if (type == MTLPrimitiveTypeTriangleStrip)
  {
    // Every second triangle of a strip runs the other way round; swapping keeps one facing.
    for (size_t i = 0; i + 2 < v.size(); i++)
      if (i % 2 == 0)
        rasterize<kStage>(st, pp, v[i], v[i + 1], v[i + 2]);
      else
        rasterize<kStage>(st, pp, v[i + 1], v[i], v[i + 2]);
  }
}

// Whether a stencil state's operations only keep or zero what they find.
bool keepsOrZeroes(const MTLStencilDescriptor& d)
{
  auto keepOrZero = [](MTLStencilOperation op) {
    return op == MTLStencilOperationKeep || op == MTLStencilOperationZero;
  };
  return keepOrZero(d.stencilFailureOperation) && keepOrZero(d.depthStencilPassOperation);
}
}  // namespace

void drawVertices(const PassState& st, MTLPrimitiveType type, const std::vector<Vertex>& v)
{
  const PixelPipeline pp = pixelPipeline(st);
  if (pp.stencil && st.stencilClear && !v.empty())
  {
    const auto [top, bottom] = std::minmax_element(v.begin(), v.end(),
                                                   [](const Vertex& a, const Vertex& b) { return a.y < b.y; });
    st.stencilClear->reach(std::max(pp.clip[1], firstCentre(top->y)), std::min(pp.clip[3], lastCentre(bottom->y)));
  }
  if (pp.colour && !pp.stencil && pp.wholeTexel && pp.sourceOver)
  {
    if (pp.layout.channel[0] == 0)
      drawTriangles<writeSourceOver<false>>(st, pp, type, v);
    else
      drawTriangles<writeSourceOver<true>>(st, pp, type, v);
  }
  else if (pp.colour && !pp.stencil && pp.wholeTexel && !pp.blending)
  {
    if (pp.layout.channel[0] == 0)
      drawTriangles<writeReplace<false>>(st, pp, type, v);
    else
      drawTriangles<writeReplace<true>>(st, pp, type, v);
  }
  else if (!pp.colour && pp.stencil && !pp.spanBody && !pp.fragment &&
           pp.front->stencilCompareFunction == MTLCompareFunctionAlways &&
           pp.back->stencilCompareFunction == MTLCompareFunctionAlways)
  {
    drawTriangles<writeStencilOnly>(st, pp, type, v);
  }
  else if (pp.colour && pp.stencil && pp.wholeTexel && pp.sourceOver && keepsOrZeroes(*pp.front) &&
           keepsOrZeroes(*pp.back))
  {
    if (pp.layout.channel[0] == 0)
      drawTriangles<writeStencilledSourceOver<false>>(st, pp, type, v);
    else
      drawTriangles<writeStencilledSourceOver<true>>(st, pp, type, v);
  }
  else if (pp.wholeTexel)
  {
    drawTriangles<writePixels<true>>(st, pp, type, v);
  }
  else
  {
    drawTriangles<writePixels<false>>(st, pp, type, v);
  }
}
}  // namespace mtlraster
