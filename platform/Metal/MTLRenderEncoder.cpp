// The render encoder: it records a pass's commands and, when the pass runs, follows the state
// they set, shades each draw's vertices and hands them to the rasteriser.
#include "platform/Metal/MTLRasteriser.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

struct MTLRenderCommand
{
  enum Kind {
    Pipeline,
    DepthStencil,
    Cull,
    Winding,
    StencilReference,
    Viewport,
    ScissorRect,
    VertexBuffer,
    FragmentBuffer,
    FragmentBufferOffset,
    FragmentTexture,
    FragmentSampler,
    Draw,
    DrawIndexed,
  } kind = Draw;
  // What the command binds (a state, buffer, texture or sampler), kept until the pass has run. One
  // owner of any type keeps commands small: a frame records thousands.
  std::shared_ptr<const void> object;
  NSUInteger value = 0;   // mode, stencil reference, binding index, viewport or scissor number
  NSUInteger offset = 0;  // buffer offset or first vertex
  NSUInteger count = 0;
  MTLPrimitiveType primitive = MTLPrimitiveTypeTriangle;
  MTLIndexType indexType = MTLIndexTypeUInt32;

  template <class T>
  const T* as() const
  {
    return static_cast<const T*>(object.get());
  }
};

namespace {
using namespace mtlraster;

// The attributes a draw fetches, with their buffers, worked out once per draw.
struct VertexFetch
{
  struct Attribute
  {
    int index;
    const unsigned char* bytes;
    NSUInteger length, offset, stride, size;
  };
  Attribute attributes[kMTLMaxVertexAttributes];
  int count = 0;
};

VertexFetch vertexFetch(const PassState& st)
{
  VertexFetch f;
  const MTLVertexDescriptor* vd = st.pipeline->descriptor.vertexDescriptor.get();
  if (!vd)
    return f;
  for (int a = 0; a < kMTLMaxVertexAttributes; a++)
  {
    const MTLVertexAttributeDescriptor& attr = vd->attributes[a];
    const int n = attr.format == MTLVertexFormatFloat2 ? 2 : (attr.format == MTLVertexFormatFloat4 ? 4 : 0);
    if (n == 0 || attr.bufferIndex >= kMTLMaxBufferBindings)
      continue;
    const MTLBufferBinding& b = st.vertexResources.buffers[attr.bufferIndex];
    if (!b.buffer)
      continue;
    f.attributes[f.count++] = {a,
                               static_cast<const unsigned char*>(b.buffer->contents()),
                               b.buffer->length(),
                               b.offset + attr.offset,
                               vd->layouts[attr.bufferIndex].stride,
                               n * sizeof(float)};
  }
  return f;
}

void fetchVertex(const VertexFetch& f, NSUInteger vid, MTLVertexIn& in)
{
  std::memset(&in, 0, sizeof(in));
  for (int i = 0; i < f.count; i++)
  {
    const VertexFetch::Attribute& a = f.attributes[i];
    const NSUInteger at = a.offset + a.stride * vid;
    if (at + a.size > a.length)
      continue;  // outside the buffer: zeros, where a GPU would read anything
    // Two or four floats, as copies of a fixed size that need no call.
    if (a.size == 2 * sizeof(float))
      std::memcpy(in.attributes[a.index], a.bytes + at, 2 * sizeof(float));
    else
      std::memcpy(in.attributes[a.index], a.bytes + at, 4 * sizeof(float));
  }
}

// Shades vertex vid into v, which starts zeroed. In place rather than returned: the vertex function
// writes its output a float at a time, and copying the whole vertex at once straight afterwards
// would wait for those writes to reach memory.
void shadeVertex(const PassState& st, const VertexFetch& fetch, NSUInteger vid, Vertex& v)
{
  MTLVertexIn in;
  fetchVertex(fetch, vid, in);
  st.pipeline->descriptor.vertexFunction->vertex(in, st.vertexResources, &v.out);
  const float w = v.out.position[3] != 0.0f ? v.out.position[3] : 1.0f;
  const double xw = (v.out.position[0] / w + 1.0) * 0.5 * st.viewport.width + st.viewport.originX;
  const double yw = (1.0 - v.out.position[1] / w) * 0.5 * st.viewport.height + st.viewport.originY;
  // Far outside positions are held where the fixed-point products cannot overflow; a position
  // that is not a number is put at the origin.
  auto fixed = [](double window) {
    constexpr double kLimit = 1 << 20;
    const double s = (std::isnan(window) ? 0.0 : std::clamp(window, -kLimit, kLimit)) * kSubPixel;
    // Rounded half away from zero; s minus its integer part is exact at this magnitude.
    const auto whole = static_cast<int64_t>(s);
    const double fraction = s - static_cast<double>(whole);
    return whole + (fraction >= 0.5 ? 1 : 0) - (fraction <= -0.5 ? 1 : 0);
  };
  v.x = fixed(xw);
  v.y = fixed(yw);
}

// The indices of an indexed draw that lie within its index buffer.
void readIndices(const MTLRenderCommand& c, std::vector<uint32_t>& indices)
{
  const NSUInteger size = c.indexType == MTLIndexTypeUInt32 ? 4 : 2;
  const MTLBuffer& buffer = *c.as<MTLBuffer>();
  const auto* bytes = static_cast<const unsigned char*>(buffer.contents());
  indices.clear();
  for (NSUInteger i = 0; i < c.count; i++)
  {
    const NSUInteger at = c.offset + i * size;
    if (at + size > buffer.length())
      break;
    uint32_t index = 0;
    if (size == 4)
    {
      std::memcpy(&index, bytes + at, 4);
    }
    else
    {
      uint16_t small;
      std::memcpy(&small, bytes + at, 2);
      index = small;
    }
    indices.push_back(index);
  }
}

// The vertices an indexed draw names. Where the indices are dense, as in a fan or a mesh, each
// vertex in their range is shaded once and copied wherever it is named, as a GPU reuses a shaded
// vertex; that never shades more vertices than there are indices.
void shadeIndexed(const PassState& st, const VertexFetch& fetch, const std::vector<uint32_t>& indices,
                  std::vector<Vertex>& shaded, std::vector<Vertex>& vertices)
{
  vertices.clear();
  if (indices.empty())
    return;
  const auto [lowest, highest] = std::minmax_element(indices.begin(), indices.end());
  const NSUInteger first = *lowest, range = NSUInteger{*highest} - first + 1;
  if (range > indices.size())
  {
    vertices.assign(indices.size(), Vertex{});
    for (size_t i = 0; i < indices.size(); i++)
      shadeVertex(st, fetch, indices[i], vertices[i]);
    return;
  }
  shaded.assign(range, Vertex{});
  for (NSUInteger i = 0; i < range; i++)
    shadeVertex(st, fetch, first + i, shaded[i]);
  for (uint32_t index : indices)
    vertices.push_back(shaded[index - first]);
}

// Clears the colour attachment and, unless its clear is left pending, the stencil attachment.
void clearAttachments(const MTLRenderPassDescriptor& pass, bool stencilPending)
{
  const MTLRenderPassColorAttachmentDescriptor& c = pass.colorAttachments[0];
  if (c.texture && c.loadAction == MTLLoadActionClear)
  {
    const float colour[4] = {static_cast<float>(c.clearColor.red), static_cast<float>(c.clearColor.green),
                             static_cast<float>(c.clearColor.blue), static_cast<float>(c.clearColor.alpha)};
    unsigned char* p = c.texture->texel(0, 0);
    writeTexel(texelLayout(c.texture->pixelFormat()), p, colour, MTLColorWriteMaskAll);
    // The first texel, then ever larger copies of what is already cleared.
    const NSUInteger size = c.texture->width() * c.texture->height() * c.texture->bytesPerPixel();
    for (NSUInteger done = c.texture->bytesPerPixel(); done < size; done *= 2)
      std::memcpy(p + done, p, std::min(done, size - done));
  }
  const MTLRenderPassStencilAttachmentDescriptor& s = pass.stencilAttachment;
  if (s.texture && s.loadAction == MTLLoadActionClear && !stencilPending)
    std::memset(s.texture->texel(0, 0), static_cast<int>(s.clearStencil & 0xFF),
                s.texture->width() * s.texture->height());
}
}  // namespace

MTLRenderCommandEncoder::MTLRenderCommandEncoder(const MTLRenderPassDescriptor& pass) : mPass(pass) {}
MTLRenderCommandEncoder::~MTLRenderCommandEncoder() = default;

MTLRenderCommand& MTLRenderCommandEncoder::add(int kind)
{
  mCommands.emplace_back();
  mCommands.back().kind = static_cast<MTLRenderCommand::Kind>(kind);
  return mCommands.back();
}

void MTLRenderCommandEncoder::setRenderPipelineState(std::shared_ptr<MTLRenderPipelineState> state)
{
  add(MTLRenderCommand::Pipeline).object = std::move(state);
}

void MTLRenderCommandEncoder::setDepthStencilState(std::shared_ptr<MTLDepthStencilState> state)
{
  add(MTLRenderCommand::DepthStencil).object = std::move(state);
}

void MTLRenderCommandEncoder::setCullMode(MTLCullMode mode)
{
  add(MTLRenderCommand::Cull).value = mode;
}

void MTLRenderCommandEncoder::setFrontFacingWinding(MTLWinding winding)
{
  add(MTLRenderCommand::Winding).value = winding;
}

void MTLRenderCommandEncoder::setStencilReferenceValue(uint32_t value)
{
  add(MTLRenderCommand::StencilReference).value = value;
}

void MTLRenderCommandEncoder::setViewport(MTLViewport viewport)
{
  add(MTLRenderCommand::Viewport).value = mViewports.size();
  mViewports.push_back(viewport);
}

void MTLRenderCommandEncoder::setScissorRect(MTLScissorRect rect)
{
  add(MTLRenderCommand::ScissorRect).value = mScissorRects.size();
  mScissorRects.push_back(rect);
}

void MTLRenderCommandEncoder::setVertexBuffer(std::shared_ptr<MTLBuffer> buffer, NSUInteger offset, NSUInteger index)
{
  MTLRenderCommand& c = add(MTLRenderCommand::VertexBuffer);
  c.object = std::move(buffer);
  c.offset = offset;
  c.value = index;
}

void MTLRenderCommandEncoder::setFragmentBuffer(std::shared_ptr<MTLBuffer> buffer, NSUInteger offset, NSUInteger index)
{
  MTLRenderCommand& c = add(MTLRenderCommand::FragmentBuffer);
  c.object = std::move(buffer);
  c.offset = offset;
  c.value = index;
}

void MTLRenderCommandEncoder::setFragmentBufferOffset(NSUInteger offset, NSUInteger index)
{
  MTLRenderCommand& c = add(MTLRenderCommand::FragmentBufferOffset);
  c.offset = offset;
  c.value = index;
}

void MTLRenderCommandEncoder::setFragmentTexture(std::shared_ptr<MTLTexture> texture, NSUInteger index)
{
  MTLRenderCommand& c = add(MTLRenderCommand::FragmentTexture);
  c.object = std::move(texture);
  c.value = index;
}

void MTLRenderCommandEncoder::setFragmentSamplerState(std::shared_ptr<MTLSamplerState> sampler, NSUInteger index)
{
  MTLRenderCommand& c = add(MTLRenderCommand::FragmentSampler);
  c.object = std::move(sampler);
  c.value = index;
}

void MTLRenderCommandEncoder::drawPrimitives(MTLPrimitiveType type, NSUInteger vertexStart, NSUInteger vertexCount)
{
  MTLRenderCommand& c = add(MTLRenderCommand::Draw);
  c.primitive = type;
  c.offset = vertexStart;
  c.count = vertexCount;
}

void MTLRenderCommandEncoder::drawIndexedPrimitives(MTLPrimitiveType type, NSUInteger indexCount,
                                                    MTLIndexType indexType, std::shared_ptr<MTLBuffer> indexBuffer,
                                                    NSUInteger indexBufferOffset)
{
  MTLRenderCommand& c = add(MTLRenderCommand::DrawIndexed);
  c.primitive = type;
  c.count = indexCount;
  c.indexType = indexType;
  c.object = std::move(indexBuffer);
  c.offset = indexBufferOffset;
}

void MTLRenderCommandEncoder::execute() const
{
  const MTLRenderPassStencilAttachmentDescriptor& s = mPass.stencilAttachment;
  std::optional<PendingStencilClear> stencilClear;
  if (s.texture && s.loadAction == MTLLoadActionClear && s.storeAction == MTLStoreActionDontCare)
    stencilClear.emplace(*s.texture, s.clearStencil);
  clearAttachments(mPass, stencilClear.has_value());
  PassState st;
  st.colour = mPass.colorAttachments[0].texture.get();
  st.stencil = mPass.stencilAttachment.texture.get();
  st.stencilClear = stencilClear ? &*stencilClear : nullptr;
  if (st.colour)
    st.viewport = {0, 0, static_cast<double>(st.colour->width()), static_cast<double>(st.colour->height()), 0, 1};
  std::vector<Vertex> vertices, shaded;
  std::vector<uint32_t> indices;
  for (const MTLRenderCommand& c : mCommands)
  {
    switch (c.kind)
    {
      case MTLRenderCommand::Pipeline: st.pipeline = c.as<MTLRenderPipelineState>(); break;
      case MTLRenderCommand::DepthStencil: st.depthStencil = c.as<MTLDepthStencilState>(); break;
      case MTLRenderCommand::Cull: st.cull = static_cast<MTLCullMode>(c.value); break;
      case MTLRenderCommand::Winding: st.winding = static_cast<MTLWinding>(c.value); break;
      case MTLRenderCommand::StencilReference: st.stencilReference = static_cast<uint32_t>(c.value); break;
      case MTLRenderCommand::Viewport: st.viewport = mViewports[c.value]; break;
      case MTLRenderCommand::ScissorRect: st.scissor = mScissorRects[c.value]; break;
      case MTLRenderCommand::VertexBuffer:
        if (c.value < kMTLMaxBufferBindings)
          st.vertexResources.buffers[c.value] = {c.as<MTLBuffer>(), c.offset};
        break;
      case MTLRenderCommand::FragmentBuffer:
        if (c.value < kMTLMaxBufferBindings)
          st.fragmentResources.buffers[c.value] = {c.as<MTLBuffer>(), c.offset};
        break;
      case MTLRenderCommand::FragmentBufferOffset:
        if (c.value < kMTLMaxBufferBindings)
          st.fragmentResources.buffers[c.value].offset = c.offset;
        break;
      case MTLRenderCommand::FragmentTexture:
        if (c.value < kMTLMaxTextureBindings)
          st.fragmentResources.textures[c.value] = c.as<MTLTexture>();
        break;
      case MTLRenderCommand::FragmentSampler:
        if (c.value < kMTLMaxTextureBindings)
          st.fragmentResources.samplers[c.value] = c.as<MTLSamplerState>();
        break;
      case MTLRenderCommand::Draw:
      {
        if (!st.pipeline)
          break;
        const VertexFetch fetch = vertexFetch(st);
        vertices.assign(c.count, Vertex{});
        for (NSUInteger i = 0; i < c.count; i++)
          shadeVertex(st, fetch, c.offset + i, vertices[i]);
        drawVertices(st, c.primitive, vertices);
        break;
      }
      case MTLRenderCommand::DrawIndexed:
      {
        if (!st.pipeline || !c.object)
          break;
        readIndices(c, indices);
        shadeIndexed(st, vertexFetch(st), indices, shaded, vertices);
        drawVertices(st, c.primitive, vertices);
        break;
      }
    }
  }
}
