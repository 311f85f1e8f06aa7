#include "tests/fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fuzz {
namespace {

std::string& Home()
{
  static std::string home;
  return home;
}

}  // namespace

void UsePrivateHome()
{
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/vantorelix-fuzz-XXXXXX";
  Require(mkdtemp(pattern.data()) != nullptr);
  Home() = pattern;
  Require(setenv("HOME", pattern.c_str(), 1) == 0);
  for (const char* variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
    Require(unsetenv(variable) == 0);
}

std::string ScratchPath(const char* name)
{
  Require(!Home().empty());
  return Home() + "/" + name;
}

bool WriteFile(const std::string& path, const void* data, size_t size)
{
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string SeedFolder()
{
  const char* folder = std::getenv("VANTORELIX_FUZZ_SEEDS");
  return folder ? folder : "";
}

void AddSeedFile(const std::string& path, const char* name)
{
  const std::vector<uint8_t> bytes = ReadFile(path);
  Require(!bytes.empty() && WriteFile(SeedFolder() + "/" + name, bytes.data(), bytes.size()));
}

}  // namespace fuzz
