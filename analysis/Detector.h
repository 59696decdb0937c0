#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "analysis/SampleSeries.h"

namespace analysis {

/// The knobs of a digital PIR detector run on the AC trace.
struct DetectorSettings {
  double threshold = 40;     ///< T: counts, or a multiple of the quiet RMS when inQuietRms
  bool inQuietRms = false;   ///< threshold is k, and T = k x the channel's quiet RMS
  int pulses = 1;            ///< N >= 1 pulses make an event
  double windowSeconds = 5;  ///< W: the N pulses start within W seconds of the first
  double blindSeconds = 2;   ///< B: after an event no pulse counts for B seconds
  bool alternate = false;    ///< consecutive counted pulses must alternate in sign
  /// A pulse whose peak reaches this multiple of T is an event on its own,
  /// whatever N and W say (blind time still applies); 0 turns the rule off.
  double singlePulseMultiple = 0;
  /// After the first frame and after each gap of more than kDetectorGapSeconds
  /// between frames, no pulse counts for this many seconds: a board's
  /// detector stays blank while its filter settles after power-up or a
  /// reconnect. 0 counts from the first frame on.
  double warmUpSeconds = 0;
};

/// Every knob equal: a detector run with either gives the same events.
bool operator==(const DetectorSettings& a, const DetectorSettings& b);
inline bool operator!=(const DetectorSettings& a, const DetectorSettings& b) { return !(a == b); }

/// A longer step between two frames is a gap (a stop, a reconnect) after which the detector warms up again.
constexpr double kDetectorGapSeconds = 1;

/// T in counts for a channel whose quiet RMS is quietRms.
double ThresholdCounts(const DetectorSettings& settings, double quietRms);

/// An event of the detector on one channel.
struct DetectorEvent {
  double time = 0;            ///< start of the pulse that completed the count, s
  double firstPulseTime = 0;  ///< start of the first counted pulse, s
  int channel = 1;            ///< 1..8
  double peak = 0;            ///< largest |AC| over the counted pulses, counts
  double threshold = 0;       ///< T in counts
  int pulses = 0;             ///< pulses counted

  /// 20 log10(peak / T); +inf for T = 0.
  double MarginDb() const;
};

/// The detector on one channel, fed sample by sample in any chunks: the
/// events are the same however the trace is cut.
///
/// A pulse starts when the trace leaves [-T, T] (its sign is the side) and
/// ends when it comes back or leaves on the other side; its peak is the
/// largest |value| while out. A pulse is counted when it ends, at its start
/// time: counted pulses starting more than W before it are dropped; with
/// alternation a pulse of the same sign as the last counted one starts the
/// count again. N counted pulses make an event; so does, with the
/// single-pulse rule on, one pulse whose peak reaches the multiple of T (the
/// event then holds that pulse alone). Pulses starting within B after an
/// event are ignored. A pulse still out when the data ends is not counted.
class Detector {
 public:
  /// thresholdCounts is T (>= 0). Throws std::invalid_argument for a
  /// negative or non-finite T, N < 1 or a negative or non-finite W, B or
  /// single-pulse multiple.
  Detector(int channel, double thresholdCounts, const DetectorSettings& settings);

  /// Runs the detector over the next samples (times ascending, after any fed before).
  void Feed(const double* values, const double* times, size_t size);

  /// Events so far, in time order.
  const std::vector<DetectorEvent>& Events() const { return m_events; }

 private:
  struct Pulse {
    double start = 0;
    int sign = 0;
    double peak = 0;
  };
  void EndPulse();
  /// Records an event made of `pulses` (not empty) and starts the blind time.
  void Fire(const std::vector<Pulse>& pulses);

  int m_channel;
  double m_threshold;
  DetectorSettings m_settings;
  Pulse m_current;  ///< sign 0: inside the band
  std::vector<Pulse> m_counted;
  std::optional<double> m_blindUntil;
  std::optional<double> m_lastTime;  ///< the last frame fed
  double m_warmUntil = 0;            ///< pulses starting before this do not count
  std::vector<DetectorEvent> m_events;
};

/// A mark the user dropped (for example "walk starts").
struct UserMark {
  double time = 0;  ///< s
  int channel = 0;  ///< 1..8, or 0 for all channels
  std::string label;
};

/// Events and marks in one table, in time order, as comma-separated text:
/// time_s,channel,kind,peak,margin_db,pulses,label; kind is "event" or
/// "mark"; a mark leaves peak, margin and pulses empty, an event the label.
std::string EventTableCsv(const std::vector<DetectorEvent>& events, const std::vector<UserMark>& marks);

/// Events per hour over durationSeconds; 0 for a duration <= 0.
double EventsPerHour(size_t events, double durationSeconds);

/// One channel's AC trace as the what-if grid runs over it.
struct ChannelTrace {
  int channel = 1;
  SampleSeries<double> ac;
  double quietRms = 0;
};

/// How one detector setting fares over a log.
struct WhatIfResult {
  DetectorSettings settings;
  int walksCaught = 0;  ///< walk spans with an event of any channel within them
  int walksMissed = 0;
  size_t falseEvents = 0;        ///< events outside every walk span
  double quietHours = 0;         ///< the log's duration outside the walk spans
  double falsePerQuietHour = 0;  ///< 0 when there is no quiet time
};

/// Runs each setting of grid over every channel. The log spans from the
/// earliest to the latest frame time of the channels.
std::vector<WhatIfResult> RunWhatIf(const std::vector<ChannelTrace>& channels,
                                    const std::vector<DetectorSettings>& grid, const std::vector<TimeSpan>& walks);

/// The settings of base with each threshold crossed with each pulse count
/// (thresholds vary slowest).
std::vector<DetectorSettings> SettingsGrid(const DetectorSettings& base, const std::vector<double>& thresholds,
                                           const std::vector<int>& pulseCounts);

/// The what-if table as comma-separated text, one line per setting.
std::string WhatIfCsv(const std::vector<WhatIfResult>& results);

}  // namespace analysis
