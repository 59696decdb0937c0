#pragma once

#include <string>
#include <string_view>

#include "acquisition/FrameParser.h"
#include "logging/CsvLog.h"

/// The log line of one frame, as every program of the family writes it: the
/// window's timed log and the recorder's files hold the same bytes for the
/// same frames. A line is the pieces of the frame's channels in channel order,
/// joined by ", "; channel k's piece is "T, k, S, " and, for a frame with
/// temperatures, ", " and the temperature byte as unsigned decimal; the line
/// ends with CR LF.
namespace logbook {

/// Appends channel `channel`'s part of `frame`'s line (1..channelCount): its
/// piece stamped `timeText`, then the separator before the next channel's
/// piece or, after the last channel, the line end.
/// @throws std::out_of_range for a channel the frame does not carry.
void AppendRecord(std::string& line, const acq::FrameView& frame, int channel, std::string_view timeText);

/// Appends the whole line of `frame`, each channel's piece stamped with the
/// time of day read anew from `timeOfDay` (TimeOfDayText::Now), so the pieces
/// of one line differ when a second passes while it is built.
void AppendFrameLine(std::string& line, const acq::FrameView& frame, TimeOfDayText& timeOfDay);

}  // namespace logbook
