#include "analysis/SpanStatistics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "analysis/CompensatedSum.h"

namespace analysis {

namespace {

double Mean(const double* values, size_t size) {
  CompensatedSum sum;
  for (size_t i = 0; i < size; ++i) sum.Add(values[i]);
  return sum.Value() / static_cast<double>(size);
}

}  // namespace

template <class Value>
SpanStatistics ComputeStatistics(const SampleSeries<Value>& series) {
  SpanStatistics s;
  const size_t n = series.size;
  if (n == 0) return s;
  s.count = n;
  // Two passes over the samples: the sums, then deviations about the means,
  // which do not cancel catastrophically on a large DC level as sums of
  // squares would.
  CompensatedSum sum;
  CompensatedSum timeSum;
  s.min = static_cast<double>(series.values[0]);
  s.max = s.min;
  for (size_t i = 0; i < n; ++i) {
    const double v = static_cast<double>(series.values[i]);
    s.min = std::min(s.min, v);
    s.max = std::max(s.max, v);
    sum.Add(v);
    timeSum.Add(series.times[i]);
  }
  s.peakToPeak = s.max - s.min;
  s.mean = sum.Value() / static_cast<double>(n);
  const double meanTime = timeSum.Value() / static_cast<double>(n);
  CompensatedSum squares;
  CompensatedSum timeSquares;
  CompensatedSum products;
  for (size_t i = 0; i < n; ++i) {
    const double d = static_cast<double>(series.values[i]) - s.mean;
    const double dt = series.times[i] - meanTime;
    squares.Add(d * d);
    timeSquares.Add(dt * dt);
    products.Add(dt * d);
  }
  s.rms = std::sqrt(squares.Value() / static_cast<double>(n));
  s.sampleStdDev = n > 1 ? std::sqrt(squares.Value() / static_cast<double>(n - 1)) : 0.0;
  if (timeSquares.Value() > 0) s.slope = products.Value() / timeSquares.Value();
  s.durationSeconds = series.times[n - 1] - series.times[0];
  return s;
}

template SpanStatistics ComputeStatistics(const SampleSeries<int32_t>&);
template SpanStatistics ComputeStatistics(const SampleSeries<double>&);

std::optional<double> LeastSquaresSlope(const double* x, const double* y, size_t size) {
  if (size < 2) return std::nullopt;
  const double meanX = Mean(x, size);
  const double meanY = Mean(y, size);
  CompensatedSum sxx;
  CompensatedSum sxy;
  for (size_t i = 0; i < size; ++i) {
    const double dx = x[i] - meanX;
    sxx.Add(dx * dx);
    sxy.Add(dx * (y[i] - meanY));
  }
  if (!(sxx.Value() > 0)) return std::nullopt;
  return sxy.Value() / sxx.Value();
}

std::string FormatNumber(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string StatisticsCsv(const std::vector<StatisticsRow>& rows) {
  std::string csv = "channel,trace,n,mean,min,max,peak_to_peak,rms,sample_std_dev,slope_per_s,duration_s\n";
  for (const StatisticsRow& row : rows) {
    const SpanStatistics& f = row.figures;
    csv += std::to_string(row.channel) + ',' + row.trace + ',' + std::to_string(f.count);
    for (double v : {f.mean, f.min, f.max, f.peakToPeak, f.rms, f.sampleStdDev}) csv += ',' + FormatNumber(v);
    csv += ',' + (f.slope ? FormatNumber(*f.slope) : std::string());
    csv += ',' + FormatNumber(f.durationSeconds) + '\n';
  }
  return csv;
}

}  // namespace analysis
