// The receive path: bytes of a whole read through the window's receive
// handler, frame scanning, both traces of every channel drawn, and the log
// line of every frame when the log is on.
#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <memory>

#include "bench/Figures.h"
#include "tests/support/BoardFrames.h"
#include "tests/support/RecordedWindow.h"
#include "tests/support/ScratchDirectory.h"

namespace {

/// Frames replayed in a loop: longer than a sweep, so sweep restarts are included.
constexpr int kLoopFrames = 4096;

void ReceivePath(benchmark::State& state) {
  const int channels = static_cast<int>(state.range(0));
  const bool temperatures = state.range(1) != 0;
  const bool logOn = state.range(2) != 0;
  const std::string loop = support::BoardFrames(kLoopFrames, channels, temperatures);
  auto port = std::make_shared<support::FakeSerialState>();
  port->AddPort(1);
  port->Replay(loop);
  support::RecordedWindow stream = support::StartOnFake(port);
  TfMain& w = stream.Window();
  for (int channel = 1; channel <= app::kChannelCount; ++channel) {
    w.DcEnabled[channel] = true;
    w.AcEnabled[channel] = true;
  }

  std::unique_ptr<support::ScratchDirectory> logDirectory;
  if (logOn) {
    logDirectory = std::make_unique<support::ScratchDirectory>();
    w.Timer2Timer();  // the first statistics tick enables the log box
    w.CheckBoxLog->setChecked(true);
  }
  const uint64_t bytesBefore = port->Snapshot().delivered;
  int64_t samples = 0;
  w.SampleCount = 0;
  for (auto _ : state) {
    w.serialRxData(w.serial.get());
    samples += w.SampleCount;
    w.SampleCount = 0;
  }
  const bool logStillOn = w.CheckBoxLog->isChecked();
  w.CheckBoxLog->setChecked(false);

  if (!stream.Prompts().boxes.empty() || stream.Prompts().beeps > 0) state.SkipWithError("the window reported a failure");
  if (logOn && !logStillOn) state.SkipWithError("the log stopped");
  if (samples == 0) state.SkipWithError("no sample reached the window");

  const double bytes = static_cast<double>(port->Snapshot().delivered - bytesBefore);
  const double frameBytes = static_cast<double>(loop.size()) / kLoopFrames;
  state.counters[bench::kSamplesPerSecond] = benchmark::Counter(static_cast<double>(samples), benchmark::Counter::kIsRate);
  state.counters[bench::kBytesPerSecond] = benchmark::Counter(bytes, benchmark::Counter::kIsRate);
  state.counters[bench::kNominalSamplesPerSecond] = bench::kNominalFramesPerSecond * channels;
  state.counters[bench::kNominalBytesPerSecond] = bench::kNominalFramesPerSecond * frameBytes;
  state.SetLabel("receive path, " + std::to_string(channels) + "-channel frames " +
                 (temperatures ? "with" : "without") + " temperatures, all 16 traces enabled, log " +
                 (logOn ? "on" : "off"));
}

}  // namespace

BENCHMARK(ReceivePath)
    ->ArgNames({"channels", "temperatures", "log"})
    ->Args({1, 0, 0})
    ->Args({8, 1, 0})
    ->Args({1, 0, 1})
    ->Args({8, 1, 1});
