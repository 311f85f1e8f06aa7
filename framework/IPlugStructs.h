#pragma once
// Records that travel between the host, the audio side and the editor.

#include "framework/ByteChunk.h"
#include "platform/shared/Utf8.h"

#include <cstdint>
#include <cstring>

namespace iplug {

// A parameter index and a plain (not normalised) value.
struct ParamTuple
{
  int idx = 0;
  double value = 0.0;
};

struct IMidiMsg
{
  int mOffset = 0;
  uint8_t mStatus = 0;
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;
};

// A system-exclusive message with its bytes held inline.
struct SysExData
{
  static constexpr int kMaxSize = 512;
  int mOffset = 0;
  int mSize = 0;
  uint8_t mData[kMaxSize] = {};
};
static_assert(sizeof(SysExData) == 520);

// A system-exclusive message as the hooks pass it; the bytes are not owned.
struct SysExView
{
  int mOffset = 0;
  int mSize = 0;
  const uint8_t* mData = nullptr;
};

// One preset slot: a name and a complete serialised state.
struct IPreset
{
  static constexpr int kNameSize = 256;  // 255 characters and the terminator
  bool mInitialized = false;
  char mName[kNameSize] = "empty";
  ByteChunk mChunk;

  // A longer name is cut, between characters so that it stays valid UTF-8.
  void SetName(const char* name)
  {
    const size_t n = name ? utf8::CutLength(name, kNameSize - 1) : 0;
    std::memmove(mName, name ? name : "", n);
    mName[n] = 0;
  }
};

// What a plug-in class hands to its bases.
struct IPluginConfig
{
  int nParams = 0;
  int nPresets = 0;
  const char* channelIOStr = "";
  const char* pluginName = "";
  const char* productName = "";
  const char* mfrName = "";
  int vendorVersion = 0;  // 0xMMMMmmbb
  int uniqueID = 0;       // four-character codes, packed big-endian
  int mfrID = 0;
  int latency = 0;
  bool plugDoesMidiIn = false;
  bool plugDoesMidiOut = false;
  bool plugDoesMPE = false;
  bool plugDoesChunks = false;  // state is written as a chunk
  int plugType = 0;             // 0 effect, 1 instrument, 2 MIDI effect
  bool plugHasUI = false;
  int plugWidth = 0;
  int plugHeight = 0;
  int plugMinWidth = 0;
  int plugMaxWidth = 0;
  int plugMinHeight = 0;
  int plugMaxHeight = 0;
  const char* bundleID = "";
};

}  // namespace iplug
