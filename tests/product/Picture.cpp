#include "Picture.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace product_test {

Picture Read(const std::string& path)
{
  Picture picture;
  int channels = 0;
  if (stbi_uc* data = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 4))
  {
    picture.rgba.assign(data, data + size_t(picture.width) * size_t(picture.height) * 4);
    stbi_image_free(data);
  }
  return picture;
}

}  // namespace product_test
