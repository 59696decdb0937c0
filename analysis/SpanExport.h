#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "analysis/LogSession.h"

// Copying a span of a log into a log of its own. The copy holds whole
// stamped seconds, so its frames are placed in time exactly as in the
// original, and its file name carries its first second's date and time, so
// it reopens to the same view.
namespace analysis {

/// Frames [first, end) of the whole seconds that the times [from, to)
/// (seconds from the log's start) touch; first == end when none.
void WholeSecondsSpan(const LogSession& session, double from, double to, uint64_t& first, uint64_t& end);

/// The log file name "yyyy-mm-dd_hh-nn-ss.csv" of a copy starting at `frame`'s second.
std::string SpanFileName(const LogSession& session, uint64_t frame);

/// Writes the lines of frames [first, end) (end <= session.Frames()), byte
/// for byte, from the log at `logPath` (UTF-8) that `session` was read from. False
/// with the reason in error when the log cannot be read or no longer holds
/// those lines.
bool CopySpan(const std::string& logPath, const LogSession& session, uint64_t first, uint64_t end, std::ostream& out,
              std::string& error);

}  // namespace analysis
