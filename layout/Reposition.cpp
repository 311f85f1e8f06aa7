// The editor is laid out for 832 x 446 and follows the stored size: anchored controls move or
// stretch by the size change, the meter panel grows in height only and the graph in both
// directions. Whole views are shown and hidden through their control groups.

#include "graphics/IGraphics.h"
#include "layout/LayoutParts.h"
#include "meter-plugin/Vantorelix.h"

using namespace iplug::igraphics;

namespace {

void Place(IControl* control, const IRECT& r)
{
  if (control)
    control->SetTargetAndDrawRECTs(r);
}

}  // namespace

void Vantorelix::RepositionControls()
{
  IGraphics* ui = GetUI();
  if (!ui)
    return;
  const float w = static_cast<float>(FullWidth());
  const float h = static_cast<float>(mSettings.guiHeight);
  const float dW = w - kBaseWidth;
  const float dH = h - kBaseHeight;

  for (const ControlAnchor& a : mLayoutRecords.anchors)
  {
    IControl* control = ui->GetControl(a.controlIndex);
    if (!control)
      continue;
    if (a.resizable)
      Place(control, IRECT(a.left + (a.anchorLeft ? dW : 0.f), a.top + (a.anchorTop ? dH : 0.f),
                           a.right + (a.anchorRight ? dW : 0.f), a.bottom + (a.anchorBottom ? dH : 0.f)));
    else
      control->SetPosition(a.x + (a.moveX ? dW : 0.f), a.y + (a.moveY ? dH : 0.f));
  }

  // The meter panel keeps its x ranges; its bottoms follow the height.
  const auto& meters = mControlPositions.meterPanel;
  auto meter = [&](int i) { return ui->GetControl(meters[static_cast<size_t>(i)]); };
  Place(meter(kMeterBackground), IRECT(324, 54, 800, h - 22));
  Place(meter(kLoudnessScale), IRECT(338, 56, 500, h - 24));
  Place(meter(kSlBar), IRECT(376, 64, 408, h - 28));
  Place(meter(kMlBar), IRECT(416, 64, 448, h - 28));
  Place(meter(kDynaMeter), IRECT(456, 64, 488, h - 28));
  Place(meter(kPeakScale), IRECT(506, 56, 784, h - 24));
  for (int i = 0; i < kMeterChannels; ++i)
  {
    const float left = 544.f + 24.f * static_cast<float>(i);
    Place(meter(kFirstChannelBar + i), IRECT(left, 64, left + 20.f, h - 28));
  }

  Place(ui->GetControl(mControlPositions.graphBackground), IRECT(324, 80, w - 40, h - 22));
  Place(ui->GetControl(mControlPositions.graph), IRECT(332, 84, w - 40, h - 28));
}

void Vantorelix::ClearControlGroups()
{
  mLayoutRecords.meterGroup.clear();
  mLayoutRecords.graphGroup.clear();
  for (std::vector<int>& page : mLayoutRecords.setupPages)
    page.clear();
}

void Vantorelix::ShowControlGroup(ControlGroup group, bool hide)
{
  IGraphics* ui = GetUI();
  if (!ui)
    return;
  auto hideAll = [&](const std::vector<int>& indices) {
    for (int index : indices)
      if (IControl* control = ui->GetControl(index))
        control->Hide(hide);
  };
  switch (group)
  {
    case ControlGroup::kMeterPanel: hideAll(mLayoutRecords.meterGroup); break;
    case ControlGroup::kGraphPanel: hideAll(mLayoutRecords.graphGroup); break;
    case ControlGroup::kSetupBackground: hideAll({mLayoutRecords.setupBackground}); break;
    default:
      hideAll(mLayoutRecords.setupPages[static_cast<size_t>(group) - static_cast<size_t>(ControlGroup::kSetupMain1)]);
      break;
  }
}
