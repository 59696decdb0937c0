#pragma once

#include <cstdint>
#include <string>

/// What the window tells the user about the timed log: the running log's
/// file and time left, and why a log stopped. Plain text, no toolkit.
namespace logbook {

/// Decimal digits in groups of three, separated by commas ("1,234,567").
std::string GroupDigits(uint64_t value);

/// A countdown as "m:ss", or "h:mm:ss" from one hour on. Milliseconds are
/// rounded up to the next second, so a fresh two-minute limit reads "2:00"
/// and the last second "0:01"; zero or less reads "0:00".
std::string TimeLeftText(int64_t milliseconds);

/// "Logging to <name>, <time left> left".
std::string LogRunningText(const std::string& fileName, int64_t millisecondsLeft);

/// "<name> stopped after <lines> lines: <reason>", the count grouped with
/// commas ("1 line" for one).
std::string LogStoppedText(const std::string& fileName, uint64_t lines, const std::string& reason);

}  // namespace logbook
