#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/LogReader.h"
#include "tools/FrameGenerator.h"

// Replaying a timed log: the frames of its well-formed lines, read by the
// family's log reader (analysis/LogReader.h).
namespace sim {

/// The frame of one log line as the simulator holds frames; nothing for a
/// malformed line (see analysis::ParseLogLine). Never throws.
std::optional<FrameValues> ParseLogLine(std::string_view line);

/// Reads a finished log file line after line and hands out the frames of its
/// well-formed lines. A malformed line, an overlong one and an unfinished last
/// line (no LF, as a log cut short leaves it) are skipped and counted.
class LogReplay {
 public:
  /// Opens the file; false with the reason in error.
  bool Open(const std::string& path, std::string& error) { return m_reader.Open(path, error); }

  /// The frame of the next well-formed line; nothing at the end of the file
  /// or after a read error (see ReadError).
  std::optional<FrameValues> Next();

  /// Lines read so far, well-formed or not.
  uint64_t Lines() const { return m_reader.Lines(); }
  /// Malformed lines skipped so far, and the 1-based number of the first (0: none).
  uint64_t Malformed() const { return m_reader.Skipped(); }
  uint64_t FirstMalformedLine() const { return m_reader.FirstSkippedLine(); }
  /// True when reading stopped on an error of the file rather than its end.
  bool ReadError() const { return m_reader.ReadError(); }

 private:
  analysis::LogReader m_reader;
};

/// The frames of `replay`'s well-formed lines, encoded as the board sends
/// them. `replay` must outlive the source.
FrameSource ReplayedFrames(LogReplay& replay);

}  // namespace sim
