// libFuzzer target: bytes loaded as a font file through the platform fonts, as the editor loads
// its fonts: the font from memory, its face's record with table locations, names and metrics,
// and the search of its faces by style.

#include "platform-mac/IGraphicsCoreText.h"
#include "tests/fuzz/FuzzSupport.h"

#include <memory>

using namespace iplug::igraphics;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
    fuzz::AddSeedFile("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", "DejaVuSansMono.ttf");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > 1 << 20)
    return 0;
  for (const char* style : {"Regular", "Bold"})
    FindFaceByStyle(data, size, style);
  std::unique_ptr<CoreTextFont> font(LoadCoreTextFontFromMemory("fuzz", data, int(size)));
  if (!font)
    return 0;
  std::unique_ptr<IFontDataRecord> record(font->GetFontData());
  if (record)
    record->IsUsable();
  return 0;
}
