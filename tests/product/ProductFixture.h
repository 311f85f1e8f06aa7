#pragma once
// A product object driven as the host adapter drives it, without a host: sample rate and block
// size set, channels connected, blocks of audio passed straight to the processing hook.

#include "meter-plugin/Vantorelix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace product_test {

// Channel buffers for one block, with the pointer arrays the processing hook takes.
struct Block
{
  Block(int nChannels, int nFrames, double fill = 0.0)
  : in(size_t(nChannels), std::vector<double>(size_t(nFrames), fill)),
    out(size_t(nChannels), std::vector<double>(size_t(nFrames), 0.0))
  {
    for (int c = 0; c < nChannels; ++c)
    {
      inPtr.push_back(in[size_t(c)].data());
      outPtr.push_back(out[size_t(c)].data());
    }
  }
  int Frames() const { return int(in[0].size()); }

  std::vector<std::vector<double>> in, out;
  std::vector<double*> inPtr, outPtr;
};

// Uniform noise in -amplitude..amplitude, the same sequence for the same seed.
inline void FillNoise(std::vector<double>& samples, double amplitude, unsigned seed)
{
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> value(-amplitude, amplitude);
  for (double& s : samples)
    s = value(random);
}

// Prepares the plug-in for the rate, the block size and nChannels connected on both sides.
inline void Prepare(Vantorelix& plug, double sampleRate, int blockSize, int nChannels)
{
  plug.SetSampleRate(sampleRate);
  plug.ResizeScratchBuffers(blockSize);
  plug.MarkChannelsConnected(iplug::kInput, 0, nChannels, true);
  plug.MarkChannelsConnected(iplug::kOutput, 0, nChannels, true);
  plug.ResetProcessing();
}

inline void Process(Vantorelix& plug, Block& block)
{
  plug.ProcessBlock(block.inPtr.data(), block.outPtr.data(), block.Frames());
}

inline void WriteText(const std::string& path, const std::string& text)
{
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace product_test
