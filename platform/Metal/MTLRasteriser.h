#pragma once
// Not Metal: what the render encoder hands the rasteriser that runs its passes on the CPU (the
// state a pass has reached and the vertices of a draw, shaded and placed in the window), and the
// texel conversions both they and the sampler use. Private to the platform's Metal sources.
#include "platform/Metal/CAMetalLayer.h"
#include "platform/Metal/MTLTexels.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace mtlraster {
constexpr int kSubPixelBits = 8;
constexpr int64_t kSubPixel = 1 << kSubPixelBits;

struct Vertex
{
  int64_t x, y;  // window position in sub-pixels
  MTLVertexOut out;
};

// A stencil attachment that a pass clears but does not keep is cleared a run of rows at a time,
// as draws that use the stencil first reach them: most passes use it in a few places or not at
// all, and what lies elsewhere is never read.
class PendingStencilClear
{
public:
  PendingStencilClear(MTLTexture& texture, uint32_t value)
  : mTexture(texture), mValue(static_cast<int>(value & 0xFF)), mPending(texture.height(), true)
  {
  }

  // Clears whatever is still pending of rows first to last.
  void reach(int64_t first, int64_t last)
  {
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, static_cast<int64_t>(mPending.size()) - 1);
    for (int64_t y = first; y <= last;)
    {
      if (!mPending[static_cast<size_t>(y)])
      {
        y++;
        continue;
      }
      const int64_t start = y;
      for (; y <= last && mPending[static_cast<size_t>(y)]; y++)
        mPending[static_cast<size_t>(y)] = false;
      std::memset(mTexture.texel(0, static_cast<NSUInteger>(start)), mValue,
                  static_cast<size_t>(y - start) * mTexture.width());
    }
  }

private:
  MTLTexture& mTexture;
  int mValue;
  std::vector<bool> mPending;
};

// What the commands of a pass have set so far, as its draws find it.
struct PassState
{
  MTLTexture* colour = nullptr;
  MTLTexture* stencil = nullptr;
  PendingStencilClear* stencilClear = nullptr;  // null: nothing pending
  const MTLRenderPipelineState* pipeline = nullptr;
  const MTLDepthStencilState* depthStencil = nullptr;
  MTLCullMode cull = MTLCullModeNone;
  MTLWinding winding = MTLWindingClockwise;
  uint32_t stencilReference = 0;
  MTLViewport viewport{};
  MTLScissorRect scissor{0, 0, ~NSUInteger{0}, ~NSUInteger{0}};
  MTLShaderResources vertexResources;
  MTLShaderResources fragmentResources;
};

// Where the red, green, blue and alpha bytes of a texel are (-1: not stored).
struct TexelLayout
{
  int channel[4];
};

inline TexelLayout texelLayout(MTLPixelFormat format)
{
  switch (format)
  {
    case MTLPixelFormatRGBA8Unorm: return {{0, 1, 2, 3}};
    case MTLPixelFormatBGRA8Unorm: return {{2, 1, 0, 3}};
    default: return {{0, -1, -1, -1}};
  }
}

// A value that is not a number is stored as 0, as by the four-lane conversion and a GPU; converting
// it to an integer would be undefined.
inline unsigned char toUnorm(float v)
{
  v = v > 0.0f ? std::min(v, 1.0f) : 0.0f;
  return static_cast<unsigned char>(v * 255.0f + 0.5f);
}

// Missing colour channels read as 0, a missing alpha as 1. kWhole: the layout stores all four
// channels (and, on writing, the mask lets all four through), so nothing needs testing.
template <bool kWhole = false>
inline void readTexel(const TexelLayout& layout, const unsigned char* p, float out[4])
{
  for (int c = 0; c < 4; c++)
    out[c] = kWhole || layout.channel[c] >= 0 ? p[layout.channel[c]] * (1.0f / 255.0f) : (c == 3 ? 1.0f : 0.0f);
}

template <bool kWhole = false>
inline void writeTexel(const TexelLayout& layout, unsigned char* p, const float c[4], NSUInteger mask)
{
  static constexpr NSUInteger kBits[4] = {MTLColorWriteMaskRed, MTLColorWriteMaskGreen, MTLColorWriteMaskBlue,
                                          MTLColorWriteMaskAlpha};
  for (int i = 0; i < 4; i++)
    if (kWhole || (layout.channel[i] >= 0 && (mask & kBits[i])))
      p[layout.channel[i]] = toUnorm(c[i]);
}

// Draws the vertices of one draw command, as primitives of the type, with the state the pass has
// reached.
void drawVertices(const PassState& st, MTLPrimitiveType type, const std::vector<Vertex>& v);
}  // namespace mtlraster
