#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/FrameGenerator.h"

// Reading a timed log back into the frames it recorded. A log line holds, per
// channel k in order, "T, k, S, " and, for frames with temperatures, ", t";
// pieces are joined by ", " and the line ends with CR LF. T is the local time
// of day in the user's own format and is never interpreted.
namespace sim {

/// Longest line accepted: eight pieces with a generous time text.
constexpr size_t kMaxLogLineLength = 4096;

/// The frame that one log line records: 1 to 8 channels numbered 1, 2, ...
/// in order, each sample 0..65535 and, on a line with temperatures, each
/// temperature 0..255, all in plain decimal without sign or leading zeros.
/// The line comes without its LF; a final CR is ignored. Returns nothing for
/// any other bytes (a malformed line). Never throws on any input.
std::optional<FrameValues> ParseLogLine(std::string_view line);

/// Reads a log file line after line and hands out the frames of its
/// well-formed lines. A malformed line, an overlong one and an unfinished last
/// line (no LF, as a log cut short leaves it) are skipped and counted.
class LogReplay {
 public:
  /// Opens the file; false with the reason in error.
  bool Open(const std::string& path, std::string& error);

  /// The frame of the next well-formed line; nothing at the end of the file
  /// or after a read error (see ReadError).
  std::optional<FrameValues> Next();

  /// Lines read so far, well-formed or not.
  uint64_t Lines() const { return m_lines; }
  /// Malformed lines skipped so far, and the 1-based number of the first (0: none).
  uint64_t Malformed() const { return m_malformed; }
  uint64_t FirstMalformedLine() const { return m_firstMalformed; }
  /// True when reading stopped on an error of the file rather than its end.
  bool ReadError() const { return m_readError; }

 private:
  /// The next line into m_line; false at the end. m_overlong tells a line
  /// cut at the limit, m_unfinished one the file ended inside.
  bool ReadLine();
  bool Refill();
  void CountMalformed();

  std::ifstream m_file;
  std::vector<char> m_chunk = std::vector<char>(64 * 1024);
  size_t m_chunkUsed = 0;
  size_t m_chunkRead = 0;
  std::string m_line;
  bool m_overlong = false;
  bool m_unfinished = false;
  bool m_readError = false;
  uint64_t m_lines = 0;
  uint64_t m_malformed = 0;
  uint64_t m_firstMalformed = 0;
};

/// The frames of `replay`'s well-formed lines, encoded as the board sends
/// them. `replay` must outlive the source.
FrameSource ReplayedFrames(LogReplay& replay);

}  // namespace sim
