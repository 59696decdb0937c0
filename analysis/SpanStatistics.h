#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "analysis/SampleSeries.h"

namespace analysis {

/// Figures of one channel's samples over a span, computed over every sample
/// with compensated sums. Values are in counts, times in seconds.
struct SpanStatistics {
  size_t count = 0;
  double mean = 0;
  double min = 0;
  double max = 0;
  double peakToPeak = 0;        ///< max - min
  double rms = 0;               ///< about the mean, population (divides by N)
  double sampleStdDev = 0;      ///< divides by N - 1; 0 for a single sample
  std::optional<double> slope;  ///< least squares against time, counts/s; none when all times are equal
  double durationSeconds = 0;   ///< last time - first time
};

/// The figures of a series; all zero (count 0) for an empty one.
template <class Value>
SpanStatistics ComputeStatistics(const SampleSeries<Value>& series);

/// Least-squares slope of y against x (dy per unit of x) over size pairs,
/// computed about the means with compensated sums. Returns nothing when x
/// does not vary (fewer than two distinct values).
std::optional<double> LeastSquaresSlope(const double* x, const double* y, size_t size);

/// One line of a statistics table: which channel (1..8) and trace ("DC",
/// "AC") the figures are of.
struct StatisticsRow {
  int channel = 1;
  std::string trace;
  SpanStatistics figures;
};

/// The table as comma-separated text with a header line, one line per row,
/// numbers in the shortest form that reads back exactly; a missing slope is
/// an empty field. Lines end in "\n".
std::string StatisticsCsv(const std::vector<StatisticsRow>& rows);

/// The shortest decimal text of a double that reads back as the same value
/// ("nan", "inf", "-inf" for those).
std::string FormatNumber(double value);

}  // namespace analysis
