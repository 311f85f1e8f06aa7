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

namespace
{
constexpr char kLibrary[] = "MTLB" "vertexShader\0" "fragmentShader\0" "fragmentShaderAA\0";

enum Varying
{
  kTexU,
  kTexV,
  kPosX,
  kPosY
};

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

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

float scissorMask(const MNVGfragUniforms& u, float x, float y)
{
  float sx, sy;
  transform(u.scissorMat, x, y, &sx, &sy);
  sx = 0.5f - (std::fabs(sx) - u.scissorExt[0]) * u.scissorScale[0];
  sy = 0.5f - (std::fabs(sy) - u.scissorExt[1]) * u.scissorScale[1];
  return clamp01(sx) * clamp01(sy);
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

// The paint's texture sampled at count points from (s, t) on in steps of (ds, dt), premultiplied
// or spread from one channel as the texture type asks.
void sampleRow(const MNVGfragUniforms& u, const MTLShaderResources& resources, float s, float t, float ds, float dt,
               int count, float (*out)[4])
{
  const MTLTexture* texture = resources.textures[0];
  if (!texture)
  {
    std::memset(out, 0, sizeof(float[4]) * count);
    return;
  }
  const MTLSamplerState* sampler = resources.samplers[0] ? resources.samplers[0] : &kDefaultSampler;
  MTLSampleTextureRow(*texture, *sampler, s, t, ds, dt, count, out);
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

const MNVGfragUniforms* uniforms(const MTLShaderResources& resources)
{
  return static_cast<const MNVGfragUniforms*>(resources.buffers[0].contents());
}

enum class Paint
{
  Solid,     // a gradient whose two colours are equal
  Gradient,  // over a rounded box
  Image,
  Glyph,     // glyph quads, whose texture coordinates are the atlas's
};

// The fragment function for one kind of paint, with or without the anti-aliasing mask and the
// scissor, a span at a time; a draw's uniforms decide which one runs (see specialise).
template <bool kAntiAlias, Paint kPaint, bool kScissor>
void shade(const MTLFragmentSpan& span, const MTLShaderResources& resources, float (*colours)[4], bool* kept)
{
  const MNVGfragUniforms& u = *uniforms(resources);
  const float* first = span.first.varyings;
  const float* step = span.step;
  // The texture coordinates are affine in the position, so they step evenly along the span too.
  float texels[kMTLMaxSpan][4];
  if constexpr (kPaint == Paint::Glyph)
  {
    sampleRow(u, resources, first[kTexU], first[kTexV], step[kTexU], step[kTexV], span.count, texels);
  }
  else if constexpr (kPaint == Paint::Image)
  {
    float pt[2];
    transform(u.paintMat, first[kPosX], first[kPosY], &pt[0], &pt[1]);
    const float dx = u.paintMat[0] * step[kPosX] + u.paintMat[4] * step[kPosY];
    const float dy = u.paintMat[1] * step[kPosX] + u.paintMat[5] * step[kPosY];
    sampleRow(u, resources, pt[0] / u.extent[0], pt[1] / u.extent[1], dx / u.extent[0], dy / u.extent[1],
              span.count, texels);
  }
  for (int i = 0; i < span.count; i++)
  {
    const float at = static_cast<float>(i);
    const float px = first[kPosX] + at * step[kPosX], py = first[kPosY] + at * step[kPosY];
    const float scissor = kScissor ? scissorMask(u, px, py) : 1.0f;
    // Results are made in a local array and copied out once: stores through colours could
    // otherwise change the uniforms as far as the compiler knows, and every channel would reload
    // them.
    float out[4];
    if constexpr (kPaint == Paint::Glyph)
    {
      for (int c = 0; c < 4; c++)
        out[c] = texels[i][c] * scissor * u.innerCol[c];
    }
    else
    {
      float strokeAlpha = 1.0f;
      if constexpr (kAntiAlias)
      {
        strokeAlpha = strokeMask(u, first[kTexU] + at * step[kTexU], first[kTexV] + at * step[kTexV]);
        kept[i] = strokeAlpha >= u.strokeThr;
        if (!kept[i])
          continue;
      }
      const float coverage = strokeAlpha * scissor;
      if constexpr (kPaint == Paint::Solid)
      {
        for (int c = 0; c < 4; c++)
          out[c] = u.innerCol[c] * coverage;
      }
      else if constexpr (kPaint == Paint::Image)
      {
        for (int c = 0; c < 4; c++)
          out[c] = texels[i][c] * u.innerCol[c] * coverage;
      }
      else
      {
        float pt[2];
        transform(u.paintMat, px, py, &pt[0], &pt[1]);
        const float d = clamp01((roundedBoxDistance(pt[0], pt[1], u.extent[0], u.extent[1], u.radius) +
                                 u.feather * 0.5f) / u.feather);
        for (int c = 0; c < 4; c++)
          out[c] = (u.innerCol[c] * (1.0f - d) + u.outerCol[c] * d) * coverage;
      }
    }
    std::memcpy(colours[i], out, sizeof(out));
    kept[i] = true;
  }
}

void discard(const MTLFragmentSpan& span, const MTLShaderResources&, float (*)[4], bool* kept)
{
  std::fill(kept, kept + span.count, false);
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
  float colours[1][4];
  bool kept = false;
  specialise<kAntiAlias>(resources)(span, resources, colours, &kept);
  std::memcpy(colour, colours[0], sizeof(colours[0]));
  return kept;
}
}  // namespace

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

size_t mnvgShaderLibrarySize() { return sizeof(kLibrary); }
