#pragma once

#include <chrono>
#include <cstdint>

// When each frame and each adapter write is due, counted from the start of a
// run. Every due time is computed from its index, never by adding periods, so
// rounding cannot pile up into drift however long a run lasts.
namespace sim {

using Nanoseconds = std::chrono::nanoseconds;

// The board's nominal frame period.
constexpr Nanoseconds kFramePeriod{3'000'000};

// Time of frame `frame` after the start: frame * 3 ms / rate, truncated to a
// nanosecond. Saturates at Nanoseconds::max() when out of range, or when rate
// is not a positive finite number.
Nanoseconds FrameDue(uint64_t frame, double rate);

// Time of adapter write `tick` after the start: tick * interval, saturating at
// Nanoseconds::max(). A zero or negative interval gives 0.
Nanoseconds TickDue(uint64_t tick, std::chrono::milliseconds interval);

// Frames due by `elapsed` after the start: how many k have FrameDue(k, rate) <= elapsed.
uint64_t FramesDueBy(Nanoseconds elapsed, double rate);

}  // namespace sim
