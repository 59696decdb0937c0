#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

// Text of the timed log: the file name taken from the start time and the
// pieces of one log line. Nothing here touches a file or the window.
namespace logbook {

// Source of the current calendar time, injectable so tests control time.
using Clock = std::function<std::time_t()>;

// The system clock (std::time).
Clock SystemClock();

// File name of a log started at the given local time:
// "yyyy-mm-dd_hh-nn-ss.csv", every field zero-padded to its width, for
// example "2026-12-07_00-38-23.csv". Fields are used as given (no
// normalisation); a field too wide for its width is written in full.
std::string LogFileName(const std::tm& local);

// Local time of day as text in the long time format of the LC_TIME locale in
// force (strftime "%X"; "14:05:09" in the C locale and in 24-hour locales).
// Called once per logged sample, so the text is cached and only rebuilt when
// the second changes.
class TimeOfDayText {
 public:
  // Uses the system clock for Now().
  TimeOfDayText();
  // Uses the given clock for Now(); an empty clock means the system clock.
  explicit TimeOfDayText(Clock clock);

  // Text of the local time of day at t. The reference stays valid until the
  // next call of Text or Now on this object. Empty if t cannot be
  // converted to local time.
  const std::string& Text(std::time_t t);

  // Text of the local time of day now, read from the clock.
  const std::string& Now();

 private:
  Clock m_clock;
  std::time_t m_cachedTime = 0;
  bool m_hasCache = false;
  std::string m_text;
};

// Appends the piece of one channel sample: "T, k, S, " where T is timeText,
// k the channel number (1..8) and S the sample (0..65535), all decimal. The
// trailing ", " leaves an empty field after the sample.
void AppendPiece(std::string& line, std::string_view timeText, int channel, uint16_t sample);

// Appends ", " and the temperature byte as an unsigned decimal (0..255).
void AppendTemperature(std::string& line, uint8_t temperature);

// Appends the separator ", " between the pieces of one line.
void AppendSeparator(std::string& line);

// Appends the line end CR LF.
void AppendLineEnd(std::string& line);

}  // namespace logbook
