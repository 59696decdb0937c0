#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/LogSession.h"
#include "analysis/Report.h"

namespace analysis {

/// One channel's traces over a run of frames of a loaded log, as plain
/// arrays for the measurements: each array holds a value per frame, or is
/// empty when it was not asked for (or, for temperatures, the log has none).
struct ChannelArrays {
  int channel = 1;  ///< 1..8
  std::vector<double> dc;
  std::vector<double> ac;
  std::vector<double> temperatures;
};

/// Which traces ReadChannel reads.
struct TracesWanted {
  bool dc = true;
  bool ac = true;
  bool temperatures = true;
};

/// The times in seconds from the log's start of frames [first, end) (end <= Frames()).
std::vector<double> FrameTimes(const LogSession& session, uint64_t first, uint64_t end);

/// The traces of `channel` (1..Channels()) over frames [first, end): the
/// exact DC samples, the live filter's AC outputs, the temperatures in degrees.
ChannelArrays ReadChannel(const LogSession& session, int channel, uint64_t first, uint64_t end,
                          const TracesWanted& wanted = {});

/// The board's frame rate as the whole log shows it, as MeasureFrameRate
/// reads it off every frame's time, found without reading them all; none
/// when the times cross fewer than two whole-second boundaries.
std::optional<double> LogFrameRate(const LogSession& session);

/// The arrays of a channel with the frames' times as the report reads them;
/// both must outlive the result, and times must hold a time per frame.
ChannelRecording Recording(const ChannelArrays& arrays, const std::vector<double>& times);

}  // namespace analysis
