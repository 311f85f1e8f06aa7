// Texture sampling for the fragment functions: single points, rows of points, and rows that fall
// on texel centres, where the texels themselves are the colours.
#include "platform/Metal/MTLRasteriser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace mtlraster;
using namespace mtlpixels;

namespace {
// Along one axis: the texel a texel-space position falls in and the next one, by the sampler's
// addressing mode, and how far past the first texel's start the position lies.
struct Footprint
{
  int first, next;
  float past;
};

inline Footprint footprint(float position, int n, MTLSamplerAddressMode mode)
{
  // Held where whole positions fit an int: beyond, clamped addressing is at the edge anyway and a
  // float has no fraction left for repeated addressing.
  position = std::min(std::max(position, -2147483648.0f), 2147483520.0f);
  int whole = static_cast<int>(position);  // truncated towards zero, then floored
  float wholeF = static_cast<float>(whole);
  if (wholeF > position)
  {
    whole--;
    wholeF -= 1.0f;
  }
  Footprint f{whole, whole + 1, position - wholeF};
  if (mode == MTLSamplerAddressModeRepeat)
  {
    f.first = ((whole % n) + n) % n;
    f.next = f.first + 1 < n ? f.first + 1 : 0;
  }
  else
  {
    f.first = std::min(std::max(f.first, 0), n - 1);
    f.next = std::min(std::max(f.next, 0), n - 1);
  }
  return f;
}

// The mean of four neighbouring texels (columns x and x + 1, rows y and y + 1) weighted by how far
// the sampled point lies, ax and ay, past the first column and row; per lane for vectors.
template <typename T>
T bilinear(T c00, T c10, T c01, T c11, float ax, float ay)
{
  return (c00 * (1 - ax) + c10 * ax) * (1 - ay) + (c01 * (1 - ax) + c11 * ax) * ay;
}
}  // namespace

void MTLSampleTexture(const MTLTexture& t, const MTLSamplerState& sampler, float u, float v, float out[4])
{
  const MTLSamplerDescriptor& d = sampler.descriptor;
  const int w = static_cast<int>(t.width()), h = static_cast<int>(t.height());
  if (!std::isfinite(u) || !std::isfinite(v))
    u = v = 0.0f;
  u = std::clamp(u, -1e6f, 1e6f);
  v = std::clamp(v, -1e6f, 1e6f);
  if (d.magFilter == MTLSamplerMinMagFilterNearest)
  {
    const int x = footprint(u * w, w, d.sAddressMode).first, y = footprint(v * h, h, d.tAddressMode).first;
    readTexel(texelLayout(t.pixelFormat()), t.texel(x, y), out);
    return;
  }
  const Footprint x = footprint(u * w - 0.5f, w, d.sAddressMode), y = footprint(v * h - 0.5f, h, d.tAddressMode);
  const float ax = x.past, ay = y.past;
  const unsigned char* p00 = t.texel(x.first, y.first);
  const unsigned char* p10 = t.texel(x.next, y.first);
  const unsigned char* p01 = t.texel(x.first, y.next);
  const unsigned char* p11 = t.texel(x.next, y.next);
  constexpr float k = 1.0f / 255.0f;
  if (t.bytesPerPixel() == 1)
  {
    // The one stored channel is red; the others read as 0, 0, 1.
    out[0] = bilinear(p00[0] * k, p10[0] * k, p01[0] * k, p11[0] * k, ax, ay);
    out[1] = out[2] = 0.0f;
    out[3] = 1.0f;
    return;
  }
  // Four channels, filtered on four lanes at once, then put in RGBA order.
  Lanes mean = bilinear(fromBytes(p00) * k, fromBytes(p10) * k, fromBytes(p01) * k, fromBytes(p11) * k, ax, ay);
  if (t.pixelFormat() == MTLPixelFormatBGRA8Unorm)
    mean = inRGBAOrder<true>(mean);
  std::memcpy(out, &mean, sizeof(mean));
}

namespace {
// Within this many texels of a texel's centre a point is taken as the centre: a GPU's filter
// weights are no finer, and positions interpolated in floats stray about this far from it.
constexpr double kCentreTolerance = 1.0 / 512.0;

// Along one axis: whether count points from position on in steps of step (both in texels, less
// the half texel to the first centre) stay that close to the centres of neighbouring texels that
// all lie within n texels, moving `advance` texels a point; first: the first texel.
bool onCentres(double position, double step, int count, int advance, int n, int& first)
{
  const double whole = std::round(position);
  if (!(std::fabs(position - whole) + std::fabs(step - advance) * (count - 1) <= kCentreTolerance))
    return false;
  const double last = whole + static_cast<double>(advance) * (count - 1);
  if (whole < 0.0 || last >= n)
    return false;
  first = static_cast<int>(whole);
  return true;
}

// count texels of a four-channel format as colours in RGBA order.
void readWholeTexels(const unsigned char* p, MTLPixelFormat format, int count, float (*out)[4])
{
  const LaneConstants k;
  const bool bgra = format == MTLPixelFormatBGRA8Unorm;
  for (int i = 0; i < count; i++)
  {
    const Lanes texel = fromBytes(p + 4 * i) * k.toUnit;
    const Lanes rgba = bgra ? inRGBAOrder<true>(texel) : texel;
    std::memcpy(out[i], &rgba, sizeof(rgba));
  }
}
}  // namespace

const unsigned char* MTLTexelsAtCentres(const MTLTexture& t, float u, float v, float du, float dv, int count)
{
  const int w = static_cast<int>(t.width()), h = static_cast<int>(t.height());
  int x = 0, y = 0;
  if (onCentres(double{u} * w - 0.5, double{du} * w, count, 1, w, x) &&
      onCentres(double{v} * h - 0.5, double{dv} * h, count, 0, h, y))
    return t.texel(x, y);
  return nullptr;
}

void MTLSampleTextureRow(const MTLTexture& t, const MTLSamplerState& sampler, float u, float v, float du, float dv,
                         int from, int count, float (*out)[4])
{
  // At a texel's centre both filters give that texel, so a row of centres is the row of texels.
  const float first = static_cast<float>(from);
  if (const unsigned char* p = MTLTexelsAtCentres(t, u + first * du, v + first * dv, du, dv, count))
  {
    if (t.bytesPerPixel() == 4)
    {
      readWholeTexels(p, t.pixelFormat(), count, out);
    }
    else
    {
      // The one stored channel is red; the others read as 0, 0, 1.
      for (int i = 0; i < count; i++)
      {
        out[i][0] = p[i] * (1.0f / 255.0f);
        out[i][1] = out[i][2] = 0.0f;
        out[i][3] = 1.0f;
      }
    }
    return;
  }
  for (int i = 0; i < count; i++)
  {
    const float along = static_cast<float>(from + i);
    MTLSampleTexture(t, sampler, u + along * du, v + along * dv, out[i]);
  }
}

void MTLFragmentColours::spread(int count)
{
  if (form == Uniform)
  {
    for (int i = 1; i < count; i++)
      std::memcpy(colours[i], colours[0], sizeof(colours[0]));
  }
  else if (form == Texels)
  {
    readWholeTexels(texels, texelFormat, count, colours);
  }
  if (form != PerFragment)
    std::fill(kept, kept + count, true);
  form = PerFragment;
}
