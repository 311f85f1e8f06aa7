// libFuzzer target: restores arbitrary bytes as the plug-in state, the way a host hands back a
// saved session. The check a restore makes first must agree with the reading; when the state is
// taken, the state written afterwards must read back, and read back to the same bytes.

#include "meter-plugin/Vantorelix.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstring>

namespace {

Vantorelix& Plug()
{
  static Vantorelix plug;
  return plug;
}

bool SameBytes(const ByteChunk& a, const ByteChunk& b)
{
  return a.Size() == b.Size() && std::memcmp(a.GetData(), b.GetData(), static_cast<size_t>(a.Size())) == 0;
}

void AddSeed(const Vantorelix& plug, const char* name)
{
  ByteChunk state;
  fuzz::Require(plug.WriteState(state));
  fuzz::Require(fuzz::WriteFile(fuzz::SeedFolder() + "/" + name, state.GetData(), static_cast<size_t>(state.Size())));
}

// The default state, then one with both loudness histories, long enough to be saved.
void WriteSeeds()
{
  Vantorelix plug;
  AddSeed(plug, "default");
  LoudnessHistoryPoint point{};
  for (int i = 0; i < 6; ++i)
  {
    point.integratedLoudness = -23.0 + i;
    point.slLevel = -20.0 - i;
    fuzz::Require(plug.History().AppendCopy(point) && plug.Memory().AppendCopy(point));
  }
  AddSeed(plug, "histories");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
    WriteSeeds();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  ByteChunk input;
  fuzz::Require(input.PutBytes(data, static_cast<int>(size)) == static_cast<int>(size));
  Vantorelix& plug = Plug();
  const bool readable = plug.CanReadState(input, 0);
  const bool read = plug.ReadState(input, 0) > 0;
  fuzz::Require(readable == read);
  if (!read)
    return 0;
  ByteChunk written, rewritten;
  fuzz::Require(plug.WriteState(written));
  fuzz::Require(plug.ReadState(written, 0) == written.Size());
  fuzz::Require(plug.WriteState(rewritten) && SameBytes(written, rewritten));
  return 0;
}
