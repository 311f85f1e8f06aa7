// The CSV export of a one-hour history (36000 rows, every column on), written on the main thread.

#include "meter-plugin/Vantorelix.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

void ExportOneHourCsv(benchmark::State& state)
{
  Vantorelix plug;
  MeterSettings& settings = plug.Settings();
  settings.csvExport.fill(1);
  settings.gateMode = 3;  // the widest table
  for (int n = 0; n < 36000; ++n)
  {
    LoudnessHistoryPoint p{};
    p.ilShown = -23.0 + n * 1e-4;
    p.slLevel = -20.0 - n * 1e-4;
    p.truePeakMax = -1.0;
    p.timerHours = n / 36000;
    p.timerMinutes = n / 600 % 60;
    p.timerSeconds = n / 10 % 60;
    p.timerTenths = n % 10;
    plug.History().AppendCopy(p);
  }
  const std::string path = (std::filesystem::temp_directory_path() / "bench-one-hour.csv").string();
  const WDL_String target(path.c_str());
  for (auto _ : state)
    plug.ExportCsv(target);
  state.SetItemsProcessed(state.iterations() * 36000);
  std::filesystem::remove(path);
}
BENCHMARK(ExportOneHourCsv)->Unit(benchmark::kMillisecond);

}  // namespace
