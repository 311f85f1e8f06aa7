#pragma once
// What the libFuzzer targets share: a check that stops the run, a home folder of their own, files
// for the readers that take a path, and the seeds a target writes with the product's own writers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// Stops the run, which makes libFuzzer keep the input that got here.
inline void Require(bool condition)
{
  if (!condition)
    __builtin_trap();
}

// Points HOME and the XDG folders at a new folder under TMPDIR, so that nothing the product reads
// or writes while it is fuzzed belongs to the user. Call once, before the first object is made.
void UsePrivateHome();

// A path in the private home for a file of the given name.
std::string ScratchPath(const char* name);

bool WriteFile(const std::string& path, const void* data, size_t size);
std::vector<uint8_t> ReadFile(const std::string& path);

// The folder VANTORELIX_FUZZ_SEEDS names, where a target's first run puts its seeds; empty when
// no seeds are wanted.
std::string SeedFolder();
// Copies a file into the seed folder under the given name.
void AddSeedFile(const std::string& path, const char* name);

}  // namespace fuzz
