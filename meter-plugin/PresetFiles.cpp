#include "meter-plugin/StateChunk.h"
#include "meter-plugin/Vantorelix.h"

#include <charconv>

using iplug::kPresetRecall;

// The keyed parameters go to their defaults first (also when the file is then refused), so a
// preset that leaves one out does not inherit the previous value. Whenever a value was applied
// the plug-in hears about every parameter, even when the file is refused afterwards.
bool Vantorelix::LoadPresetFile(const char* path, WDL_String* presetName, bool isDefault, bool validateOnly,
                                bool readData, WDL_String* dataText)
{
  bool applied = false;
  if (!validateOnly)
    for (const PresetParamKey* key = KeyTable(); key && key->keyName; ++key)
    {
      GetParam(key->paramIdx)->SetToDefault();
      applied = true;
    }

  WDL_String name;
  const bool read = VisitPresetFile(*this, path, &name, readData ? dataText : nullptr, [&](int idx, double value) {
    if (!validateOnly)
    {
      GetParam(idx)->Set(value);
      applied = true;
    }
  });
  if (!read)
  {
    if (applied && !isDefault)
      ParametersReset(kPresetRecall);
    return false;
  }
  if (presetName)
    presetName->Set(name.Get());
  if (validateOnly)
    return true;
  StoreStateInCurrentPreset(name.Get());
  if (isDefault)
    return true;
  if (!LoadPresetSlot(GetCurrentPresetIdx()))
    ParametersReset(kPresetRecall);
  StoreStateInCurrentPreset(name.Get());
  NotifyHostPresetChanged();
  return true;
}

bool Vantorelix::LoadDefaultPreset(const char* auFolder)
{
  WDL_String path(auFolder);
  path.Append("/default.zvp");
  return LoadPresetFile(path.Get(), nullptr, true, false, false, nullptr);
}

void Vantorelix::DumpPresetsAsSource(const PresetParamKey* keys, const char* dataFolder) const
{
  WDL_String path(dataFolder);
  path.Append("/preset.txt");
  FILE* file = std::fopen(path.Get(), "wb");
  if (!file)
    return;
  WritePresetSource(file, keys);
  std::fclose(file);
}

void Vantorelix::WritePresetSource(FILE* file, const PresetParamKey* keys) const
{
  int count = 0;
  while (keys && keys[count].keyName)
    ++count;
  std::fprintf(file, "%s\n", "mmax_presets++;");
  std::fprintf(file, "%s\n", "MakePresetFromNamedParams(\"xxx\",");
  std::fprintf(file, count ? "\t\t\t\t\t\t\t%d,\n" : "\t\t\t\t\t\t\t%d\n", count);
  for (int i = 0; i < count; ++i)
  {
    const double value = GetParam(keys[i].paramIdx)->Value();
    char text[400];
    if (keys[i].kind == PresetParamKey::kInteger)
      *std::to_chars(text, text + sizeof(text) - 1, static_cast<int>(value)).ptr = 0;
    else  // one decimal, in the "C" locale whatever the process locale
      *std::to_chars(text, text + sizeof(text) - 1, value, std::chars_format::fixed, 1).ptr = 0;
    std::fprintf(file, "\t\t\t\t\t\t\t%s,\t\t\t\t%s%s", keys[i].keyName, text, i + 1 < count ? ",\n" : "\n");
  }
  std::fprintf(file, "\t\t\t\t\t\t\t%s\n", ");");
}
