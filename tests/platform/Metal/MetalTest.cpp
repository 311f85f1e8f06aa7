#include "platform/Metal/CAMetalLayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {
// Test shaders: positions are given in window pixels of a 4 x 4 target (scaled with a larger one);
// the fragment colour comes from fragment buffer 0.
void pixelVertex(const MTLVertexIn& in, const MTLShaderResources&, MTLVertexOut* out)
{
  out->position[0] = in.attributes[0][0] / 2.0f - 1.0f;
  out->position[1] = 1.0f - in.attributes[0][1] / 2.0f;
  out->position[2] = 0.0f;
  out->position[3] = 1.0f;
  std::memset(out->varyings, 0, sizeof(out->varyings));
}

bool constantFragment(const MTLFragmentIn&, const MTLShaderResources& resources, float colour[4])
{
  std::memcpy(colour, resources.buffers[0].contents(), sizeof(float) * 4);
  return colour[3] >= 0.0f;  // a negative alpha asks for a discard
}

// Draws nothing on its own; its specialiser counts its calls and gives every draw that binds a
// colour a span body that paints each fragment of a span with it.
bool discardingFragment(const MTLFragmentIn&, const MTLShaderResources&, float*)
{
  return false;
}

void constantSpan(const MTLFragmentSpan& span, const MTLShaderResources& resources, MTLFragmentColours& out)
{
  for (int i = 0; i < span.count; i++)
    out.kept[i] = constantFragment(span.first, resources, out.colours[i]);
}

void discardingSpan(const MTLFragmentSpan& span, const MTLShaderResources&, MTLFragmentColours& out)
{
  std::fill(out.kept, out.kept + span.count, false);
}

int specialisations = 0;

MTLFragmentSpanBody specialiseFragment(const MTLShaderResources& resources)
{
  specialisations++;
  return resources.buffers[0].contents() ? constantSpan : discardingSpan;
}

// Gives the colours of a 4 x 4 picture, or one colour, in the form asked for: each form must be
// written as the per-fragment form of the same colours is.
struct FormPicture
{
  MTLFragmentColours::Form form = MTLFragmentColours::PerFragment;
  bool uniformSource = false;     // the colours are `uniform` everywhere, else the texels'
  unsigned char texels[4][4][4];  // RGBA, by row
  unsigned char stored[4][4][4];  // the same as texelFormat stores them
  MTLPixelFormat texelFormat = MTLPixelFormatRGBA8Unorm;
  float uniform[4] = {};
} formPicture;

void formSpan(const MTLFragmentSpan& span, const MTLShaderResources&, MTLFragmentColours& out)
{
  const FormPicture& p = formPicture;
  const int x = static_cast<int>(span.first.position[0]), y = static_cast<int>(span.first.position[1]);
  out.form = p.form;
  if (p.form == MTLFragmentColours::Texels)
  {
    out.texels = p.stored[y][x];
    out.texelFormat = p.texelFormat;
    return;
  }
  for (int i = 0; i < span.count; i++)
  {
    for (int c = 0; c < 4; c++)
      out.colours[i][c] = p.uniformSource ? p.uniform[c] : p.texels[y][x + i][c] * (1.0f / 255.0f);
    out.kept[i] = true;
  }
}

MTLFragmentSpanBody specialiseForm(const MTLShaderResources&)
{
  return formSpan;
}

const char kLibrary[] =
  "MTLB"
  "pixelVertex\0"
  "constantFragment\0"
  "specialisedFragment\0"
  "formFragment\0";

struct Rig
{
  std::shared_ptr<MTLDevice> device = MTLCreateSystemDefaultDevice();
  std::shared_ptr<MTLCommandQueue> queue = device->newCommandQueue();
  std::shared_ptr<MTLLibrary> library;
  std::shared_ptr<MTLTexture> target;
  std::shared_ptr<MTLTexture> stencil;
  std::shared_ptr<MTLBuffer> verts = device->newBufferWithLength(4096, 0);
  std::shared_ptr<MTLBuffer> colour = device->newBufferWithLength(16, 0);

  explicit Rig(MTLPixelFormat format = MTLPixelFormatRGBA8Unorm, NSUInteger size = 4)
  {
    MTLRegisterVertexFunction("pixelVertex", pixelVertex);
    MTLRegisterFragmentFunction("constantFragment", constantFragment);
    MTLRegisterFragmentFunction("specialisedFragment", discardingFragment, specialiseFragment);
    MTLRegisterFragmentFunction("formFragment", discardingFragment, specialiseForm);
    library = device->newLibraryWithData(kLibrary, sizeof(kLibrary), nullptr);
    target = device->newTextureWithDescriptor(
      MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(format, size, size, false));
    stencil = device->newTextureWithDescriptor(
      MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatStencil8, size, size, false));
  }

  std::shared_ptr<MTLRenderPipelineState> pipeline(bool blending, MTLBlendFactor src, MTLBlendFactor dst,
                                                   bool withFragment = true)
  {
    MTLRenderPipelineDescriptor d;
    d.vertexFunction = library->newFunctionWithName("pixelVertex");
    if (withFragment)
      d.fragmentFunction = library->newFunctionWithName("constantFragment");
    d.vertexDescriptor = std::make_shared<MTLVertexDescriptor>();
    d.vertexDescriptor->attributes[0] = {MTLVertexFormatFloat2, 0, 0};
    d.vertexDescriptor->layouts[0].stride = 8;
    d.colorAttachments[0].pixelFormat = target->pixelFormat();
    d.colorAttachments[0].blendingEnabled = blending;
    d.colorAttachments[0].sourceRGBBlendFactor = d.colorAttachments[0].sourceAlphaBlendFactor = src;
    d.colorAttachments[0].destinationRGBBlendFactor = d.colorAttachments[0].destinationAlphaBlendFactor = dst;
    d.stencilAttachmentPixelFormat = MTLPixelFormatStencil8;
    return device->newRenderPipelineStateWithDescriptor(d, nullptr);
  }

  void fillTarget(const unsigned char rgba[4])
  {
    for (NSUInteger y = 0; y < 4; y++)
      for (NSUInteger x = 0; x < 4; x++)
        std::memcpy(target->texel(x, y), rgba, target->bytesPerPixel());
  }

  // Draws window-pixel triangles in one pass with the pipeline and depth-stencil state.
  void draw(std::vector<float> xy, const float rgba[4], std::shared_ptr<MTLRenderPipelineState> state,
            MTLPrimitiveType type = MTLPrimitiveTypeTriangle, MTLCullMode cull = MTLCullModeNone,
            std::shared_ptr<MTLDepthStencilState> depthStencil = nullptr)
  {
    pass(xy, rgba, state, cull, depthStencil,
         [&](MTLRenderCommandEncoder& e) { e.drawPrimitives(type, 0, xy.size() / 2); });
  }

  // Draws the triangles that the indices name among the window-pixel vertices.
  void drawIndexed(std::vector<float> xy, const std::vector<uint32_t>& indices, MTLIndexType type, const float rgba[4],
                   std::shared_ptr<MTLRenderPipelineState> state)
  {
    std::shared_ptr<MTLBuffer> buffer = device->newBufferWithLength(indices.size() * sizeof(uint32_t), 0);
    auto* bytes = static_cast<unsigned char*>(buffer->contents());
    for (size_t i = 0; i < indices.size(); i++)
    {
      const uint16_t small = static_cast<uint16_t>(indices[i]);
      if (type == MTLIndexTypeUInt32)
        std::memcpy(bytes + i * 4, &indices[i], 4);
      else
        std::memcpy(bytes + i * 2, &small, 2);
    }
    pass(xy, rgba, state, MTLCullModeNone, nullptr, [&](MTLRenderCommandEncoder& e) {
      e.drawIndexedPrimitives(MTLPrimitiveTypeTriangle, indices.size(), type, buffer, 0);
    });
  }

  template <class Issue>
  void pass(const std::vector<float>& xy, const float rgba[4], std::shared_ptr<MTLRenderPipelineState> state,
            MTLCullMode cull, std::shared_ptr<MTLDepthStencilState> depthStencil, Issue issue)
  {
    std::memcpy(verts->contents(), xy.data(), xy.size() * sizeof(float));
    std::memcpy(colour->contents(), rgba, sizeof(float) * 4);
    MTLRenderPassDescriptor pass;
    pass.colorAttachments[0].texture = target;
    pass.colorAttachments[0].loadAction = MTLLoadActionLoad;
    pass.stencilAttachment.texture = stencil;
    pass.stencilAttachment.loadAction = MTLLoadActionLoad;
    std::shared_ptr<MTLCommandBuffer> cb = queue->commandBuffer();
    std::shared_ptr<MTLRenderCommandEncoder> e = cb->renderCommandEncoderWithDescriptor(pass);
    e->setRenderPipelineState(state);
    if (depthStencil)
      e->setDepthStencilState(depthStencil);
    e->setCullMode(cull);
    e->setFrontFacingWinding(MTLWindingCounterClockwise);
    e->setVertexBuffer(verts, 0, 0);
    e->setFragmentBuffer(colour, 0, 0);
    issue(*e);
    e->endEncoding();
    cb->commit();
  }

  const unsigned char* at(int x, int y) const { return target->texel(x, y); }
};

const std::vector<float> kFullQuad = {0, 0, 4, 0, 0, 4, 4, 0, 4, 4, 0, 4};
}  // namespace

TEST(Metal, LibraryNeedsTheMagicAndKnowsOnlyItsFunctions)
{
  Rig rig;
  ASSERT_NE(rig.library, nullptr);
  EXPECT_NE(rig.library->newFunctionWithName("pixelVertex"), nullptr);
  EXPECT_EQ(rig.library->newFunctionWithName("otherFunction"), nullptr);
  NSError* error = nullptr;
  const char bad[] = "ELF\0vertexShader";
  EXPECT_EQ(rig.device->newLibraryWithData(bad, sizeof(bad), &error), nullptr);
  ASSERT_NE(error, nullptr);
  EXPECT_FALSE(error->localizedDescription.empty());
  EXPECT_EQ(rig.device->newLibraryWithData(nullptr, 0, &error), nullptr);
}

TEST(Metal, BlendFactors)
{
  // Source (0.6, 0.2, 0, 0.5) over destination (0.4, 0, 0.8, 0.25) in its first channel and alpha.
  const float src[4] = {0.6f, 0.2f, 0.0f, 0.5f};
  const unsigned char dstBytes[4] = {102, 0, 204, 64};
  const float dr = 0.4f, da = 64 / 255.0f;
  struct Case
  {
    MTLBlendFactor factor;
    float rgb, alpha;  // the factor's value on the red channel and on alpha
  };
  const Case cases[] = {
    {MTLBlendFactorZero, 0, 0},
    {MTLBlendFactorOne, 1, 1},
    {MTLBlendFactorSourceColor, 0.6f, 0.5f},
    {MTLBlendFactorOneMinusSourceColor, 0.4f, 0.5f},
    {MTLBlendFactorSourceAlpha, 0.5f, 0.5f},
    {MTLBlendFactorOneMinusSourceAlpha, 0.5f, 0.5f},
    {MTLBlendFactorDestinationColor, dr, da},
    {MTLBlendFactorOneMinusDestinationColor, 1 - dr, 1 - da},
    {MTLBlendFactorDestinationAlpha, da, da},
    {MTLBlendFactorOneMinusDestinationAlpha, 1 - da, 1 - da},
    {MTLBlendFactorSourceAlphaSaturated, std::min(0.5f, 1 - da), 1},
  };
  for (const Case& c : cases)
  {
    Rig rig;
    rig.fillTarget(dstBytes);
    // result = src x factor + dst x 1, so the factor shows as (result - dst) / src
    rig.draw(kFullQuad, src, rig.pipeline(true, c.factor, MTLBlendFactorOne));
    EXPECT_NEAR(rig.at(1, 1)[0], std::min(1.0f, 0.6f * c.rgb + dr) * 255, 1.0) << c.factor;
    EXPECT_NEAR(rig.at(1, 1)[3], std::min(1.0f, 0.5f * c.alpha + da) * 255, 1.0) << c.factor;
  }
}

TEST(Metal, HalfRedOverOpaqueBlueIsPremultipliedPurple)
{
  Rig rig;
  const unsigned char blue[4] = {0, 0, 255, 255};
  rig.fillTarget(blue);
  const float halfRed[4] = {0.5f, 0, 0, 0.5f};
  rig.draw(kFullQuad, halfRed, rig.pipeline(true, MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha));
  EXPECT_NEAR(rig.at(2, 2)[0], 128, 1);
  EXPECT_EQ(rig.at(2, 2)[1], 0);
  EXPECT_NEAR(rig.at(2, 2)[2], 128, 1);
  EXPECT_EQ(rig.at(2, 2)[3], 255);
}

TEST(Metal, AColourChannelThatIsNotANumberIsStoredAsZero)
{
  // Through the four-lane write, the blend equation and a one-channel target alike.
  const struct
  {
    MTLPixelFormat format;
    bool blending;
  } cases[] = {
    {MTLPixelFormatRGBA8Unorm, false},
    {MTLPixelFormatRGBA8Unorm, true},
    {MTLPixelFormatR8Unorm, false},
  };
  const unsigned char grey[4] = {200, 200, 200, 200};
  const float notANumber[4] = {std::nanf(""), 0, 0, 1};
  for (const auto& c : cases)
  {
    Rig rig(c.format);
    rig.fillTarget(grey);
    rig.draw(kFullQuad, notANumber, rig.pipeline(c.blending, MTLBlendFactorOne, MTLBlendFactorZero));
    EXPECT_EQ(rig.at(1, 1)[0], 0) << "format " << c.format << (c.blending ? " blending" : "");
  }
}

TEST(Metal, StencilOperations)
{
  struct Case
  {
    MTLStencilOperation op;
    unsigned char before, after;
  };
  const Case cases[] = {
    {MTLStencilOperationKeep, 7, 7},
    {MTLStencilOperationZero, 7, 0},
    {MTLStencilOperationIncrementClamp, 255, 255},
    {MTLStencilOperationIncrementClamp, 7, 8},
    {MTLStencilOperationIncrementWrap, 255, 0},
    {MTLStencilOperationDecrementWrap, 0, 255},
    {MTLStencilOperationDecrementClamp, 0, 0},
    {MTLStencilOperationReplace, 7, 3},
    {MTLStencilOperationInvert, 7, 248},
  };
  const float white[4] = {1, 1, 1, 1};
  for (const Case& c : cases)
  {
    Rig rig;
    std::memset(rig.stencil->texel(0, 0), c.before, 16);
    MTLStencilDescriptor s;
    s.depthStencilPassOperation = c.op;
    MTLDepthStencilDescriptor d;
    d.frontFaceStencil = d.backFaceStencil = std::make_shared<MTLStencilDescriptor>(s);
    std::shared_ptr<MTLCommandBuffer> cb = rig.queue->commandBuffer();
    MTLRenderPassDescriptor pass;
    pass.colorAttachments[0].texture = rig.target;
    pass.stencilAttachment.texture = rig.stencil;
    pass.stencilAttachment.loadAction = MTLLoadActionLoad;
    std::memcpy(rig.verts->contents(), kFullQuad.data(), kFullQuad.size() * sizeof(float));
    std::memcpy(rig.colour->contents(), white, sizeof(white));
    auto e = cb->renderCommandEncoderWithDescriptor(pass);
    e->setRenderPipelineState(rig.pipeline(false, MTLBlendFactorOne, MTLBlendFactorZero, false));
    e->setDepthStencilState(rig.device->newDepthStencilStateWithDescriptor(d));
    e->setStencilReferenceValue(3);
    e->setVertexBuffer(rig.verts, 0, 0);
    e->drawPrimitives(MTLPrimitiveTypeTriangle, 0, 6);
    e->endEncoding();
    cb->commit();
    EXPECT_EQ(*rig.stencil->texel(1, 1), c.after) << c.op << " from " << int(c.before);
    EXPECT_EQ(rig.at(1, 1)[3], 0);  // no fragment function: no colour written
  }
}

// A pass that clears a stencil it does not keep: every draw that uses the stencil finds it clear
// where it first reaches it, whatever an earlier pass left there, and then finds what draws of the
// pass wrote.
TEST(Metal, AClearedStencilIsClearWhereverAPassFirstUsesIt)
{
  Rig rig;
  std::memset(rig.stencil->texel(0, 0), 9, 16);
  auto stencilState = [&](MTLCompareFunction compare, uint32_t reference, MTLStencilOperation pass) {
    MTLStencilDescriptor s;
    s.stencilCompareFunction = compare;
    s.depthStencilPassOperation = pass;
    MTLDepthStencilDescriptor d;
    d.frontFaceStencil = d.backFaceStencil = std::make_shared<MTLStencilDescriptor>(s);
    return std::make_pair(rig.device->newDepthStencilStateWithDescriptor(d), reference);
  };
  // The rows of the lower half are counted up, then the whole target drawn red where the stencil
  // is 0 and green where it is 1.
  const std::vector<float> lowerHalf = {0, 2, 4, 2, 0, 4, 4, 2, 4, 4, 0, 4};
  struct Draw
  {
    const std::vector<float>* xy;
    std::pair<std::shared_ptr<MTLDepthStencilState>, uint32_t> stencil;
    float rgba[4];
  };
  const Draw draws[] = {
    {&lowerHalf, stencilState(MTLCompareFunctionAlways, 0, MTLStencilOperationIncrementClamp), {0, 0, 0, 0}},
    {&kFullQuad, stencilState(MTLCompareFunctionEqual, 0, MTLStencilOperationKeep), {1, 0, 0, 1}},
    {&kFullQuad, stencilState(MTLCompareFunctionEqual, 1, MTLStencilOperationKeep), {0, 1, 0, 1}},
  };
  std::vector<float> xy;
  for (const Draw& d : draws)
    xy.insert(xy.end(), d.xy->begin(), d.xy->end());
  std::vector<float> colours;
  for (const Draw& d : draws)
    colours.insert(colours.end(), d.rgba, d.rgba + 4);
  std::shared_ptr<MTLBuffer> colourBuffer = rig.device->newBufferWithLength(colours.size() * sizeof(float), 0);
  std::memcpy(rig.verts->contents(), xy.data(), xy.size() * sizeof(float));
  std::memcpy(colourBuffer->contents(), colours.data(), colours.size() * sizeof(float));
  MTLRenderPassDescriptor pass;
  pass.colorAttachments[0].texture = rig.target;
  pass.colorAttachments[0].loadAction = MTLLoadActionLoad;
  pass.stencilAttachment.texture = rig.stencil;
  pass.stencilAttachment.loadAction = MTLLoadActionClear;
  pass.stencilAttachment.storeAction = MTLStoreActionDontCare;
  std::shared_ptr<MTLCommandBuffer> cb = rig.queue->commandBuffer();
  auto e = cb->renderCommandEncoderWithDescriptor(pass);
  e->setRenderPipelineState(rig.pipeline(false, MTLBlendFactorOne, MTLBlendFactorZero));
  e->setVertexBuffer(rig.verts, 0, 0);
  e->setFragmentBuffer(colourBuffer, 0, 0);
  NSUInteger first = 0;
  for (size_t i = 0; i < std::size(draws); i++)
  {
    e->setDepthStencilState(draws[i].stencil.first);
    e->setStencilReferenceValue(draws[i].stencil.second);
    e->setFragmentBufferOffset(i * 4 * sizeof(float), 0);
    e->drawPrimitives(MTLPrimitiveTypeTriangle, first, draws[i].xy->size() / 2);
    first += draws[i].xy->size() / 2;
  }
  e->endEncoding();
  cb->commit();
  for (int y = 0; y < 4; y++)
  {
    const bool counted = y >= 2;
    EXPECT_EQ(rig.at(1, y)[0], counted ? 0 : 255) << "row " << y;
    EXPECT_EQ(rig.at(1, y)[1], counted ? 255 : 0) << "row " << y;
  }
}

TEST(Metal, StencilCompareChoosesTheFaceAndFailsKeepTheColour)
{
  Rig rig;
  MTLStencilDescriptor equal;
  equal.stencilCompareFunction = MTLCompareFunctionEqual;
  equal.stencilFailureOperation = MTLStencilOperationIncrementClamp;
  MTLDepthStencilDescriptor d;
  d.frontFaceStencil = std::make_shared<MTLStencilDescriptor>(equal);  // back faces: no test
  std::memset(rig.stencil->texel(0, 0), 1, 16);
  const float red[4] = {1, 0, 0, 1};
  auto state = rig.pipeline(false, MTLBlendFactorOne, MTLBlendFactorZero);
  // Counter-clockwise on screen is the front face here: compared with 0 against 1, it fails.
  rig.draw({0, 0, 0, 4, 4, 0}, red, state, MTLPrimitiveTypeTriangle, MTLCullModeNone,
           rig.device->newDepthStencilStateWithDescriptor(d));
  EXPECT_EQ(rig.at(0, 0)[0], 0);
  EXPECT_EQ(*rig.stencil->texel(0, 0), 2);
  // Clockwise: a back face, drawn.
  rig.draw({0, 0, 4, 0, 0, 4}, red, state, MTLPrimitiveTypeTriangle, MTLCullModeNone,
           rig.device->newDepthStencilStateWithDescriptor(d));
  EXPECT_EQ(rig.at(0, 0)[0], 255);
}

TEST(Metal, CullingJudgesFacingOnScreenAndStripsKeepOneFacing)
{
  const float red[4] = {1, 0, 0, 1};
  {
    Rig rig;  // counter-clockwise on screen with front = counter-clockwise: kept under cull back
    rig.draw({0, 0, 0, 4, 4, 4, 0, 0, 4, 4, 4, 0}, red, rig.pipeline(false, MTLBlendFactorOne, MTLBlendFactorZero),
             MTLPrimitiveTypeTriangle, MTLCullModeBack);
    EXPECT_EQ(rig.at(0, 3)[0], 255);
    EXPECT_EQ(rig.at(3, 0)[0], 255);
  }
  {
    Rig rig;  // the same quad clockwise: culled
    rig.draw({0, 0, 4, 4, 0, 4, 0, 0, 4, 0, 4, 4}, red, rig.pipeline(false, MTLBlendFactorOne, MTLBlendFactorZero),
             MTLPrimitiveTypeTriangle, MTLCullModeBack);
    EXPECT_EQ(rig.at(0, 3)[0], 0);
    EXPECT_EQ(rig.at(3, 0)[0], 0);
  }
  {
    Rig rig;  // a strip whose first triangle is counter-clockwise: both triangles are front faces
    rig.draw({0, 0, 0, 4, 4, 0, 4, 4}, red, rig.pipeline(false, MTLBlendFactorOne, MTLBlendFactorZero),
             MTLPrimitiveTypeTriangleStrip, MTLCullModeBack);
    EXPECT_EQ(rig.at(0, 3)[0], 255);
    EXPECT_EQ(rig.at(3, 3)[0], 255);
  }
}

TEST(Metal, SharedEdgesAreDrawnOnceAtPixelCentres)
{
  Rig rig;
  const float quarter[4] = {0.25f, 0.25f, 0.25f, 0.25f};
  // Two triangles sharing the diagonal, added together: every pixel exactly once.
  rig.draw(kFullQuad, quarter, rig.pipeline(true, MTLBlendFactorOne, MTLBlendFactorOne));
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 4; x++)
      EXPECT_NEAR(rig.at(x, y)[0], 64, 1) << x << "," << y;

  // Four triangles fanned from any inner point cover every pixel exactly once, on a target where
  // they are narrow and on one where they are wide.
  for (const int size : {4, 24})
    for (int i = 0; i < 40; i++)
    {
      Rig fan(MTLPixelFormatRGBA8Unorm, size);
      const float px = 0.1f + 3.8f * ((i * 37) % 41) / 41.0f, py = 0.1f + 3.8f * ((i * 53) % 43) / 43.0f;
      fan.draw({0, 0, 4, 0, px, py, 4, 0, 4, 4, px, py, 4, 4, 0, 4, px, py, 0, 4, 0, 0, px, py}, quarter,
               fan.pipeline(true, MTLBlendFactorOne, MTLBlendFactorOne));
      for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++)
          ASSERT_NEAR(fan.at(x, y)[0], 64, 1) << x << "," << y << " of " << size << " fanned from " << px << "," << py;
    }

  // A rectangle ending half-way into pixels covers those whose centres it covers.
  Rig half;
  half.draw({0, 0, 2.5f, 0, 0, 4, 2.5f, 0, 2.5f, 4, 0, 4}, quarter,
            half.pipeline(true, MTLBlendFactorOne, MTLBlendFactorOne));
  EXPECT_EQ(half.at(2, 0)[0], 0);  // centre 2.5 on the right edge: only left edges take it
  EXPECT_NEAR(half.at(1, 0)[0], 64, 1);
  EXPECT_EQ(half.at(3, 0)[0], 0);
}

TEST(Metal, RectanglesCoverThePixelsWhoseCentresTheyHoldWithinTheTarget)
{
  // Edges through pixel centres take them on the top and left only. The first case is narrow
  // enough for the four-lane walker, the second wide enough for the row-bound one.
  const struct
  {
    NSUInteger size;
    float x0, y0, x1, y1;     // in quarters of the target
    int columns[2], rows[2];  // the first and last covered
  } cases[] = {
    {4, 0.5f, 0.5f, 2.5f, 2.5f, {0, 1}, {0, 1}},
    {8, 0.75f, 0.25f, 2.75f, 2.75f, {1, 4}, {0, 4}},
    {4, 2, 0, 6, 4, {2, 3}, {0, 3}},                // narrow, past the right edge
    {4, -2, 0, 2, 4, {0, 1}, {0, 3}},               // narrow, past the left edge
    {4, 1, -1e5f, 3, 1e5f, {1, 2}, {0, 3}},         // narrow, but its edge values need 64 bits
    {4, -1e5f, -1e5f, 1e5f, 1e5f, {0, 3}, {0, 3}},  // far past every edge
  };
  const float quarter[4] = {0.25f, 0.25f, 0.25f, 0.25f};
  for (const auto& c : cases)
  {
    Rig rig(MTLPixelFormatRGBA8Unorm, c.size);
    rig.draw({c.x0, c.y0, c.x1, c.y0, c.x0, c.y1, c.x1, c.y0, c.x1, c.y1, c.x0, c.y1}, quarter,
             rig.pipeline(true, MTLBlendFactorOne, MTLBlendFactorOne));
    for (int y = 0; y < static_cast<int>(c.size); y++)
      for (int x = 0; x < static_cast<int>(c.size); x++)
      {
        const bool inside = x >= c.columns[0] && x <= c.columns[1] && y >= c.rows[0] && y <= c.rows[1];
        EXPECT_NEAR(rig.at(x, y)[0], inside ? 64 : 0, 1)
          << x << "," << y << " of " << c.size << " for the rectangle from " << c.x0 << "," << c.y0;
      }
  }
}

TEST(Metal, IndexedDrawsDrawTheVerticesTheyName)
{
  // The full quad from its four corners: corners named twice, 16- and 32-bit indices, corners
  // far apart in the vertex buffer, and corners named twice far from its start.
  struct Case
  {
    std::vector<uint32_t> indices;
    MTLIndexType type;
  };
  const Case cases[] = {
    {{0, 1, 2, 1, 3, 2}, MTLIndexTypeUInt16},
    {{0, 1, 2, 1, 3, 2}, MTLIndexTypeUInt32},
    {{0, 1, 2, 500, 501, 502}, MTLIndexTypeUInt32},
    {{503, 500, 502, 500, 501, 502}, MTLIndexTypeUInt16},
  };
  std::vector<float> xy(2 * 504, 0.0f);
  const float corners[] = {0, 0, 4, 0, 0, 4, 4, 4};
  std::copy(corners, corners + 8, xy.begin());
  const float farCorners[] = {4, 0, 4, 4, 0, 4, 0, 0};
  std::copy(farCorners, farCorners + 8, xy.begin() + 2 * 500);
  const float quarter[4] = {0.25f, 0.25f, 0.25f, 0.25f};
  for (const Case& c : cases)
  {
    Rig rig;
    rig.drawIndexed(xy, c.indices, c.type, quarter, rig.pipeline(true, MTLBlendFactorOne, MTLBlendFactorOne));
    for (int y = 0; y < 4; y++)
      for (int x = 0; x < 4; x++)
        EXPECT_NEAR(rig.at(x, y)[0], 64, 1) << x << "," << y << " case " << &c - cases;
  }
}

TEST(Metal, BgraTargetsStoreBlueFirst)
{
  Rig rig(MTLPixelFormatBGRA8Unorm);
  const float red[4] = {1, 0, 0, 1};
  rig.draw(kFullQuad, red, rig.pipeline(false, MTLBlendFactorOne, MTLBlendFactorZero));
  EXPECT_EQ(rig.at(0, 0)[0], 0);
  EXPECT_EQ(rig.at(0, 0)[2], 255);
  float sampled[4];
  MTLSampleTexture(*rig.target, MTLSamplerState(MTLSamplerDescriptor{}), 0.5f, 0.5f, sampled);
  EXPECT_EQ(sampled[0], 1.0f);  // read back in RGBA order
  EXPECT_EQ(sampled[2], 0.0f);
}

TEST(Metal, SamplerFiltersAndAddressModes)
{
  auto device = MTLCreateSystemDefaultDevice();
  auto t = device->newTextureWithDescriptor(
    MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatR8Unorm, 2, 1, false));
  const unsigned char texels[2] = {0, 255};
  t->replaceRegion(MTLRegionMake2D(0, 0, 2, 1), 0, texels, 2);
  auto sampleAt = [&](MTLSamplerMinMagFilter filter, MTLSamplerAddressMode mode, float u) {
    MTLSamplerDescriptor d;
    d.minFilter = d.magFilter = filter;
    d.sAddressMode = d.tAddressMode = mode;
    float out[4];
    MTLSampleTexture(*t, MTLSamplerState(d), u, 0.5f, out);
    EXPECT_EQ(out[3], 1.0f);  // one channel reads as (r, 0, 0, 1)
    return out[0];
  };
  EXPECT_EQ(sampleAt(MTLSamplerMinMagFilterNearest, MTLSamplerAddressModeClampToEdge, 0.49f), 0.0f);
  EXPECT_EQ(sampleAt(MTLSamplerMinMagFilterNearest, MTLSamplerAddressModeClampToEdge, 0.51f), 1.0f);
  EXPECT_FLOAT_EQ(sampleAt(MTLSamplerMinMagFilterLinear, MTLSamplerAddressModeClampToEdge, 0.5f), 0.5f);
  EXPECT_FLOAT_EQ(sampleAt(MTLSamplerMinMagFilterLinear, MTLSamplerAddressModeClampToEdge, 1.0f), 1.0f);
  EXPECT_FLOAT_EQ(sampleAt(MTLSamplerMinMagFilterLinear, MTLSamplerAddressModeRepeat, 1.0f), 0.5f);
  EXPECT_EQ(sampleAt(MTLSamplerMinMagFilterNearest, MTLSamplerAddressModeRepeat, 1.25f), 0.0f);
  EXPECT_EQ(sampleAt(MTLSamplerMinMagFilterNearest, MTLSamplerAddressModeClampToEdge, 1.25f), 1.0f);
  // Left of the first texel, where positions are rounded down, not towards zero.
  EXPECT_EQ(sampleAt(MTLSamplerMinMagFilterNearest, MTLSamplerAddressModeRepeat, -0.25f), 1.0f);
  EXPECT_EQ(sampleAt(MTLSamplerMinMagFilterNearest, MTLSamplerAddressModeRepeat, -1.0f), 0.0f);
  EXPECT_FLOAT_EQ(sampleAt(MTLSamplerMinMagFilterLinear, MTLSamplerAddressModeRepeat, 0.0f), 0.5f);
  EXPECT_FLOAT_EQ(sampleAt(MTLSamplerMinMagFilterLinear, MTLSamplerAddressModeRepeat, -0.125f), 0.75f);
}

TEST(Metal, ASpecialisedFragmentFunctionRunsTheBodyChosenOncePerDraw)
{
  Rig rig;
  MTLRenderPipelineDescriptor d = rig.pipeline(false, MTLBlendFactorOne, MTLBlendFactorZero)->descriptor;
  d.fragmentFunction = rig.library->newFunctionWithName("specialisedFragment");
  const float green[4] = {0, 1, 0, 1};
  specialisations = 0;
  rig.draw(kFullQuad, green, rig.device->newRenderPipelineStateWithDescriptor(d, nullptr));
  EXPECT_EQ(specialisations, 1);
  EXPECT_EQ(rig.at(0, 0)[1], 255);
  EXPECT_EQ(rig.at(3, 3)[1], 255);
}

TEST(Metal, UniformAndTexelColoursAreWrittenAsTheSameColoursFragmentByFragment)
{
  // Opaque, empty and partly covering texels, premultiplied; one row all opaque.
  const unsigned char kTexels[16][4] = {
    {255, 0, 0, 255},     {0, 0, 0, 0},     {100, 50, 25, 128},   {1, 2, 3, 4},
    {250, 240, 230, 255}, {0, 0, 0, 255},   {255, 255, 255, 255}, {12, 34, 56, 255},
    {10, 0, 200, 201},    {0, 0, 0, 1},     {7, 0, 0, 0},         {90, 90, 0, 90},
    {128, 128, 128, 128}, {3, 200, 9, 255}, {60, 61, 62, 63},     {250, 240, 230, 254},
  };
  FormPicture& p = formPicture;
  std::memcpy(p.texels, kTexels, sizeof(kTexels));
  // A background that differs from texel to texel, so that blending several texels at once is
  // checked against each texel's own.
  unsigned char background[16][4];
  for (int i = 0; i < 16; i++)
    for (int c = 0; c < 4; c++)
      background[i][c] = static_cast<unsigned char>(30 * c + 47 * i + (c == 3 ? 100 : 0));
  const float noColour[4] = {};
  // One triangle over the whole target: every row is one span; and one over part of it, whose
  // rows are spans of fewer fragments.
  const std::vector<float> kCoveringTriangle = {0, 0, 8, 0, 0, 8}, kPartTriangle = {0, 0, 4, 0, 0, 4};
  // Opaque, half covering, brighter than its alpha (the sum reaches 1) and empty.
  const float uniforms[][4] = {
    {1.0f, 0.5f, 0.25f, 1.0f}, {0.3f, 0.2f, 0.1f, 0.5f}, {1.0f, 0.9f, 0.8f, 0.3f}, {0, 0, 0, 0}};
  for (MTLPixelFormat format : {MTLPixelFormatRGBA8Unorm, MTLPixelFormatBGRA8Unorm})
  {
    Rig rig(format);
    // Source-over, which writes each form directly, and adding, which goes fragment by fragment.
    for (MTLBlendFactor dst : {MTLBlendFactorOneMinusSourceAlpha, MTLBlendFactorOne})
    {
      MTLRenderPipelineDescriptor d = rig.pipeline(true, MTLBlendFactorOne, dst)->descriptor;
      d.fragmentFunction = rig.library->newFunctionWithName("formFragment");
      const std::shared_ptr<MTLRenderPipelineState> state = rig.device->newRenderPipelineStateWithDescriptor(d,
                                                                                                             nullptr);
      auto drawn = [&](MTLFragmentColours::Form form) {
        p.form = form;
        std::vector<unsigned char> pixels;
        for (const std::vector<float>* triangle : {&kCoveringTriangle, &kPartTriangle})
        {
          for (int i = 0; i < 16; i++)
            std::memcpy(rig.target->texel(static_cast<NSUInteger>(i % 4), static_cast<NSUInteger>(i / 4)),
                        background[i], 4);
          rig.draw(*triangle, noColour, state);
          for (int y = 0; y < 4; y++)
            pixels.insert(pixels.end(), rig.at(0, y), rig.at(0, y) + 16);
        }
        return pixels;
      };
      for (MTLPixelFormat texelFormat : {MTLPixelFormatRGBA8Unorm, MTLPixelFormatBGRA8Unorm})
      {
        const bool swap = texelFormat == MTLPixelFormatBGRA8Unorm;
        for (int i = 0; i < 16; i++)
          for (int c = 0; c < 4; c++)
            p.stored[i / 4][i % 4][c] = kTexels[i][swap && c != 1 && c != 3 ? 2 - c : c];
        p.texelFormat = texelFormat;
        p.uniformSource = false;
        EXPECT_EQ(drawn(MTLFragmentColours::Texels), drawn(MTLFragmentColours::PerFragment))
          << "target " << format << " texels " << texelFormat << " blend " << dst;
      }
      for (const float* colour : uniforms)
      {
        std::memcpy(p.uniform, colour, sizeof(p.uniform));
        p.uniformSource = true;
        EXPECT_EQ(drawn(MTLFragmentColours::Uniform), drawn(MTLFragmentColours::PerFragment))
          << "target " << format << " alpha " << colour[3] << " blend " << dst;
      }
    }
  }
}

// Replacing (blending off, or a blend of the source alone) writes whole texels by a way of its own;
// what it leaves must be what the general per-fragment road gives when it adds the same colours
// onto zeros, for every byte a texel can hold and whatever the target held before.
TEST(Metal, ReplacedColoursAreWhatAddingThemOntoZerosGives)
{
  FormPicture& p = formPicture;
  const float uniforms[][4] = {
    {1.0f, 0.5f, 0.25f, 1.0f}, {0.3f, 0.2f, 0.1f, 0.5f}, {0, 0, 0, 0}, {2.0f, -1.0f, 0.5f, 0.7f}};
  for (MTLPixelFormat format : {MTLPixelFormatRGBA8Unorm, MTLPixelFormatBGRA8Unorm})
  {
    Rig rig(format);
    auto state = [&](bool blending, MTLBlendFactor dst) {
      MTLRenderPipelineDescriptor d = rig.pipeline(blending, MTLBlendFactorOne, dst)->descriptor;
      d.fragmentFunction = rig.library->newFunctionWithName("formFragment");
      return rig.device->newRenderPipelineStateWithDescriptor(d, nullptr);
    };
    const auto adding = state(true, MTLBlendFactorOne);
    auto drawn = [&](MTLFragmentColours::Form form, const std::shared_ptr<MTLRenderPipelineState>& pipeline,
                     unsigned char background) {
      p.form = form;
      for (NSUInteger y = 0; y < 4; y++)
        std::memset(rig.target->texel(0, y), background, 16);
      rig.draw({0, 0, 8, 0, 0, 8}, uniforms[0], pipeline);
      std::vector<unsigned char> pixels;
      for (int y = 0; y < 4; y++)
        pixels.insert(pixels.end(), rig.at(0, y), rig.at(0, y) + 16);
      return pixels;
    };
    for (const auto& replacing : {state(true, MTLBlendFactorZero), state(false, MTLBlendFactorZero)})
    {
      // Four pictures of sixteen texels hold every byte once.
      for (int first = 0; first < 256; first += 64)
        for (MTLPixelFormat texelFormat : {MTLPixelFormatRGBA8Unorm, MTLPixelFormatBGRA8Unorm})
        {
          for (int i = 0; i < 16; i++)
            for (int c = 0; c < 4; c++)
              p.texels[i / 4][i % 4][c] = static_cast<unsigned char>(first + 4 * i + c);
          const bool swap = texelFormat == MTLPixelFormatBGRA8Unorm;
          for (int i = 0; i < 16; i++)
            for (int c = 0; c < 4; c++)
              p.stored[i / 4][i % 4][c] = p.texels[i / 4][i % 4][swap && c != 1 && c != 3 ? 2 - c : c];
          p.texelFormat = texelFormat;
          p.uniformSource = false;
          const std::vector<unsigned char> expected = drawn(MTLFragmentColours::PerFragment, adding, 0);
          for (MTLFragmentColours::Form form : {MTLFragmentColours::PerFragment, MTLFragmentColours::Texels})
            EXPECT_EQ(drawn(form, replacing, 77), expected)
              << "target " << format << " texels " << texelFormat << " from " << first << " form " << form;
        }
      for (const float* colour : uniforms)
      {
        std::memcpy(p.uniform, colour, sizeof(p.uniform));
        p.uniformSource = true;
        EXPECT_EQ(drawn(MTLFragmentColours::Uniform, replacing, 77), drawn(MTLFragmentColours::PerFragment, adding, 0))
          << "target " << format << " alpha " << colour[3];
      }
    }
  }
}

TEST(Metal, LinearSamplingMixesFourTexelsInRgbaOrder)
{
  auto device = MTLCreateSystemDefaultDevice();
  auto t = device->newTextureWithDescriptor(
    MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatBGRA8Unorm, 2, 2, false));
  // Stored blue first: opaque blue, red / opaque green, transparent black.
  const unsigned char texels[16] = {255, 0, 0, 255, 0, 0, 255, 255, 0, 255, 0, 255, 0, 0, 0, 0};
  t->replaceRegion(MTLRegionMake2D(0, 0, 2, 2), 0, texels, 8);
  MTLSamplerDescriptor d;
  d.minFilter = d.magFilter = MTLSamplerMinMagFilterLinear;
  const struct
  {
    float u, v, rgba[4];
  } cases[] = {
    {0.25f, 0.25f, {0, 0, 1, 1}},                // a texel centre: that texel alone
    {0.5f, 0.25f, {0.5f, 0, 0.5f, 1}},           // between the two of the first row
    {0.5f, 0.5f, {0.25f, 0.25f, 0.25f, 0.75f}},  // all four alike
  };
  for (const auto& c : cases)
  {
    float out[4];
    MTLSampleTexture(*t, MTLSamplerState(d), c.u, c.v, out);
    for (int i = 0; i < 4; i++)
      EXPECT_FLOAT_EQ(out[i], c.rgba[i]) << c.u << ", " << c.v << " channel " << i;
  }
}

TEST(Metal, ARowOfSamplesIsThePointSamplesAndTexelCentresGiveTheTexelsExactly)
{
  // 16 x 4 textures of distinct texels in each format.
  constexpr int kW = 16, kH = 4;
  auto device = MTLCreateSystemDefaultDevice();
  std::vector<unsigned char> bytes(kW * kH * 4);
  for (size_t i = 0; i < bytes.size(); i++)
    bytes[i] = static_cast<unsigned char>((i * 37 + 11) % 256);
  const float texel = 1.0f / kW, row = 1.0f / kH;
  const struct
  {
    const char* name;
    float u, v, du, dv;
    int count;
    bool exact;  // on texel centres: each sample is one texel, bit for bit
  } cases[] = {
    {"texel for texel", 2.5f * texel, 1.5f * row, texel, 0, 12, true},
    {"the whole row", 0.5f * texel, 3.5f * row, texel, 0, kW, true},
    {"a hair off the centres", 2.5002f * texel, 1.5f * row, texel, 0, 12, false},
    {"half a texel along", 3.0f * texel, 1.5f * row, texel, 0, 12, false},
    {"between two rows", 2.5f * texel, 1.0f * row, texel, 0, 12, false},
    {"magnified twice", 2.5f * texel, 1.5f * row, texel / 2, 0, 20, false},
    {"running past the right edge", 8.5f * texel, 0.5f * row, texel, 0, 12, false},
    {"left of the first texel", -1.5f * texel, 0.5f * row, texel, 0, 6, false},
    {"down a slope", 2.5f * texel, 0.5f * row, texel, row / 8, 12, false},
  };
  for (MTLPixelFormat format : {MTLPixelFormatRGBA8Unorm, MTLPixelFormatBGRA8Unorm, MTLPixelFormatR8Unorm})
  {
    auto t = device->newTextureWithDescriptor(
      MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(format, kW, kH, false));
    const NSUInteger bpp = t->bytesPerPixel();
    t->replaceRegion(MTLRegionMake2D(0, 0, kW, kH), 0, bytes.data(), kW * bpp);
    for (MTLSamplerMinMagFilter filter : {MTLSamplerMinMagFilterNearest, MTLSamplerMinMagFilterLinear})
      for (MTLSamplerAddressMode mode : {MTLSamplerAddressModeClampToEdge, MTLSamplerAddressModeRepeat})
        for (const auto& c : cases)
        {
          MTLSamplerDescriptor d;
          d.minFilter = d.magFilter = filter;
          d.sAddressMode = d.tAddressMode = mode;
          const MTLSamplerState sampler(d);
          float samples[kMTLMaxSpan][4];
          MTLSampleTextureRow(*t, sampler, c.u, c.v, c.du, c.dv, 0, c.count, samples);
          for (int i = 0; i < c.count; i++)
          {
            const std::string where = std::string(c.name) + " format " + std::to_string(format) + " filter " +
                                      std::to_string(filter) + " mode " + std::to_string(mode) + " sample " +
                                      std::to_string(i);
            float expected[4];
            if (c.exact)
            {
              // The point exactly at the texel's centre.
              const float u = (std::floor(c.u * kW) + i + 0.5f) / kW, v = (std::floor(c.v * kH) + 0.5f) / kH;
              MTLSampleTexture(*t, sampler, u, v, expected);
              for (int ch = 0; ch < 4; ch++)
                EXPECT_EQ(samples[i][ch], expected[ch]) << where << " channel " << ch;
            }
            else
            {
              MTLSampleTexture(*t, sampler, c.u + i * c.du, c.v + i * c.dv, expected);
              for (int ch = 0; ch < 4; ch++)
                EXPECT_NEAR(samples[i][ch], expected[ch], 1e-3f) << where << " channel " << ch;
            }
          }
        }
  }
}

TEST(Metal, SamplingFarOutsideAWideTextureClampsToItsEdge)
{
  // 1e6 texture widths out, the texel position is far past what an int holds.
  constexpr NSUInteger kWidth = 4096;
  auto device = MTLCreateSystemDefaultDevice();
  auto t = device->newTextureWithDescriptor(
    MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatR8Unorm, kWidth, 1, false));
  std::vector<unsigned char> texels(kWidth, 0);
  texels.back() = 255;
  t->replaceRegion(MTLRegionMake2D(0, 0, kWidth, 1), 0, texels.data(), kWidth);
  for (MTLSamplerMinMagFilter filter : {MTLSamplerMinMagFilterNearest, MTLSamplerMinMagFilterLinear})
  {
    MTLSamplerDescriptor d;
    d.minFilter = d.magFilter = filter;
    float out[4];
    MTLSampleTexture(*t, MTLSamplerState(d), 1e6f, 0.5f, out);
    EXPECT_EQ(out[0], 1.0f) << "filter " << filter;
    MTLSampleTexture(*t, MTLSamplerState(d), -1e6f, 0.5f, out);
    EXPECT_EQ(out[0], 0.0f) << "filter " << filter;
  }
}

TEST(Metal, TexturesClipRegionsAndRejectEmptySizes)
{
  auto device = MTLCreateSystemDefaultDevice();
  EXPECT_EQ(device->newTextureWithDescriptor(
              MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatRGBA8Unorm, 0, 4, false)),
            nullptr);
  auto t = device->newTextureWithDescriptor(
    MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatR8Unorm, 2, 2, true));
  EXPECT_EQ(t->mipmapLevelCount(), 2u);
  const unsigned char bytes[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  t->replaceRegion(MTLRegionMake2D(1, 1, 3, 3), 0, bytes, 3);  // clipped to one texel
  unsigned char out[4] = {};
  t->getBytes(out, 2, MTLRegionMake2D(0, 0, 2, 2), 0);
  EXPECT_EQ(out[3], 1);
  EXPECT_EQ(out[0] + out[1] + out[2], 0);
}

TEST(Metal, ALayerTellsHowManyPresentsAgoTheNextDrawableWasShown)
{
  CAMetalLayer layer;
  layer.setDevice(MTLCreateSystemDefaultDevice());
  layer.setDrawableSize({4, 4, 1});
  EXPECT_EQ(layer.nextDrawableAge(), -1);  // a new texture
  layer.nextDrawable()->present();
  EXPECT_EQ(layer.nextDrawableAge(), -1);  // the shown one is held: a second texture comes
  layer.nextDrawable()->present();
  // The two take turns: each holds the frame before the one shown.
  for (int frame = 0; frame < 3; frame++)
  {
    EXPECT_EQ(layer.nextDrawableAge(), 1) << "frame " << frame;
    layer.nextDrawable()->present();
  }
  // One drawn into but not shown holds no frame, and nor does a drawable of a new size.
  layer.nextDrawable();
  EXPECT_EQ(layer.nextDrawableAge(), -1);
  layer.nextDrawable()->present();
  EXPECT_EQ(layer.nextDrawableAge(), 1);
  layer.setDrawableSize({8, 4, 1});
  EXPECT_EQ(layer.nextDrawableAge(), -1);
  // With two drawables held (in flight) a third texture comes, and the one free in turn holds the
  // frame shown two presents before the last.
  layer.setDrawableSize({4, 4, 1});
  std::shared_ptr<CAMetalDrawable> held[2];
  for (int frame = 0; frame < 6; frame++)
  {
    held[frame % 2] = layer.nextDrawable();
    held[frame % 2]->present();
  }
  EXPECT_EQ(layer.nextDrawableAge(), 2);
  // Passes on a worker thread free drawables at any time: no age is foreseen.
  layer.device()->setRunsOnWorkerThread(true);
  EXPECT_EQ(layer.nextDrawableAge(), -1);
}
