// libFuzzer target: bytes as the reply of the version server, fetched by the update check
// itself from a file address, so that the reply takes the road a network reply takes.

#include "meter-plugin/PluginPaths.h"
#include "tests/fuzz/FuzzSupport.h"

#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
    for (const char* reply : {"3.1.3", "3.2.0\n", "10.0.12 beta"})
      fuzz::Require(fuzz::WriteFile(fuzz::SeedFolder() + "/" + reply, reply, std::string(reply).size()));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const std::string reply = fuzz::ScratchPath("reply");
  static const std::string address = "file://" + reply;
  fuzz::Require(fuzz::WriteFile(reply, data, size));
  char error[256];
  int code = 0;
  const UpdateCheckResult result = IMPlugPaths::FetchLatestVersion("3.1.3", address.c_str(), error, code, 1000);
  const bool longReply = size > IMPlugPaths::kMaxUpdateReply;
  fuzz::Require(longReply ? result == kUpdateCheckFailed
                          : result == kUpdateCheckUnreadable || result == kUpdateCheckUpToDate ||
                              result == kUpdateCheckNewer || result == kUpdateCheckOlder);
  return 0;
}
