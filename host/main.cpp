// au-host: plays the host application for a plug-in bundle.
//
//   au-host [--plugin BUNDLE] [--entry] [--host-id ID] [--host-version VERSION] COMMAND
//   COMMAND: info | list-params | list-presets |
//            measure FILE|- [--raw CHANNELS:BITS:RATE[:float|:unsigned][:be]] [--preset NAME|NUMBER]
//                         [--set "NAME=VALUE"]... [--block FRAMES] [--json] [--out OUT.wav]
//                         [--state-in FILE] [--state-out FILE] [--csv OUT.csv] [--log OUT.log] |
//            editor FILE|- --png OUT.png [--click X,Y]... [--size WxH] [--scale S] [measure options] |
//            editor FILE|- --window [measure options]
//
// Errors give one line on stderr naming the cause and exit status 1; a usage error gives 2.

#include "host/EditorPicture.h"
#include "host/EditorWindow.h"
#include "host/HostedUnit.h"
#include "host/Measure.h"
#include "host/PluginBundle.h"
#include "host/PresetMenu.h"

#include "platform/CoreFoundation/CoreFoundation.h"

#include <dlfcn.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The folder this program lies in.
std::string ProgramFolder()
{
  char program[4096] = {};
  const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
  const std::string path = length > 0 ? std::string(program, size_t(length)) : std::string("./au-host");
  return path.substr(0, path.find_last_of('/'));
}

// The live window from its module beside this program, loaded (with Xlib) only when asked for.
std::string WindowOfModule(AudioUnit unit, const host::MeasureOptions& measure, const std::string& title)
{
  const std::string file = ProgramFolder() + "/au-host-window.so";
  void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  const auto* entry = module ? static_cast<const host::EditorWindowEntry*>(dlsym(module, "auHostEditorWindow"))
                             : nullptr;
  if (!entry)
    return "the window module could not be loaded: " + std::string(dlerror());
  return (*entry)(unit, measure, title);
}

struct Options
{
  // The bundle lies beside the program's folder, in the build tree and in an installed one.
  std::string plugin = (std::filesystem::path(ProgramFolder()).parent_path() / "Vantorelix.component").string();
  bool entry = false;
  std::string hostId = "com.vantorelix.au-host";
  std::string hostVersion = AU_HOST_VERSION;
  std::string command;
  host::MeasureOptions measure;
  host::EditorOptions editor;
  bool window = false;  // the editor live in a window rather than a picture
  bool help = false;
  // The editor's option texts, read once the command line is known to be well formed.
  std::vector<std::string> clicks;
  std::string size;
  std::string scale;
};

const char* kUsage =
  "usage: au-host [--plugin BUNDLE] [--entry] [--host-id ID] [--host-version VERSION] COMMAND\n"
  "  info | list-params | list-presets |\n"
  "  measure FILE|- [--raw CHANNELS:BITS:RATE[:float|:unsigned][:be]] [--preset NAME|NUMBER]\n"
  "               [--set NAME=VALUE]... [--block FRAMES] [--json] [--out OUT.wav]\n"
  "               [--state-in FILE] [--state-out FILE] [--csv OUT.csv] [--log OUT.log] |\n"
  "  editor FILE|- --png OUT.png [--click X,Y]... [--size WxH] [--scale S] [measure options] |\n"
  "  editor FILE|- --window [measure options]\n";

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
  const std::string folder = ProgramFolder();
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
  return std::to_string(packed >> 16) + "." + std::to_string((packed >> 8) & 0xFF) + "." +
         std::to_string(packed & 0xFF);
}

std::string ChannelCount(SInt16 count)
{
  return count < 0 ? "*" : std::to_string(count);
}

int Info(const Options& options, const host::PluginBundle& bundle, AudioUnit unit)
{
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
  std::string configurations;
  for (const AUChannelInfo& pair : channels)
    configurations += (configurations.empty() ? "" : " ") + ChannelCount(pair.inChannels) + "-" +
                      ChannelCount(pair.outChannels);
  std::printf("Name: %s\nVersion: %s\nChannel configurations: %s\nParameters: %zu\n", bundle.Name().c_str(),
              VersionText(version).c_str(), configurations.c_str(), host::HostedUnit(unit).Parameters().size());
  AudioUnitUninitialize(unit);
  return 0;
}

int ListParams(AudioUnit unit)
{
  const host::HostedUnit hosted(unit);
  for (const host::ParameterDescription& parameter : hosted.Parameters())
    std::printf("%u: %s = %s [%s .. %s]\n", parameter.id, parameter.name.c_str(),
                hosted.DisplayText(parameter.id, hosted.Value(parameter.id)).c_str(),
                hosted.DisplayText(parameter.id, parameter.min).c_str(),
                hosted.DisplayText(parameter.id, parameter.max).c_str());
  return 0;
}

// The presets the host sees, by number, then those of the editor's preset menu, by the name
// --preset takes.
int ListPresets(AudioUnit unit)
{
  const std::vector<std::string> presets = host::HostedUnit(unit).FactoryPresets();
  for (size_t i = 0; i < presets.size(); ++i)
    std::printf("%zu: %s\n", i, presets[i].c_str());
  for (const std::string& name : host::PresetMenu(unit).FactoryPresets())
    std::printf("%s%s\n", host::PresetMenu::kFactoryPrefix, name.c_str());
  return 0;
}

// Parses the arguments into options; an empty result means they are usable.
std::string Parse(int argc, char** argv, Options& options)
{
  std::map<std::string, std::string*> valued = {{"--plugin", &options.plugin},
                                                {"--host-id", &options.hostId},
                                                {"--host-version", &options.hostVersion},
                                                {"--preset", &options.measure.preset},
                                                {"--out", &options.measure.out},
                                                {"--state-in", &options.measure.stateIn},
                                                {"--state-out", &options.measure.stateOut},
                                                {"--png", &options.editor.png},
                                                {"--size", &options.size},
                                                {"--scale", &options.scale},
                                                {"--csv", &options.measure.exports.csv},
                                                {"--log", &options.measure.exports.log}};
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i)
  {
    const std::string arg = argv[i];
    const bool needsValue = valued.count(arg) || arg == "--set" || arg == "--block" || arg == "--raw" ||
                            arg == "--click";
    if (needsValue && i + 1 >= argc)
      return arg + " needs a value";
    if (valued.count(arg))
    {
      *valued[arg] = argv[++i];
    }
    else if (arg == "--set")
    {
      options.measure.sets.push_back(argv[++i]);
    }
    else if (arg == "--click")
    {
      options.clicks.push_back(argv[++i]);
    }
    else if (arg == "--block")
    {
      const std::string text = argv[++i];
      unsigned frames = 0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), frames);
      if (error != std::errc() || end != text.data() + text.size() || frames == 0 || frames > 65536)
        return "--block needs a frame count from 1 to 65536";
      options.measure.block = frames;
    }
    else if (arg == "--raw")
    {
      if (!host::ParseRawFormat(argv[++i], options.measure.rawFormat))
        return "--raw needs CHANNELS:BITS:RATE, optionally :float, :unsigned, :be";
      options.measure.raw = true;
    }
    else if (arg == "--entry")
    {
      options.entry = true;
    }
    else if (arg == "--json")
    {
      options.measure.json = true;
    }
    else if (arg == "--window")
    {
      options.window = true;
    }
    else if (arg == "--help" || arg == "-h")
    {
      options.help = true;
      return "";
    }
    else if (arg.size() > 1 && arg[0] == '-')
    {
      return "unknown option \"" + arg + "\"";
    }
    else
    {
      positional.push_back(arg);
    }
  }
  if (positional.empty())
    return "no command given";
  options.command = positional[0];
  const bool editor = options.command == "editor";
  const bool measure = options.command == "measure" || editor;
  if (!measure && options.command != "info" && options.command != "list-params" && options.command != "list-presets")
    return "unknown command \"" + options.command + "\"";
  if (positional.size() != (measure ? 2u : 1u))
    return measure ? options.command + " needs exactly one audio file"
                   : options.command + " takes no further arguments";
  if (measure)
    options.measure.file = positional[1];
  for (const auto& [option, file, ending] : {std::tuple{"--csv", options.measure.exports.csv, ".csv"},
                                             std::tuple{"--log", options.measure.exports.log, ".log"}})
    if (!file.empty() && (file.size() <= 4 || file.compare(file.size() - 4, 4, ending) != 0))
      return std::string(option) + " needs a file name ending in " + ending;
  if (!measure && options.measure.exports.Any())
    return "--csv and --log go with the measure and editor commands";
  const bool editorOptions = !options.editor.png.empty() || !options.clicks.empty() || !options.size.empty() ||
                             !options.scale.empty();
  if (editor && options.window && editorOptions)
    return "--window takes none of --png, --click, --size and --scale";
  if (editor && !options.window && options.editor.png.empty())
    return "editor needs --png OUT.png or --window";
  if (!editor && (editorOptions || options.window))
    return "--png, --click, --size, --scale and --window go with the editor command";
  return "";
}

// The editor's clicks, size and scale from their texts; an empty result means they are usable.
std::string ReadEditorOptions(Options& options)
{
  for (const std::string& text : options.clicks)
  {
    host::EditorPoint point;
    if (!host::ParseClick(text, point))
      return "--click needs X,Y in editor coordinates, not \"" + text + "\"";
    options.editor.clicks.push_back(point);
  }
  if (!options.size.empty() && !host::ParseSize(options.size, options.editor.size.emplace()))
    return "--size needs WIDTHxHEIGHT in whole points from 1 to 10000, not \"" + options.size + "\"";
  if (!options.scale.empty() && !host::ParseScale(options.scale, options.editor.scale.emplace()))
    return "--scale needs a number above 0 and at most 10, not \"" + options.scale + "\"";
  return "";
}

}  // namespace

int main(int argc, char** argv)
{
  Options options;
  if (const std::string problem = Parse(argc, argv, options); !problem.empty())
    return Usage(problem);
  if (options.help)
  {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (const std::string problem = ReadEditorOptions(options); !problem.empty())
    return Failure(problem);

  RegisterHostBundle(options);
  host::PluginBundle bundle;
  if (!bundle.Open(options.plugin, options.entry))
    return Failure(bundle.Error());
  host::Instance instance(bundle.Component());
  if (instance.Status() != noErr)
    return Failure("the plug-in could not be opened (status " + std::to_string(instance.Status()) + ")");
  if (options.command == "info")
    return Info(options, bundle, instance.Unit());
  if (options.command == "list-params")
    return ListParams(instance.Unit());
  if (options.command == "list-presets")
    return ListPresets(instance.Unit());
  std::string problem;
  if (options.command != "editor")
    problem = host::Measure(instance.Unit(), options.measure);
  else if (options.window)
    problem = WindowOfModule(instance.Unit(), options.measure,
                             bundle.Name() + " - " + std::filesystem::path(options.measure.file).filename().string());
  else
    problem = host::EditorPicture(instance.Unit(), options.measure, options.editor);
  return problem.empty() ? 0 : Failure(problem);
}
