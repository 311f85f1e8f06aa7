#include "framework/IGraphicsEditorDelegate.h"

#include "graphics/IControl.h"
#include "graphics/IGraphics.h"

#include <stdexcept>

namespace iplug::igraphics {

namespace {

// The graphics core treats an unattached tag as an error; here it just means nobody listens.
IControl* ControlWithTag(IGraphics* graphics, int tag)
{
  if (!graphics)
    return nullptr;
  try
  {
    return graphics->FindControlByTag(tag);
  }
  catch (const std::out_of_range&)
  {
    return nullptr;
  }
}

}  // namespace

IGEditorDelegate::IGEditorDelegate(int nParams) : IEditorDelegate(nParams) {}

IGEditorDelegate::~IGEditorDelegate()
{
  delete mGraphics;
}

void IGEditorDelegate::CloseGraphics()
{
  mClosing = true;
  EditorClosed();
  if (mGraphics)
  {
    mSizeRemembered = true;
    mRememberedWidth = mGraphics->Width();
    mRememberedHeight = mGraphics->Height();
    mRememberedScale = mGraphics->GetDrawScale();
    mGraphics->CloseWindow();
    delete mGraphics;
    mGraphics = nullptr;
  }
  mClosing = false;
}

void* IGEditorDelegate::OpenWindow(void* parent)
{
  if (mGraphics)
    CloseGraphics();
  mGraphics = CreateGraphics();
  if (!mGraphics)
    return nullptr;
  if (mSizeRemembered && mGraphicsAvailable)
    mGraphics->Resize(mRememberedWidth, mRememberedHeight, mRememberedScale, true);
  return mGraphics->OpenWindow(parent);
}

void IGEditorDelegate::CloseWindow()
{
  if (!mClosing)
    CloseGraphics();
}

IGraphics* IGEditorDelegate::CreateGraphics()
{
  return mMakeGraphicsFunc ? mMakeGraphicsFunc() : nullptr;
}

void IGEditorDelegate::LayoutUI(IGraphics* graphics)
{
  if (mLayoutFunc)
    mLayoutFunc(graphics);
}

void IGEditorDelegate::DeliverValueToEditor(int paramIdx, double value, bool normalised)
{
  const IParam* param = GetParam(paramIdx);
  if (mGraphics && param)
  {
    if (!normalised)
      value = param->ToNormalised(value);
    for (int c = 0; c < mGraphics->NControls(); ++c)
    {
      IControl* control = mGraphics->GetControl(c);
      for (int slot = 0; slot < control->NVals(); ++slot)
      {
        if (control->GetParamIdx(slot) == paramIdx)
          control->ValueFromDelegate(value, slot);
      }
    }
  }
  ParameterChangedUI(paramIdx, kDelegate);
}

void IGEditorDelegate::DeliverControlValue(int ctrlTag, double normalised)
{
  if (IControl* control = ControlWithTag(mGraphics, ctrlTag))
    control->ValueFromDelegate(normalised, 0);
}

void IGEditorDelegate::DeliverControlMessage(int ctrlTag, int msgTag, int dataSize, const void* data)
{
  if (IControl* control = ControlWithTag(mGraphics, ctrlTag))
    control->MessageFromDelegate(msgTag, dataSize, data);
}

void IGEditorDelegate::DeliverMidiToEditor(const IMidiMsg& msg)
{
  if (mGraphics)
  {
    for (int c = 0; c < mGraphics->NControls(); ++c)
    {
      IControl* control = mGraphics->GetControl(c);
      if (control->GetWantsMidi())
        control->OnMidi(msg);
    }
  }
  MidiMsgReceivedUI(msg);
}

bool IGEditorDelegate::ForwardKey(const IKeyPress& key, bool isUp)
{
  IGraphics* graphics = AvailableGraphics();
  if (!graphics)
    return false;
  float x = 0.f, y = 0.f;
  graphics->CursorPosition(x, y);
  return isUp ? graphics->OnKeyUp(x, y, key) : graphics->OnKeyDown(x, y, key);
}

bool IGEditorDelegate::SerializeEditorState(ByteChunk& chunk) const
{
  const int32_t width = mGraphics ? mGraphics->Width() : mRememberedWidth;
  const int32_t height = mGraphics ? mGraphics->Height() : mRememberedHeight;
  const float scale = mGraphics ? mGraphics->GetDrawScale() : mRememberedScale;
  const int before = chunk.Size();
  chunk.Put(&width);
  chunk.Put(&height);
  chunk.Put(&scale);
  return chunk.Size() == before + 12;
}

int IGEditorDelegate::UnserializeEditorState(const ByteChunk& chunk, int startPos)
{
  int32_t width = 0, height = 0;
  float scale = 0.f;
  int pos = chunk.Get(&width, startPos);
  pos = chunk.Get(&height, pos);
  pos = chunk.Get(&scale, pos);
  if (pos < 0)
    return -1;  // a part of a size is no size: keep what is remembered
  if (IGraphics* graphics = AvailableGraphics())
  {
    if (width != 0 && height != 0 && scale != 0.f)
      graphics->Resize(width, height, scale, true);
  }
  else
  {
    mRememberedWidth = width;
    mRememberedHeight = height;
    mRememberedScale = scale;
  }
  return pos;
}

void IGEditorDelegate::SetBackingScale(float scale)
{
  if (IGraphics* graphics = AvailableGraphics())
    graphics->SetBackingScale(scale);
}

}  // namespace iplug::igraphics
