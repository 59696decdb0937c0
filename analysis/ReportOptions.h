#pragma once

#include <optional>
#include <string>

#include "analysis/Detector.h"
#include "analysis/SampleSeries.h"

namespace analysis {

/// Parses a span option value "FROM-TO": two times in seconds from the
/// log's start, each a decimal number ("12.5") or minutes and seconds
/// ("1:30", "1:30.5") or hours, minutes and seconds ("1:02:03"), with
/// FROM <= TO. Returns nothing, with the reason in error, for anything else.
std::optional<TimeSpan> ParseSpan(const std::string& text, std::string& error);

/// A span as ParseSpan reads it, each end in seconds to the microsecond
/// (ends below 0 taken as 0, as a span option cannot start before the log).
std::string FormatSpan(const TimeSpan& span);

/// Parses detector settings "key=value,key=value,...", keys in any order,
/// each at most once, the rest keeping DetectorSettings' defaults:
///   threshold=40      T in counts (> 0), or threshold=3xrms: 3 x the quiet RMS
///   pulses=2          N, 1..100
///   window=5          W in seconds (>= 0)
///   blind=2           B in seconds (>= 0)
///   alternate=1       sign alternation required (1) or not (0)
///   single=5          one pulse reaching 5 x T is an event on its own (>= 1; 0: off)
///   warmup=10         no pulse counts for 10 s after the start and each gap (>= 0)
/// Returns nothing, with the reason in error, for an unknown or repeated
/// key, a malformed value or one out of range.
std::optional<DetectorSettings> ParseDetectorSettings(const std::string& text, std::string& error);

/// The settings in the syntax ParseDetectorSettings reads.
std::string FormatDetectorSettings(const DetectorSettings& settings);

}  // namespace analysis
