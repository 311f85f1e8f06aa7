// Decoding speed of a 24-bit stereo WAV file (one second at 48 kHz), reported in bytes per second.

#include "reports/AudioFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

std::string MakeFile()
{
  const std::string path = (std::filesystem::temp_directory_path() / "bench-24bit-stereo.wav").string();
  AudioFileBuffer buffer;
  audioFileInit(&buffer);
  audioFileAllocate(&buffer, 48000, 2, 24, 48000, 0);
  for (uint32_t i = 0; i < 2 * 48000u; ++i)
    buffer.samples[i] = float(std::sin(i * 0.01) * 0.9);
  audioFileWriteWav(&buffer, path.c_str());
  audioFileFree(&buffer);
  return path;
}

void DecodeWav24Stereo(benchmark::State& state)
{
  const std::string path = MakeFile();
  AudioFileBuffer buffer;
  audioFileInit(&buffer);
  for (auto _ : state)
    benchmark::DoNotOptimize(audioFileRead(&buffer, path.c_str(), 0, 0, false));
  state.SetBytesProcessed(int64_t(state.iterations()) * 48000 * 2 * 3);
  audioFileFree(&buffer);
  std::filesystem::remove(path);
}
BENCHMARK(DecodeWav24Stereo);

}  // namespace
