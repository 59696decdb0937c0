#include "analysis/ReportOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <vector>

#include "analysis/SpanStatistics.h"

namespace analysis {

namespace {

constexpr int kMaxPulses = 100;
constexpr const char* kRmsSuffix = "xrms";

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (;;) {
    const size_t at = text.find(separator, from);
    parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) return parts;
    from = at + 1;
  }
}

/// A plain non-negative decimal number (digits with an optional fraction);
/// no sign, exponent, hex, infinity or NaN, which strtod would also take.
std::optional<double> ParseDecimal(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
  if (text == "." || text.find('.') != text.rfind('.')) return std::nullopt;
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

/// Seconds of "S", "M:SS" or "H:MM:SS" (the last field may have a fraction,
/// the others are whole; minutes and seconds after a colon stay below 60).
std::optional<double> ParseTime(const std::string& text) {
  const std::vector<std::string> fields = Split(text, ':');
  if (fields.size() > 3) return std::nullopt;
  double seconds = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    const bool last = i + 1 == fields.size();
    if (!last && fields[i].find('.') != std::string::npos) return std::nullopt;
    const auto value = ParseDecimal(fields[i]);
    if (!value || (i > 0 && *value >= 60)) return std::nullopt;
    seconds = seconds * 60 + *value;
  }
  return seconds;
}

std::optional<int> ParseInt(const std::string& text) {
  int value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

bool ParseThreshold(const std::string& value, DetectorSettings& settings) {
  const size_t suffix = std::string(kRmsSuffix).size();
  const bool inRms = value.size() > suffix && value.compare(value.size() - suffix, suffix, kRmsSuffix) == 0;
  const auto number = ParseDecimal(inRms ? value.substr(0, value.size() - suffix) : value);
  if (!number || !(*number > 0)) return false;
  settings.threshold = *number;
  settings.inQuietRms = inRms;
  return true;
}

bool ParseSetting(const std::string& key, const std::string& value, DetectorSettings& settings) {
  if (key == "threshold") return ParseThreshold(value, settings);
  if (key == "pulses") {
    const auto n = ParseInt(value);
    if (!n || *n < 1 || *n > kMaxPulses) return false;
    settings.pulses = *n;
    return true;
  }
  if (key == "window" || key == "blind" || key == "warmup") {
    const auto seconds = ParseDecimal(value);
    if (!seconds) return false;
    (key == "window" ? settings.windowSeconds : key == "blind" ? settings.blindSeconds : settings.warmUpSeconds) =
        *seconds;
    return true;
  }
  if (key == "single") {
    // Below 1 x T every pulse would qualify: that is N = 1, not this rule.
    const auto multiple = ParseDecimal(value);
    if (!multiple || (*multiple != 0 && *multiple < 1)) return false;
    settings.singlePulseMultiple = *multiple;
    return true;
  }
  if (value != "0" && value != "1") return false;
  settings.alternate = value == "1";
  return true;
}

}  // namespace

std::optional<TimeSpan> ParseSpan(const std::string& text, std::string& error) {
  const std::vector<std::string> ends = Split(text, '-');
  std::optional<double> from;
  std::optional<double> to;
  if (ends.size() == 2) {
    from = ParseTime(ends[0]);
    to = ParseTime(ends[1]);
  }
  if (!from || !to) {
    error = "'" + text + "' is not a span FROM-TO (seconds, M:SS or H:MM:SS)";
    return std::nullopt;
  }
  if (*from > *to) {
    error = "span '" + text + "' ends before it starts";
    return std::nullopt;
  }
  return TimeSpan{*from, *to};
}

std::optional<DetectorSettings> ParseDetectorSettings(const std::string& text, std::string& error) {
  static const std::set<std::string> kKeys = {"threshold", "pulses",    "window", "blind",
                                                "alternate", "single", "warmup"};
  DetectorSettings settings;
  std::set<std::string> seen;
  for (const std::string& item : Split(text, ',')) {
    const size_t equals = item.find('=');
    const std::string key = item.substr(0, equals);
    if (equals == std::string::npos || kKeys.count(key) == 0) {
      error = "'" + item + "' is not one of threshold=, pulses=, window=, blind=, alternate=, single=, warmup=";
      return std::nullopt;
    }
    if (!seen.insert(key).second) {
      error = "detector setting '" + key + "' given twice";
      return std::nullopt;
    }
    if (!ParseSetting(key, item.substr(equals + 1), settings)) {
      error = "bad value in '" + item + "'";
      return std::nullopt;
    }
  }
  return settings;
}

std::string FormatSpan(const TimeSpan& span) {
  auto seconds = [](double t) {
    char text[64];
    // Beyond a million years no log reaches; the clamp keeps the digits within the buffer.
    const double shown = std::isfinite(t) && t > 0 ? std::min(t, 1e13) : 0;
    const auto result = std::to_chars(text, text + sizeof text, shown, std::chars_format::fixed, 6);
    std::string s(text, result.ptr);
    // Trailing zeros say nothing; "12.500000" reads as "12.5", "3.000000" as "3".
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
  };
  return seconds(span.from) + "-" + seconds(std::max(span.from, span.to));
}

std::string FormatDetectorSettings(const DetectorSettings& s) {
  return "threshold=" + FormatNumber(s.threshold) + (s.inQuietRms ? kRmsSuffix : "") +
         ",pulses=" + std::to_string(s.pulses) + ",window=" + FormatNumber(s.windowSeconds) +
         ",blind=" + FormatNumber(s.blindSeconds) + ",alternate=" + (s.alternate ? "1" : "0") +
         ",single=" + FormatNumber(s.singlePulseMultiple) + ",warmup=" + FormatNumber(s.warmUpSeconds);
}

}  // namespace analysis
