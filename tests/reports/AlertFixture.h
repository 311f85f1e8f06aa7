#pragma once
// A product instance with an open editor whose alerts are recorded instead of shown.

#include "meter-plugin/Vantorelix.h"
#include "tests/framework/TestPlugin.h"

#include <string>
#include <vector>

namespace reports_test {

struct Alert
{
  std::string text, caption;
  int type;
};

class AlertRecordingGraphics : public testing_support::StubGraphics
{
public:
  AlertRecordingGraphics(iplug::igraphics::IGEditorDelegate& dlg, std::vector<Alert>& alerts)
  : StubGraphics(dlg, 832, 446, 60), mAlerts(alerts)
  {
  }
  int ShowAlert(const char* text, const char* caption, int type, AlertCompletionFunc) override
  {
    mAlerts.push_back({text, caption, type});
    return 0;
  }

private:
  std::vector<Alert>& mAlerts;
};

// The host identification is the adapter's; tests choose the host directly.
class PlugWithEditor : public Vantorelix
{
public:
  using Vantorelix::SetHost;

  void OpenEditor()
  {
    mMakeGraphicsFunc = [this] { return new AlertRecordingGraphics(*this, alerts); };
    OpenWindow(nullptr);
  }

  std::vector<Alert> alerts;
};

}  // namespace reports_test
