// Images of the vector context: decoded here, owned by the back end as textures.
#include "renderer/vector/VectorState.h"

#include "framework/RegularFile.h"

#include <cstdint>
#include <cstring>
#include <string>

// The editor's bitmaps are PNG or JPEG files: the decoder knows no other format.
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace {
// No bitmap the editor draws is larger, at any scale; a header that says more is not decoded.
constexpr int kLargestSide = 8192;
// A file holding more than such a bitmap would need is no bitmap of the editor either.
constexpr size_t kLargestFile = size_t(kLargestSide) * kLargestSide;

// True when the Huffman tables of a JPEG stream hold at most 256 codes each, as the format
// requires; the decoder trusts the counts and would write past its tables. The walk follows
// the stream's markers: segments by their lengths, entropy-coded data up to the next marker.
// A stream it cannot follow to its end is refused as well, as the decoder would refuse it.
bool HuffmanTablesFit(const unsigned char* data, size_t size)
{
  auto tablesFit = [](const unsigned char* table, size_t length) {
    size_t at = 0;
    while (at < length)
    {
      if (length - at < 17)
        return false;
      size_t codes = 0;
      for (int i = 1; i <= 16; ++i)
        codes += table[at + size_t(i)];
      if (codes > 256)
        return false;
      at += 17 + codes;
    }
    return at == length;
  };
  auto restart = [](unsigned char marker) { return marker >= 0xD0 && marker <= 0xD7; };
  size_t at = 0;
  bool started = false;
  while (at < size)
  {
    if (data[at] != 0xFF)
      return false;
    while (at < size && data[at] == 0xFF)  // fill bytes
      ++at;
    if (at == size)
      return false;
    const unsigned char marker = data[at++];
    if (!started)
    {
      if (marker != 0xD8)  // start of image
        return false;
      started = true;
      continue;
    }
    if (marker == 0xD9)  // end of image
      return true;
    if (restart(marker) || marker == 0x01)
      continue;
    if (size - at < 2)
      return false;
    const size_t length = size_t(data[at]) << 8 | data[at + 1];
    if (length < 2 || size - at < length)
      return false;
    if (marker == 0xC4 && !tablesFit(data + at + 2, length - 2))
      return false;
    at += length;
    if (marker == 0xDA)  // start of scan: its data runs to the next marker
      while (at < size && !(data[at] == 0xFF && at + 1 < size && data[at + 1] != 0 && !restart(data[at + 1])))
        ++at;
  }
  return false;
}

// True when every chunk of a PNG stream, up to its end chunk, lies within the stream, and no image
// data chunk is empty. The decoder grows its data buffer to the length a chunk claims before it
// finds the bytes missing, so a few hundred bytes could make it ask gigabytes; and it would copy an
// empty data chunk into a buffer it has not yet made. Encoders write neither.
bool PngChunksFit(const unsigned char* data, size_t size)
{
  auto word = [&](size_t at) {
    return uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16 | uint32_t(data[at + 2]) << 8 | data[at + 3];
  };
  for (size_t at = 8; at < size && size - at >= 12;)  // length, type, data, check sum
  {
    const uint32_t length = word(at);
    const unsigned char* type = data + at + 4;
    if (size - at - 12 < length || (length == 0 && std::memcmp(type, "IDAT", 4) == 0))
      return false;
    if (std::memcmp(type, "IEND", 4) == 0)
      return true;
    at += 12 + size_t(length);
  }
  return false;
}

// Decodes PNG or JPEG bytes to RGBA and makes a texture of them; 0 for bytes of another format,
// damaged ones, or an image larger than any the editor draws.
int CreateTextureFromEncoded(NVGcontext* ctx, int imageFlags, const unsigned char* data, size_t size)
{
  if (size == 0 || size > kLargestFile || (data[0] == 0xFF && !HuffmanTablesFit(data, size)))
    return 0;
  if (data[0] == 0x89 && !PngChunksFit(data, size))
  {
    stbi__err("bad chunk", "PNG chunk running past the end of the file");
    return 0;
  }
  int w = 0, h = 0, n = 0;
  if (!stbi_info_from_memory(data, int(size), &w, &h, &n))
    return 0;
  if (w > kLargestSide || h > kLargestSide)
  {
    stbi__err("too large", "Image larger than any bitmap of the editor");
    return 0;
  }
  unsigned char* pixels = stbi_load_from_memory(data, int(size), &w, &h, &n, 4);
  if (!pixels)
    return 0;
  const int image = vgCreateImageFromPixels(ctx, w, h, imageFlags, pixels);
  stbi_image_free(pixels);
  return image;
}
}  // namespace

int vgCreateImageFromFile(NVGcontext* ctx, const char* path, int imageFlags)
{
  stbi_set_unpremultiply_on_load(1);
  stbi_convert_iphone_png_to_rgb(1);
  std::string bytes;
  if (!iplug::ReadRegularFile(path, kLargestFile, bytes))
  {
    stbi__err("can't fopen", "Unable to open file");
    return 0;
  }
  return CreateTextureFromEncoded(ctx, imageFlags, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

int vgCreateImageFromMemory(NVGcontext* ctx, int imageFlags, unsigned char* data, int size)
{
  if (!data || size <= 0)
    return 0;
  return CreateTextureFromEncoded(ctx, imageFlags, data, size_t(size));
}

int vgCreateImageFromPixels(NVGcontext* ctx, int w, int h, int imageFlags, const unsigned char* rgba)
{
  return ctx->params.renderCreateTexture(ctx->params.userPtr, NVG_TEXTURE_RGBA, w, h, imageFlags, rgba);
}

void vgReplaceImagePixels(NVGcontext* ctx, int image, const unsigned char* data)
{
  int w = 0, h = 0;
  ctx->params.renderGetTextureSize(ctx->params.userPtr, image, &w, &h);
  ctx->params.renderUpdateTexture(ctx->params.userPtr, image, 0, 0, w, h, data);
}

void vgDeleteImage(NVGcontext* ctx, int image)
{
  ctx->params.renderDeleteTexture(ctx->params.userPtr, image);
}
