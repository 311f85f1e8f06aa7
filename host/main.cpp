// au-host: plays the host application for a plug-in bundle.
//
//   au-host [--plugin BUNDLE] [--entry] [--host-id ID] [--host-version VERSION] info
//
// Errors give one line on stderr naming the cause and exit status 1; a usage error gives 2.

#include "host/PluginBundle.h"

#include "platform/CoreFoundation/CoreFoundation.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Options {
  std::string plugin = AU_HOST_DEFAULT_BUNDLE;
  bool entry = false;
  std::string hostId = "com.vantorelix.au-host";
  std::string hostVersion = AU_HOST_VERSION;
  std::string command;
};

const char* kUsage =
  "usage: au-host [--plugin BUNDLE] [--entry] [--host-id ID] [--host-version VERSION] info\n";

int Usage(const std::string& problem)
{
  std::fprintf(stderr, "au-host: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

int Failure(const std::string& problem)
{
  std::fprintf(stderr, "au-host: %s\n", problem.c_str());
  return 1;
}

// Registers this program as the main bundle, with the identifier and version the plug-in reads.
void RegisterHostBundle(const Options& options)
{
  char program[4096] = {};
  const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
  const std::string path = length > 0 ? std::string(program, size_t(length)) : std::string("./au-host");
  const std::string folder = path.substr(0, path.find_last_of('/'));
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(folder.data()),
                                                         CFIndex(folder.size()), true);
  CFStringRef id = CFStringCreateWithCString(nullptr, options.hostId.c_str(), kCFStringEncodingUTF8);
  CFStringRef version = CFStringCreateWithCString(nullptr, options.hostVersion.c_str(), kCFStringEncodingUTF8);
  const void* keys[] = {kCFBundleIdentifierKey, kCFBundleVersionKey};
  const void* values[] = {id, version};
  CFDictionaryRef info = CFDictionaryCreate(nullptr, keys, values, id && version ? 2 : 0,
                                            &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFBundleRef bundle = platform::CreateBundle(url, info);
  platform::SetMainBundle(bundle);
  for (CFTypeRef object : {CFTypeRef(bundle), CFTypeRef(info), CFTypeRef(version), CFTypeRef(id), CFTypeRef(url)})
    CFRelease(object);
}

std::string VersionText(UInt32 packed)
{
  return std::to_string(packed >> 16) + "." + std::to_string((packed >> 8) & 0xFF) + "." + std::to_string(packed & 0xFF);
}

std::string ChannelCount(SInt16 count) { return count < 0 ? "*" : std::to_string(count); }

int Info(const Options& options, const host::PluginBundle& bundle)
{
  host::Instance instance(bundle.Component());
  if (instance.Status() != noErr)
    return Failure("the plug-in could not be opened (status " + std::to_string(instance.Status()) + ")");
  AudioUnit unit = instance.Unit();
  if (const OSStatus status = AudioUnitInitialize(unit); status != noErr)
    return Failure("the plug-in refused to initialise (status " + std::to_string(status) + ")");

  UInt32 version = 0;
  if (options.entry)
    version = UInt32(GetComponentVersion(unit));
  else
    AudioComponentGetVersion(bundle.Component(), &version);
  UInt32 size = 0;
  AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, &size, nullptr);
  std::vector<AUChannelInfo> channels(size / sizeof(AUChannelInfo));
  AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, channels.data(),
                       &size);
  UInt32 parameterBytes = 0;
  AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &parameterBytes,
                           nullptr);

  std::string configurations;
  for (const AUChannelInfo& pair : channels)
    configurations += (configurations.empty() ? "" : " ") + ChannelCount(pair.inChannels) + "-" +
                      ChannelCount(pair.outChannels);
  std::printf("Name: %s\nVersion: %s\nChannel configurations: %s\nParameters: %u\n", bundle.Name().c_str(),
              VersionText(version).c_str(), configurations.c_str(),
              unsigned(parameterBytes / sizeof(AudioUnitParameterID)));
  AudioUnitUninitialize(unit);
  return 0;
}

} // namespace

int main(int argc, char** argv)
{
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc)
        return false;
      out = argv[++i];
      return true;
    };
    if (arg == "--plugin" || arg == "--host-id" || arg == "--host-version") {
      std::string& target = arg == "--plugin" ? options.plugin : arg == "--host-id" ? options.hostId : options.hostVersion;
      if (!value(target))
        return Usage(arg + " needs a value");
    } else if (arg == "--entry") {
      options.entry = true;
    } else if (options.command.empty() && arg[0] != '-') {
      options.command = arg;
    } else {
      return Usage("unknown argument \"" + arg + "\"");
    }
  }
  if (options.command != "info")
    return Usage(options.command.empty() ? "no command given" : "unknown command \"" + options.command + "\"");

  RegisterHostBundle(options);
  host::PluginBundle bundle;
  if (!bundle.Open(options.plugin, options.entry))
    return Failure(bundle.Error());
  return Info(options, bundle);
}
