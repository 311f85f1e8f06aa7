#pragma once

#include <string>

#include "graphics/IControl.h"
#include "graphics/IVectorBase.h"

namespace iplug::igraphics {

// The frame-time read-out: a plot of the last 100 frame durations and their average, as frames
// per second, milliseconds or a percentage; a click moves to the next of the three.
class IFPSDisplayControl : public IControl, public IVectorBase
{
public:
  static constexpr int kNumDataPoints = 100;
  enum EMode { kFPS = 0, kMilliseconds, kPercentage, kNumModes };

  IFPSDisplayControl(const IRECT& bounds, int mode, const char* name);

  // Advances the write index by one and stores the seconds since the previous frame there.
  void Update(float frameTime)
  {
    mWritePos = (mWritePos + 1) % kNumDataPoints;
    mBuffer[mWritePos] = frameTime;
  }
  bool IsDirty() override { return true; }
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void Draw(IGraphics& g) override;

  float GetFrameTime(int idx) const { return mBuffer[idx]; }
  int GetWriteIndex() const { return mWritePos; }
  int GetMode() const { return mMode; }
  const char* GetName() const { return mName.c_str(); }

private:
  int mMode;
  std::string mName;
  float mBuffer[kNumDataPoints] = {};
  int mWritePos = 0;
  IText mTitleText;
  IText mMainText;
  IText mSecondText;
};

}  // namespace iplug::igraphics
