#include "tools/SimOptions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "acquisition/FrameFormat.h"

namespace sim {

namespace {

constexpr double kMaxRate = 1000.0;
constexpr size_t kMaxChunk = 65536;
constexpr int64_t kMaxIntervalMs = 10000;
constexpr double kMaxDurationSeconds = 1.0e7;
constexpr int64_t kMaxHangupGraceMs = 600000;
constexpr double kMaxCounts = 65535.0;
constexpr double kMaxToneHz = 10000.0;
constexpr double kMaxDegreesPerMinute = 100.0;

template <typename Integer>
bool ParseInteger(const std::string& text, Integer min, Integer max, Integer& out) {
  Integer value{};
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end || value < min || value > max) {
    return false;
  }
  out = value;
  return true;
}

bool ParseReal(const std::string& text, double min, double max, double& out) {
  if (text.empty()) {
    return false;
  }
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value) || value < min || value > max) {
    return false;
  }
  out = value;
  return true;
}

// Comma-separated reals into out, one for each range and within it.
bool ParseRealList(const std::string& text, const std::vector<std::pair<double, double>>& ranges,
                   std::vector<double>& out) {
  out.clear();
  size_t from = 0;
  for (size_t i = 0; i < ranges.size(); ++i) {
    const size_t comma = text.find(',', from);
    const bool last = i + 1 == ranges.size();
    if (last != (comma == std::string::npos)) {
      return false;
    }
    double value = 0;
    if (!ParseReal(text.substr(from, last ? std::string::npos : comma - from), ranges[i].first, ranges[i].second,
                   value)) {
      return false;
    }
    out.push_back(value);
    from = comma + 1;
  }
  return true;
}

struct Option {
  bool takesValue;
  // Applies the value; returns false with the reason in error when it is bad.
  std::function<bool(SimOptions&, const std::string&, std::string&)> apply;
};

Option Flag(std::function<void(SimOptions&)> set) {
  return {false, [set](SimOptions& o, const std::string&, std::string&) {
            set(o);
            return true;
          }};
}

Option Value(std::function<bool(SimOptions&, const std::string&, std::string&)> apply) {
  return {true, std::move(apply)};
}

const std::map<std::string, Option>& Options() {
  static const std::map<std::string, Option> options = {
      {"help", Flag([](SimOptions& o) { o.help = true; })},
      {"no-temperatures", Flag([](SimOptions& o) { o.board.temperatures = false; })},
      {"flood", Flag([](SimOptions& o) { o.flood = true; })},
      {"exit-on-hangup", Flag([](SimOptions& o) { o.exitOnHangup = true; })},
      {"wait-for-reader", Flag([](SimOptions& o) { o.waitForReader = true; })},
      {"device", Value([](SimOptions& o, const std::string& v, std::string& e) {
         o.device = v;
         e = "needs a path";
         return !v.empty();
       })},
      {"record", Value([](SimOptions& o, const std::string& v, std::string& e) {
         o.record = v;
         e = "needs a path";
         return !v.empty();
       })},
      {"replay", Value([](SimOptions& o, const std::string& v, std::string& e) {
         o.replay = v;
         // A replay must not lose its first frames to a reader still opening the port.
         o.waitForReader = true;
         e = "needs a log file";
         return !v.empty();
       })},
      {"probe-log", Value([](SimOptions& o, const std::string& v, std::string& e) {
         o.probeLog = v;
         e = "needs a path";
         return !v.empty();
       })},
      {"channels", Value([](SimOptions& o, const std::string& v, std::string& e) {
         e = "must be 1 to 8";
         return ParseInteger(v, acq::kMinChannels, acq::kMaxChannels, o.board.channels);
       })},
      {"seed", Value([](SimOptions& o, const std::string& v, std::string& e) {
         e = "must be an unsigned 64-bit number";
         return ParseInteger<uint64_t>(v, 0, UINT64_MAX, o.board.seed);
       })},
      {"rate", Value([](SimOptions& o, const std::string& v, std::string& e) {
         e = "must be a number above 0 and at most 1000";
         return ParseReal(v, 0.0, kMaxRate, o.rate) && o.rate > 0;
       })},
      {"chunk", Value([](SimOptions& o, const std::string& v, std::string& e) {
         e = "must be 1 to 65536 bytes";
         return ParseInteger<size_t>(v, 1, kMaxChunk, o.chunk);
       })},
      {"interval", Value([](SimOptions& o, const std::string& v, std::string& e) {
         e = "must be 1 to 10000 ms";
         int64_t ms = 0;
         if (!ParseInteger<int64_t>(v, 1, kMaxIntervalMs, ms)) {
           return false;
         }
         o.interval = std::chrono::milliseconds(ms);
         return true;
       })},
      {"hangup-grace", Value([](SimOptions& o, const std::string& v, std::string& e) {
         e = "must be 0 to 600000 ms";
         int64_t ms = 0;
         if (!ParseInteger<int64_t>(v, 0, kMaxHangupGraceMs, ms)) {
           return false;
         }
         o.hangupGrace = std::chrono::milliseconds(ms);
         return true;
       })},
      {"duration", Value([](SimOptions& o, const std::string& v, std::string& e) {
         e = "must be a number of seconds above 0";
         double seconds = 0;
         if (!ParseReal(v, 0.0, kMaxDurationSeconds, seconds) || seconds <= 0) {
           return false;
         }
         o.durationSeconds = seconds;
         return true;
       })},
      {"frames", Value([](SimOptions& o, const std::string& v, std::string& e) {
         e = "must be a count of at least 1";
         uint64_t count = 0;
         if (!ParseInteger<uint64_t>(v, 1, UINT64_MAX, count)) {
           return false;
         }
         o.frames = count;
         return true;
       })},
      {"faults", Value([](SimOptions& o, const std::string& v, std::string& e) {
         std::string name;
         if (ParseFaultList(v, o.faults, name)) {
           return true;
         }
         e = "has an unknown fault \"" + name + "\" (known: garbage, badlength, split, sync-in-data)";
         return false;
       })},
      {"walk", Value([](SimOptions& o, const std::string& v, std::string& e) {
         e = "must be TIME,CHANNEL,PEAK_TO_PEAK (seconds >= 0, channel 1 to 8, counts 0 to 65535)";
         std::vector<double> f;
         if (!ParseRealList(v, {{0.0, kMaxDurationSeconds}, {1.0, 8.0}, {0.0, kMaxCounts}}, f) ||
             f[1] != std::trunc(f[1])) {
           return false;
         }
         o.truth.walks.push_back({f[0], static_cast<int>(f[1]), f[2]});
         return true;
       })},
      {"tone", Value([](SimOptions& o, const std::string& v, std::string& e) {
         e = "must be FREQUENCY,AMPLITUDE (Hz above 0 up to 10000, counts 0 to 65535)";
         std::vector<double> f;
         if (!ParseRealList(v, {{0.0, kMaxToneHz}, {0.0, kMaxCounts}}, f) || f[0] <= 0) {
           return false;
         }
         o.truth.tones.push_back({f[0], f[1]});
         return true;
       })},
      {"temperature-ramp", Value([](SimOptions& o, const std::string& v, std::string& e) {
         e = "must be DEGREES_PER_MINUTE,COUNTS_PER_DEGREE (-100 to 100, -65535 to 65535)";
         std::vector<double> f;
         if (!ParseRealList(v, {{-kMaxDegreesPerMinute, kMaxDegreesPerMinute}, {-kMaxCounts, kMaxCounts}}, f)) {
           return false;
         }
         o.truth.ramp = TemperatureRamp{f[0], f[1]};
         return true;
       })},
      {"fault-probability", Value([](SimOptions& o, const std::string& v, std::string& e) {
         e = "must be 0 to 1";
         return ParseReal(v, 0.0, 1.0, o.faults.probability);
       })},
  };
  return options;
}

// Options that pace by the clock make no sense together with --flood, nor
// options that shape generated frames with --replay, nor a walk on a channel
// the board does not have.
bool Consistent(const SimOptions& o, const std::vector<std::string>& given, std::string& error) {
  for (const std::string& name : given) {
    if (o.flood && (name == "rate" || name == "interval")) {
      error = "--flood cannot be combined with --" + name;
      return false;
    }
    if (!o.replay.empty() && (name == "channels" || name == "no-temperatures" || name == "seed" || name == "faults" ||
                              name == "fault-probability" || name == "probe-log" || name == "walk" ||
                              name == "tone" || name == "temperature-ramp")) {
      error = "--replay cannot be combined with --" + name;
      return false;
    }
  }
  for (const ScriptedWalk& walk : o.truth.walks) {
    if (walk.channel > o.board.channels) {
      error = "--walk names channel " + std::to_string(walk.channel) + " of a board with " +
              std::to_string(o.board.channels);
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<SimOptions> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  SimOptions options;
  std::vector<std::string> given;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0) {
      error = "unexpected argument \"" + arg + "\"";
      return std::nullopt;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    const auto found = Options().find(name);
    if (found == Options().end()) {
      error = "unknown option --" + name;
      return std::nullopt;
    }
    const Option& option = found->second;
    std::string value;
    if (option.takesValue) {
      if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        error = "--" + name + " needs a value";
        return std::nullopt;
      }
    } else if (equals != std::string::npos) {
      error = "--" + name + " takes no value";
      return std::nullopt;
    }
    std::string reason;
    if (!option.apply(options, value, reason)) {
      error = "--" + name + " " + reason;
      return std::nullopt;
    }
    given.push_back(name);
  }
  if (!Consistent(options, given, error)) {
    return std::nullopt;
  }
  return options;
}

std::string HelpText(const std::string& program) {
  return "Usage: " + program + R"( [OPTION]...
Simulated PIR sensor board: streams sample frames (sync 0xA5, flags, length,
big-endian 16-bit samples, optional temperature bytes) at the board's pace of
one frame every 3 ms.

Without --device it opens a pseudo-terminal and prints the path of its slave
side as the first line on standard output; point the program at that path.

Output:
  --device PATH         write to this device (or file) instead of a pseudo-terminal
  --record FILE         also write every byte sent to FILE
  --exit-on-hangup      end when the reader has closed the pseudo-terminal and
                        kept it closed for the hang-up grace time
  --hangup-grace MS     that grace time, so a reader may reopen the port (default 1500)
  --wait-for-reader     start the clock only once a reader has kept the
                        pseudo-terminal open for 0.3 s
  --probe-log FILE      every 250 ms make channel 1's sample a probe, drawn 150 rows
                        above the scope's centre line at the window's defaults, and
                        append to FILE the time its last byte reached the port
                        (CLOCK_MONOTONIC nanoseconds, one a line)

Replay:
  --replay FILE         send the frames recorded in the timed log FILE, one per
                        line, with its channels, samples and temperatures, at
                        the board's pace or at --rate; implies --wait-for-reader.
                        Malformed lines are skipped and counted.

Signals:
  --channels N          channels per frame, 1 to 8 (default 8)
  --no-temperatures     frames without temperature bytes
  --seed S              seed of the random signals; the same seed repeats a run (default 1)

Known truth (for checking measurements; a walk or a tone turns the random
motions off, leaving what is put in, the baseline's slow drift and the noise):
  --walk T,CH,PP        a walk at T seconds on channel CH: one 1 Hz sine cycle of
                        PP counts peak-to-peak on the DC signal (repeatable)
  --tone HZ,A           a sine of HZ Hz and amplitude A counts on every channel
                        (repeatable; above 166.7 Hz it folds back)
  --temperature-ramp R,C
                        temperatures change by R degrees a minute from their
                        starting values (beyond 20..30 if it takes them there) and
                        each channel's DC by C counts per degree with them

Pace:
  --rate X              pace multiplier, above 0 up to 1000 (default 1: 333 frames/s)
  --chunk BYTES         write pieces of exactly BYTES bytes, as a USB serial adapter does
  --interval MS         write every MS milliseconds whatever is pending, like an
                        adapter's latency timer (default: each frame when it is due)
  --flood               as fast as the reader takes it (no pacing)
  --duration SECONDS    stop after this long
  --frames N            stop after N frames

Faults (for robustness tests; a correct receiver recovers every frame):
  --faults LIST         comma-separated: garbage (stray bytes between frames),
                        badlength (a sync byte with an invalid length),
                        split (a frame in several writes),
                        sync-in-data (a sample whose low byte is 0xA5)
  --fault-probability P chance per frame of each listed fault, 0 to 1 (default 0.05)

  -h, --help            show this text

Stops cleanly on SIGINT or SIGTERM.
)";
}

}  // namespace sim
