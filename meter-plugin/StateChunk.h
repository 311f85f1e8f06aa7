#pragma once
// The container of the plug-in state: a RIFF form "ZVCM" (with a version word after the RIFF
// size) holding "ZVCS", the XML state text, and optionally "ZVE0", the two loudness histories.
// Without "ZVE0" it is the preset form that preset records carry.

#include "framework/ByteChunk.h"

#include <bit>
#include <cstdint>
#include <functional>

static_assert(std::endian::native == std::endian::little, "state chunks hold little-endian values");

namespace statechunk {

inline constexpr uint32_t kContainerVersion = 1;
inline constexpr uint32_t kTextVersion = 1;
inline constexpr uint32_t kHistoryVersion = 3;
inline constexpr int kRecordSize = 224;
// Lists shorter than this are saved as empty.
inline constexpr int kMinSavedPoints = 4;

// One stored record list of a history chunk: where its records begin and how many there are.
struct StoredList
{
  int64_t pos = 0;
  int32_t count = 0;
};

struct StoredLists
{
  StoredList history;
  StoredList memory;
};

using Writer = std::function<bool(ByteChunk& chunk)>;

// Appends a whole container: the text written by writeText, then, when writeHistories is given,
// the history chunk around what it writes. On failure nothing is appended.
bool AppendStateContainer(ByteChunk& chunk, const Writer& writeText, const Writer& writeHistories = nullptr);

}  // namespace statechunk

using statechunk::AppendStateContainer;
