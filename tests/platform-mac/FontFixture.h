#pragma once

// Font bytes for the font tests: the bundle's real fonts, and small faces built here with
// exactly the tables a case needs.

#include <cstdint>
#include <string>
#include <vector>

namespace vtest {

using Bytes = std::vector<uint8_t>;

// The whole of a font file the build copied into the bundle's resources.
Bytes BundleFont(const char* name);

// One name record of a built face.
struct NameRecord
{
  uint16_t platform, encoding, language, nameID;
  std::string text;  // UTF-8; stored as UTF-16 big-endian for platform 3
};

// A face of head, name and hhea tables with the given names and metrics.
struct FaceSpec
{
  std::vector<NameRecord> names;
  uint16_t unitsPerEm = 1000;
  int16_t ascender = 800;
  int16_t descender = -200;
  int16_t lineGap = 90;
  uint16_t macStyle = 0;
};

// Windows records for family and style.
FaceSpec WindowsFace(const std::string& family, const std::string& style);
// A single font file of one face.
Bytes BuildFont(const FaceSpec& face);
// A collection of the faces.
Bytes BuildCollection(const std::vector<FaceSpec>& faces);

void Put16(Bytes& b, size_t at, uint16_t v);
void Put32(Bytes& b, size_t at, uint32_t v);

}  // namespace vtest
