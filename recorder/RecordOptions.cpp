#include "recorder/RecordOptions.h"

#include <charconv>
#include <limits>

namespace rec {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kLongestSeconds = 3650 * kSecondsPerDay;
constexpr int32_t kLowestBaud = 50;
constexpr int32_t kHighestBaud = 4000000;

struct Unit {
  char letter;
  int64_t seconds;
};
constexpr Unit kUnits[] = {{'d', kSecondsPerDay}, {'h', 3600}, {'m', 60}, {'s', 1}};

constexpr std::string_view kHelpText =
    "Usage: dezidure-record DEVICE [--baud N] [--dir DIR] [--rotate DURATION] [--for DURATION]\n"
    "\n"
    "Records every frame of a PIR sensor board on the serial DEVICE, unattended,\n"
    "as the lines of the live window's timed log: yyyy-mm-dd_hh-nn-ss.csv in DIR,\n"
    "named after the time each file starts. Ends on SIGTERM, SIGINT or SIGHUP with\n"
    "the last line complete, or after --for; waits for an unplugged device to\n"
    "return at the same path.\n"
    "\n"
    "  DEVICE             e.g. /dev/ttyUSB0, /dev/serial/by-id/...; COM1 to COM9\n"
    "                     name ports as the live program numbers them\n"
    "  --baud N           bits per second (default 115200); always 8N1\n"
    "  --dir DIR          where the files go (default: the current directory)\n"
    "  --rotate DURATION  a new file on every boundary of the wall clock:\n"
    "                     --rotate 1h on the hour, --rotate 1d at midnight\n"
    "  --for DURATION     end the run after this long\n"
    "  -h, --help         print this help and exit\n"
    "  -v, --version      print the version and exit\n"
    "\n"
    "Durations: a number and a unit, s, m, h or d, or several: 90s, 15m, 1h30m, 2d.\n"
    "Every 5 s a status line on standard error. Exit status: 0 done, 1 failure\n"
    "(the reason on standard error), 2 usage. See dezidure-record(1).\n";

app::CommandDecision UsageError(const std::string& problem) {
  return {app::CommandAction::UsageError, 2, "dezidure-record: " + problem + "; try 'dezidure-record --help'\n"};
}

bool ParseBaud(const std::string& text, int32_t& baud) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end || value < kLowestBaud || value > kHighestBaud) return false;
  baud = value;
  return true;
}

/// Applies option `name` with `value`; empty on success, else the problem.
std::string Apply(RecordOptions& options, const std::string& name, const std::string& value) {
  if (name == "--baud") {
    return ParseBaud(value, options.baud)
               ? std::string()
               : "--baud needs bits per second, " + std::to_string(kLowestBaud) + " to " + std::to_string(kHighestBaud);
  }
  if (name == "--dir") {
    options.directory = value;
    return value.empty() ? "--dir needs a directory" : std::string();
  }
  const std::optional<std::chrono::seconds> duration = ParseDuration(value);
  if (!duration) return name + " needs a duration such as 90s, 15m, 1h or 2d, not '" + value + "'";
  if (name == "--for") {
    options.runFor = duration;
    return {};
  }
  if (duration->count() > kSecondsPerDay && duration->count() % kSecondsPerDay != 0) {
    return "--rotate longer than a day must be whole days (2d, not " + value + ")";
  }
  options.rotate = duration;
  return {};
}

}  // namespace

std::optional<std::chrono::seconds> ParseDuration(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int64_t total = 0;
  while (!text.empty()) {
    int64_t number = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (result.ec != std::errc() || number < 0 || result.ptr == text.data() + text.size()) return std::nullopt;
    text.remove_prefix(static_cast<size_t>(result.ptr - text.data()));
    const Unit* unit = nullptr;
    for (const Unit& u : kUnits) {
      if (text.front() == u.letter) unit = &u;
    }
    if (unit == nullptr || number > kLongestSeconds / unit->seconds) return std::nullopt;
    total += number * unit->seconds;
    if (total > kLongestSeconds) return std::nullopt;
    text.remove_prefix(1);
  }
  if (total < 1) return std::nullopt;
  return std::chrono::seconds(total);
}

std::string DurationText(std::chrono::seconds duration) {
  int64_t left = duration.count();
  std::string text;
  for (const Unit& unit : kUnits) {
    if (left >= unit.seconds || (left == 0 && text.empty() && unit.seconds == 1)) {
      text += std::to_string(left / unit.seconds) + unit.letter;
      left %= unit.seconds;
    }
  }
  return text;
}

RecordCommand DecideRecordCommand(const std::vector<std::string>& args, const std::string& version) {
  RecordCommand command;
  RecordOptions& options = command.options;
  bool deviceGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") return {{app::CommandAction::Help, 0, std::string(kHelpText)}, {}};
    if (arg == "-v" || arg == "--version") {
      return {{app::CommandAction::Version, 0, "dezidure-record " + version + "\n"}, {}};
    }
    if (arg.empty() || arg.front() != '-') {
      if (deviceGiven) return {UsageError("one device only, not also '" + arg + "'"), {}};
      options.device = arg;
      deviceGiven = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (name != "--baud" && name != "--dir" && name != "--rotate" && name != "--for") {
      return {UsageError("unknown option '" + arg + "'"), {}};
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return {UsageError("option '" + name + "' needs a value"), {}};
    }
    if (const std::string problem = Apply(options, name, value); !problem.empty()) return {UsageError(problem), {}};
  }
  if (!deviceGiven) return {UsageError("which device? e.g. dezidure-record /dev/ttyUSB0"), {}};
  return command;
}

}  // namespace rec
