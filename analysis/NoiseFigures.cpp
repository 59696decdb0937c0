#include "analysis/NoiseFigures.h"

#include <algorithm>
#include <cmath>

#include "analysis/CompensatedSum.h"
#include "analysis/SpanStatistics.h"

namespace analysis {

namespace {

bool InAny(const std::vector<TimeSpan>& spans, double time) {
  return std::any_of(spans.begin(), spans.end(), [time](const TimeSpan& s) { return s.Contains(time); });
}

std::optional<double> RatioDb(double signal, double noise, size_t signalCount, size_t noiseCount) {
  if (signalCount == 0 || noiseCount == 0 || !(noise > 0)) return std::nullopt;
  return 20 * std::log10(signal / noise);
}

}  // namespace

PooledNoise PoolSpans(const SampleSeries<double>& series, const std::vector<TimeSpan>& spans) {
  PooledNoise p;
  CompensatedSum sum;
  double lowest = 0;
  double highest = 0;
  for (size_t i = 0; i < series.size; ++i) {
    if (!InAny(spans, series.times[i])) continue;
    const double v = series.values[i];
    lowest = p.count == 0 ? v : std::min(lowest, v);
    highest = p.count == 0 ? v : std::max(highest, v);
    sum.Add(v);
    ++p.count;
  }
  if (p.count == 0) return p;
  p.mean = sum.Value() / static_cast<double>(p.count);
  p.peakToPeak = highest - lowest;
  CompensatedSum squares;
  for (size_t i = 0; i < series.size; ++i) {
    if (!InAny(spans, series.times[i])) continue;
    const double d = series.values[i] - p.mean;
    squares.Add(d * d);
  }
  p.rms = std::sqrt(squares.Value() / static_cast<double>(p.count));
  return p;
}

SignalToNoise ComputeSignalToNoise(const SampleSeries<double>& series, const std::vector<TimeSpan>& quiet,
                                   const std::vector<TimeSpan>& walks) {
  SignalToNoise s;
  s.quiet = PoolSpans(series, quiet);
  s.walk = PoolSpans(series, walks);
  s.peakToPeakDb = RatioDb(s.walk.peakToPeak, s.quiet.peakToPeak, s.walk.count, s.quiet.count);
  s.rmsDb = RatioDb(s.walk.rms, s.quiet.rms, s.walk.count, s.quiet.count);
  return s;
}

std::vector<size_t> SegmentStarts(const double* times, size_t size, double maxStepSeconds) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < size; ++i) {
    if (i == 0 || times[i] - times[i - 1] > maxStepSeconds) starts.push_back(i);
  }
  return starts;
}

std::vector<Settling> ComputeSettling(const SampleSeries<double>& series, double quietMean, double quietSigma,
                                      const SettlingRule& rule, const std::vector<TimeSpan>& walks) {
  const std::vector<size_t> starts = SegmentStarts(series.times, series.size, rule.gapSeconds);
  const double limit = rule.k * quietSigma;
  const auto outside = [&](size_t i) {
    return std::fabs(series.values[i] - quietMean) > limit && !InAny(walks, series.times[i]);
  };
  std::vector<Settling> result;
  for (size_t s = 0; s < starts.size(); ++s) {
    const size_t first = starts[s];
    const size_t end = s + 1 < starts.size() ? starts[s + 1] : series.size;
    Settling settling{series.times[first], 0.0};
    std::optional<size_t> runStart;
    for (size_t i = first; i < end; ++i) {
      if (outside(i)) {
        if (!runStart) runStart = i;
        const bool lastFrame = i + 1 == end;
        const bool lasting = series.times[i] - series.times[*runStart] >= rule.minExcursionSeconds;
        if (lastFrame && lasting) settling.seconds = std::nullopt;
        continue;
      }
      // The run ended at the frame before this one.
      if (runStart && series.times[i - 1] - series.times[*runStart] >= rule.minExcursionSeconds) {
        settling.seconds = series.times[i] - series.times[first];
      }
      runStart.reset();
    }
    result.push_back(settling);
  }
  return result;
}

std::optional<double> DriftPerDegree(const double* dc, const double* temperatures, size_t size) {
  return LeastSquaresSlope(temperatures, dc, size);
}

}  // namespace analysis
