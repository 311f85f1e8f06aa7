#include "framework/IPlugPluginBase.h"

#include <cstdlib>
#include <cstring>

namespace iplug {

IPluginBase::IPluginBase(int nParams, int nPresets) : IGEditorDelegate(nParams)
{
  for (int i = 0; i < nPresets; ++i)
  {
    auto* preset = new IPreset;
    if (!mPresets.Add(preset))
      delete preset;
  }
}

IPluginBase::~IPluginBase()
{
  mPresets.Empty(true);
  mParamGroups.Empty(true);
}

void IPluginBase::SetIdentity(const char* pluginName, const char* productName, const char* mfrName, int uniqueID,
                              int mfrID, int version, bool stateChunks, bool hasUI, PluginApi api, const char* bundleID)
{
  mPluginName.Set(pluginName, kMaxNameLength);
  mProductName.Set(productName, kMaxNameLength);
  mMfrName.Set(mfrName, kMaxNameLength);
  mUniqueID = uniqueID;
  mMfrID = mfrID;
  mVersion = version;
  mStateChunks = stateChunks;
  mHasUI = hasUI;
  mAPI = api;
  mBundleID.Set(bundleID);
}

void IPluginBase::SetHost(const char* name, HostId host, int version)
{
  if (name)
    mHostName.Set(name);
  mHost = host;
  mHostVersion = version;
}

int IPluginBase::VersionNumber(int packed, bool decimal)
{
  if (!decimal)
    return packed;
  const int major = (packed >> 16) & 0xFFFF;
  const int minor = (packed >> 8) & 0xFF;
  const int patch = packed & 0xFF;
  return major * 1000 + minor * 100 + patch * 10;
}

void IPluginBase::FormatVersion(int packed, WDL_String& out)
{
  out.SetFormatted(32, "v%d.%d.%d", (packed >> 16) & 0xFFFF, (packed >> 8) & 0xFF, packed & 0xFF);
}

const char* IPluginBase::ApiName() const
{
  static const char* const kNames[] = {"VST2", "VST3", "AU", "AUv3", "AAX", "APP", "WAM", "WEB"};
  return mAPI >= 0 && mAPI < static_cast<int>(std::size(kNames)) ? kNames[mAPI] : "";
}

void IPluginBase::BuildInfo(WDL_String& out) const
{
  WDL_String version;
  VersionText(version);
  out.SetFormatted(256, "%s version %s %s (%s), built on %s at %.5s ", GetPluginName(), version.Get(), ApiName(),
                   ArchitectureName(), __DATE__, __TIME__);
}

void IPluginBase::AddParamGroup(const char* name)
{
  auto* group = new WDL_String(name);
  if (!mParamGroups.Add(group))
    delete group;
}

const char* IPluginBase::GetParamGroupName(int idx) const
{
  const WDL_String* group = mParamGroups.Get(idx);
  return group ? group->Get() : "";
}

bool IPluginBase::WriteParamValues(ByteChunk& chunk) const
{
  for (int i = 0; i < NParams(); ++i)
  {
    const double value = GetParam(i)->Value();
    const int before = chunk.Size();
    if (chunk.Put(&value) != before + static_cast<int>(sizeof(value)))
      return false;
  }
  return true;
}

int64_t IPluginBase::ParamValuesEnd(const ByteChunk& chunk, int startPos) const
{
  const int64_t end = int64_t{startPos} + int64_t{NParams()} * static_cast<int64_t>(sizeof(double));
  return startPos >= 0 && end <= chunk.Size() ? end : -1;
}

int IPluginBase::ReadParamValues(const ByteChunk& chunk, int startPos)
{
  // All values or none: a short chunk must not leave a half-restored state behind.
  int pos = -1;
  if (ParamValuesEnd(chunk, startPos) >= 0)
  {
    pos = startPos;
    for (int i = 0; i < NParams(); ++i)
    {
      double value = 0.0;
      pos = chunk.Get(&value, pos);
      GetParam(i)->Set(value);
    }
  }
  ParametersReset(kPresetRecall);
  return pos;
}

void IPluginBase::DefineParamRange(int firstIdx, int lastIdx, int firstNumber, const char* nameFormat,
                                   double defaultValue, double min, double max, double step, const char* label,
                                   int flags, const char* group, const IParam::Shape& shape, ParamUnit unit,
                                   IParam::DisplayFunc displayFunc)
{
  WDL_String name;
  for (int i = firstIdx; i <= lastIdx; ++i)
  {
    IParam* param = GetParam(i);
    if (!param)
      continue;
    name.SetFormatted(IParam::kTextFieldSize, nameFormat, firstNumber + (i - firstIdx));
    param->DefineDouble(name.Get(), defaultValue, min, max, step, label, flags, group, shape, unit, displayFunc);
  }
}

void IPluginBase::DuplicateParams(int firstSrcIdx, int lastSrcIdx, int firstDestIdx, const char* searchText,
                                  const char* replaceText, const char* newGroup)
{
  for (int i = firstSrcIdx; i <= lastSrcIdx; ++i)
  {
    const IParam* source = GetParam(i);
    IParam* dest = GetParam(firstDestIdx + (i - firstSrcIdx));
    if (!source || !dest)
      continue;
    dest->DefineFromParam(*source, searchText, replaceText, newGroup);
    dest->Set(source->Value());
  }
}

void IPluginBase::CopyValuesByIndex(int firstSrcIdx, int firstDestIdx, int count)
{
  for (int k = 0; k < count; ++k)
  {
    const IParam* source = GetParam(firstSrcIdx + k);
    IParam* dest = GetParam(firstDestIdx + k);
    if (source && dest)
      dest->Set(source->Value());
  }
}

void IPluginBase::CopyValuesByGroup(const char* srcGroup, const char* destGroup)
{
  WDL_PtrList<IParam> sources, dests;
  for (int i = 0; i < NParams(); ++i)
  {
    IParam* param = GetParam(i);
    if (std::strcmp(param->GetGroup(), srcGroup) == 0)
      sources.Add(param);
    else if (std::strcmp(param->GetGroup(), destGroup) == 0)
      dests.Add(param);
  }
  for (int k = 0; k < sources.GetSize() && k < dests.GetSize(); ++k)
    dests.Get(k)->Set(sources.Get(k)->Value());
}

void IPluginBase::VisitParamRange(int firstIdx, int lastIdx, const ParamVisitor& visitor)
{
  for (int i = firstIdx; i <= lastIdx; ++i)
  {
    if (IParam* param = GetParam(i))
      visitor(i, *param);
  }
}

void IPluginBase::VisitParamGroup(const char* group, const ParamVisitor& visitor)
{
  for (int i = 0; i < NParams(); ++i)
  {
    IParam* param = GetParam(i);
    if (std::strcmp(param->GetGroup(), group) == 0)
      visitor(i, *param);
  }
}

void IPluginBase::DefaultParamValues()
{
  DefaultParamValues(0, NParams() - 1);
}

void IPluginBase::DefaultParamValues(int firstIdx, int lastIdx)
{
  VisitParamRange(firstIdx, lastIdx, [](int, IParam& param) { param.SetToDefault(); });
}

void IPluginBase::DefaultParamValues(const char* group)
{
  VisitParamGroup(group, [](int, IParam& param) { param.SetToDefault(); });
}

void IPluginBase::RandomiseParam(int, IParam& param)
{
  const float n = static_cast<float>(std::rand()) * 0x1p-31f;
  param.SetNormalised(static_cast<double>(n));
}

void IPluginBase::RandomiseParamValues()
{
  RandomiseParamValues(0, NParams() - 1);
}

void IPluginBase::RandomiseParamValues(int firstIdx, int lastIdx)
{
  VisitParamRange(firstIdx, lastIdx, RandomiseParam);
}

void IPluginBase::RandomiseParamValues(const char* group)
{
  VisitParamGroup(group, RandomiseParam);
}

void IPluginBase::PrintParamValues() const
{
  for (int i = 0; i < NParams(); ++i)
    GetParam(i)->PrintDetails();
}

}  // namespace iplug
