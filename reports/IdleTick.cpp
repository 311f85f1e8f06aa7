// The main thread's share of the work that the audio thread and the parameter handler only
// request, every 20 ms, editor or not. Each request is a byte flag, cleared before its work runs:
// a request raised during that work is served by it or by the next tick, never lost.

#include "meter-plugin/Vantorelix.h"

void Vantorelix::IdleTick()
{
  if (mRequests.graphScrollRestore.exchange(0))
    RestoreGraphScroll();
  // Pro Tools hears of a latency change when the audio side has seen it.
  const bool audioAsked = mRequests.latencyReport.exchange(0) != 0;
  if ((GetHost() != iplug::kHostProTools || audioAsked) && mPDCLatency != GetLatency())
    NotifyLatency(*this, mPDCLatency);
  // The request waits, raised, while "WriteAutomationData" is off.
  if (mSettings.writeAutomationData == 1 && mRequests.outputParamWrite.exchange(0))
    WriteOutputParams();
  if (mRequests.autoExport.exchange(0))
    AutoExportFiles();
  if (mRequests.scaleConfiguration.exchange(0))
    ConfigureMeterScales();
  // The editor's requests (resize, read-outs, meters, graph reset, info text, update check) are
  // served here once an editor is open and laid out; until then they stay raised.
}
