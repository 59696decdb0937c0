#include "analysis/Detector.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "analysis/SpanStatistics.h"

namespace analysis {

namespace {

constexpr double kSecondsPerHour = 3600;

bool FiniteNonNegative(double v) { return std::isfinite(v) && v >= 0; }

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

/// Length of the union of spans clipped to [from, to].
double CoveredSeconds(std::vector<TimeSpan> spans, double from, double to) {
  std::sort(spans.begin(), spans.end(), [](const TimeSpan& a, const TimeSpan& b) { return a.from < b.from; });
  double covered = 0;
  double reached = from;
  for (const TimeSpan& s : spans) {
    const double begin = std::max(s.from, reached);
    const double end = std::min(s.to, to);
    if (end > begin) {
      covered += end - begin;
      reached = end;
    }
  }
  return covered;
}

}  // namespace

bool operator==(const DetectorSettings& a, const DetectorSettings& b) {
  return a.threshold == b.threshold && a.inQuietRms == b.inQuietRms && a.pulses == b.pulses &&
         a.windowSeconds == b.windowSeconds && a.blindSeconds == b.blindSeconds && a.alternate == b.alternate &&
         a.singlePulseMultiple == b.singlePulseMultiple && a.warmUpSeconds == b.warmUpSeconds;
}

double ThresholdCounts(const DetectorSettings& settings, double quietRms) {
  return settings.inQuietRms ? settings.threshold * quietRms : settings.threshold;
}

double DetectorEvent::MarginDb() const {
  if (threshold == 0) return std::numeric_limits<double>::infinity();
  return 20 * std::log10(peak / threshold);
}

Detector::Detector(int channel, double thresholdCounts, const DetectorSettings& settings)
    : m_channel(channel), m_threshold(thresholdCounts), m_settings(settings) {
  if (!FiniteNonNegative(thresholdCounts) || settings.pulses < 1 || !FiniteNonNegative(settings.windowSeconds) ||
      !FiniteNonNegative(settings.blindSeconds) || !FiniteNonNegative(settings.singlePulseMultiple) ||
      !FiniteNonNegative(settings.warmUpSeconds)) {
    throw std::invalid_argument(
        "detector: threshold, window, blind time, single-pulse multiple and warm-up must be finite and >= 0, "
        "pulses >= 1");
  }
}

void Detector::Feed(const double* values, const double* times, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    if (!m_lastTime || times[i] - *m_lastTime > kDetectorGapSeconds) m_warmUntil = times[i] + m_settings.warmUpSeconds;
    m_lastTime = times[i];
    const double v = values[i];
    const int side = v > m_threshold ? 1 : (v < -m_threshold ? -1 : 0);
    if (m_current.sign != 0 && side != m_current.sign) EndPulse();
    if (side == 0) continue;
    if (m_current.sign == 0) {
      m_current = {times[i], side, std::fabs(v)};
    } else {
      m_current.peak = std::max(m_current.peak, std::fabs(v));
    }
  }
}

void Detector::EndPulse() {
  const Pulse pulse = m_current;
  m_current = Pulse{};
  if (m_blindUntil && pulse.start < *m_blindUntil) return;
  if (pulse.start < m_warmUntil) return;
  const auto tooOld = [&](const Pulse& p) { return pulse.start - p.start > m_settings.windowSeconds; };
  m_counted.erase(m_counted.begin(), std::find_if_not(m_counted.begin(), m_counted.end(), tooOld));
  if (m_settings.alternate && !m_counted.empty() && m_counted.back().sign == pulse.sign) m_counted.clear();
  m_counted.push_back(pulse);
  if (static_cast<int>(m_counted.size()) >= m_settings.pulses) {
    Fire(m_counted);
    return;
  }
  const double single = m_settings.singlePulseMultiple;
  if (single > 0 && pulse.peak >= single * m_threshold) Fire({pulse});
}

void Detector::Fire(const std::vector<Pulse>& pulses) {
  DetectorEvent event;
  event.time = pulses.back().start;
  event.firstPulseTime = pulses.front().start;
  event.channel = m_channel;
  for (const Pulse& p : pulses) event.peak = std::max(event.peak, p.peak);
  event.threshold = m_threshold;
  event.pulses = static_cast<int>(pulses.size());
  m_events.push_back(event);
  m_counted.clear();
  m_blindUntil = event.time + m_settings.blindSeconds;
}

std::string EventTableCsv(const std::vector<DetectorEvent>& events, const std::vector<UserMark>& marks) {
  struct Line {
    double time;
    std::string text;
  };
  std::vector<Line> lines;
  for (const DetectorEvent& e : events) {
    lines.push_back({e.time, FormatNumber(e.time) + ',' + std::to_string(e.channel) + ",event," + FormatNumber(e.peak) +
                                 ',' + FormatNumber(e.MarginDb()) + ',' + std::to_string(e.pulses) + ",\n"});
  }
  for (const UserMark& m : marks) {
    lines.push_back(
        {m.time, FormatNumber(m.time) + ',' + std::to_string(m.channel) + ",mark,,,," + CsvField(m.label) + '\n'});
  }
  std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.time < b.time; });
  std::string csv = "time_s,channel,kind,peak,margin_db,pulses,label\n";
  for (const Line& line : lines) csv += line.text;
  return csv;
}

double EventsPerHour(size_t events, double durationSeconds) {
  if (!(durationSeconds > 0)) return 0;
  return static_cast<double>(events) * kSecondsPerHour / durationSeconds;
}

std::vector<WhatIfResult> RunWhatIf(const std::vector<ChannelTrace>& channels,
                                    const std::vector<DetectorSettings>& grid, const std::vector<TimeSpan>& walks) {
  double from = std::numeric_limits<double>::infinity();
  double to = -from;
  for (const ChannelTrace& c : channels) {
    if (c.ac.size == 0) continue;
    from = std::min(from, c.ac.times[0]);
    to = std::max(to, c.ac.times[c.ac.size - 1]);
  }
  const double quietSeconds = to > from ? (to - from) - CoveredSeconds(walks, from, to) : 0;
  std::vector<WhatIfResult> results;
  for (const DetectorSettings& settings : grid) {
    WhatIfResult r;
    r.settings = settings;
    std::vector<bool> caught(walks.size(), false);
    for (const ChannelTrace& c : channels) {
      Detector detector(c.channel, ThresholdCounts(settings, c.quietRms), settings);
      detector.Feed(c.ac.values, c.ac.times, c.ac.size);
      for (const DetectorEvent& e : detector.Events()) {
        bool inWalk = false;
        for (size_t w = 0; w < walks.size(); ++w) {
          if (!walks[w].Contains(e.time)) continue;
          caught[w] = true;
          inWalk = true;
        }
        if (!inWalk) ++r.falseEvents;
      }
    }
    r.walksCaught = static_cast<int>(std::count(caught.begin(), caught.end(), true));
    r.walksMissed = static_cast<int>(walks.size()) - r.walksCaught;
    r.quietHours = quietSeconds / kSecondsPerHour;
    r.falsePerQuietHour = EventsPerHour(r.falseEvents, quietSeconds);
    results.push_back(r);
  }
  return results;
}

std::vector<DetectorSettings> SettingsGrid(const DetectorSettings& base, const std::vector<double>& thresholds,
                                           const std::vector<int>& pulseCounts) {
  std::vector<DetectorSettings> grid;
  for (double threshold : thresholds) {
    for (int pulses : pulseCounts) {
      DetectorSettings s = base;
      s.threshold = threshold;
      s.pulses = pulses;
      grid.push_back(s);
    }
  }
  return grid;
}

std::string WhatIfCsv(const std::vector<WhatIfResult>& results) {
  std::string csv =
      "threshold,threshold_unit,pulses,window_s,blind_s,alternate,single_pulse_multiple,warm_up_s,walks_caught,"
      "walks_missed,false_events,quiet_hours,false_per_quiet_hour\n";
  for (const WhatIfResult& r : results) {
    const DetectorSettings& s = r.settings;
    csv += FormatNumber(s.threshold) + (s.inQuietRms ? ",quiet_rms," : ",counts,") + std::to_string(s.pulses) + ',' +
           FormatNumber(s.windowSeconds) + ',' + FormatNumber(s.blindSeconds) + ',' + (s.alternate ? "1" : "0") + ',' +
           FormatNumber(s.singlePulseMultiple) + ',' + FormatNumber(s.warmUpSeconds) + ',' +
           std::to_string(r.walksCaught) + ',' +
           std::to_string(r.walksMissed) + ',' + std::to_string(r.falseEvents) + ',' + FormatNumber(r.quietHours) +
           ',' + FormatNumber(r.falsePerQuietHour) + '\n';
  }
  return csv;
}

}  // namespace analysis
