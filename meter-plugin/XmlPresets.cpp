#include "meter-plugin/XmlPresets.h"

#include "framework/RegularFile.h"
#include "meter-plugin/StateChunk.h"
#include "platform/shared/Utf8.h"
#include "platform/shared/XmlNesting.h"
#include "platform/shared/XmlText.h"

#include <tinyxml.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <new>
#include <vector>

namespace {

using iplug::IPluginBase;

// Numbers in the documents never follow the process locale.
locale_t CLocale()
{
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// A missing or non-numeric text reads as 0.
double ParseValue(const char* text)
{
  if (!text)
    return 0.0;
  char* end = nullptr;
  const double value = strtod_l(text, &end, CLocale());
  return end == text ? 0.0 : value;
}

// Six decimals, as "%f" prints in the "C" locale ("-0.000000" for a negative zero).
struct ValueText
{
  explicit ValueText(double value)
  {
    // Most values are whole numbers, whose digits an integer conversion gives far more cheaply.
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
    {
      char* end = text;
      if (std::signbit(value))
        *end++ = '-';
      end = std::to_chars(end, text + sizeof(text), static_cast<int64_t>(std::fabs(value))).ptr;
      std::memcpy(end, ".000000", sizeof(".000000"));
      length = static_cast<size_t>(end - text) + sizeof(".000000") - 1;
      return;
    }
    const auto result = std::to_chars(text, text + sizeof(text) - 1, value, std::chars_format::fixed, 6);
    *result.ptr = 0;
    length = static_cast<size_t>(result.ptr - text);
  }
  char text[400];  // the longest double in fixed notation with six decimals fits
  size_t length = 0;
};

void AddTextElement(TiXmlElement& parent, const char* name, const char* text)
{
  auto* element = new TiXmlElement(name);
  xml::AppendPreservedText(*element, text);
  parent.LinkEndChild(element);
}

struct DocumentHeader
{
  const char* pluginName;
  const char* version;
  const char* data;  // null: no "Data" element
  const char* presetName;
};

template <class ValueAt>
void BuildDocument(TiXmlDocument& doc, const IPluginBase& plug, const DocumentHeader& header, ValueAt valueAt)
{
  doc.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
  auto* root = new TiXmlElement("PresetXMLTree");
  root->SetAttribute("version", "1");
  doc.LinkEndChild(root);
  AddTextElement(*root, "PluginVendor", plug.GetMfrName());
  AddTextElement(*root, "PluginName", header.pluginName);
  AddTextElement(*root, "PluginVersion", header.version);
  if (header.data)
    AddTextElement(*root, "Data", header.data);
  auto* preset = new TiXmlElement("Preset");
  preset->SetAttribute("name", header.presetName ? header.presetName : "");
  root->LinkEndChild(preset);
  auto* parameter = new TiXmlElement("Parameter");
  preset->LinkEndChild(parameter);
  for (int i = 0; i < plug.NParams(); ++i)
  {
    auto* param = new TiXmlElement("Param");
    param->SetAttribute("name", plug.GetParam(i)->GetName());
    param->SetAttribute("val", ValueText(valueAt(i)).text);
    parameter->LinkEndChild(param);
  }
}

// The document's text as a 32-bit length and its bytes; nothing is appended on failure.
bool AppendText(const std::string& text, ByteChunk& chunk)
{
  const auto length = static_cast<uint32_t>(text.size());
  if (length == 0)
    return false;
  const int start = chunk.Size();
  if (chunk.Put(&length) != start + 4 ||
      chunk.PutBytes(text.data(), static_cast<int>(length)) != start + 4 + int64_t{length})
  {
    chunk.Resize(start);
    return false;
  }
  return true;
}

// The bytes TinyXML escapes in a text, and the terminating zero.
constexpr std::array<bool, 256> kStopsPlainText = [] {
  std::array<bool, 256> stops{};
  for (int c = 0; c < 0x20; ++c)
    stops[c] = true;
  for (unsigned char c : std::string_view("&<>\"'"))
    stops[c] = true;
  return stops;
}();

// Where the text ends, or stops at the first byte TinyXML escapes (a double quote among them).
const char* PlainTextEnd(const char* text)
{
  while (!kStopsPlainText[static_cast<unsigned char>(*text)])
    ++text;
  return text;
}

// The text as TinyXML writes it in an attribute value or an element's text. Most texts hold
// nothing it escapes and are copied as they are.
void AppendEscaped(std::string& out, const char* text)
{
  if (const char* end = PlainTextEnd(text); *end == 0)
  {
    out.append(text, end);
    return;
  }
  std::string escaped;
  TiXmlBase::EncodeString(text, &escaped);
  out += escaped;
}

// ` name="value"`, or in single quotes when the value holds a double quote, as TinyXML writes it.
void AppendAttribute(std::string& out, const char* name, const char* value)
{
  // Most values hold nothing escaped, so no double quote either: one pass finds that.
  if (const char* end = PlainTextEnd(value); *end == 0)
  {
    out.append(" ").append(name).append("=\"").append(value, end).append("\"");
    return;
  }
  const char quote = std::strchr(value, '"') ? '\'' : '"';
  out.append(" ").append(name).append("=").append(1, quote);
  AppendEscaped(out, value);
  out.append(1, quote);
}

// `            <Param name="NAME" val="VALUE" />` and a line break. A name holding nothing that is
// escaped, as every name of this product, gives a line put together in one piece and appended at
// once: the factory presets write 9639 of these lines at every start. A number's text holds
// nothing that is escaped, nor a double quote.
void AppendParamLine(std::string& out, const char* name, const ValueText& value)
{
  constexpr std::string_view kOpen = "            <Param name=\"", kMiddle = "\" val=\"", kClose = "\" />\n";
  constexpr size_t kLongestName = iplug::IParam::kTextFieldSize - 1;
  const char* nameEnd = PlainTextEnd(name);
  if (*nameEnd != 0 || static_cast<size_t>(nameEnd - name) > kLongestName)
  {
    out += "            <Param";
    AppendAttribute(out, "name", name);
    out.append(kMiddle.substr(1)).append(value.text, value.length).append(kClose);
    return;
  }
  char line[kOpen.size() + kLongestName + kMiddle.size() + sizeof(value.text) + kClose.size()];
  char* end = std::copy(kOpen.begin(), kOpen.end(), line);
  end = std::copy(name, nameEnd, end);
  end = std::copy(kMiddle.begin(), kMiddle.end(), end);
  end = std::copy_n(value.text, value.length, end);
  end = std::copy(kClose.begin(), kClose.end(), end);
  out.append(line, end);
}

// The printed form of the document that BuildDocument builds without a "Data" element, written
// as text: the text TinyXML's printer gives for that tree with a four-space indent. The factory
// presets write 51 such documents at every start, and building a tree for each and printing it
// took most of the plug-in's construction. The vendor, product and version are the product's
// own single words, so no text element needs the CDATA form.
template <class ValueAt>
std::string ChunkDocumentText(const IPluginBase& plug, const DocumentHeader& header, ValueAt valueAt)
{
  // Room for the whole text at once, rather than copies of it as it grows.
  constexpr size_t kHeaderBytes = 512, kLineBytes = 80;
  std::string text;
  text.reserve(kHeaderBytes + kLineBytes * static_cast<size_t>(std::max(plug.NParams(), 0)));
  text = "<?xml version=\"1.0\" ?>\n<PresetXMLTree version=\"1\">\n";
  for (const auto& [name, value] :
       {std::pair{"PluginVendor", plug.GetMfrName()}, std::pair{"PluginName", header.pluginName},
        std::pair{"PluginVersion", header.version}})
  {
    text.append("    <").append(name).append(">");
    AppendEscaped(text, value);
    text.append("</").append(name).append(">\n");
  }
  text += "    <Preset";
  AppendAttribute(text, "name", header.presetName ? header.presetName : "");
  text += ">\n";
  if (plug.NParams() == 0)
    text += "        <Parameter />\n";
  else
  {
    text += "        <Parameter>\n";
    for (int i = 0; i < plug.NParams(); ++i)
      AppendParamLine(text, plug.GetParam(i)->GetName(), ValueText(valueAt(i)));
    text += "        </Parameter>\n";
  }
  text += "    </Preset>\n</PresetXMLTree>\n";
  return text;
}

const char* ElementText(const TiXmlElement* parent, const char* name)
{
  const TiXmlElement* element = parent->FirstChildElement(name);
  return element ? element->GetText() : nullptr;
}

bool IsAcceptedName(const char* name, const IPluginBase& plug, const char* const* earlierNames)
{
  if (!name)
    return false;
  if (!std::strcmp(name, plug.GetPluginName()))
    return true;
  for (const char* const* earlier = earlierNames; earlier && *earlier; ++earlier)
    if (!std::strcmp(name, *earlier))
      return true;
  return false;
}

// The parts of a checked document that readers use.
struct PresetView
{
  const TiXmlElement* root = nullptr;
  const TiXmlElement* parameter = nullptr;
  const char* presetName = nullptr;
};

// Checks the whole document, "Param" elements included, so that a reader can refuse it before it
// applies anything.
bool CheckDocument(const TiXmlDocument& doc, const IPluginBase& plug, const char* const* earlierNames, PresetView& view)
{
  const TiXmlElement* root = doc.FirstChildElement("PresetXMLTree");
  if (!root)
    return false;
  const char* vendor = ElementText(root, "PluginVendor");
  if (!vendor || std::strcmp(vendor, plug.GetMfrName()))
    return false;
  if (!IsAcceptedName(ElementText(root, "PluginName"), plug, earlierNames))
    return false;
  if (!root->FirstChildElement("PluginVersion"))
    return false;
  const TiXmlElement* preset = root->FirstChildElement("Preset");
  const TiXmlAttribute* nameAttribute = preset ? preset->FirstAttribute() : nullptr;
  if (!nameAttribute || std::strcmp(nameAttribute->Name(), "name"))
    return false;
  const TiXmlElement* parameter = preset->FirstChildElement("Parameter");
  if (!parameter || !parameter->FirstChildElement())
    return false;
  for (const TiXmlElement* child = parameter->FirstChildElement(); child; child = child->NextSiblingElement())
    if (std::strcmp(child->Value(), "Param"))
      return false;
  view = {root, parameter, nameAttribute->Value()};
  return true;
}

int FindParam(const IPluginBase& plug, const char* name)
{
  for (int i = 0; i < plug.NParams(); ++i)
    if (!std::strcmp(plug.GetParam(i)->GetName(), name))
      return i;
  return -1;
}

// Hands over every "Param" that names a parameter; several of one name are handed over in turn.
template <class Visit>
void VisitParams(const PresetView& view, const IPluginBase& plug, Visit visit)
{
  for (const TiXmlElement* param = view.parameter->FirstChildElement(); param; param = param->NextSiblingElement())
  {
    const char* name = param->Attribute("name");
    const int idx = name && *name ? FindParam(plug, name) : -1;
    if (idx >= 0)
      visit(idx, ParseValue(param->Attribute("val")));
  }
}

// Our documents nest four deep; deeper ones are refused unparsed.
constexpr int kMaxNesting = 64;
// Our documents, preset files and state texts alike, hold some hundred parameters in some 12 KB.
// A text far larger is not one of ours, and parsing it would cost some twelve times its size.
constexpr size_t kMaxDocumentBytes = 1 << 20;

// Running out of memory on a hostile size refuses the document instead of ending the host.
bool ParseDocumentText(TiXmlDocument& doc, std::string_view bytes)
{
  if (bytes.size() > kMaxDocumentBytes)
    return false;
  try
  {
    // A text of 8-bit characters, from a version that wrote names as it read them from files,
    // is read as Latin-1; the parser then sees only valid UTF-8, whose characters never run
    // past the end.
    const std::string text = utf8::FromEightBit(bytes);
    if (!xml::NestingWithinLimit(text, kMaxNesting))
      return false;
    doc.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    return !doc.Error();
  }
  catch (const std::bad_alloc&)
  {
    return false;
  }
}

// Parses and checks the state text at the position; returns the position after it, or 0.
int ParseStateText(const IPluginBase& plug, const ByteChunk& chunk, int startPos, TiXmlDocument& doc, PresetView& view)
{
  uint32_t length = 0;
  if (chunk.Get(&length, startPos) < 0)
    return 0;
  const int64_t textPos = int64_t{startPos} + 4;
  if (length < 1 || textPos + length > chunk.Size())
    return 0;
  const char* bytes = reinterpret_cast<const char*>(chunk.GetData() + textPos);
  if (!ParseDocumentText(doc, {bytes, strnlen(bytes, length)}) || !CheckDocument(doc, plug, nullptr, view))
    return 0;
  return static_cast<int>(textPos + length);
}

// Only a regular file is read, so that a FIFO or a device in the preset folder never blocks the
// plug-in. The parser reads the bytes as it reads a file, line ends and 8-bit names alike.
bool LoadDocumentFile(TiXmlDocument& doc, const char* path)
{
  std::string text;
  if (!iplug::ReadRegularFile(path, kMaxDocumentBytes, text) || !xml::NestingWithinLimit(text, kMaxNesting))
    return false;
  FILE* file = text.empty() ? nullptr : fmemopen(text.data(), text.size(), "rb");
  if (!file)
    return false;
  bool loaded = false;
  try
  {
    loaded = doc.LoadFile(file, TIXML_ENCODING_LEGACY);
  }
  catch (const std::bad_alloc&)
  {
    loaded = false;
  }
  std::fclose(file);
  return loaded;
}

// Writes next to the destination and renames, so a failed write never damages an existing file.
bool SaveDocumentFile(const TiXmlDocument& doc, const char* path)
{
  if (!path || !*path)
    return false;
  const std::string partial = std::string(path) + ".part";
  FILE* file = std::fopen(partial.c_str(), "wb");
  if (!file)
    return false;
  bool saved = doc.SaveFile(file);
  saved = std::fflush(file) == 0 && !std::ferror(file) && saved;
  saved = std::fclose(file) == 0 && saved;
  saved = saved && std::rename(partial.c_str(), path) == 0;
  if (!saved)
    std::remove(partial.c_str());
  return saved;
}

}  // namespace

// ---- state text

bool IXMLParameters::WriteStateXml(const IPluginBase& plug, ByteChunk& chunk) const
{
  WDL_String version;
  plug.VersionText(version);
  return AppendText(ChunkDocumentText(plug, {plug.GetPluginName(), version.Get(), nullptr, plug.PresetSlotName(0)},
                                      [&](int i) { return plug.GetParam(i)->Value(); }),
                    chunk);
}

bool IXMLParameters::CanReadStateXml(const IPluginBase& plug, const ByteChunk& chunk, int startPos) const
{
  TiXmlDocument doc;
  PresetView view;
  return ParseStateText(plug, chunk, startPos, doc, view) > 0;
}

int IXMLParameters::ReadStateXml(IPluginBase& plug, const ByteChunk& chunk, int startPos,
                                 const PresetParamKey* onlyKeyed) const
{
  TiXmlDocument doc;
  PresetView view;
  const int end = ParseStateText(plug, chunk, startPos, doc, view);
  if (end == 0)
    return 0;
  if (iplug::IPreset* slot = plug.GetPreset(0))
    slot->SetName(view.presetName);
  auto keyed = [onlyKeyed](int idx) {
    for (const PresetParamKey* key = onlyKeyed; key->keyName; ++key)
      if (key->paramIdx == idx)
        return true;
    return false;
  };
  VisitParams(view, plug, [&](int idx, double value) {
    if (!onlyKeyed || keyed(idx))
      plug.GetParam(idx)->Set(value);
  });
  plug.ParametersReset(iplug::kPresetRecall);
  return end;
}

// ---- preset records and files

bool IXMLPreset::BuildPresetXml(const IPluginBase& plug, const double* values, ByteChunk& chunk,
                                const char* presetName) const
{
  WDL_String version;
  plug.VersionText(version);
  return AppendText(ChunkDocumentText(plug, {plug.GetPluginName(), version.Get(), nullptr, presetName},
                                      [&](int i) { return values[i]; }),
                    chunk);
}

bool IXMLPreset::SavePresetFile(const IPluginBase& plug, const char* path, const char* presetName, bool writeData,
                                const char* dataText) const
{
  WDL_String version;
  plug.VersionText(version);
  const DocumentHeader header{mNameOverride.GetLength() ? mNameOverride.Get() : plug.GetPluginName(),
                              mVersionOverride.GetLength() ? mVersionOverride.Get() : version.Get(),
                              writeData ? (dataText ? dataText : "") : nullptr, presetName};
  TiXmlDocument doc;
  BuildDocument(doc, plug, header, [&](int i) { return plug.GetParam(i)->Value(); });
  return SaveDocumentFile(doc, path);
}

bool IXMLPreset::SaveDefaultPreset(const IPluginBase& plug, const char* auFolder) const
{
  WDL_String path(auFolder);
  path.Append("/default.zvp");
  return SavePresetFile(plug, path.Get(), "Init", false, nullptr);
}

bool IXMLPreset::VisitPresetFile(const IPluginBase& plug, const char* path, WDL_String* presetName,
                                 WDL_String* dataText, const ParamVisitor& visit) const
{
  TiXmlDocument doc;
  PresetView view;
  if (!LoadDocumentFile(doc, path) || !CheckDocument(doc, plug, mAcceptEarlierNames ? mAcceptedNames : nullptr, view))
    return false;
  // The file is read as 8-bit text; what it names goes on as UTF-8.
  if (presetName)
    presetName->Set(utf8::FromEightBit(view.presetName).c_str());
  if (const TiXmlElement* data = dataText ? view.root->FirstChildElement("Data") : nullptr)
    dataText->Set(utf8::FromEightBit(xml::PreservedTextOf(*data)).c_str());
  VisitParams(view, plug, visit);
  return true;
}

bool IXMLPreset::ReadPresetFile(const IPluginBase& plug, const char* path, double* values, WDL_String* presetName) const
{
  std::vector<std::pair<int, double>> read;
  if (!VisitPresetFile(plug, path, presetName, nullptr, [&](int idx, double value) { read.emplace_back(idx, value); }))
    return false;
  for (const PresetParamKey* key = KeyTable(); key && key->keyName; ++key)
    values[key->paramIdx] = plug.GetParam(key->paramIdx)->GetDefault();
  for (const auto& [idx, value] : read)
    values[idx] = value;
  return true;
}

bool IXMLPreset::LoadPresetSlot(const IPluginBase& plug, iplug::IPreset& record, const char* path) const
{
  record.mInitialized = true;
  std::vector<double> values(static_cast<size_t>(plug.NParams()), kUnsetPresetValue);
  WDL_String name;
  const bool read = ReadPresetFile(plug, path, values.data(), &name);
  record.SetName(name.Get());
  for (int i = 0; i < plug.NParams(); ++i)
    if (values[i] == kUnsetPresetValue)
      values[i] = plug.GetParam(i)->GetDefault();
  record.mChunk.Clear();
  const bool written = AppendStateContainer(
    record.mChunk, [&](ByteChunk& chunk) { return BuildPresetXml(plug, values.data(), chunk, name.Get()); });
  return read && written;
}
