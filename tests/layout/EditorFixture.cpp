#include "tests/layout/EditorFixture.h"

#include "controls/ITextControls.h"

namespace layout_test {

const char* MeterEditor::TextOf(int index) const
{
  const auto* text = As<ITextControl>(index);
  return text ? text->GetStr() : "(no text control)";
}

IControl* MeterEditor::StartingAt(float x, float y) const
{
  for (int i = 0; i < ui->NControls(); ++i)
  {
    IControl* control = ui->GetControl(i);
    if (control->GetRECT().L == x && control->GetRECT().T == y)
      return control;
  }
  return nullptr;
}

}  // namespace layout_test
