#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "recorder/RecordOptions.h"

namespace rec {

/// What a run has recorded so far.
struct RecordCounts {
  uint64_t frames = 0;        ///< frames logged
  uint64_t samples = 0;       ///< their channel records
  uint64_t bytesSkipped = 0;  ///< bytes dropped while resynchronising, and frames cut short by a lost device
};

/// "115200 baud, 8N1".
std::string LineText(int32_t baud);

/// The line that starts a run: "recording DEVICE at 115200 baud, 8N1, into
/// PATH", then ", a new file every 1h" and ", for 2d" when asked for.
std::string StartText(const std::string& device, const RecordOptions& options, const std::string& path);

/// The status told every few seconds, what matters most first, since a
/// terminal's width may cut it: "NAME, 782 KiB: 4,005 frames, 0 bytes
/// skipped, 32,040 samples", after "`portState`; " when the port is not open
/// (why, e.g. "/dev/ttyUSB0 gone, waiting for it to return").
std::string StatusText(const RecordCounts& counts, const std::string& fileName, uint64_t fileBytes,
                       const std::string& portState);

/// A file's size for people: "999 bytes", then "12.3 KiB", "456.7 MiB", "10.7 GiB".
std::string SizeText(uint64_t bytes);

/// The line that ends a run: "`how`; 1,234 frames read; PATH holds 12
/// lines" (`how` e.g. "stopped by SIGTERM" or "done after 2d").
std::string EndText(const std::string& how, const RecordCounts& counts, const std::string& path, uint64_t lines);

/// Where the recorder's messages go: standard error, given as a write
/// function. Notes are lines of their own, prefixed with the program's name.
/// On a terminal (`columns` gives its width) the status rewrites one line in
/// place, without the name and cut to the width so that it never wraps, and
/// a note takes over that line; elsewhere (a pipe, the journal) each status
/// is a line with the name too.
class StatusLine {
 public:
  using Write = std::function<void(const std::string& text)>;
  /// `columns`: the terminal's width, or 0 when not a terminal; empty: not a terminal.
  StatusLine(Write write, std::function<int()> columns = {});

  void Note(const std::string& text);
  void Status(const std::string& text);
  /// Ends a status line left on a terminal, so what follows starts on a line of its own.
  void Close();

 private:
  Write m_write;
  std::function<int()> m_columns;
  size_t m_shown = 0;  ///< characters of the status on the terminal's line; 0 when none
};

}  // namespace rec
