#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/LogReader.h"
#include "analysis/LogSession.h"

namespace analysis {

/// A frame the view takes from a log: its line, read, with the time of day read from its time text.
struct LoadedFrame {
  LogLine line;
  /// Seconds since midnight of the line's time text.
  int32_t secondOfDay = 0;
};

/// Takes the frames of a log that the view can place: well-formed lines
/// whose time text reads as a time of day and whose layout (channels,
/// temperatures) is that of the first such line. Other lines are skipped
/// and counted with the reader's own.
class LogLoader {
 public:
  /// Reads through `reader`, which must outlive the loader.
  explicit LogLoader(LogReader& reader) : m_reader(reader) {}

  /// The next frame available now; nothing when none is left for now.
  std::optional<LoadedFrame> Next();

  /// Lines skipped: malformed, overlong or unfinished, with unreadable time, or of another layout.
  uint64_t Skipped() const { return m_reader.Skipped() + m_rejected; }
  /// Frames taken.
  uint64_t Frames() const { return m_frames; }

 private:
  LogReader& m_reader;
  std::string m_lastTimeText;
  int32_t m_lastSecond = -1;
  uint8_t m_channels = 0;
  bool m_hasTemperatures = false;
  uint64_t m_rejected = 0;
  uint64_t m_frames = 0;
};

/// Reads the whole log at `path` into `session` (made for the file's name),
/// an unfinished last line counted as skipped. False with the reason in
/// error when the file cannot be read.
bool ReadWholeLog(const std::string& path, LogSession& session, uint64_t& skipped, std::string& error);

}  // namespace analysis
