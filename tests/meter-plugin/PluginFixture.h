#pragma once
// Helpers shared by the product-class suites: XML documents built from parts, temporary files.

#include "meter-plugin/Vantorelix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <unistd.h>

namespace plugin_test {

inline std::string SourcePath(const char* relative)
{
  const char* root = std::getenv("VANTORELIX_SOURCE_DIR");
  return std::string(root ? root : ".") + "/" + relative;
}

inline std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The text split at its line feeds, without them.
inline std::vector<std::string> Lines(const std::string& text)
{
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

inline void WriteFile(const std::string& path, const std::string& text)
{
  std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder per test, and per process: builds of several checkouts run the same tests at once.
inline std::string TempFolder()
{
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) /
                                       ("meter-plugin-" + std::to_string(getpid())) /
                                       (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder.string();
}

// A preset document; each field can be replaced to make a faulty one.
struct PresetDoc
{
  std::string vendor = "<PluginVendor>Zorvalinde</PluginVendor>";
  std::string name = "<PluginName>Vantorelix</PluginName>";
  std::string version = "<PluginVersion>v3.1.3</PluginVersion>";
  std::string presetOpen = "<Preset name=\"Mine\">";
  std::string params = "<Param name=\"PreGain\" val=\"4.5\" />";

  std::string Text() const
  {
    return "<?xml version=\"1.0\" ?>\n<PresetXMLTree version=\"1\">" + vendor + name + version + presetOpen +
           "<Parameter>" + params + "</Parameter></Preset></PresetXMLTree>\n";
  }
};

// The chunk form of a state text: its length, then its bytes.
inline ByteChunk StateText(const std::string& text)
{
  ByteChunk chunk;
  const auto length = static_cast<uint32_t>(text.size());
  chunk.Put(&length);
  chunk.PutBytes(text.data(), static_cast<int>(text.size()));
  return chunk;
}

inline std::vector<double> Values(const Vantorelix& plug)
{
  std::vector<double> values;
  for (int i = 0; i < plug.NParams(); ++i)
    values.push_back(plug.GetParam(i)->Value());
  return values;
}

inline std::string Bytes(const ByteChunk& chunk)
{
  return std::string(reinterpret_cast<const char*>(chunk.GetData()), static_cast<size_t>(chunk.Size()));
}

inline LoudnessHistoryPoint MakePoint(int seed)
{
  LoudnessHistoryPoint point;
  auto* bytes = reinterpret_cast<uint8_t*>(&point);
  for (size_t i = 0; i < sizeof(point); ++i)
    bytes[i] = static_cast<uint8_t>(seed * 31 + i * 7);
  return point;
}

inline void FillHistory(LoudnessHistory& history, int count, int seed)
{
  for (int i = 0; i < count; ++i)
    history.AppendCopy(MakePoint(seed + i));
}

}  // namespace plugin_test
