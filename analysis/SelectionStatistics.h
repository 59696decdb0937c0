#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/LogSession.h"
#include "analysis/SpanStatistics.h"
#include "analysis/TimeLine.h"

namespace analysis {

/// The frames [first, end) whose times lie within [from, to] seconds from
/// the log's start, both ends included; first == end when none do (also for
/// from > to or a NaN bound).
void FramesWithin(const TimeLine& times, double from, double to, uint64_t& first, uint64_t& end);

/// The statistics of a span [from, to] (seconds from the log's start) of a
/// loaded log: for each channel of the log marked in `channels` (channel 1
/// first), a DC row (the exact samples) and an AC row (the live filter's
/// outputs), in channel order, over every frame of the span. A span without
/// frames gives rows of count 0.
std::vector<StatisticsRow> SelectionStatistics(const LogSession& session, double from, double to,
                                               const std::array<bool, 8>& channels);

}  // namespace analysis
