#include "host/HostedUnit.h"

#include "framework/RegularFile.h"
#include "host/PresetMenu.h"

#include "platform/CoreFoundation/CoreFoundation.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <fstream>

namespace host {

namespace {

std::string Text(CFStringRef text)
{
  const char* direct = CFStringGetCStringPtr(text, kCFStringEncodingUTF8);
  return direct ? direct : "";
}

std::string Status(OSStatus status)
{
  return " (status " + std::to_string(status) + ")";
}

// A number written in the "C" locale that fills the whole text, with at most one sign.
bool ParseNumber(const std::string& text, double& value)
{
  const bool plus = !text.empty() && text[0] == '+';
  if (plus && text.size() > 1 && text[1] == '-')
    return false;
  const char* begin = text.data() + plus;
  const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && begin != end;
}

// A parameter bound as a user would type it: "C" locale, no trailing zeros.
std::string Number(double value)
{
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

const std::vector<ParameterDescription>& HostedUnit::Parameters() const
{
  if (mParameters)
    return *mParameters;
  UInt32 size = 0;
  AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, nullptr);
  std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
  AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids.data(), &size);
  std::vector<ParameterDescription> parameters;
  for (AudioUnitParameterID id : ids)
  {
    AudioUnitParameterInfo info{};
    size = sizeof info;
    if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info, &size) !=
        noErr)
      continue;
    parameters.push_back(
      {id, info.cfNameString ? Text(info.cfNameString) : std::string(info.name), info.minValue, info.maxValue});
    if (info.flags & kAudioUnitParameterFlag_CFNameRelease)
    {
      CFRelease(info.cfNameString);
      CFRelease(info.unitName);
    }
  }
  return *(mParameters = std::move(parameters));
}

std::vector<std::string> HostedUnit::FactoryPresets() const
{
  CFArrayRef presets = nullptr;
  UInt32 size = sizeof presets;
  std::vector<std::string> names;
  if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets, &size) !=
      noErr)
    return names;
  for (CFIndex i = 0; i < CFArrayGetCount(presets); ++i)
    names.push_back(Text(static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i))->presetName));
  CFRelease(presets);
  return names;
}

std::string HostedUnit::DisplayText(AudioUnitParameterID id, float value) const
{
  AudioUnitParameterStringFromValue request{id, &value, nullptr};
  UInt32 size = sizeof request;
  if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &request,
                           &size) != noErr)
    return "";
  std::string text = Text(request.outString);
  CFRelease(request.outString);
  return text;
}

float HostedUnit::Value(AudioUnitParameterID id) const
{
  AudioUnitParameterValue value = 0;
  AudioUnitGetParameter(mUnit, id, kAudioUnitScope_Global, 0, &value);
  return value;
}

std::optional<ParameterDescription> HostedUnit::Find(const std::string& name) const
{
  for (const ParameterDescription& parameter : Parameters())
    if (parameter.name == name)
      return parameter;
  return std::nullopt;
}

void HostedUnit::Set(AudioUnitParameterID id, float value)
{
  AudioUnitSetParameter(mUnit, id, kAudioUnitScope_Global, 0, value, 0);
}

std::vector<std::string> HostedUnit::ValueStrings(AudioUnitParameterID id) const
{
  CFArrayRef texts = nullptr;
  UInt32 size = sizeof texts;
  std::vector<std::string> strings;
  if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, id, &texts,
                           &size) != noErr)
    return strings;
  for (CFIndex i = 0; i < CFArrayGetCount(texts); ++i)
    strings.push_back(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts, i))));
  CFRelease(texts);
  return strings;
}

std::string HostedUnit::SetStreamFormats(double sampleRate, UInt32 channels)
{
  const AudioStreamBasicDescription format{
    sampleRate,
    kAudioFormatLinearPCM,
    kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved,
    4,
    1,
    4,
    channels,
    32,
    0};
  for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
    if (const OSStatus status = AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, scope, 0, &format,
                                                     sizeof format);
        status != noErr)
      return status == kAudioUnitErr_FormatNotSupported
               ? "the plug-in does not run at a sample rate of " + std::to_string(std::llround(sampleRate)) + " Hz" +
                   Status(status)
               : "the plug-in does not take " + std::to_string(channels) + " channel(s)";
  return "";
}

std::string HostedUnit::LoadPreset(const std::string& nameOrNumber)
{
  const std::vector<std::string> presets = FactoryPresets();
  int number = -1;
  for (size_t i = 0; i < presets.size() && number < 0; ++i)
    if (presets[i] == nameOrNumber)
      number = int(i);
  double parsed = 0;
  if (number < 0 && ParseNumber(nameOrNumber, parsed) && parsed >= 0 && parsed < double(presets.size()) &&
      parsed == double(int(parsed)))
    number = int(parsed);
  // Else one of the plug-in's own, which only its editor's preset menu offers.
  if (number < 0)
    return PresetMenu(mUnit).ChooseFactoryPreset(nameOrNumber)
             ? ""
             : "unknown preset \"" + nameOrNumber + "\" (au-host list-presets shows the names and numbers)";
  const AUPreset preset{number, nullptr};
  const OSStatus status = AudioUnitSetProperty(mUnit, kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0,
                                               &preset, sizeof preset);
  return status == noErr ? "" : "the plug-in refused preset \"" + nameOrNumber + "\"" + Status(status);
}

std::string HostedUnit::SetParameterText(const std::string& assignment)
{
  const size_t equals = assignment.find('=');
  if (equals == std::string::npos)
    return "--set needs NAME=VALUE, not \"" + assignment + "\"";
  const std::string name = assignment.substr(0, equals);
  const std::string text = assignment.substr(equals + 1);
  const std::optional<ParameterDescription> parameter = Find(name);
  if (!parameter)
    return "unknown parameter \"" + name + "\" (au-host list-params shows the names)";
  // A number is the parameter's own value; a text is turned into one by the plug-in.
  double number = 0;
  OSStatus status = noErr;
  const std::vector<std::string> strings = ValueStrings(parameter->id);
  if (ParseNumber(text, number))
  {
    if (!(number >= parameter->min && number <= parameter->max))
      return "value " + text + " of \"" + name + "\" is out of range (" + Number(parameter->min) + " to " +
             Number(parameter->max) + ")";
    // A parameter of named values takes the number of one, never a value between two.
    if (!strings.empty() && number != std::floor(number))
      return "value " + text + " of \"" + name + "\" is not a whole number (" + Number(parameter->min) + " to " +
             Number(parameter->max) + ")";
  }
  else
  {
    if (strings.empty())
      return "\"" + text + "\" is not a number, which \"" + name + "\" needs";
    if (std::find(strings.begin(), strings.end(), text) == strings.end())
    {
      std::string choices;
      for (const std::string& string : strings)
        choices += (choices.empty() ? "" : ", ") + string;
      return "\"" + text + "\" is not a value of \"" + name + "\" (" + choices + ")";
    }
    CFStringRef string = CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
    AudioUnitParameterValueFromString request{parameter->id, string, 0.0f};
    UInt32 size = sizeof request;
    status = AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0,
                                  &request, &size);
    CFRelease(string);
    number = request.outValue;
  }
  if (status == noErr)
    status = AudioUnitSetParameter(mUnit, parameter->id, kAudioUnitScope_Global, 0, float(number), 0);
  return status == noErr ? "" : "the plug-in refused \"" + assignment + "\"" + Status(status);
}

std::string HostedUnit::LoadStateFile(const std::string& path)
{
  // Only a regular file of a state's size is read: a FIFO or a device would block or never end. A
  // day's measurement makes a state of some 260 MB.
  constexpr size_t kLargestStateFile = size_t{1} << 30;
  std::string text;
  if (!iplug::ReadRegularFile(path.c_str(), kLargestStateFile, text))
    return "cannot read the state file " + path;
  CFTypeRef state = platform::CreatePropertyListFromXML(text.c_str());
  if (!state)
    return "the state file " + path + " is not a property list";
  const OSStatus status = AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                                               sizeof state);
  CFRelease(state);
  return status == noErr ? "" : "the plug-in refused the state in " + path + Status(status);
}

std::string HostedUnit::SaveStateFile(const std::string& path) const
{
  CFPropertyListRef state = nullptr;
  UInt32 size = sizeof state;
  const OSStatus status = AudioUnitGetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                                               &size);
  if (status != noErr)
    return "the plug-in gave no state" + Status(status);
  // Written beside the target and moved over it, so a failure leaves no half-written file. The
  // text goes out as it is made: a long measurement's state is large.
  const std::string partial = path + ".partial";
  std::ofstream file(partial, std::ios::binary | std::ios::trunc);
  const bool encoded = platform::WritePropertyListAsXML(state, [&file](std::string_view piece) {
    file.write(piece.data(), std::streamsize(piece.size()));
    return bool(file);
  });
  CFRelease(state);
  file.close();
  if (!encoded || !file || std::rename(partial.c_str(), path.c_str()) != 0)
  {
    std::remove(partial.c_str());
    return file && !encoded ? "the plug-in's state cannot be written as a property list"
                            : "cannot write the state file " + path;
  }
  return "";
}

}  // namespace host
