// Colour-scheme files: a tag line ("gcls" for the read-out colours, "mcls" for a set of meter
// colours), a version line, then one "#RRGGBB" line per colour.

#include "meter-plugin/Vantorelix.h"

#include <cstdio>
#include <cstring>
#include <type_traits>
#include <vector>

namespace {

constexpr int kFormatVersion = 1;
constexpr const char* kReadoutTag = "gcls";
constexpr const char* kMeterTag = "mcls";

// The colours of a file in line order. A null entry is a line written black and skipped on
// reading: the read-out file keeps places for two colours that have no member. Word is uint32_t
// for loading and const uint32_t for saving.
template <class Word>
using ColorSlots = std::vector<Word*>;

template <class Palette>
auto ReadoutSlots(Palette& palette)
{
  ColorSlots<std::remove_reference_t<decltype((palette.base))>> slots{nullptr, &palette.base, nullptr};
  for (auto& group : palette.groups)
  {
    // Each group's value colour comes first.
    slots.push_back(&group[kReadoutGroupSize - 1]);
    for (int k = 0; k < kReadoutGroupSize - 1; ++k)
      slots.push_back(&group[k]);
  }
  return slots;
}

template <class Set>
auto MeterSlots(Set& set)
{
  ColorSlots<std::remove_reference_t<decltype((set.packed[0]))>> slots;
  for (auto& packed : set.packed)
    slots.push_back(&packed);
  return slots;
}

void SaveColorFile(const char* path, const char* tag, const ColorSlots<const uint32_t>& slots)
{
  FILE* file = *path ? std::fopen(path, "wb") : nullptr;
  if (!file)
    return;
  std::fprintf(file, "%s\n%02d\n", tag, kFormatVersion);
  for (const uint32_t* slot : slots)
  {
    const uint32_t color = slot ? *slot : 0;
    std::fprintf(file, "#%02X%02X%02X\n", color >> 16 & 0xFF, color >> 8 & 0xFF, color & 0xFF);
  }
  std::fclose(file);
}

// "#" and six hexadecimal digits, followed by nothing but blanks and the line end. A line that
// does not begin with "#" is black; one that begins with it but is damaged is no colour.
bool ParseColorLine(const char* line, uint32_t& color)
{
  if (line[0] != '#')
  {
    color = 0;
    return true;
  }
  uint32_t value = 0;
  for (int i = 1; i <= 6; ++i)
  {
    const char c = line[i];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  if (std::strspn(line + 7, " \t\r\n") != std::strlen(line + 7))
    return false;
  color = value;
  return true;
}

// The tag must open the first line and a two-digit number form the second, or nothing changes.
// Then each colour line is taken as it comes: a damaged colour leaves its colour as it was, and
// the file may end early.
void LoadColorFile(const char* path, const char* tag, const ColorSlots<uint32_t>& slots)
{
  FILE* file = *path ? std::fopen(path, "rb") : nullptr;
  if (!file)
    return;
  char line[2048];
  int version = 0;
  const bool valid = std::fgets(line, sizeof line, file) && std::strncmp(line, tag, 4) == 0 &&
                     std::fgets(line, sizeof line, file) && std::sscanf(line, "%02d", &version) == 1;
  if (valid)
    for (uint32_t* slot : slots)
    {
      if (!std::fgets(line, sizeof line, file))
        break;
      uint32_t color;
      if (slot && ParseColorLine(line, color))
        *slot = color;
    }
  std::fclose(file);
}

} // namespace

void Vantorelix::SaveReadoutColors(const WDL_String& path) const
{
  SaveColorFile(path.Get(), kReadoutTag, ReadoutSlots(mSettings.readoutColors));
}

void Vantorelix::LoadReadoutColors(const WDL_String& path)
{
  LoadColorFile(path.Get(), kReadoutTag, ReadoutSlots(mSettings.readoutColors));
}

void Vantorelix::SaveMeterColorsA(const WDL_String& path) const
{
  SaveColorFile(path.Get(), kMeterTag, MeterSlots(mSettings.meterColorsA));
}

void Vantorelix::LoadMeterColorsA(const WDL_String& path)
{
  LoadColorFile(path.Get(), kMeterTag, MeterSlots(mSettings.meterColorsA));
}

void Vantorelix::SaveMeterColorsB(const WDL_String& path) const
{
  SaveColorFile(path.Get(), kMeterTag, MeterSlots(mSettings.meterColorsB));
}

void Vantorelix::LoadMeterColorsB(const WDL_String& path)
{
  LoadColorFile(path.Get(), kMeterTag, MeterSlots(mSettings.meterColorsB));
}
