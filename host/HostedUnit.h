#pragma once
// What au-host asks of an open plug-in instance, each failure as a message for the user.

#include "platform/AudioToolbox/AudioUnit.h"

#include <optional>
#include <string>
#include <vector>

namespace host {

struct ParameterDescription
{
  AudioUnitParameterID id;
  std::string name;
  float min;
  float max;
};

class HostedUnit
{
public:
  explicit HostedUnit(AudioUnit unit) : mUnit(unit) {}

  // Asked of the plug-in once and kept: the list never changes while a unit is hosted, and
  // every name given to --set is looked up in it.
  const std::vector<ParameterDescription>& Parameters() const;
  std::vector<std::string> FactoryPresets() const;
  // The parameter's value as the plug-in shows it.
  std::string DisplayText(AudioUnitParameterID id, float value) const;
  float Value(AudioUnitParameterID id) const;
  // The first parameter of that name, if there is one.
  std::optional<ParameterDescription> Find(const std::string& name) const;
  // Sets a value within the parameter's range.
  void Set(AudioUnitParameterID id, float value);

  // Each returns an empty string on success, else what went wrong.
  std::string SetStreamFormats(double sampleRate, UInt32 channels);
  std::string LoadPreset(const std::string& nameOrNumber);
  // NAME=VALUE, the value a number within the parameter's range or one of its value texts (which
  // the plug-in turns into a number).
  std::string SetParameterText(const std::string& assignment);
  std::string LoadStateFile(const std::string& path);
  std::string SaveStateFile(const std::string& path) const;

private:
  std::vector<std::string> ValueStrings(AudioUnitParameterID id) const;

  AudioUnit mUnit;
  mutable std::optional<std::vector<ParameterDescription>> mParameters;
};

}  // namespace host
