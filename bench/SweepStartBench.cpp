// A sweep start (StartSweep): clearing the surface, the grid and the scale
// labels, at the scope's default size and at 1920 x 1080.
#include <benchmark/benchmark.h>

#include "app/ScopePanel.h"
#include "tests/support/RecordedWindow.h"

namespace {

void StartSweep(benchmark::State& state) {
  // A port to open, as at start-up on a desk: without any, the start-up's
  // port selection fails before the window is ready.
  auto ports = std::make_shared<support::FakeSerialState>();
  ports->AddPort(1);
  support::RecordedWindow stream = support::StartOnFake(ports);
  TfMain& w = stream.Window();
  if (state.range(0) > 0) w.pScope->resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  w.StartSweep();  // sizes the surface; later starts at the same size reuse it
  const int64_t centreSample = -w.DcOffset;
  for (auto _ : state) {
    // A sweep start follows traces: draw one mark, so that no start can find
    // the picture already clear and skip work a real one has to do.
    w.PlotDc(1, centreSample, 0);
    w.StartSweep();
  }
  const int32_t width = w.Surface->Width();
  const int32_t height = w.Surface->AbsHeight();
  if (width != w.pScope->width() || height != w.pScope->height()) state.SkipWithError("the surface missed the scope size");
  state.SetLabel("sweep start (StartSweep) at " + std::to_string(width) + " x " + std::to_string(height) +
                 (state.range(0) > 0 ? "" : " (default scope size)"));
}

}  // namespace

// 0 x 0: leave the scope at the size the window's layout gives it.
BENCHMARK(StartSweep)->ArgNames({"width", "height"})->Args({0, 0})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
