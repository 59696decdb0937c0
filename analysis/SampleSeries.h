#pragma once

#include <cstddef>
#include <optional>

namespace analysis {

/// One channel's samples over a run of frames, each with its frame's time in
/// seconds (ascending). A view: it does not own the arrays, which must hold
/// size elements each and outlive it. Value is int or double.
template <class Value>
struct SampleSeries {
  const Value* values = nullptr;
  const double* times = nullptr;
  size_t size = 0;
};

/// A closed time interval [from, to] in seconds.
struct TimeSpan {
  double from = 0;
  double to = 0;

  /// True when time lies within the span, both ends included.
  bool Contains(double time) const { return time >= from && time <= to; }
};

/// The part of series whose times lie within span (times ascending); empty
/// when none do.
template <class Value>
SampleSeries<Value> Slice(const SampleSeries<Value>& series, const TimeSpan& span);

/// The board's frame rate in frames per second as the log shows it: the
/// frames between the first and the last whole-second boundary of the frame
/// times, divided by the seconds between those boundaries. A boundary is a
/// frame whose time lies in a later whole second than its predecessor's.
/// Returns nothing when the times cross fewer than two boundaries.
std::optional<double> MeasureFrameRate(const double* times, size_t size);

}  // namespace analysis
