#include "framework/IPlugEditorDelegate.h"

#include <algorithm>

namespace iplug {

IEditorDelegate::IEditorDelegate(int nParams)
{
  for (int i = 0; i < nParams; ++i)
  {
    auto* param = new IParam;
    if (!mParams.Add(param))
      delete param;
  }
}

IEditorDelegate::~IEditorDelegate()
{
  mParams.Empty(true);
}

void IEditorDelegate::SetEditorSize(int width, int height)
{
  mEditorWidth = width;
  mEditorHeight = height;
}

void IEditorDelegate::SetSizeConstraints(int widthLo, int widthHi, int heightLo, int heightHi)
{
  mMinWidth = std::min(widthLo, widthHi);
  mMaxWidth = std::max(widthLo, widthHi);
  mMinHeight = std::min(heightLo, heightHi);
  mMaxHeight = std::max(heightLo, heightHi);
}

void* IEditorDelegate::OpenWindow(void*)
{
  EditorOpened();
  return nullptr;
}

void IEditorDelegate::CloseWindow()
{
  EditorClosed();
}

void IEditorDelegate::DeliverAllValuesToEditor()
{
  for (int i = 0; i < NParams(); ++i)
    DeliverValueToEditor(i, GetParam(i)->GetNormalised(), true);
}

void IEditorDelegate::EditorOpened()
{
  DeliverAllValuesToEditor();
}

void IEditorDelegate::StateRestored()
{
  DeliverAllValuesToEditor();
}

void IEditorDelegate::ParameterChanged(int paramIdx, ParamChangeSource, int)
{
  ParameterChanged(paramIdx);
}

void IEditorDelegate::ParametersReset(ParamChangeSource source)
{
  for (int i = 0; i < NParams(); ++i)
  {
    ParameterChanged(i, source, -1);
    ParameterChangedUI(i, source);
  }
}

void IEditorDelegate::DeliverControlMessage(int ctrlTag, int msgTag, int dataSize, const void* data)
{
  MessageReceived(msgTag, ctrlTag, dataSize, data);
}

void IEditorDelegate::SendArbitraryMsgFromDelegate(int msgTag, int dataSize, const void* data)
{
  MessageReceived(msgTag, -1, dataSize, data);
}

void IEditorDelegate::DeliverValueToEditor(int paramIdx, double, bool)
{
  ParameterChangedUI(paramIdx, kDelegate);
}

void IEditorDelegate::SetValueFromEditor(int paramIdx, double normalised, bool)
{
  if (IParam* param = GetParam(paramIdx))
    param->SetNormalised(normalised);
  ParameterChangedUI(paramIdx, kEditor);
}

}  // namespace iplug
