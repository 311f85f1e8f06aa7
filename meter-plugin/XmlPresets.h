#pragma once
// The XML preset document that carries every parameter value: the state text inside the state
// chunk, the text of preset records, and preset files. Values are matched by parameter name when
// read, and every number is written and read in the "C" locale.

#include "framework/ByteChunk.h"
#include "framework/IPlugPluginBase.h"
#include "framework/WDLString.h"

#include <cstdint>
#include <functional>

// One parameter that presets set, with the form the source dump prints it in.
struct PresetParamKey
{
  static constexpr int32_t kInteger = 2;
  static constexpr int32_t kDouble = 4;

  const char* keyName;  // null ends the table
  int32_t paramIdx;
  int32_t kind;
  const char* format;
};

// The 111 keyed parameters, ended by a record with a null key name.
extern const PresetParamKey PresetParamKeys[];
// Earlier names of the plug-in that preset files may carry, ended by null.
extern const char* const AcceptedPluginNames[];

// "Not set" in a value array being filled from a preset.
inline constexpr double kUnsetPresetValue = 9.999e-8;

// The state text: every parameter's current value, under the name of preset slot 0.
class IXMLParameters
{
public:
  // Appends the text's 32-bit length and the text; false (nothing appended) when there is no text.
  bool WriteStateXml(const iplug::IPluginBase& plug, ByteChunk& chunk) const;
  // Reads a text written by WriteStateXml. The whole document is checked before any value is
  // applied; then every value is applied (only those of the parameters a key table lists, when
  // one is given) and the plug-in is told about all parameters. Returns the position after the
  // text, or 0 with nothing changed.
  int ReadStateXml(iplug::IPluginBase& plug, const ByteChunk& chunk, int startPos,
                   const PresetParamKey* onlyKeyed = nullptr) const;
  // Whether ReadStateXml would read the text, found without applying anything.
  bool CanReadStateXml(const iplug::IPluginBase& plug, const ByteChunk& chunk, int startPos) const;
};

class IXMLPreset
{
public:
  using ParamVisitor = std::function<void(int paramIdx, double value)>;

  // Appends the length and text of a preset document of the given values (one per parameter).
  bool BuildPresetXml(const iplug::IPluginBase& plug, const double* values, ByteChunk& chunk,
                      const char* presetName) const;
  // Writes the current values as a preset file. The file is replaced only once the whole document
  // is written.
  bool SavePresetFile(const iplug::IPluginBase& plug, const char* path, const char* presetName, bool writeData,
                      const char* dataText) const;
  // "default.zvp" in the folder, named "Init".
  bool SaveDefaultPreset(const iplug::IPluginBase& plug, const char* auFolder) const;
  // Reads a preset file into one value per parameter: the keyed parameters' defaults, then the
  // file's values as written. The array is untouched when the file is refused.
  bool ReadPresetFile(const iplug::IPluginBase& plug, const char* path, double* values, WDL_String* presetName) const;
  // Fills a preset record from a preset file: its name, and the preset form of the state with the
  // file's values over the parameters' defaults.
  bool LoadPresetSlot(const iplug::IPluginBase& plug, iplug::IPreset& record, const char* path) const;

  // Reads and checks a whole preset file, then hands over its name, its "Data" text when asked
  // for, and each of its values in document order. False, with nothing handed over, when the file
  // is refused.
  bool VisitPresetFile(const iplug::IPluginBase& plug, const char* path, WDL_String* presetName, WDL_String* dataText,
                       const ParamVisitor& visit) const;

  const PresetParamKey* KeyTable() const { return mUseKeyTable ? mKeyTable : nullptr; }

protected:
  WDL_String mNameOverride;
  WDL_String mVersionOverride;
  const PresetParamKey* mKeyTable = PresetParamKeys;
  uint8_t mUseKeyTable = 1;
  const char* const* mAcceptedNames = AcceptedPluginNames;
  uint8_t mAcceptEarlierNames = 1;
};
