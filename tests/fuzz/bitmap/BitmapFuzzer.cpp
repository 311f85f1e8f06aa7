// libFuzzer target: bytes handed to the bitmap loader as an encoded image, through memory and
// through a file. A decoded image is never larger than a bitmap of the editor.

#include "renderer/vector/VectorState.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/renderer/vector/RecordingBackend.h"

#include <string>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

void WriteSeed(void* context, void* data, int size)
{
  auto* bytes = static_cast<std::vector<unsigned char>*>(context);
  bytes->insert(bytes->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
}

void AddSeeds()
{
  std::vector<unsigned char> pixels(16 * 8 * 4);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<unsigned char>(i * 7);
  std::vector<unsigned char> png, jpeg;
  stbi_write_png_to_func(WriteSeed, &png, 16, 8, 4, pixels.data(), 16 * 4);
  stbi_write_jpg_to_func(WriteSeed, &jpeg, 16, 8, 4, pixels.data(), 80);
  fuzz::Require(fuzz::WriteFile(fuzz::SeedFolder() + "/rgba.png", png.data(), png.size()));
  fuzz::Require(fuzz::WriteFile(fuzz::SeedFolder() + "/rgba.jpg", jpeg.data(), jpeg.size()));
}

void CheckDecoded(NVGcontext* ctx, int image)
{
  if (image == 0)
    return;
  int w = 0, h = 0;
  vgGetImageSize(ctx, image, &w, &h);
  fuzz::Require(w > 0 && h > 0 && w <= 8192 && h <= 8192);
  vgDeleteImage(ctx, image);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
    AddSeeds();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static RecordingBackend backend;
  static NVGbackend table = backend.table();
  static NVGcontext* ctx = vgCreateContext(&table);
  static const std::string input = fuzz::ScratchPath("input.image");
  fuzz::Require(ctx != nullptr);
  std::vector<unsigned char> bytes(data, data + size);
  CheckDecoded(ctx, vgCreateImageFromMemory(ctx, 0, bytes.data(), int(bytes.size())));
  fuzz::Require(fuzz::WriteFile(input, data, size));
  CheckDecoded(ctx, vgCreateImageFromFile(ctx, input.c_str(), 0));
  return 0;
}
