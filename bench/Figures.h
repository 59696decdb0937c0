#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace bench {

/// The board's nominal pace: one frame every 3 ms.
constexpr double kNominalFramesPerSecond = 1000.0 / 3.0;

/// Names of the counters through which a benchmark states its figure; the
/// figure line is chosen by which of them a run carries.
constexpr const char* kSamplesPerSecond = "samples/s";
constexpr const char* kBytesPerSecond = "bytes/s";
constexpr const char* kNominalSamplesPerSecond = "nominal samples/s";
constexpr const char* kNominalBytesPerSecond = "nominal bytes/s";
constexpr const char* kBytesPerCall = "bytes/call";
constexpr const char* kBytesPerSyscall = "bytes/syscall";
/// Carried by a run whose label is its whole headline.
constexpr const char* kOwnHeadline = "own headline";

/// A console reporter (writing to the given error stream) that also keeps one
/// headline per run: the figure and its ratio to the board's nominal rate.
class FigureReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  const std::vector<std::string>& Figures() const { return m_figures; }

 private:
  std::vector<std::string> m_figures;
};

/// One headline for a finished run, e.g.
/// "receive path, 8 channels with temperatures, log off: 25.3 M samples/s,
/// 85.4 MB/s = 9488x nominal (2,667 samples/s)".
std::string FigureLine(const benchmark::BenchmarkReporter::Run& run);

}  // namespace bench
