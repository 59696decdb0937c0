// The receive path: bytes of a whole read through the window's receive
// handler, frame scanning, both traces of every channel drawn, and the log
// line of every frame when the log is on.
#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "bench/Figures.h"
#include "bench/StreamWindow.h"

namespace {

namespace fs = std::filesystem;

/// Frames replayed in a loop: longer than a sweep, so sweep restarts are included.
constexpr int kLoopFrames = 4096;

/// A fresh directory in the system's temporary directory, made the current
/// one for its lifetime (the log is written to the current directory).
class LogDirectory {
 public:
  LogDirectory() : m_previous(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "dezidure-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      throw fs::filesystem_error("mkdtemp", std::error_code(errno, std::generic_category()));
    }
    m_path = pattern;
    fs::current_path(m_path);
  }
  ~LogDirectory() {
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
    fs::remove_all(m_path, ignored);
  }
  LogDirectory(const LogDirectory&) = delete;
  LogDirectory& operator=(const LogDirectory&) = delete;

 private:
  fs::path m_previous;
  fs::path m_path;
};

void ReceivePath(benchmark::State& state) {
  const int channels = static_cast<int>(state.range(0));
  const bool temperatures = state.range(1) != 0;
  const bool logOn = state.range(2) != 0;
  const std::string loop = bench::BoardStream(channels, temperatures, kLoopFrames);
  bench::StreamWindow stream(loop);
  stream.EnableAllTraces();
  TfMain& w = stream.Window();

  std::unique_ptr<LogDirectory> logDirectory;
  if (logOn) {
    logDirectory = std::make_unique<LogDirectory>();
    w.Timer2Timer();  // the first statistics tick enables the log box
    w.CheckBoxLog->setChecked(true);
  }
  const uint64_t bytesBefore = stream.Port().Delivered();
  int64_t samples = 0;
  w.SampleCount = 0;
  for (auto _ : state) {
    w.serialRxData(w.serial.get());
    samples += w.SampleCount;
    w.SampleCount = 0;
  }
  const bool logStillOn = w.CheckBoxLog->isChecked();
  w.CheckBoxLog->setChecked(false);

  if (stream.Prompts().Boxes() + stream.Prompts().Beeps() > 0) state.SkipWithError("the window reported a failure");
  if (logOn && !logStillOn) state.SkipWithError("the log stopped");
  if (samples == 0) state.SkipWithError("no sample reached the window");

  const double bytes = static_cast<double>(stream.Port().Delivered() - bytesBefore);
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
