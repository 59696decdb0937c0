#include "bench/Figures.h"

#include <cmath>
#include <iomanip>
#include <sstream>

namespace bench {

namespace {

using Run = benchmark::BenchmarkReporter::Run;

bool Has(const Run& run, const char* counter) { return run.counters.count(counter) != 0; }
double Value(const Run& run, const char* counter) { return run.counters.at(counter).value; }

/// A whole number with thousands separators: 2666.7 -> "2,667".
std::string Grouped(double value) {
  std::string digits = std::to_string(std::llround(value));
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
  return digits;
}

/// " = 9488x nominal (2,667 samples/s)"
std::string Ratio(double value, double nominal, const char* unit) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(value / nominal < 10 ? 2 : 0) << " = " << value / nominal << "x nominal ("
       << Grouped(nominal) << ' ' << unit << ')';
  return text.str();
}

std::string ThroughputFigure(const Run& run) {
  const double samples = Value(run, kSamplesPerSecond);
  std::ostringstream text;
  text << std::fixed << std::setprecision(1) << samples / 1e6 << " M samples/s, "
       << Value(run, kBytesPerSecond) / 1e6 << " MB/s"
       << Ratio(samples, Value(run, kNominalSamplesPerSecond), "samples/s");
  return text.str();
}

std::string ReadFigure(const Run& run) {
  const double bytes = Value(run, kBytesPerSecond);
  std::ostringstream text;
  text << std::fixed << std::setprecision(1) << Value(run, kBytesPerSyscall) << " bytes per system call ("
       << Value(run, kBytesPerCall) << " bytes per read, " << bytes / 1e6 << " MB/s)"
       << Ratio(bytes, Value(run, kNominalBytesPerSecond), "bytes/s");
  return text.str();
}

std::string DurationFigure(const Run& run) {
  const double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
  std::ostringstream text;
  text << std::fixed << std::setprecision(3) << seconds * 1e3 << " ms per call, " << std::setprecision(0)
       << 1 / seconds << " per second" << Ratio(1 / seconds, kNominalFramesPerSecond, "frames/s")
       << ", even if every frame started a sweep";
  return text.str();
}

}  // namespace

std::string FigureLine(const Run& run) {
  const std::string name = run.report_label.empty() ? run.benchmark_name() : run.report_label;
  if (run.error_occurred) return name + ": failed: " + run.error_message;
  if (Has(run, kOwnHeadline)) return run.report_label;
  if (Has(run, kSamplesPerSecond)) return name + ": " + ThroughputFigure(run);
  if (Has(run, kBytesPerSyscall)) return name + ": " + ReadFigure(run);
  return name + ": " + DurationFigure(run);
}

void FigureReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    if (run.run_type == Run::RT_Iteration) m_figures.push_back(FigureLine(run));
  }
}

}  // namespace bench
