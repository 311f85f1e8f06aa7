#include "FontFixture.h"

#include <fstream>
#include <iterator>

namespace vtest {

Bytes BundleFont(const char* name)
{
  std::ifstream file(std::string(VANTORELIX_BUNDLE_RESOURCES) + "/" + name, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void Put16(Bytes& b, size_t at, uint16_t v)
{
  b[at] = uint8_t(v >> 8);
  b[at + 1] = uint8_t(v);
}

void Put32(Bytes& b, size_t at, uint32_t v)
{
  Put16(b, at, uint16_t(v >> 16));
  Put16(b, at + 2, uint16_t(v));
}

FaceSpec WindowsFace(const std::string& family, const std::string& style)
{
  FaceSpec face;
  face.names = {{3, 1, 1033, 1, family}, {3, 1, 1033, 2, style}};
  return face;
}

namespace {
Bytes NameTable(const std::vector<NameRecord>& names)
{
  Bytes strings;
  Bytes table(6 + 12 * names.size());
  Put16(table, 2, uint16_t(names.size()));
  Put16(table, 4, uint16_t(table.size()));
  for (size_t i = 0; i < names.size(); ++i)
  {
    const NameRecord& n = names[i];
    Bytes text;
    for (unsigned char c : n.text)
    {
      if (n.platform == 3)
      {
        text.push_back(0);
      }
      text.push_back(c);
    }
    const size_t at = 6 + 12 * i;
    Put16(table, at, n.platform);
    Put16(table, at + 2, n.encoding);
    Put16(table, at + 4, n.language);
    Put16(table, at + 6, n.nameID);
    Put16(table, at + 8, uint16_t(text.size()));
    Put16(table, at + 10, uint16_t(strings.size()));
    strings.insert(strings.end(), text.begin(), text.end());
  }
  table.insert(table.end(), strings.begin(), strings.end());
  return table;
}

// The face's tables placed from base on (offsets count from the start of the file).
Bytes Face(const FaceSpec& desc, size_t base)
{
  Bytes head(54);
  Put16(head, 18, desc.unitsPerEm);
  Put16(head, 44, desc.macStyle);
  Bytes hhea(36);
  Put16(hhea, 4, uint16_t(desc.ascender));
  Put16(hhea, 6, uint16_t(desc.descender));
  Put16(hhea, 8, uint16_t(desc.lineGap));
  const std::pair<const char*, Bytes> tables[] = {{"head", head}, {"hhea", hhea}, {"name", NameTable(desc.names)}};
  Bytes face(12 + 16 * 3);
  Put32(face, 0, 0x00010000);
  Put16(face, 4, 3);
  for (size_t i = 0; i < 3; ++i)
  {
    const size_t entry = 12 + 16 * i;
    for (int c = 0; c < 4; ++c)
    {
      face[entry + c] = uint8_t(tables[i].first[c]);
    }
    Put32(face, entry + 8, uint32_t(base + face.size()));
    Put32(face, entry + 12, uint32_t(tables[i].second.size()));
    face.insert(face.end(), tables[i].second.begin(), tables[i].second.end());
  }
  return face;
}
}  // namespace

Bytes BuildFont(const FaceSpec& face)
{
  return Face(face, 0);
}

Bytes BuildCollection(const std::vector<FaceSpec>& faces)
{
  Bytes file(12 + 4 * faces.size());
  file[0] = 't';
  file[1] = 't';
  file[2] = 'c';
  file[3] = 'f';
  Put32(file, 4, 0x00010000);
  Put32(file, 8, uint32_t(faces.size()));
  for (size_t i = 0; i < faces.size(); ++i)
  {
    Put32(file, 12 + 4 * i, uint32_t(file.size()));
    const Bytes face = Face(faces[i], file.size());
    file.insert(file.end(), face.begin(), face.end());
  }
  return file;
}

}  // namespace vtest
