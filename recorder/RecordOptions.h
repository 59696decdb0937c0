#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/CommandLine.h"
#include "serial/CommSettings.h"

/// The unattended recorder: its command line, its run loop and what it tells.
namespace rec {

/// What one run records, and for how long.
struct RecordOptions {
  std::string device;                                 ///< the serial device, e.g. /dev/ttyUSB0, or COM1 .. COM9
  int32_t baud = comm::BoardLineSettings().baudrate;  ///< bits per second; 8 data bits, no parity, one stop bit
  std::string directory = ".";                        ///< where the log files go
  std::optional<std::chrono::seconds> rotate;         ///< start a new file on every boundary this far apart
  std::optional<std::chrono::seconds> runFor;         ///< end the run after this long
};

/// The decision on a command line: to run with `options`, or to print the
/// decision's text and exit with its code (help and version 0, usage 2).
struct RecordCommand {
  app::CommandDecision decision;
  RecordOptions options;
};

/// Decides on the arguments after the program's name:
/// `DEVICE [--baud N] [--dir DIR] [--rotate DURATION] [--for DURATION]`,
/// each option also as `--name=value`, in any order; -h/--help and
/// -v/--version answer at once. A rotation longer than a day must be whole
/// days. `version` is the text after the name in --version ("1.2").
RecordCommand DecideRecordCommand(const std::vector<std::string>& args, const std::string& version);

/// A duration written as numbers with units, from 1 second up to 3650 days:
/// "90s", "15m", "1h", "2d", or several ("1h30m"). Nothing for any other text.
std::optional<std::chrono::seconds> ParseDuration(std::string_view text);

/// A duration in the form ParseDuration reads, largest units first ("1h30m").
std::string DurationText(std::chrono::seconds duration);

}  // namespace rec
