#pragma once
// A short test tone written as a WAV file, for runs that need audio but not the sample's length.

#include <cstdint>
#include <string>

namespace product_test {

// A 48 kHz file of 32-bit samples at PATH: a 1 kHz tone at -6 dBFS, on a second channel 500 Hz
// at -12, and so on. Gives PATH back.
std::string WriteTone(const std::string& path, double seconds, uint16_t channels);

}  // namespace product_test
