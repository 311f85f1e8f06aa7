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

inline void sample(const MNVGfragUniforms& u, const MTLShaderResources& resources, float s, float t, float out[4])
{
  const MTLTexture* texture = resources.textures[0];
  if (!texture)
  {
    out[0] = out[1] = out[2] = out[3] = 0.0f;
    return;
  }
  const MTLSamplerState* sampler = resources.samplers[0] ? resources.samplers[0] : &kDefaultSampler;
  MTLSampleTexture(*texture, *sampler, s, t, out);
  if (u.texType == MNVG_TEXTYPE_RGBA)
    for (int i = 0; i < 3; i++)
      out[i] *= out[3];
  else if (u.texType == MNVG_TEXTYPE_ALPHA)
    out[1] = out[2] = out[3] = out[0];
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
// scissor; a draw's uniforms decide which one runs (see specialise).
template <bool kAntiAlias, Paint kPaint, bool kScissor>
bool shade(const MTLFragmentIn& in, const MTLShaderResources& resources, float colour[4])
{
  const MNVGfragUniforms& u = *uniforms(resources);
  const float px = in.varyings[kPosX], py = in.varyings[kPosY];
  const float scissor = kScissor ? scissorMask(u, px, py) : 1.0f;
  // Results are made in a local array and copied out once: stores through colour could otherwise
  // change the uniforms as far as the compiler knows, and every channel would reload them.
  float out[4];
  if constexpr (kPaint == Paint::Glyph)
  {
    float texel[4];
    sample(u, resources, in.varyings[kTexU], in.varyings[kTexV], texel);
    for (int i = 0; i < 4; i++)
      out[i] = texel[i] * scissor * u.innerCol[i];
  }
  else
  {
    float strokeAlpha = 1.0f;
    if constexpr (kAntiAlias)
    {
      strokeAlpha = strokeMask(u, in.varyings[kTexU], in.varyings[kTexV]);
      if (strokeAlpha < u.strokeThr)
        return false;
    }
    const float coverage = strokeAlpha * scissor;
    if constexpr (kPaint == Paint::Solid)
    {
      for (int i = 0; i < 4; i++)
        out[i] = u.innerCol[i] * coverage;
    }
    else
    {
      float pt[2];
      transform(u.paintMat, px, py, &pt[0], &pt[1]);
      if constexpr (kPaint == Paint::Image)
      {
        float texel[4];
        sample(u, resources, pt[0] / u.extent[0], pt[1] / u.extent[1], texel);
        for (int i = 0; i < 4; i++)
          out[i] = texel[i] * u.innerCol[i] * coverage;
      }
      else
      {
        const float d = clamp01((roundedBoxDistance(pt[0], pt[1], u.extent[0], u.extent[1], u.radius) +
                                 u.feather * 0.5f) / u.feather);
        for (int i = 0; i < 4; i++)
          out[i] = (u.innerCol[i] * (1.0f - d) + u.outerCol[i] * d) * coverage;
      }
    }
  }
  std::memcpy(colour, out, sizeof(out));
  return true;
}

bool discard(const MTLFragmentIn&, const MTLShaderResources&, float*) { return false; }

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
MTLFragmentFunctionBody shadeFor(const MNVGfragUniforms& u)
{
  return scissorIsOff(u) ? shade<kAntiAlias, kPaint, false> : shade<kAntiAlias, kPaint, true>;
}

// What every fragment of a draw would decide alike is decided once, from the draw's uniforms.
template <bool kAntiAlias>
MTLFragmentFunctionBody specialise(const MTLShaderResources& resources)
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

template <bool kAntiAlias>
bool fragmentShader(const MTLFragmentIn& in, const MTLShaderResources& resources, float colour[4])
{
  return specialise<kAntiAlias>(resources)(in, resources, colour);
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
