// The back end's fragment functions shade a whole span the way they shade its fragments one by
// one: every colour and every discard the same, bit for bit, whichever shortcut the span takes
// (a scissor mask known to be 1 inside, one colour for a whole span, texels drawn as they are).
#include "renderer/metal/MNVGcontext.h"
#include "renderer/metal/MetalShaders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

namespace {
enum Varying { kTexU, kTexV, kPosX, kPosY };

// Without a scissor: a zero matrix with unit extent and scale, as the back end writes it.
void noScissor(MNVGfragUniforms& u)
{
  std::memset(u.scissorMat, 0, sizeof(u.scissorMat));
  u.scissorExt[0] = u.scissorExt[1] = 1.0f;
  u.scissorScale[0] = u.scissorScale[1] = 1.0f;
}

// A scissor of half size (ex, ey) about (cx, cy), turned by angle radians.
void scissor(MNVGfragUniforms& u, float cx, float cy, float ex, float ey, float angle = 0.0f)
{
  const float c = std::cos(angle), s = std::sin(angle);
  std::memset(u.scissorMat, 0, sizeof(u.scissorMat));
  u.scissorMat[0] = c;
  u.scissorMat[1] = -s;
  u.scissorMat[4] = s;
  u.scissorMat[5] = c;
  u.scissorMat[8] = -(c * cx + s * cy);
  u.scissorMat[9] = s * cx - c * cy;
  u.scissorExt[0] = ex;
  u.scissorExt[1] = ey;
  u.scissorScale[0] = u.scissorScale[1] = 1.0f;
}

constexpr float kOrange[4] = {0.9f, 0.5f, 0.1f, 1.0f}, kHalfBlue[4] = {0.0f, 0.1f, 0.45f, 0.5f};
constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr int kTexW = 64, kTexH = 4;

struct Scissor
{
  float cx, cy, ex, ey, angle = 0.0f, scale = 1.0f;
};

struct SpanCase
{
  const char* name;
  int type;  // MNVG_SHADER_FILLGRAD or MNVG_SHADER_FILLIMG
  const float* inner;
  const float* outer;
  float paintAt[2];  // where the paint starts
  std::optional<Scissor> scissor;
  float strokeMult, strokeThr;
  float first[4], step[4];  // varyings: tu, tv, x, y
  int count;
};

const Scissor kUpright{25.0f, 10.0f, 10.0f, 5.0f}, kTurned{120.0f, 20.0f, 60.0f, 12.0f, 0.3f};
constexpr float kFill[2] = {1.0f, -1.0f};  // stroke multiplier and threshold of a fill
constexpr float kAlong = 1.0f;             // one position unit a fragment

// clang-format off
const SpanCase kCases[] = {
  {"a fill across an upright scissor's edges", MNVG_SHADER_FILLGRAD, kOrange, kOrange, {0, 0}, kUpright,
   kFill[0], kFill[1], {0.5f, 1, 5.5f, 10.5f}, {0, 0, kAlong, 0}, 40},
  {"a fill just inside an upright scissor's edges", MNVG_SHADER_FILLGRAD, kOrange, kOrange, {0, 0}, kUpright,
   kFill[0], kFill[1], {0.5f, 1, 15.5f, 10.5f}, {0, 0, kAlong, 0}, 20},
  {"a fill along a scissor's top row, its positions a little off the pixel centres", MNVG_SHADER_FILLGRAD,
   kHalfBlue, kHalfBlue, {0, 0}, kUpright, kFill[0], kFill[1], {0.5f, 1, 5.4998f, 5.4998f}, {0, 0, kAlong, 0}, 40},
  {"a fill whose first fragment a scissor's edge crosses", MNVG_SHADER_FILLGRAD, kOrange, kOrange, {0, 0},
   Scissor{25.05f, 10.0f, 10.0f, 5.0f}, kFill[0], kFill[1], {0.5f, 1, 15.5f, 10.5f}, {0, 0, kAlong, 0}, 20},
  {"a fill wholly inside a turned scissor", MNVG_SHADER_FILLGRAD, kHalfBlue, kHalfBlue, {0, 0}, kTurned, kFill[0],
   kFill[1], {0.5f, 1, 95.5f, 20.5f}, {0, 0, kAlong, 0}, 50},
  {"a fill through a turned scissor", MNVG_SHADER_FILLGRAD, kHalfBlue, kHalfBlue, {0, 0}, kTurned, kFill[0],
   kFill[1], {0.5f, 1, 0.5f, 20.5f}, {0, 0, kAlong, 0}, 256},
  {"a fill at half points on a doubled screen", MNVG_SHADER_FILLGRAD, kOrange, kOrange, {0, 0},
   Scissor{25.0f, 10.0f, 10.0f, 5.0f, 0.0f, 2.0f}, kFill[0], kFill[1], {0.5f, 1, 14.75f, 10.25f},
   {0, 0, kAlong / 2, 0}, 48},
  {"a stroke's fringe, faint parts discarded, under a scissor", MNVG_SHADER_FILLGRAD, kOrange, kOrange, {0, 0},
   kUpright, 2.0f, 0.3f, {0.0f, 1, 10.5f, 10.5f}, {0.04f, 0, kAlong, 0}, 25},
  {"a gradient across an upright scissor", MNVG_SHADER_FILLGRAD, kOrange, kHalfBlue, {30, 10}, kUpright, kFill[0],
   kFill[1], {0.5f, 1, 5.5f, 10.5f}, {0, 0, kAlong, 0}, 40},
  {"an image texel for texel", MNVG_SHADER_FILLIMG, kWhite, kWhite, {0, 0}, std::nullopt, kFill[0], kFill[1],
   {0.5f, 1, 2.5f, 1.5f}, {0, 0, kAlong, 0}, 60},
  {"an image texel for texel, cut by a scissor", MNVG_SHADER_FILLIMG, kWhite, kWhite, {0, 0},
   Scissor{30.0f, 2.0f, 10.0f, 2.0f}, kFill[0], kFill[1], {0.5f, 1, 2.5f, 1.5f}, {0, 0, kAlong, 0}, 60},
  {"an image half a texel along", MNVG_SHADER_FILLIMG, kWhite, kWhite, {0.5f, 0}, std::nullopt, kFill[0], kFill[1],
   {0.5f, 1, 2.5f, 1.5f}, {0, 0, kAlong, 0}, 60},
};
// clang-format on

// The uniforms of a case: the paint matrix takes positions to the paint's start; an image paint
// spans the texture, a gradient a rounded box.
MNVGfragUniforms uniformsOf(const SpanCase& c)
{
  MNVGfragUniforms u{};
  noScissor(u);
  if (c.scissor)
  {
    const Scissor& s = *c.scissor;
    scissor(u, s.cx, s.cy, s.ex, s.ey, s.angle);
    u.scissorScale[0] = u.scissorScale[1] = s.scale;
  }
  u.paintMat[0] = u.paintMat[5] = 1.0f;
  u.paintMat[8] = -c.paintAt[0];
  u.paintMat[9] = -c.paintAt[1];
  std::memcpy(u.innerCol, c.inner, sizeof(u.innerCol));
  std::memcpy(u.outerCol, c.outer, sizeof(u.outerCol));
  const bool image = c.type == MNVG_SHADER_FILLIMG;
  u.extent[0] = image ? kTexW : 20.0f;
  u.extent[1] = image ? kTexH : 8.0f;
  u.radius = 3.0f;
  u.feather = 4.0f;
  u.strokeMult = c.strokeMult;
  u.strokeThr = c.strokeThr;
  u.texType = MNVG_TEXTYPE_PREMULTIPLIED;
  u.type = c.type;
  return u;
}
}  // namespace

TEST(ShaderSpans, ASpanIsShadedAsItsFragmentsAreOneByOne)
{
  std::shared_ptr<MTLDevice> device = MTLCreateSystemDefaultDevice();
  const std::shared_ptr<MTLFunction> function = device
                                                  ->newLibraryWithData(mnvgShaderLibrary(), mnvgShaderLibrarySize(),
                                                                       nullptr)
                                                  ->newFunctionWithName("fragmentShaderAA");
  ASSERT_TRUE(function && function->fragment && function->specialiser);
  // Premultiplied texels, opaque, empty and partly covering.
  std::shared_ptr<MTLTexture> texture = device->newTextureWithDescriptor(
    MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatRGBA8Unorm, kTexW, kTexH, false));
  unsigned char texels[kTexW * kTexH * 4];
  for (int i = 0; i < kTexW * kTexH; i++)
  {
    const unsigned char alpha = (i % 3 == 0) ? 255 : static_cast<unsigned char>(i * 7 % 256);
    for (int c = 0; c < 3; c++)
      texels[i * 4 + c] = static_cast<unsigned char>((i * 13 + c * 50) % (alpha + 1));
    texels[i * 4 + 3] = alpha;
  }
  texture->replaceRegion(MTLRegionMake2D(0, 0, kTexW, kTexH), 0, texels, kTexW * 4);
  std::shared_ptr<MTLBuffer> buffer = device->newBufferWithLength(sizeof(MNVGfragUniforms), 0);
  MTLShaderResources resources;
  resources.buffers[0] = {buffer.get(), 0};
  resources.textures[0] = texture.get();

  // Each span as the first of its row, and as one whose varyings are given some pixels before it.
  for (const SpanCase& c : kCases)
    for (int start : {0, 7})
    {
      const MNVGfragUniforms u = uniformsOf(c);
      std::memcpy(buffer->contents(), &u, sizeof(u));
      MTLFragmentSpan span{};
      for (int v = 0; v < 4; v++)
        span.first.varyings[v] = c.first[v] - static_cast<float>(start) * c.step[v];
      std::memcpy(span.step, c.step, sizeof(c.step));
      span.first.position[0] = 0.5f;
      span.first.position[1] = 0.5f;
      span.first.position[3] = 1.0f;
      span.start = start;
      span.count = std::min(c.count, kMTLMaxSpan - start);
      const std::string name = std::string(c.name) + (start > 0 ? ", from a later pixel" : "");
      MTLFragmentColours shaded;
      function->specialiser(resources)(span, resources, shaded);
      shaded.spread(span.count);
      int kept = 0;
      for (int i = 0; i < span.count; i++)
      {
        MTLFragmentIn in = span.first;
        for (int v = 0; v < 4; v++)
          in.varyings[v] = span.first.varyings[v] + static_cast<float>(start + i) * span.step[v];
        in.position[0] += static_cast<float>(i);
        float colour[4];
        const bool keep = function->fragment(in, resources, colour);
        ASSERT_EQ(shaded.kept[i], keep) << name << ", fragment " << i;
        kept += keep;
        for (int ch = 0; ch < 4 && keep; ch++)
          EXPECT_EQ(shaded.colours[i][ch], colour[ch]) << name << ", fragment " << i << " channel " << ch;
      }
      EXPECT_GT(kept, 0) << name;
    }
}

// A scissor that the back end may leave out of a draw: where it says the mask is 1 between two
// pixel centres, each fragment there, wherever within its stray of the centre, is shaded as with
// no scissor at all; inside scissors on pixel edges it says so at every scale, and never where an
// edge crosses a pixel or the scissor is turned.
TEST(ShaderSpans, AScissorKnownToBeOneBetweenPixelsMasksNoneOfTheirFragments)
{
  struct Case
  {
    const char* name;
    Scissor scissor;
    double pixelsPerUnit;
    int firstPixel[2], lastPixel[2];
    bool one;
  };
  // Scissors over x 10..30 and y 4..14, their pixels as the back end's rectangle lets through.
  const Case cases[] = {
    {"on pixel edges", {20.0f, 9.0f, 10.0f, 5.0f}, 1.0, {10, 4}, {29, 13}, true},
    {"on pixel edges, two pixels a unit", {20.0f, 9.0f, 10.0f, 5.0f, 0.0f, 2.0f}, 2.0, {20, 8}, {59, 27}, true},
    {"on pixel edges, three pixels in two units", {20.0f, 9.0f, 10.0f, 5.0f, 0.0f, 1.5f}, 1.5, {15, 6}, {44, 20}, true},
    {"inside, away from the edges", {20.0f, 9.0f, 10.0f, 5.0f}, 1.0, {12, 6}, {20, 10}, true},
    {"an edge across a pixel", {20.3f, 9.0f, 10.0f, 5.0f}, 1.0, {10, 4}, {30, 13}, false},
    {"a pixel past the edge", {20.0f, 9.0f, 10.0f, 5.0f}, 1.0, {10, 4}, {30, 13}, false},
    {"turned", {20.0f, 9.0f, 10.0f, 5.0f, 0.01f}, 1.0, {12, 6}, {20, 10}, false},
  };
  std::shared_ptr<MTLDevice> device = MTLCreateSystemDefaultDevice();
  const std::shared_ptr<MTLFunction> function = device
                                                  ->newLibraryWithData(mnvgShaderLibrary(), mnvgShaderLibrarySize(),
                                                                       nullptr)
                                                  ->newFunctionWithName("fragmentShaderAA");
  ASSERT_TRUE(function && function->fragment);
  std::shared_ptr<MTLBuffer> buffer = device->newBufferWithLength(sizeof(MNVGfragUniforms), 0);
  MTLShaderResources resources;
  resources.buffers[0] = {buffer.get(), 0};
  const SpanCase fill{"", MNVG_SHADER_FILLGRAD, kHalfBlue, kHalfBlue, {0, 0}, std::nullopt, kFill[0], kFill[1], {}, {},
                      1};
  auto shade = [&](const MNVGfragUniforms& u, double x, double y, float colour[4]) {
    std::memcpy(buffer->contents(), &u, sizeof(u));
    MTLFragmentIn in{};
    in.varyings[kTexU] = 0.5f;
    in.varyings[kTexV] = 1.0f;
    in.varyings[kPosX] = static_cast<float>(x);
    in.varyings[kPosY] = static_cast<float>(y);
    return function->fragment(in, resources, colour);
  };
  float expected[4];
  ASSERT_TRUE(shade(uniformsOf(fill), 0.0, 0.0, expected));
  for (const Case& c : cases)
  {
    SpanCase scissored = fill;
    scissored.scissor = c.scissor;
    const MNVGfragUniforms u = uniformsOf(scissored);
    const double ppu[2] = {c.pixelsPerUnit, c.pixelsPerUnit};
    double first[2], last[2];
    for (int axis = 0; axis < 2; axis++)
    {
      first[axis] = (c.firstPixel[axis] + 0.5) / ppu[axis];
      last[axis] = (c.lastPixel[axis] + 0.5) / ppu[axis];
    }
    ASSERT_EQ(mnvgScissorIsOneBetween(u, first, last, ppu), c.one) << c.name;
    if (!c.one)
      continue;
    const double stray = kMNVGScissorSnap / 2.0 / c.pixelsPerUnit;
    for (int py = c.firstPixel[1]; py <= c.lastPixel[1]; py++)
      for (int px = c.firstPixel[0]; px <= c.lastPixel[0]; px++)
        for (double dx : {-stray, 0.0, stray})
          for (double dy : {-stray, 0.0, stray})
          {
            float colour[4];
            ASSERT_TRUE(shade(u, (px + 0.5) / ppu[0] + dx, (py + 0.5) / ppu[1] + dy, colour));
            for (int ch = 0; ch < 4; ch++)
              ASSERT_EQ(colour[ch], expected[ch]) << c.name << " at pixel " << px << "," << py << " channel " << ch;
          }
  }
}

// A straight (not premultiplied) texture drawn texel for texel: each colour is the texel the
// sampler gives, times its alpha, bit for bit, in either order of the texture's channels.
TEST(ShaderSpans, StraightTexelsDrawnTexelForTexelArePremultipliedAsSampled)
{
  std::shared_ptr<MTLDevice> device = MTLCreateSystemDefaultDevice();
  const std::shared_ptr<MTLFunction> function = device
                                                  ->newLibraryWithData(mnvgShaderLibrary(), mnvgShaderLibrarySize(),
                                                                       nullptr)
                                                  ->newFunctionWithName("fragmentShaderAA");
  ASSERT_TRUE(function && function->specialiser);
  // Every byte in every channel, alphas opaque, empty and between.
  unsigned char texels[kTexW * kTexH * 4];
  for (int i = 0; i < kTexW * kTexH * 4; i++)
    texels[i] = static_cast<unsigned char>(i * 37 % 256);
  for (MTLPixelFormat format : {MTLPixelFormatRGBA8Unorm, MTLPixelFormatBGRA8Unorm})
  {
    std::shared_ptr<MTLTexture> texture = device->newTextureWithDescriptor(
      MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(format, kTexW, kTexH, false));
    texture->replaceRegion(MTLRegionMake2D(0, 0, kTexW, kTexH), 0, texels, kTexW * 4);
    std::shared_ptr<MTLBuffer> buffer = device->newBufferWithLength(sizeof(MNVGfragUniforms), 0);
    const SpanCase image{"", MNVG_SHADER_FILLIMG, kWhite, kWhite, {0, 0}, std::nullopt, kFill[0], kFill[1], {}, {}, 1};
    MNVGfragUniforms u = uniformsOf(image);
    u.texType = MNVG_TEXTYPE_RGBA;
    std::memcpy(buffer->contents(), &u, sizeof(u));
    MTLShaderResources resources;
    resources.buffers[0] = {buffer.get(), 0};
    resources.textures[0] = texture.get();
    const MTLSamplerState sampler{MTLSamplerDescriptor{}};
    for (int row = 0; row < kTexH; row++)
      for (int start : {0, 5})
      {
        MTLFragmentSpan span{};
        span.first.varyings[kTexU] = 0.5f;
        span.first.varyings[kTexV] = 1.0f;
        span.first.varyings[kPosX] = 0.5f + static_cast<float>(start);
        span.first.varyings[kPosY] = 0.5f + static_cast<float>(row);
        span.step[kPosX] = kAlong;
        span.count = kTexW - start;
        MTLFragmentColours shaded;
        function->specialiser(resources)(span, resources, shaded);
        shaded.spread(span.count);
        float sampled[kTexW][4];
        const float t = (0.5f + static_cast<float>(row)) / kTexH;
        MTLSampleTextureRow(*texture, sampler, (0.5f + static_cast<float>(start)) / kTexW, t, 1.0f / kTexW, 0.0f, 0,
                            span.count, sampled);
        for (int i = 0; i < span.count; i++)
        {
          ASSERT_TRUE(shaded.kept[i]);
          for (int c = 0; c < 4; c++)
            ASSERT_EQ(shaded.colours[i][c], c < 3 ? sampled[i][c] * sampled[i][3] : sampled[i][3])
              << "format " << format << " row " << row << " texel " << start + i << " channel " << c;
        }
      }
  }
}
