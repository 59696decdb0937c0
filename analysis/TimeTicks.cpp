#include "analysis/TimeTicks.h"

#include <algorithm>
#include <cmath>

#include "display/Truncation.h"

namespace analysis {

namespace {

/// Steps of a second and more that read well on a clock.
constexpr double kClockSteps[] = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                                  600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};

/// Most ticks drawn, whatever is asked.
constexpr int kMaxTicks = 200;

double StepFor(double raw) {
  if (raw < 1) {
    // Ten to a negative power as one over a whole power of ten: the quotient
    // is the nearest double to 0.01 and the like on every C library.
    const double magnitude = 1 / std::pow(10.0, -std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0}) {
      if (factor * magnitude >= raw) return factor * magnitude;
    }
    return 1;
  }
  for (const double step : kClockSteps) {
    if (step >= raw) return step;
  }
  return std::ceil(raw / 86400) * 86400;
}

}  // namespace

TimeTicks ComputeTimeTicks(double start, double span, double maxTicks, int64_t startSecond) {
  TimeTicks ticks;
  if (!(span > 0) || !std::isfinite(span) || !std::isfinite(start)) return ticks;
  ticks.step = StepFor(span / std::max(1.0, maxTicks));
  ticks.decimals = std::clamp(disp::TruncToInt32(std::ceil(-std::log10(ticks.step) - 1e-9)), 0, 6);
  // Whole-second steps are counted on the clock; finer ones from the start
  // of a second, which the log's start is.
  const double phase = ticks.step >= 1 ? std::fmod(static_cast<double>(startSecond), ticks.step) : 0;
  const double first = std::ceil((start + phase) / ticks.step);
  for (int i = 0; i < kMaxTicks; ++i) {
    const double t = (first + i) * ticks.step - phase;
    if (t > start + span) break;
    ticks.times.push_back(t);
  }
  return ticks;
}

}  // namespace analysis
