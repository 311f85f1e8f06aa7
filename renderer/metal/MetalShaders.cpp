// The shaders of the back end. The vertex function maps points to clip space with the view size;
// the fragment functions compute the scissor mask, the anti-aliasing mask of fringes and strokes,
// and the paint: a gradient over a rounded box, an image, or glyph coverage. Output is
// premultiplied.
#include "renderer/metal/MetalShaders.h"
#include "renderer/metal/MNVGcontext.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {
constexpr char kLibrary[] =
  "MTLB"
  "vertexShader\0"
  "fragmentShader\0"
  "fragmentShaderAA\0";

enum Varying { kTexU, kTexV, kPosX, kPosY };

void vertexShader(const MTLVertexIn& in, const MTLShaderResources& resources, MTLVertexOut* out)
{
  const auto* viewSize = static_cast<const float*>(resources.buffers[1].contents());
  const float w = viewSize && viewSize[0] != 0.0f ? viewSize[0] : 1.0f;
  const float h = viewSize && viewSize[1] != 0.0f ? viewSize[1] : 1.0f;
  const float x = in.attributes[0][0], y = in.attributes[0][1];
  out->position[0] = 2.0f * x / w - 1.0f;
  out->position[1] = 1.0f - 2.0f * y / h;
  out->position[2] = 0.0f;
  out->position[3] = 1.0f;
  out->varyings[kTexU] = in.attributes[1][0];
  out->varyings[kTexV] = in.attributes[1][1];
  out->varyings[kPosX] = x;
  out->varyings[kPosY] = y;
}

// A 3-column matrix of the uniform block applied to a point.
void transform(const float* m, float x, float y, float* ox, float* oy)
{
  *ox = m[0] * x + m[4] * y + m[8];
  *oy = m[1] * x + m[5] * y + m[9];
}

float clamp01(float v)
{
  return std::clamp(v, 0.0f, 1.0f);
}

float scissorEdge(float m)
{
  return m >= 1.0f - kMNVGScissorSnap ? 1.0f : (m <= kMNVGScissorSnap ? 0.0f : m);
}

float scissorMask(const MNVGfragUniforms& u, float x, float y)
{
  float sx, sy;
  transform(u.scissorMat, x, y, &sx, &sy);
  sx = 0.5f - (std::fabs(sx) - u.scissorExt[0]) * u.scissorScale[0];
  sy = 0.5f - (std::fabs(sy) - u.scissorExt[1]) * u.scissorScale[1];
  return scissorEdge(clamp01(sx)) * scissorEdge(clamp01(sy));
}

// Coverage across a fringe or stroke: u runs 0..1 across it, v fades its caps.
float strokeMask(const MNVGfragUniforms& u, float tu, float tv)
{
  return std::min(1.0f, (1.0f - std::fabs(tu * 2.0f - 1.0f)) * u.strokeMult) * std::min(1.0f, tv);
}

// Signed distance from a rounded box of half size ext and corner radius rad.
float roundedBoxDistance(float px, float py, float ex, float ey, float rad)
{
  const float dx = std::fabs(px) - (ex - rad);
  const float dy = std::fabs(py) - (ey - rad);
  const float ox = std::max(dx, 0.0f), oy = std::max(dy, 0.0f);
  return std::min(std::max(dx, dy), 0.0f) + std::sqrt(ox * ox + oy * oy) - rad;
}

const MTLSamplerState kDefaultSampler{MTLSamplerDescriptor{}};

// The paint's texture sampled at the count points (s, t) + (from + i) (ds, dt), premultiplied or
// spread from one channel as the texture type asks.
void sampleRow(const MNVGfragUniforms& u, const MTLShaderResources& resources, float s, float t, float ds, float dt,
               int from, int count, float (*out)[4])
{
  const MTLTexture* texture = resources.textures[0];
  if (!texture)
  {
    std::memset(out, 0, sizeof(float[4]) * count);
    return;
  }
  const MTLSamplerState* sampler = resources.samplers[0] ? resources.samplers[0] : &kDefaultSampler;
  MTLSampleTextureRow(*texture, *sampler, s, t, ds, dt, from, count, out);
  for (int i = 0; i < count; i++)
  {
    float* texel = out[i];
    if (u.texType == MNVG_TEXTYPE_RGBA)
      for (int c = 0; c < 3; c++)
        texel[c] *= texel[3];
    else if (u.texType == MNVG_TEXTYPE_ALPHA)
      texel[1] = texel[2] = texel[3] = texel[0];
  }
}

// count straight texels of a four-channel format as premultiplied colours in RGBA order, each
// channel as sampleRow gives it: the texel's value, then times its alpha; four channels at once.
void premultipliedTexels(const unsigned char* texels, MTLPixelFormat format, int count, float (*out)[4])
{
  typedef float Four __attribute__((vector_size(16)));
  typedef unsigned char FourBytes __attribute__((vector_size(4)));
  const bool bgra = format == MTLPixelFormatBGRA8Unorm;
  for (int i = 0; i < count; i++)
  {
    FourBytes stored;
    std::memcpy(&stored, texels + 4 * i, sizeof(stored));
    Four value = __builtin_convertvector(stored, Four) * (1.0f / 255.0f);
    if (bgra)
      value = __builtin_shufflevector(value, value, 2, 1, 0, 3);
    // The alpha times 1 stays as it is.
    value *= __builtin_shufflevector(value, Four{1.0f, 1.0f, 1.0f, 1.0f}, 3, 3, 3, 4);
    std::memcpy(out[i], &value, sizeof(value));
  }
}

const MNVGfragUniforms* uniforms(const MTLShaderResources& resources)
{
  return static_cast<const MNVGfragUniforms*>(resources.buffers[0].contents());
}

enum class Paint {
  Solid,     // a gradient whose two colours are equal
  Gradient,  // over a rounded box
  Image,
  Glyph,  // glyph quads, whose texture coordinates are the atlas's
};

// A varying at fragment i of a span.
float varying(const MTLFragmentSpan& span, int v, int i)
{
  return span.first.varyings[v] + static_cast<float>(span.start + i) * span.step[v];
}

// Where the mask along an axis is surely snapped to 1, with a margin of a quarter of the snap for
// the rounding of positions between two fragments at which it is: enough for fragments along a
// scissor's edge on pixel edges, whose positions stray from the centres.
constexpr float kWellInside = 1.0f - 0.75f * kMNVGScissorSnap;

// Whether the scissor mask is surely 1 at fragment i of a span, and at any fragment between two
// at which it is.
bool wellInsideScissor(const MNVGfragUniforms& u, const MTLFragmentSpan& span, int i)
{
  float sx, sy;
  transform(u.scissorMat, varying(span, kPosX, i), varying(span, kPosY, i), &sx, &sy);
  return 0.5f - (std::fabs(sx) - u.scissorExt[0]) * u.scissorScale[0] >= kWellInside &&
         0.5f - (std::fabs(sy) - u.scissorExt[1]) * u.scissorScale[1] >= kWellInside;
}

// The fragments [first, last] of a span at which the scissor mask is surely 1 (none when last <
// first). Between two fragments at which it is all are, since the mask falls with the distance
// from the scissor's centre, which along a span is greatest at an end. Most spans lie wholly
// inside, which their ends show. Otherwise, as each scissor coordinate is linear in the fragment,
// the run inside is worked out from the two lines, and its ends are checked as the mask itself is
// worked out and moved in until they pass. A short span is masked fragment by fragment at no
// greater cost.
void insideScissor(const MNVGfragUniforms& u, const MTLFragmentSpan& span, int& first, int& last)
{
  const int n = span.count;
  first = n;
  last = n - 1;
  if (n <= 4)
    return;
  if (wellInsideScissor(u, span, 0) && wellInsideScissor(u, span, n - 1))
  {
    first = 0;
    return;
  }
  double lo = 0.0, hi = n - 1;
  for (int axis = 0; axis < 2; axis++)
  {
    const float* m = u.scissorMat;
    const double at0 = m[axis] * varying(span, kPosX, 0) + m[4 + axis] * varying(span, kPosY, 0) + m[8 + axis];
    const double slope = m[axis] * span.step[kPosX] + m[4 + axis] * span.step[kPosY];
    // Where the mask is kWellInside or more, as wellInsideScissor asks.
    const double reach = u.scissorExt[axis] - (kWellInside - 0.5) / u.scissorScale[axis];
    if (slope != 0.0)
    {
      const double a = (-reach - at0) / slope, b = (reach - at0) / slope;
      lo = std::max(lo, std::min(a, b));
      hi = std::min(hi, std::max(a, b));
    }
    else if (!(std::fabs(at0) <= reach))
    {
      hi = -1.0;
    }
  }
  if (!(lo <= hi))
    return;
  first = static_cast<int>(std::ceil(lo));
  last = static_cast<int>(std::floor(hi));
  while (first <= last && !wellInsideScissor(u, span, first))
    first++;
  while (last >= first && !wellInsideScissor(u, span, last))
    last--;
}

// The coverage of each fragment of a span (the anti-aliasing mask times the scissor mask) and
// whether it is kept. True when all are kept with one coverage: only coverage[0] is set then.
template <bool kAntiAlias, bool kScissor>
bool coverSpan(const MNVGfragUniforms& u, const MTLFragmentSpan& span, float* coverage, bool* kept)
{
  const int n = span.count;
  // Inside a fill the anti-aliasing mask's inputs do not change along the span.
  const bool even = !kAntiAlias || (span.step[kTexU] == 0.0f && span.step[kTexV] == 0.0f);
  const float mask = kAntiAlias && even ? strokeMask(u, varying(span, kTexU, 0), varying(span, kTexV, 0)) : 1.0f;
  if (kAntiAlias && even && !(mask >= u.strokeThr))
  {
    std::fill(kept, kept + n, false);
    return false;
  }
  int first = 0, last = n - 1;
  if constexpr (kScissor)
    insideScissor(u, span, first, last);
  auto scissorAt = [&](int i) { return scissorMask(u, varying(span, kPosX, i), varying(span, kPosY, i)); };
  if (even)
  {
    // The fragments beyond the run inside are most often masked to 1 too: those along the edges
    // of a scissor on pixel edges are.
    bool one = true;
    for (int i = 0; i < first && one; i++)
      one = scissorAt(i) == 1.0f;
    for (int i = last + 1; i < n && one; i++)
      one = scissorAt(i) == 1.0f;
    if (one)
    {
      coverage[0] = mask;
      return true;
    }
  }
  bool uniform = even;
  for (int i = 0; i < n; i++)
  {
    float c = mask;
    if (!even)
    {
      c = strokeMask(u, varying(span, kTexU, i), varying(span, kTexV, i));
      kept[i] = c >= u.strokeThr;
    }
    else
    {
      kept[i] = true;
    }
    if (kScissor && (i < first || i > last))
    {
      const float scissor = scissorAt(i);
      c *= scissor;
      uniform = uniform && scissor == 1.0f;
    }
    coverage[i] = c;
  }
  return uniform;
}

// The fragment function for one kind of paint, with or without the anti-aliasing mask and the
// scissor, a span at a time; a draw's uniforms decide which one runs (see specialise).
template <bool kAntiAlias, Paint kPaint, bool kScissor>
void shade(const MTLFragmentSpan& span, const MTLShaderResources& resources, MTLFragmentColours& out)
{
  const MNVGfragUniforms& u = *uniforms(resources);
  const int n = span.count;
  float coverage[kMTLMaxSpan];
  const bool uniform = coverSpan<kAntiAlias, kScissor>(u, span, coverage, out.kept);
  // Per fragment from here on, unless the paint's colour is one too.
  auto spreadCoverage = [&] {
    if (uniform)
    {
      std::fill(coverage + 1, coverage + n, coverage[0]);
      std::fill(out.kept, out.kept + n, true);
    }
  };
  // The uniforms in locals: stores through out could otherwise change them as far as the compiler
  // knows, and every fragment would reload them.
  float inner[4], outer[4];
  std::memcpy(inner, u.innerCol, sizeof(inner));
  std::memcpy(outer, u.outerCol, sizeof(outer));
  if constexpr (kPaint == Paint::Solid)
  {
    if (uniform)
    {
      out.form = MTLFragmentColours::Uniform;
      for (int c = 0; c < 4; c++)
        out.colours[0][c] = inner[c] * coverage[0];
      return;
    }
    spreadCoverage();
    for (int i = 0; i < n; i++)
      for (int c = 0; c < 4; c++)
        out.colours[i][c] = inner[c] * coverage[i];
  }
  else if constexpr (kPaint == Paint::Gradient)
  {
    spreadCoverage();
    for (int i = 0; i < n; i++)
    {
      float pt[2];
      transform(u.paintMat, varying(span, kPosX, i), varying(span, kPosY, i), &pt[0], &pt[1]);
      const float d = clamp01(
        (roundedBoxDistance(pt[0], pt[1], u.extent[0], u.extent[1], u.radius) + u.feather * 0.5f) / u.feather);
      for (int c = 0; c < 4; c++)
        out.colours[i][c] = (inner[c] * (1.0f - d) + outer[c] * d) * coverage[i];
    }
  }
  else
  {
    // The texture coordinates are affine in the position, so they step evenly along the span too;
    // (s, t) are those of the pixel the span's varyings are given at.
    float s, t, ds, dt;
    if constexpr (kPaint == Paint::Glyph)
    {
      s = span.first.varyings[kTexU];
      t = span.first.varyings[kTexV];
      ds = span.step[kTexU];
      dt = span.step[kTexV];
    }
    else
    {
      const float* m = u.paintMat;
      transform(m, span.first.varyings[kPosX], span.first.varyings[kPosY], &s, &t);
      s /= u.extent[0];
      t /= u.extent[1];
      ds = (m[0] * span.step[kPosX] + m[4] * span.step[kPosY]) / u.extent[0];
      dt = (m[1] * span.step[kPosX] + m[5] * span.step[kPosY]) / u.extent[1];
      // A texture drawn texel for texel, fully covered and untinted: premultiplied texels are the
      // colours; straight ones give them multiplied by their alpha, as sampleRow does.
      const MTLTexture* texture = resources.textures[0];
      const bool asTexels = u.texType == MNVG_TEXTYPE_PREMULTIPLIED || u.texType == MNVG_TEXTYPE_RGBA;
      if (uniform && coverage[0] == 1.0f && asTexels && texture && texture->bytesPerPixel() == 4 && inner[0] == 1.0f &&
          inner[1] == 1.0f && inner[2] == 1.0f && inner[3] == 1.0f)
      {
        const float start = static_cast<float>(span.start);
        if (const unsigned char* texels = MTLTexelsAtCentres(*texture, s + start * ds, t + start * dt, ds, dt, n))
        {
          if (u.texType == MNVG_TEXTYPE_PREMULTIPLIED)
          {
            out.form = MTLFragmentColours::Texels;
            out.texels = texels;
            out.texelFormat = texture->pixelFormat();
            return;
          }
          premultipliedTexels(texels, texture->pixelFormat(), n, out.colours);
          std::fill(out.kept, out.kept + n, true);
          return;
        }
      }
    }
    spreadCoverage();
    float texels[kMTLMaxSpan][4];
    sampleRow(u, resources, s, t, ds, dt, span.start, n, texels);
    for (int i = 0; i < n; i++)
      for (int c = 0; c < 4; c++)
        out.colours[i][c] = kPaint == Paint::Glyph ? texels[i][c] * coverage[i] * inner[c]
                                                   : texels[i][c] * inner[c] * coverage[i];
  }
}

void discard(const MTLFragmentSpan& span, const MTLShaderResources&, MTLFragmentColours& out)
{
  std::fill(out.kept, out.kept + span.count, false);
}

// Without a scissor the matrix maps every point to the middle of the scissor's extent, where the
// mask is 1: it need not be worked out per fragment. Only a position that is not a number would
// have given another mask (NaN); such a fragment has no meaning, and is painted like the others.
bool scissorIsOff(const MNVGfragUniforms& u)
{
  for (int i : {0, 1, 4, 5, 8, 9})
    if (u.scissorMat[i] != 0.0f)
      return false;
  return scissorMask(u, 0.0f, 0.0f) == 1.0f;
}

template <bool kAntiAlias, Paint kPaint>
MTLFragmentSpanBody shadeFor(const MNVGfragUniforms& u)
{
  return scissorIsOff(u) ? shade<kAntiAlias, kPaint, false> : shade<kAntiAlias, kPaint, true>;
}

// What every fragment of a draw would decide alike is decided once, from the draw's uniforms.
template <bool kAntiAlias>
MTLFragmentSpanBody specialise(const MTLShaderResources& resources)
{
  const MNVGfragUniforms* u = uniforms(resources);
  if (!u)
    return discard;
  if (u->type == MNVG_SHADER_IMG)
    return shadeFor<false, Paint::Glyph>(*u);
  if (u->type == MNVG_SHADER_FILLIMG)
    return shadeFor<kAntiAlias, Paint::Image>(*u);
  if (std::memcmp(u->innerCol, u->outerCol, sizeof(u->innerCol)) == 0)
    return shadeFor<kAntiAlias, Paint::Solid>(*u);
  return shadeFor<kAntiAlias, Paint::Gradient>(*u);
}

// One fragment: a span of one.
template <bool kAntiAlias>
bool fragmentShader(const MTLFragmentIn& in, const MTLShaderResources& resources, float colour[4])
{
  MTLFragmentSpan span{};
  span.first = in;
  span.count = 1;
  MTLFragmentColours out;
  specialise<kAntiAlias>(resources)(span, resources, out);
  out.spread(1);
  std::memcpy(colour, out.colours[0], sizeof(out.colours[0]));
  return out.kept[0];
}
}  // namespace

bool mnvgScissorIsOneBetween(const MNVGfragUniforms& u, const double first[2], const double last[2],
                             const double pixelsPerUnit[2])
{
  if (u.scissorMat[1] != 0.0f || u.scissorMat[4] != 0.0f)
    return false;
  for (int axis = 0; axis < 2; axis++)
  {
    const double m = u.scissorMat[axis * 5], t = u.scissorMat[8 + axis];
    const double ext = u.scissorExt[axis], scale = u.scissorScale[axis];
    // How far the mask moves as a fragment strays from its pixel's centre, which it does by up
    // to half the snap of a pixel.
    const double stray = std::fabs(m) * scale / pixelsPerUnit[axis] * kMNVGScissorSnap / 2.0;
    // Along an axis the mask falls with the distance from the scissor's middle, so it is least at
    // an end. It must stay above the snap there with a margin for rounding: it does at a pixel
    // beside a scissor edge on pixel edges, where the mask at the centre is 1.
    for (double at : {first[axis], last[axis]})
    {
      const double mask = 0.5 - (std::fabs(m * at + t) - ext) * scale;
      if (!(mask - stray >= 1.0 - kMNVGScissorSnap + kMNVGScissorSnap / 16.0))
        return false;
    }
  }
  return true;
}

const void* mnvgShaderLibrary()
{
  static std::once_flag registered;
  std::call_once(registered, [] {
    MTLRegisterVertexFunction("vertexShader", vertexShader);
    MTLRegisterFragmentFunction("fragmentShader", fragmentShader<false>, specialise<false>);
    MTLRegisterFragmentFunction("fragmentShaderAA", fragmentShader<true>, specialise<true>);
  });
  return kLibrary;
}

size_t mnvgShaderLibrarySize()
{
  return sizeof(kLibrary);
}
