#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "acquisition/TraceMath.h"
#include "analysis/LogLine.h"
#include "analysis/MinMaxPyramid.h"
#include "analysis/TemperatureTrack.h"
#include "analysis/TimeLine.h"

namespace analysis {

/// The traces a log gives per channel.
enum class Trace { Dc, Ac, Temperature };

/// Everything the view draws of one log, kept compact: per channel the
/// 16-bit samples, min/max pyramids of the DC, AC and temperature traces,
/// and the AC filter's state every kCheckpointFrames frames, so any span of
/// the AC trace is recomputed exactly; the frames' placement in time; and
/// the byte offset of every kOffsetFrames-th frame's line, to copy spans of
/// the log; the temperatures exactly, as runs (TemperatureTrack). Memory
/// per frame and channel: 2 bytes of samples and about 1.9 bytes of
/// pyramids, and at most about a byte of temperatures.
class LogSession {
 public:
  static constexpr uint64_t kCheckpointFrames = 1024;
  static constexpr uint64_t kOffsetFrames = 256;

  /// `start`: the date and time of the log's file name, when it has one.
  explicit LogSession(std::optional<LogStart> start = std::nullopt) : m_times(start) {}

  /// Adds a frame with the first frame's layout (channels, temperatures), stamped `secondOfDay`, from the line at byte
  /// `offset`.
  void Append(const LogFrame& frame, int32_t secondOfDay, uint64_t offset);

  uint64_t Frames() const { return m_times.Frames(); }
  /// Channels of the log (1..8; 0 before the first frame).
  int Channels() const { return static_cast<int>(m_channels.size()); }
  bool HasTemperatures() const { return m_hasTemperatures; }
  const TimeLine& Times() const { return m_times; }

  /// The sample of `channel` (1-based) in `frame`.
  uint16_t Sample(int channel, uint64_t frame) const;

  /// Values of one trace of `channel` for frames [first, end) (none when
  /// first >= end; end <= Frames()): exact samples
  /// for DC, the filter's outputs for AC, degrees Celsius for temperatures.
  std::vector<double> Values(int channel, Trace trace, uint64_t first, uint64_t end) const;

  /// The range of one trace of `channel` over frames [first, end)
  /// (first < end <= Frames()), rounded outward to whole pyramid blocks of
  /// at most `blockFrames` frames (MinMaxPyramid::QueryCoarse); 0 rounds
  /// only to the smallest blocks.
  ValueRange<double> Range(int channel, Trace trace, uint64_t first, uint64_t end, uint64_t blockFrames = 0) const;

  /// A frame at or before `frame` whose line's byte offset is known, and that offset.
  void OffsetBefore(uint64_t frame, uint64_t& known, uint64_t& offset) const;

  /// Bytes held for the samples, the pyramids and the offsets.
  uint64_t Bytes() const;

 private:
  struct Channel {
    std::deque<uint16_t> samples;
    MinMaxPyramid<uint16_t> dc;
    MinMaxPyramid<float> ac;
    MinMaxPyramid<int8_t> temperature;
    TemperatureTrack temperatures;
    acq::AcFilterState filter;
    std::vector<acq::AcFilterState> checkpoints;
  };

  TimeLine m_times;
  std::vector<Channel> m_channels;
  bool m_hasTemperatures = false;
  std::vector<uint64_t> m_offsets;
};

}  // namespace analysis
