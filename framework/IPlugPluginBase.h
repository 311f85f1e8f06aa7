#pragma once
// The plug-in's identity (names, ids, versions, host and API), its preset slots, and the default
// way to turn parameter values into bytes and back.

#include "framework/ByteChunk.h"
#include "framework/IGraphicsEditorDelegate.h"
#include "framework/IPlugConstants.h"
#include "framework/IPlugStructs.h"
#include "framework/WDLPtrList.h"
#include "framework/WDLString.h"

#include <functional>
#include <initializer_list>
#include <span>
#include <utility>

namespace iplug {

class IPluginBase : public igraphics::IGEditorDelegate
{
public:
  static constexpr int kMaxNameLength = 128;

  IPluginBase(int nParams, int nPresets);
  ~IPluginBase() override;

  // ---- identity
  const char* GetPluginName() const { return mPluginName.Get(); }
  const char* GetProductName() const { return mProductName.Get(); }
  const char* GetMfrName() const { return mMfrName.Get(); }
  const char* GetBundleID() const { return mBundleID.Get(); }
  const char* GetHostName() const { return mHostName.Get(); }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  HostId GetHost() const { return mHost; }
  PluginApi GetAPI() const { return mAPI; }
  bool HasUI() const { return mHasUI; }
  bool DoesStateChunks() const { return mStateChunks; }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }

  // Packed as 0xMMMMmmbb, or with decimal as major * 1000 + minor * 100 + patch * 10.
  int PackedVersion(bool decimal = false) const { return VersionNumber(mVersion, decimal); }
  int HostVersion(bool decimal = false) const { return VersionNumber(mHostVersion, decimal); }
  // "v%d.%d.%d"
  void VersionText(WDL_String& out) const { FormatVersion(mVersion, out); }
  void HostVersionText(WDL_String& out) const { FormatVersion(mHostVersion, out); }
  // Empty for an API outside the known ones.
  const char* ApiName() const;
  const char* ArchitectureName() const { return "x64"; }
  // Name, version, API, architecture and the date and time of the build.
  void BuildInfo(WDL_String& out) const;

  // ---- parameter groups the host adapter reports parameters in
  void AddParamGroup(const char* name);
  int NParamGroups() const { return mParamGroups.GetSize(); }
  const char* GetParamGroupName(int idx) const;

  // ---- state
  virtual void NotifyHostParameterInfoChanged() {}
  virtual bool WriteState(ByteChunk& chunk) const { return WriteParamValues(chunk); }
  virtual int ReadState(const ByteChunk& chunk, int startPos) { return ReadParamValues(chunk, startPos); }
  // Whether ReadState would take the state at the position (return 1 or more), found without
  // changing anything, for a restore that must do other work first and may not fail half-way.
  virtual bool CanReadState(const ByteChunk& chunk, int startPos) const { return ParamValuesEnd(chunk, startPos) >= 1; }
  virtual void NotifyHostPresetChanged() {}
  virtual void PresetRestored() {}

  // Every parameter's value as a host-order double, in index order, with no header.
  bool WriteParamValues(ByteChunk& chunk) const;
  // Reads what WriteParamValues wrote and tells plug-in and editor (source preset recall). A
  // negative position or a chunk too short for every value changes nothing and gives -1.
  int ReadParamValues(const ByteChunk& chunk, int startPos);

  // ---- parameter helpers
  using ParamVisitor = std::function<void(int paramIdx, IParam& param)>;

  // Defines parameters first..last, named by nameFormat with the numbers from firstNumber on.
  void DefineParamRange(int firstIdx, int lastIdx, int firstNumber, const char* nameFormat, double defaultValue,
                        double min, double max, double step, const char* label = "", int flags = kFlagsNone,
                        const char* group = "", const IParam::Shape& shape = IParam::ShapeLinear(),
                        ParamUnit unit = ParamUnit::Custom, IParam::DisplayFunc displayFunc = nullptr);
  // Defines the parameters from firstDestIdx on as copies of first..last, with their values.
  void DuplicateParams(int firstSrcIdx, int lastSrcIdx, int firstDestIdx, const char* searchText,
                       const char* replaceText, const char* newGroup = "");
  void CopyValuesByIndex(int firstSrcIdx, int firstDestIdx, int count);
  // Pairs the source group's parameters with the destination group's in index order.
  void CopyValuesByGroup(const char* srcGroup, const char* destGroup);
  void VisitParamRange(int firstIdx, int lastIdx, const ParamVisitor& visitor);
  void VisitParamGroup(const char* group, const ParamVisitor& visitor);

  // Neither of these notifies anyone; call ParametersReset afterwards when that is needed.
  void DefaultParamValues();
  void DefaultParamValues(int firstIdx, int lastIdx);
  void DefaultParamValues(const char* group);
  void RandomiseParamValues();
  void RandomiseParamValues(int firstIdx, int lastIdx);
  void RandomiseParamValues(const char* group);
  void PrintParamValues() const;

  // ---- preset slots
  int NPresets() const { return mPresets.GetSize(); }
  const IPreset* GetPreset(int idx) const { return mPresets.Get(idx); }
  IPreset* GetPreset(int idx) { return mPresets.Get(idx); }
  // Restores a filled slot through ReadState (false when it refuses the state); an empty slot
  // becomes "user preset N" holding the current state. Then the slot is current and the
  // preset-restored and state-restored hooks run.
  bool LoadPresetSlot(int idx);
  bool LoadPresetSlotByName(const char* name);
  // "" for an index outside the list.
  const char* PresetSlotName(int idx) const;
  void StoreStateInCurrentPreset(const char* name = nullptr);
  void DropEmptyPresetSlots();

  // Builders fill the first empty slot and do nothing when there is none.
  void MakePresetsFromState(const char* name, int count);
  void MakeAllPresetsFromState();
  // One value per parameter in index order (parameters without one keep their current value).
  void MakePreset(const char* name, std::initializer_list<double> values);
  // The named parameters' values; the others take their current values.
  void MakePresetFromNamedParams(const char* name, std::initializer_list<std::pair<int, double>> values);
  void MakePresetFromBytes(const char* name, const ByteChunk& chunk);
  // size bytes decoded from base64 text (zero where the text ends early).
  void MakePresetFromBlob(const char* name, const char* base64, int size);

  // Every slot: name, filled flag and (when filled) its state.
  bool WritePresetBank(ByteChunk& chunk) const;
  // Reads a bank, applying and re-storing each filled slot, then restores the current slot.
  int ReadPresetBank(const ByteChunk& chunk, int startPos);

  // Preset and bank files; the state-chunk flag chooses the chunk or the parameter form.
  bool SavePresetAsFxp(const char* path) const;
  bool SaveBankAsFxb(const char* path) const;
  // A file that is not for this plug-in, is damaged or whose state is refused changes nothing.
  bool LoadPresetFromFxp(const char* path);
  bool LoadBankFromFxb(const char* path);

  // Append source text that rebuilds the current preset.
  void DumpPresetSource(const char* path) const;
  void DumpPresetNamedSource(const char* path, std::span<const char* const> paramNames) const;
  void DumpPresetBlobSource(const char* path) const;

protected:
  // Filled from the plug-in configuration by the API base's constructor, and when the host is
  // identified.
  void SetIdentity(const char* pluginName, const char* productName, const char* mfrName, int uniqueID, int mfrID,
                   int version, bool stateChunks, bool hasUI, PluginApi api, const char* bundleID);
  void SetHost(const char* name, HostId host, int version);
  // A plug-in may withdraw its editor after construction (a setting that hides it).
  void SetHasUI(bool hasUI) { mHasUI = hasUI; }

  WDL_PtrList<IPreset> mPresets;
  int mCurrentPresetIdx = 0;

private:
  static int VersionNumber(int packed, bool decimal);
  static void FormatVersion(int packed, WDL_String& out);
  static void RandomiseParam(int, IParam& param);
  // Where the parameter values from the position end, or -1 when the chunk does not hold them all.
  int64_t ParamValuesEnd(const ByteChunk& chunk, int startPos) const;
  IPreset* FirstFreePreset();
  // Current values, with the given (index, value) pairs put over them, into the first free slot.
  void MakePresetFromValues(const char* name, std::span<const std::pair<int, double>> values);
  const char* CurrentPresetName() const { return PresetSlotName(mCurrentPresetIdx); }
  // The current state, written anew into the slot; false when it cannot be written.
  bool RestateSlot(IPreset& preset);
  void AppendValueText(WDL_String& out, int paramIdx, double value) const;
  // The normalised value of a plain one, as the parameter form of the files keeps it.
  float FileValue(int paramIdx, double value) const;
  // The fields every preset and bank file starts with.
  void PutFxStart(ByteChunk& file, uint32_t byteSize, uint32_t fxMagic, uint32_t formatVersion) const;
  // A preset in the parameter form, as a file or as one program of a bank file.
  void PutProgram(ByteChunk& file, const char* name, std::span<const float> values) const;
  // "tffp", the block version, then the state.
  void PutStateBlock(ByteChunk& block, const ByteChunk& state) const;
  // Sets parameters from the file's normalised floats, as far as the file holds them.
  bool ApplyFxpParams(const ByteChunk& file, int valuesPos, uint32_t nValues);

  bool mStateChunks = false;
  WDL_String mPluginName;
  WDL_String mProductName;
  WDL_String mMfrName;
  int mUniqueID = 0;
  int mMfrID = 0;
  int mVersion = 0;
  int mHostVersion = 0;
  HostId mHost = kHostUninit;
  PluginApi mAPI = kAPIVST2;
  WDL_String mBundleID;
  bool mHasUI = false;
  WDL_PtrList<WDL_String> mParamGroups;
  WDL_String mHostName;
};

}  // namespace iplug
