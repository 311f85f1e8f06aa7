// Preset slots, preset banks, preset and bank files and the source dumps of the plug-in base.

#include "framework/Base64.h"
#include "framework/IPlugNumberText.h"
#include "framework/IPlugPluginBase.h"
#include "framework/RegularFile.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace iplug {

namespace {

constexpr const char* kUserPreset = "user preset";
constexpr int kFxNameSize = 28;    // 27 characters and a zero
constexpr int kFxpValuesPos = 56;  // parameters, or the block size in the chunk form
constexpr int kFxpBlockPos = 60;
constexpr int kFxbProgramsPos = 156;  // programs, or the block size in the chunk form
constexpr int kFxbBlockPos = 160;
constexpr int kFxbHeaderPadding = 124;
constexpr uint32_t kBlockVersion = 65536;  // little-endian after "tffp"

constexpr uint32_t Tag(const char (&tag)[5])
{
  return static_cast<uint32_t>(static_cast<uint8_t>(tag[0])) << 24 |
         static_cast<uint32_t>(static_cast<uint8_t>(tag[1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(tag[2])) << 8 | static_cast<uint8_t>(tag[3]);
}

void PutBE32(ByteChunk& chunk, uint32_t value)
{
  const uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                            static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  chunk.PutBytes(bytes, 4);
}

void PutBEFloat(ByteChunk& chunk, float value)
{
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  PutBE32(chunk, bits);
}

int GetBE32(const ByteChunk& chunk, int pos, uint32_t& value)
{
  uint8_t bytes[4];
  pos = chunk.GetBytes(bytes, 4, pos);
  if (pos >= 0)
    value = static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
            static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
  return pos;
}

float GetBEFloatAt(const ByteChunk& chunk, int pos)
{
  uint32_t bits = 0;
  GetBE32(chunk, pos, bits);
  float value;
  std::memcpy(&value, &bits, 4);
  return value;
}

void PutName(ByteChunk& chunk, const char* name)
{
  char field[kFxNameSize] = {};
  std::memcpy(field, name, utf8::CutLength(name, kFxNameSize - 1));
  chunk.PutBytes(field, kFxNameSize);
}

bool HasTagAt(const ByteChunk& chunk, int pos, const char (&tag)[5])
{
  uint32_t value = 0;
  return GetBE32(chunk, pos, value) >= 0 && value == Tag(tag);
}

// The header fields, in file order, from offset 0; false when the file is too short.
bool ReadHeader(const ByteChunk& chunk, std::span<uint32_t> fields)
{
  int pos = 0;
  for (uint32_t& field : fields)
  {
    pos = GetBE32(chunk, pos, field);
    if (pos < 0)
      return false;
  }
  return true;
}

bool WriteFile(const char* path, const ByteChunk& chunk)
{
  if (!path || !*path)
    return false;
  FILE* file = std::fopen(path, "wb");
  if (!file)
    return false;
  const size_t size = static_cast<size_t>(chunk.Size());
  const bool written = std::fwrite(chunk.GetData(), 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

// A bank may carry several whole states, and a state of a day's measurement runs to some 200 MB.
constexpr size_t kLargestPresetFile = size_t{1} << 30;  // within the chunk's int sizes

// Only a regular file is read, so that a FIFO or a device never blocks the plug-in.
bool ReadFile(const char* path, ByteChunk& chunk)
{
  std::string bytes;
  if (!ReadRegularFile(path, kLargestPresetFile, bytes))
    return false;
  const int size = static_cast<int>(bytes.size());
  return chunk.PutBytes(bytes.data(), size) == size;
}

}  // namespace

// ---- slots

IPreset* IPluginBase::FirstFreePreset()
{
  for (int i = 0; i < NPresets(); ++i)
  {
    if (!mPresets.Get(i)->mInitialized)
      return mPresets.Get(i);
  }
  return nullptr;
}

const char* IPluginBase::PresetSlotName(int idx) const
{
  const IPreset* preset = GetPreset(idx);
  return preset ? preset->mName : "";
}

bool IPluginBase::RestateSlot(IPreset& preset)
{
  preset.mChunk = ByteChunk();
  return WriteState(preset.mChunk);
}

bool IPluginBase::LoadPresetSlot(int idx)
{
  IPreset* preset = GetPreset(idx);
  if (!preset)
    return false;
  if (preset->mInitialized)
  {
    if (ReadState(preset->mChunk, 0) < 1)
      return false;
  }
  else
  {
    int users = 0;
    for (int i = 0; i < NPresets(); ++i)
      users += std::strstr(mPresets.Get(i)->mName, kUserPreset) ? 1 : 0;
    preset->mInitialized = true;
    WDL_String name;
    name.SetFormatted(IPreset::kNameSize - 1, "%s %d", kUserPreset, users + 1);
    preset->SetName(name.Get());
    // An empty slot may still hold the bytes of an earlier state (a bank can mark a slot empty).
    if (!RestateSlot(*preset))
      return false;
  }
  mCurrentPresetIdx = idx;
  PresetRestored();
  StateRestored();
  return true;
}

bool IPluginBase::LoadPresetSlotByName(const char* name)
{
  if (!name || !*name)
    return false;
  for (int i = 0; i < NPresets(); ++i)
  {
    if (std::strcmp(mPresets.Get(i)->mName, name) == 0)
      return LoadPresetSlot(i);
  }
  return false;
}

void IPluginBase::StoreStateInCurrentPreset(const char* name)
{
  IPreset* preset = GetPreset(mCurrentPresetIdx);
  if (!preset)
    return;
  RestateSlot(*preset);
  if (name && *name)
    preset->SetName(name);
}

void IPluginBase::DropEmptyPresetSlots()
{
  for (int i = NPresets() - 1; i >= 0; --i)
  {
    if (!mPresets.Get(i)->mInitialized)
      mPresets.Delete(i, true);
  }
}

// ---- builders

void IPluginBase::MakePresetsFromState(const char* name, int count)
{
  for (int k = 0; k < count; ++k)
  {
    IPreset* preset = FirstFreePreset();
    if (!preset)
      return;
    preset->mInitialized = true;
    preset->SetName(name ? name : "Empty");
    WriteState(preset->mChunk);
  }
}

void IPluginBase::MakeAllPresetsFromState()
{
  MakePresetsFromState("Empty", NPresets());
}

void IPluginBase::MakePreset(const char* name, std::initializer_list<double> values)
{
  std::vector<std::pair<int, double>> pairs;
  for (double value : values)
    pairs.emplace_back(static_cast<int>(pairs.size()), value);
  MakePresetFromValues(name, pairs);
}

void IPluginBase::MakePresetFromNamedParams(const char* name, std::initializer_list<std::pair<int, double>> values)
{
  MakePresetFromValues(name, {values.begin(), values.size()});
}

void IPluginBase::MakePresetFromValues(const char* name, std::span<const std::pair<int, double>> values)
{
  IPreset* preset = FirstFreePreset();
  if (!preset)
    return;
  std::vector<double> state(static_cast<size_t>(NParams()));
  for (int i = 0; i < NParams(); ++i)
    state[static_cast<size_t>(i)] = GetParam(i)->Value();
  for (const auto& [idx, value] : values)
  {
    if (idx >= 0 && idx < NParams())
      state[static_cast<size_t>(idx)] = value;
  }
  preset->mInitialized = true;
  preset->SetName(name);
  preset->mChunk.PutBytes(state.data(), static_cast<int>(state.size() * sizeof(double)));
}

void IPluginBase::MakePresetFromBytes(const char* name, const ByteChunk& chunk)
{
  IPreset* preset = FirstFreePreset();
  if (!preset)
    return;
  preset->mInitialized = true;
  preset->SetName(name);
  preset->mChunk.PutChunk(chunk);
}

void IPluginBase::MakePresetFromBlob(const char* name, const char* base64, int size)
{
  ByteChunk bytes;
  if (bytes.Resize(std::max(size, 0)) != std::max(size, 0))
    return;
  std::fill_n(bytes.GetData(), bytes.Size(), uint8_t{0});
  Base64Decode(base64, bytes.GetData(), bytes.Size());
  MakePresetFromBytes(name, bytes);
}

// ---- bank

bool IPluginBase::WritePresetBank(ByteChunk& chunk) const
{
  for (int i = 0; i < NPresets(); ++i)
  {
    const IPreset* preset = mPresets.Get(i);
    const int64_t expected = int64_t{chunk.Size()} + 4 + static_cast<int64_t>(std::strlen(preset->mName)) + 1 +
                             (preset->mInitialized ? preset->mChunk.Size() : 0);
    const uint8_t initialised = preset->mInitialized ? 1 : 0;
    chunk.PutStr(preset->mName);
    chunk.Put(&initialised);
    if (preset->mInitialized)
      chunk.PutChunk(preset->mChunk);
    if (chunk.Size() != expected)
      return false;
  }
  return true;
}

int IPluginBase::ReadPresetBank(const ByteChunk& chunk, int startPos)
{
  int pos = startPos;
  WDL_String name;  // a name that does not fit leaves the one read for the slot before
  for (int i = 0; i < NPresets() && pos >= 0; ++i)
  {
    IPreset* preset = mPresets.Get(i);
    pos = chunk.GetStr(name, pos);
    preset->SetName(utf8::FromEightBit(name.Get()).c_str());  // an 8-bit name, as UTF-8
    uint8_t initialised = 0;
    if (pos >= 0)
      pos = chunk.Get(&initialised, pos);
    if (pos >= 0)
      preset->mInitialized = initialised != 0;
    if (preset->mInitialized)
    {
      pos = ReadState(chunk, pos);
      if (pos >= 1)
        RestateSlot(*preset);
    }
  }
  LoadPresetSlot(mCurrentPresetIdx);
  return pos;
}

// ---- files

float IPluginBase::FileValue(int paramIdx, double value) const
{
  return static_cast<float>(GetParam(paramIdx)->ToNormalised(value));
}

void IPluginBase::PutFxStart(ByteChunk& file, uint32_t byteSize, uint32_t fxMagic, uint32_t formatVersion) const
{
  PutBE32(file, Tag("CcnK"));
  PutBE32(file, byteSize);
  PutBE32(file, fxMagic);
  PutBE32(file, formatVersion);
  PutBE32(file, static_cast<uint32_t>(GetUniqueID()));
  PutBE32(file, static_cast<uint32_t>(PackedVersion(true)));
}

void IPluginBase::PutProgram(ByteChunk& file, const char* name, std::span<const float> values) const
{
  PutFxStart(file, 0, Tag("FxCk"), 1);
  PutBE32(file, static_cast<uint32_t>(NParams()));
  PutName(file, name);
  for (float value : values)
    PutBEFloat(file, value);
}

void IPluginBase::PutStateBlock(ByteChunk& block, const ByteChunk& state) const
{
  PutBE32(block, Tag("tffp"));
  block.Put(&kBlockVersion);
  block.PutChunk(state);
}

bool IPluginBase::SavePresetAsFxp(const char* path) const
{
  if (!path || !*path)
    return false;
  ByteChunk file;
  if (DoesStateChunks())
  {
    ByteChunk state, block;
    if (!WriteState(state))
      return false;
    PutStateBlock(block, state);
    PutFxStart(file, static_cast<uint32_t>(block.Size() + kFxpBlockPos), Tag("FPCh"), 1);
    PutBE32(file, static_cast<uint32_t>(NParams()));
    PutName(file, CurrentPresetName());
    PutBE32(file, static_cast<uint32_t>(block.Size()));
    file.PutChunk(block);
    if (file.Size() != kFxpBlockPos + block.Size())
      return false;
  }
  else
  {
    std::vector<float> values;
    for (int i = 0; i < NParams(); ++i)
      values.push_back(FileValue(i, GetParam(i)->Value()));
    PutProgram(file, CurrentPresetName(), values);
  }
  return WriteFile(path, file);
}

bool IPluginBase::SaveBankAsFxb(const char* path) const
{
  if (!path || !*path)
    return false;
  ByteChunk file, block;
  const bool chunked = DoesStateChunks();
  if (chunked)
  {
    ByteChunk bank;
    if (!WritePresetBank(bank))
      return false;
    PutStateBlock(block, bank);
  }
  PutFxStart(file, chunked ? static_cast<uint32_t>(block.Size() + kFxbBlockPos) : 0, Tag(chunked ? "FBCh" : "FxBk"), 2);
  PutBE32(file, static_cast<uint32_t>(NPresets()));
  PutBE32(file, static_cast<uint32_t>(mCurrentPresetIdx));
  const uint8_t padding[kFxbHeaderPadding] = {};
  file.PutBytes(padding, kFxbHeaderPadding);
  if (chunked)
  {
    PutBE32(file, static_cast<uint32_t>(block.Size()));
    file.PutChunk(block);
  }
  else
  {
    std::vector<float> values(static_cast<size_t>(NParams()));
    for (int p = 0; p < NPresets(); ++p)
    {
      const IPreset* preset = mPresets.Get(p);
      for (int i = 0; i < NParams(); ++i)
      {
        double value = 0.0;  // a value past the end of the slot's state counts as 0
        preset->mChunk.Get(&value, i * static_cast<int>(sizeof(double)));
        values[static_cast<size_t>(i)] = FileValue(i, value);
      }
      PutProgram(file, preset->mName, values);
    }
  }
  return WriteFile(path, file);
}

bool IPluginBase::ApplyFxpParams(const ByteChunk& file, int valuesPos, uint32_t nValues)
{
  for (int i = 0; i < NParams() && static_cast<uint32_t>(i) < nValues; ++i)
  {
    const int64_t pos = valuesPos + 4 * int64_t{i};
    if (pos + 4 > file.Size())
      return false;  // the parameters past the file's end keep their values
    GetParam(i)->SetNormalised(GetBEFloatAt(file, static_cast<int>(pos)));
  }
  return true;
}

bool IPluginBase::LoadPresetFromFxp(const char* path)
{
  ByteChunk file;
  uint32_t header[7] = {};  // magic, byte size, fx magic, version, id, plug-in version, parameters
  if (!ReadFile(path, file) || !ReadHeader(file, header))
    return false;
  if (header[0] != Tag("CcnK") || header[3] != 1 || header[4] != static_cast<uint32_t>(GetUniqueID()))
    return false;
  char name[kFxNameSize + 1] = {};
  file.GetBytes(name, kFxNameSize, 28);  // a name without its zero is cut to the field

  if (header[2] == Tag("FPCh") && DoesStateChunks())
  {
    const int statePos = HasTagAt(file, kFxpBlockPos, "tffp") ? kFxpBlockPos + 8 : kFxpBlockPos;
    if (ReadState(file, statePos) < 1)
      return false;
  }
  else if (header[2] == Tag("FxCk"))
  {
    ApplyFxpParams(file, kFxpValuesPos, header[6]);
  }
  else
  {
    return false;
  }

  if (IPreset* preset = GetPreset(mCurrentPresetIdx))
  {
    // The slot holds the file's state now; left unfilled, reloading it would replace that state.
    preset->mInitialized = true;
    RestateSlot(*preset);
    if (name[0])
      preset->SetName(utf8::FromEightBit(name).c_str());  // the file's 8-bit name, as UTF-8
    LoadPresetSlot(mCurrentPresetIdx);
  }
  else
  {
    ParametersReset(kPresetRecall);  // no slot to restore from: tell plug-in and editor directly
    StateRestored();
  }
  NotifyHostPresetChanged();
  return true;
}

bool IPluginBase::LoadBankFromFxb(const char* path)
{
  ByteChunk file;
  uint32_t header[8] = {};  // magic, byte size, fx magic, version, id, plug-in version, programs, current
  if (!ReadFile(path, file) || !ReadHeader(file, header))
    return false;
  if (header[0] != Tag("CcnK") || header[4] != static_cast<uint32_t>(GetUniqueID()))
    return false;
  const int currentProgram = static_cast<int>(header[7]);

  if (header[2] == Tag("FBCh") && DoesStateChunks())
  {
    // A bank that fails half-way must not leave half of it behind: keep what there was.
    std::vector<IPreset> slots;
    for (int i = 0; i < NPresets(); ++i)
      slots.push_back(*mPresets.Get(i));
    ByteChunk state;
    const bool stateKept = WriteState(state);
    const int current = mCurrentPresetIdx;

    const int bankPos = HasTagAt(file, kFxbBlockPos, "tffp") ? kFxbBlockPos + 8 : kFxbBlockPos;
    if (ReadPresetBank(file, bankPos) < 0)
    {
      for (int i = 0; i < NPresets(); ++i)
        *mPresets.Get(i) = slots[static_cast<size_t>(i)];
      mCurrentPresetIdx = current;
      if (stateKept)
        ReadState(state, 0);
      return false;
    }
    NotifyHostPresetChanged();
    return true;
  }
  if (header[2] != Tag("FxBk"))
    return false;

  // Every program record is checked before any is applied.
  const int64_t recordSize = kFxpValuesPos + 4 * int64_t{NParams()};
  const int64_t nPrograms = header[6];
  if (kFxbProgramsPos + nPrograms * recordSize > file.Size())
    return false;
  for (int64_t p = 0; p < nPrograms; ++p)
  {
    uint32_t program[7] = {};
    const int pos = static_cast<int>(kFxbProgramsPos + p * recordSize);
    for (int f = 0; f < 7; ++f)
      GetBE32(file, pos + 4 * f, program[f]);
    if (program[0] != Tag("CcnK") || program[2] != Tag("FxCk") || program[3] != 1 ||
        program[6] != static_cast<uint32_t>(NParams()))
      return false;
  }
  for (int p = 0; p < static_cast<int>(nPrograms); ++p)
  {
    const int pos = static_cast<int>(kFxbProgramsPos + p * recordSize);
    const bool isSlot = p < NPresets();
    if (isSlot)
      LoadPresetSlot(p);
    ApplyFxpParams(file, pos + kFxpValuesPos, static_cast<uint32_t>(NParams()));
    if (isSlot)
    {
      // Stored into its own slot even if that slot's old state could not be loaded.
      IPreset* preset = mPresets.Get(p);
      char name[kFxNameSize + 1] = {};
      file.GetBytes(name, kFxNameSize, pos + 28);
      RestateSlot(*preset);
      if (name[0])
        preset->SetName(utf8::FromEightBit(name).c_str());
    }
  }
  LoadPresetSlot(currentProgram);
  NotifyHostPresetChanged();
  return true;
}

// ---- source dumps

void IPluginBase::AppendValueText(WDL_String& out, int paramIdx, double value) const
{
  switch (GetParam(paramIdx)->GetKind())
  {
    case ParamKind::Bool: out.Append(value >= 0.5 ? "true" : "false"); break;
    case ParamKind::Int:
    case ParamKind::Enum:
      out.AppendFormatted(32, "%d", static_cast<int>(std::clamp(value, double{INT_MIN}, double{INT_MAX})));
      break;
    default: out.Append(FixedText(value, 6).Get()); break;
  }
}

namespace {

void AppendToFile(const char* path, const WDL_String& text)
{
  if (FILE* file = path && *path ? std::fopen(path, "a") : nullptr)
  {
    std::fputs(text.Get(), file);
    std::fclose(file);
  }
}

}  // namespace

void IPluginBase::DumpPresetSource(const char* path) const
{
  WDL_String text;
  text.Set("MakePreset(\"");
  text.Append(CurrentPresetName());
  text.Append("\"");
  for (int i = 0; i < NParams(); ++i)
  {
    text.Append(", ");
    AppendValueText(text, i, GetParam(i)->Value());
  }
  text.Append(");\n");
  AppendToFile(path, text);
}

void IPluginBase::DumpPresetNamedSource(const char* path, std::span<const char* const> paramNames) const
{
  WDL_String text;
  text.Set("  MakePresetFromNamedParams(\"");
  text.Append(CurrentPresetName());
  text.AppendFormatted(32, "\", %d", NParams());
  for (int i = 0; i < NParams(); ++i)
  {
    text.Append(",\n    ");
    text.Append(static_cast<size_t>(i) < paramNames.size() ? paramNames[static_cast<size_t>(i)]
                                                           : GetParam(i)->GetName());
    text.Append(", ");
    AppendValueText(text, i, GetParam(i)->Value());
  }
  text.Append(");\n");
  AppendToFile(path, text);
}

void IPluginBase::DumpPresetBlobSource(const char* path) const
{
  const IPreset* preset = GetPreset(mCurrentPresetIdx);
  WDL_String blob;
  if (preset)
    Base64Encode(preset->mChunk.GetData(), preset->mChunk.Size(), blob);
  WDL_String text;
  text.Set("MakePresetFromBlob(\"");
  text.Append(CurrentPresetName());
  text.Append("\", \"");
  text.Append(blob.Get());
  text.AppendFormatted(32, "\", %i);\n", preset ? preset->mChunk.Size() : 0);
  AppendToFile(path, text);
}

}  // namespace iplug
