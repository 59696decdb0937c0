// Dez Idure Review on a long log: reading speed on one core with the memory
// the session keeps, the time to the first overview of a log being loaded,
// and the redraw time of a 1920 x 1080 view at random zooms and pans.
// Speeds and redraw times are in CPU time, which a busy machine does not
// inflate; the first overview is in wall-clock time, as a user waits it. The
// log is made up once per run: DEZIDURE_BENCH_REVIEW_MINUTES long (default
// 10; the longest log the live window writes is 660), 8 channels with
// temperatures at the board's rate.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "analysis/LogLoader.h"
#include "bench/Figures.h"
#include "review/LogFollower.h"
#include "review/TracePlot.h"
#include "tests/support/LogText.h"
#include "tests/support/ProcessUsage.h"

namespace {

using Clock = std::chrono::steady_clock;

/// The made-up log, written on first use and removed at exit.
class BenchLog {
 public:
  BenchLog() {
    const char* minutes = std::getenv("DEZIDURE_BENCH_REVIEW_MINUTES");
    m_minutes = minutes != nullptr ? std::max(1, std::atoi(minutes)) : 10;
    m_folder = std::filesystem::temp_directory_path() / ("dezidure-review-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(m_folder);
    m_path = (m_folder / "2026-12-07_08-00-00.csv").string();
    std::ofstream out(m_path, std::ios::binary);
    support::SyntheticLog shape;
    shape.firstSecondOfDay = 8 * 3600;
    shape.seconds = m_minutes * 60;
    support::WriteSyntheticLog(out, shape);
  }
  ~BenchLog() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }

  const std::string& Path() const { return m_path; }
  int Minutes() const { return m_minutes; }
  double Megabytes() const { return static_cast<double>(std::filesystem::file_size(m_path)) / 1e6; }

 private:
  int m_minutes = 10;
  std::filesystem::path m_folder;
  std::string m_path;
};

const BenchLog& Log() {
  static const BenchLog log;
  return log;
}

/// Marks a run whose label is its whole headline.
void Headline(benchmark::State& state, const std::string& text) {
  state.SetLabel(text);
  state.counters[bench::kOwnHeadline] = 1;
}

void ReviewReading(benchmark::State& state) {
  const BenchLog& log = Log();
  double seconds = 0;
  double wallSeconds = 0;
  uint64_t storeBytes = 0;
  uint64_t rawBytes = 0;
  long long residentGrowth = 0;
  for (auto _ : state) {
    const long long residentBefore = support::ResidentBytes();
    const auto start = Clock::now();
    const double cpuStart = support::ProcessCpuSeconds();
    analysis::LogSession session(analysis::ParseLogFileName(log.Path()));
    uint64_t skipped = 0;
    std::string error;
    if (!analysis::ReadWholeLog(log.Path(), session, skipped, error) || skipped != 0) {
      state.SkipWithError(("the log did not read cleanly: " + error).c_str());
      return;
    }
    seconds += support::ProcessCpuSeconds() - cpuStart;
    wallSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    storeBytes = session.Bytes();
    rawBytes = session.Frames() * static_cast<uint64_t>(session.Channels()) * 2;
    residentGrowth = support::ResidentBytes() - residentBefore;
  }
  std::ostringstream text;
  text.precision(3);
  text << "review, reading a " << log.Minutes() << "-minute log (" << log.Megabytes()
       << " MB, 8 channels with temperatures): " << log.Megabytes() * static_cast<double>(state.iterations()) / seconds
       << " MB/s on one core (target >= 250; "
       << log.Megabytes() * static_cast<double>(state.iterations()) / wallSeconds
       << " MB/s in wall-clock time); session " << static_cast<double>(storeBytes) / 1e6
       << " MB = " << static_cast<double>(storeBytes) / static_cast<double>(rawBytes)
       << "x the raw 16-bit samples (target < 2x + 100 MB), resident growth "
       << static_cast<double>(residentGrowth) / 1e6 << " MB";
  Headline(state, text.str());
}
BENCHMARK(ReviewReading)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

/// Draws the whole of what `follower` has read so far at 1920 x 1080.
void DrawWhole(const review::LogFollower& follower, QImage& image) {
  const auto lock = follower.Lock();
  review::PlotView view;
  view.span = std::max(1.0, follower.Session().Times().Duration());
  QPainter painter(&image);
  review::DrawPlot(painter, QRectF(image.rect()), follower.Session(), view);
}

void ReviewFirstOverview(benchmark::State& state) {
  const BenchLog& log = Log();
  QImage image(1920, 1080, QImage::Format_RGB32);
  double worst = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    review::LogFollower follower(log.Path());
    while (follower.Progress().frames == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    DrawWhole(follower, image);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    worst = std::max(worst, seconds);
    state.SetIterationTime(seconds);
  }
  std::ostringstream text;
  text.precision(3);
  text << "review, first overview of the " << log.Minutes() << "-minute log while it loads: at most " << worst * 1e3
       << " ms from opening to the drawn view (target <= 500 ms)";
  Headline(state, text.str());
}
BENCHMARK(ReviewFirstOverview)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

void ReviewRedraw(benchmark::State& state) {
  const BenchLog& log = Log();
  review::LogFollower follower(log.Path());
  while (!follower.Progress().caughtUp) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const auto lock = follower.Lock();
  const double duration = follower.Session().Times().Duration();
  QImage image(1920, 1080, QImage::Format_RGB32);
  std::mt19937_64 random(1);
  double worst = 0;
  double total = 0;
  for (auto _ : state) {
    // Any span from a few frames to the whole log, anywhere in it.
    review::PlotView view;
    view.span = duration * std::pow(10.0, -6.0 * static_cast<double>(random() % 1000) / 1000);
    view.start = static_cast<double>(random() % 1000) / 1000 * (duration - view.span);
    const double start = support::ProcessCpuSeconds();
    QPainter painter(&image);
    review::DrawPlot(painter, QRectF(image.rect()), follower.Session(), view);
    painter.end();
    const double seconds = support::ProcessCpuSeconds() - start;
    worst = std::max(worst, seconds);
    total += seconds;
    state.SetIterationTime(seconds);
  }
  std::ostringstream text;
  text.precision(3);
  text << "review, redraw at 1920 x 1080 at random zooms and pans of the " << log.Minutes()
       << "-minute log: CPU time mean " << total / static_cast<double>(state.iterations()) * 1e3 << " ms, worst "
       << worst * 1e3 << " ms over " << state.iterations() << " views (target <= 50 ms)";
  Headline(state, text.str());
}
BENCHMARK(ReviewRedraw)->Unit(benchmark::kMillisecond)->Iterations(50)->UseManualTime();

}  // namespace
