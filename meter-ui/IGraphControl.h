#pragma once
// The loudness graph: it draws the live history and the memory beside it and tells the plug-in,
// through action id 228, what the user did to it (drag, wheel, pointer over it).

#include "framework/WDLMutex.h"
#include "graphics/IControl.h"
#include "meter-engine/MeasurementRecords.h"

#include <cstdint>

class IGraphControl : public iplug::igraphics::IControl
{
public:
  // What the last gesture asks the plug-in to do with the graph.
  enum Command : int32_t {
    kNone = 0,
    kViewMoved = 1,       // dragged sideways
    kLongerTimescale,     // wheel
    kShorterTimescale,
    kRangeUp,             // dragged up or down
    kRangeDown,
    kRangeWider,          // wheel
    kRangeNarrower,
    kPointerOver,
  };

  explicit IGraphControl(const iplug::igraphics::IRECT& bounds) : IControl(bounds) {}

  // The lists drawn (the memory may be absent) and the lock under which their owner appends.
  void SetHistories(LoudnessHistory* history, LoudnessHistory* memory, WDL_Mutex* lock)
  {
    mHistory = history;
    mMemory = memory;
    mLock = lock;
  }
  LoudnessHistory* History() const { return mHistory; }

  // Marks both lists in use while drawing, then carries out a clear asked for meanwhile.
  void Draw(iplug::igraphics::IGraphics&) override
  {
    LoudnessHistory* lists[] = {mHistory, mMemory};
    for (LoudnessHistory* list : lists)
      if (list)
        list->inUse = 1;
    for (LoudnessHistory* list : lists)
      if (list)
      {
        list->inUse = 0;
        if (list->clearPending && mLock)
        {
          WDL_MutexLock lock(*mLock);
          list->FinishPendingClear();
        }
      }
  }

  int32_t command = kNone;
  int32_t scroll = 1;              // follows the newest point
  int32_t viewStart = 0;           // in history points
  int32_t viewEnd = 0;
  double timeFactor = 1.0;         // the width shown, in units of 30 s
  int32_t settings[15] = {};       // "Graph Timescale" to "Graph PSR"

private:
  LoudnessHistory* mHistory = nullptr;
  LoudnessHistory* mMemory = nullptr;
  WDL_Mutex* mLock = nullptr;
};
