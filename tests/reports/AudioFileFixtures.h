#pragma once
// Audio files made byte by byte, so each test shows the header it feeds the readers.

#include "reports/AudioFile.h"
#include "tests/meter-plugin/PluginFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

struct Bytes
{
  std::vector<uint8_t> data;

  Bytes& Id(const char* id)
  {
    for (int i = 0; i < 4; ++i)
      data.push_back(uint8_t(id[i]));
    return *this;
  }
  Bytes& LE(uint64_t value, int count)
  {
    for (int i = 0; i < count; ++i)
      data.push_back(uint8_t(value >> (8 * i)));
    return *this;
  }
  Bytes& BE(uint64_t value, int count)
  {
    for (int i = count - 1; i >= 0; --i)
      data.push_back(uint8_t(value >> (8 * i)));
    return *this;
  }
  Bytes& Raw(std::initializer_list<uint8_t> bytes)
  {
    data.insert(data.end(), bytes);
    return *this;
  }
  Bytes& Append(const Bytes& other)
  {
    data.insert(data.end(), other.data.begin(), other.data.end());
    return *this;
  }
};

// A plain PCM "fmt " chunk.
inline Bytes FmtChunk(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t blockAlign, uint16_t bits)
{
  return Bytes()
    .Id("fmt ")
    .LE(16, 4)
    .LE(tag, 2)
    .LE(channels, 2)
    .LE(rate, 4)
    .LE(rate * blockAlign, 4)
    .LE(blockAlign, 2)
    .LE(bits, 2);
}

// RIFF WAVE around the given chunks.
inline Bytes Wav(const Bytes& chunks)
{
  return Bytes().Id("RIFF").LE(4 + chunks.data.size(), 4).Id("WAVE").Append(chunks);
}

// A folder of its own per test and per process (builds of several checkouts run the same tests at
// once), removed afterwards; a buffer freed afterwards.
class AudioFileTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mFolder = plugin_test::TempFolder();
    audioFileInit(&mBuffer);
  }
  void TearDown() override
  {
    audioFileFree(&mBuffer);
    std::filesystem::remove_all(mFolder);
  }

  std::string Path(const std::string& name) const { return (mFolder / name).string(); }
  std::string Write(const std::string& name, const Bytes& bytes) const
  {
    std::ofstream(Path(name), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data.data()), std::streamsize(bytes.data.size()));
    return Path(name);
  }
  std::vector<uint8_t> Contents(const std::string& path) const
  {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  float Sample(uint32_t channel, uint32_t frame) { return mBuffer.samples[uint64_t(channel) * mBuffer.frames + frame]; }

  std::filesystem::path mFolder;
  AudioFileBuffer mBuffer;
};
