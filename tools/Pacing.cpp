#include "tools/Pacing.h"

#include <cmath>

namespace sim {

namespace {

constexpr auto kMaxCount = Nanoseconds::max().count();

Nanoseconds SaturatingNanoseconds(long double value) {
  if (std::isnan(value) || value <= 0) {
    return Nanoseconds(0);
  }
  if (value >= static_cast<long double>(kMaxCount)) {
    return Nanoseconds::max();
  }
  return Nanoseconds(static_cast<Nanoseconds::rep>(value));
}

}  // namespace

Nanoseconds FrameDue(uint64_t frame, double rate) {
  if (!(rate > 0) || !std::isfinite(rate)) {
    return frame == 0 ? Nanoseconds(0) : Nanoseconds::max();
  }
  // long double holds any 64-bit frame index exactly.
  const long double due = static_cast<long double>(frame) * kFramePeriod.count() / rate;
  return SaturatingNanoseconds(due);
}

Nanoseconds TickDue(uint64_t tick, std::chrono::milliseconds interval) {
  if (interval.count() <= 0) {
    return Nanoseconds(0);
  }
  const long double due = static_cast<long double>(tick) * interval.count() * 1'000'000;
  return SaturatingNanoseconds(due);
}

uint64_t FramesDueBy(Nanoseconds elapsed, double rate) {
  if (elapsed.count() < 0) {
    return 0;
  }
  if (!(rate > 0) || !std::isfinite(rate)) {
    return 1;
  }
  // Every saturated due time equals max(), so all frames would count.
  if (elapsed == Nanoseconds::max()) {
    return UINT64_MAX;
  }
  const long double estimate = static_cast<long double>(elapsed.count()) * rate / kFramePeriod.count();
  constexpr auto kMaxFrames = static_cast<long double>(UINT64_MAX);
  uint64_t count = estimate >= kMaxFrames ? UINT64_MAX : static_cast<uint64_t>(estimate) + 1;
  // The estimate can be one off either way through rounding; settle it on FrameDue itself.
  while (count > 0 && FrameDue(count - 1, rate) > elapsed) {
    --count;
  }
  while (count < UINT64_MAX && FrameDue(count, rate) <= elapsed) {
    ++count;
  }
  return count;
}

}  // namespace sim
