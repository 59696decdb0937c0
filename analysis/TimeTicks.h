#pragma once

#include <cstdint>
#include <vector>

namespace analysis {

/// The ticks of a time axis.
struct TimeTicks {
  /// Seconds between ticks: 1, 2 or 5 times a power of ten below a second;
  /// 1, 2, 5, 10, 15 or 30 seconds or minutes, or 1, 2, 3, 6 or 12 hours
  /// above; whole days beyond.
  double step = 1;
  /// Fraction digits that tell the ticks apart (0..6).
  int decimals = 0;
  /// Tick times in seconds from the log's start, ascending.
  std::vector<double> times;
};

/// Ticks over [start, start + span] (seconds from the log's start, span > 0),
/// at most about `maxTicks` (>= 1) of them, on round wall-clock times: the
/// log starts at local second `startSecond`, so with a step of a minute
/// every tick falls on a whole minute of the clock. Nothing for a span that
/// is not positive.
TimeTicks ComputeTimeTicks(double start, double span, double maxTicks, int64_t startSecond);

}  // namespace analysis
