#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/LogTime.h"

namespace analysis {

/// Places a log's frames in time. Each line stamps its local time of day to
/// the second; the frames of one second are spread evenly from that second's
/// start towards the next, so a second with n frames places them at
/// s, s + 1/n, ..., s + (n-1)/n. The day comes from the log's file name and
/// advances when the time of day falls by more than half a day (midnight).
/// A second without frames stays empty: a pause in the log is a gap in time.
/// A clock set back by less than half a day continues from the last second,
/// so times never run backwards.
class TimeLine {
 public:
  /// `start`: the file name's date and time; without it the first line's
  /// time of day is taken on day 0 (1970-01-01).
  explicit TimeLine(std::optional<LogStart> start = std::nullopt) : m_start(start) {}

  /// Places the next frame, stamped with `secondOfDay` (0..86399).
  void Append(int32_t secondOfDay);

  /// Frames placed.
  uint64_t Frames() const { return m_frames; }

  /// Local second (days since 1970-01-01 times 86400 plus time of day) of
  /// the first frame's second, the log's time zero; 0 without frames.
  int64_t StartSecond() const { return m_startSecond; }

  /// Time of a frame (< Frames()) in seconds from StartSecond.
  double FrameTime(uint64_t frame) const;

  /// The first frame whose time is t or later; Frames() when there is none.
  uint64_t FirstFrameAtOrAfter(double t) const;

  /// End of the last second that holds frames, in seconds from StartSecond; 0 without frames.
  double Duration() const;

  /// The frames [first, end) stamped with the same second as `frame` (< Frames()).
  void SecondOf(uint64_t frame, uint64_t& first, uint64_t& end) const;

 private:
  /// The frames of one stamped second: its seconds from StartSecond and its first frame.
  struct Run {
    int64_t second;
    uint64_t first;
  };

  /// Index of the run holding `frame`.
  size_t RunOf(uint64_t frame) const;
  uint64_t RunEnd(size_t run) const { return run + 1 < m_runs.size() ? m_runs[run + 1].first : m_frames; }

  std::optional<LogStart> m_start;
  std::vector<Run> m_runs;
  uint64_t m_frames = 0;
  int64_t m_startSecond = 0;
  int64_t m_day = 0;
  int32_t m_lastSecondOfDay = 0;
  /// Seconds added since the clock was last set back.
  int64_t m_shift = 0;
};

}  // namespace analysis
