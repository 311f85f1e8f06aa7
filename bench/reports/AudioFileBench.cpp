// Decoding speed of a stereo WAV file (one second at 48 kHz, 16- and 24-bit) read as au-host reads
// its input: as a stream, a stretch of 65536 frames at a time. Reported in bytes per second.

#include "reports/AudioFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::string MakeFile(uint16_t bits)
{
  const std::string path =
    (std::filesystem::temp_directory_path() / ("bench-" + std::to_string(bits) + "bit-stereo.wav")).string();
  AudioFileBuffer buffer;
  audioFileInit(&buffer);
  audioFileAllocate(&buffer, 48000, 2, bits, 48000, 0);
  for (uint32_t i = 0; i < 2 * 48000u; ++i)
    buffer.samples[i] = float(std::sin(i * 0.01) * 0.9);
  audioFileWriteWav(&buffer, path.c_str());
  audioFileFree(&buffer);
  return path;
}

void DecodeWavStereo(benchmark::State& state)
{
  const auto bits = uint16_t(state.range(0));
  const std::string path = MakeFile(bits);
  AudioFileBuffer buffer;
  audioFileInit(&buffer);
  for (auto _ : state)
  {
    FILE* file = std::fopen(path.c_str(), "rb");
    AudioFileStream stream{};
    int result = audioFileStreamOpen(&stream, file);
    while (result == 0 && !stream.ended)
      result = audioFileStreamRead(&stream, &buffer, 0, 65536);
    std::fclose(file);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 48000 * 2 * (bits / 8));
  audioFileFree(&buffer);
  std::filesystem::remove(path);
}
BENCHMARK(DecodeWavStereo)->Arg(16)->Arg(24);

}  // namespace
