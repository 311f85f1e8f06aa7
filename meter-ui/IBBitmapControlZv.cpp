#include "meter-ui/IBBitmapControlZv.h"

using namespace iplug::igraphics;

IBBitmapControlZv::IBBitmapControlZv(float x, float y, const IBitmap& bitmap)
: IControl(IRECT(x, y, x + FrameSize(bitmap).W(), y + FrameSize(bitmap).H()), -1), IBitmapBase(bitmap, this)
{
}
