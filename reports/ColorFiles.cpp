// Colour-scheme files: a tag line ("gcls" for the read-out colours, "mcls" for a set of meter
// colours), a version line, then one "#RRGGBB" line per colour.

#include "meter-plugin/Vantorelix.h"

#include "framework/RegularFile.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
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
// the file may end early. Lines may be of any length; a file that is not regular, or far larger
// than any colour file, is not read.
void LoadColorFile(const char* path, const char* tag, const ColorSlots<uint32_t>& slots)
{
  constexpr size_t kLargestFile = 1 << 20;
  std::string text;
  if (!iplug::ReadRegularFile(path, kLargestFile, text))
    return;
  const std::vector<std::string_view> lines = iplug::SplitLines(text);
  // Each line is read up to a NUL byte, as a text line is.
  auto line = [&lines](size_t i) { return std::string(lines[i].substr(0, lines[i].find('\0'))); };
  int version = 0;
  if (lines.size() < 2 || line(0).compare(0, 4, tag) != 0 || std::sscanf(line(1).c_str(), "%02d", &version) != 1)
    return;
  for (size_t i = 0; i < slots.size() && i + 2 < lines.size(); ++i)
  {
    uint32_t color;
    if (slots[i] && ParseColorLine(line(i + 2).c_str(), color))
      *slots[i] = color;
  }
}

}  // namespace

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
