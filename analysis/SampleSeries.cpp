#include "analysis/SampleSeries.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace analysis {

template <class Value>
SampleSeries<Value> Slice(const SampleSeries<Value>& series, const TimeSpan& span) {
  const double* end = series.times + series.size;
  const double* first = std::lower_bound(series.times, end, span.from);
  const double* last = std::upper_bound(first, end, span.to);
  const auto offset = static_cast<size_t>(first - series.times);
  return {series.values + offset, first, static_cast<size_t>(last - first)};
}

template SampleSeries<int32_t> Slice(const SampleSeries<int32_t>&, const TimeSpan&);
template SampleSeries<double> Slice(const SampleSeries<double>&, const TimeSpan&);

std::optional<double> MeasureFrameRate(const double* times, size_t size) {
  std::optional<size_t> first;
  size_t last = 0;
  for (size_t i = 1; i < size; ++i) {
    if (std::floor(times[i]) > std::floor(times[i - 1])) {
      if (!first) first = i;
      last = i;
    }
  }
  if (!first || last == *first) return std::nullopt;
  const double seconds = std::floor(times[last]) - std::floor(times[*first]);
  return static_cast<double>(last - *first) / seconds;
}

}  // namespace analysis
