#include "analysis/LogLine.h"

namespace analysis {

namespace {

constexpr std::string_view kSeparator = ", ";
constexpr size_t kMaxFields = 5 * kMaxLogChannels;

/// Fields of a line between separators.
struct Fields {
  std::array<std::string_view, kMaxFields> text;
  size_t count = 0;
};

/// Plain decimal up to `max`: digits only, no sign, no leading zero.
std::optional<unsigned> ParseDecimal(std::string_view text, unsigned max) {
  if (text.empty() || text.size() > 5 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  unsigned value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > max) return std::nullopt;
  return value;
}

/// The line's fields; false when there are more than a line can hold.
bool SplitFields(std::string_view line, Fields& fields) {
  while (true) {
    if (fields.count == kMaxFields) return false;
    const size_t separator = line.find(kSeparator);
    fields.text[fields.count++] = line.substr(0, separator);
    if (separator == std::string_view::npos) return true;
    line.remove_prefix(separator + kSeparator.size());
  }
}

/// The frame when the fields follow the layout with or without temperatures:
/// per channel the time (any text), the channel number, the sample, an empty
/// field and, with temperatures, the temperature.
std::optional<LogFrame> Assemble(const Fields& fields, bool temperatures) {
  const size_t perChannel = temperatures ? 5 : 4;
  const size_t channels = fields.count / perChannel;
  if (fields.count % perChannel != 0 || channels < 1 || channels > kMaxLogChannels) return std::nullopt;
  LogFrame frame;
  frame.channels = static_cast<uint8_t>(channels);
  frame.hasTemperatures = temperatures;
  frame.timeText = fields.text[0];
  for (size_t k = 0; k < channels; ++k) {
    const size_t at = k * perChannel;
    if (ParseDecimal(fields.text[at + 1], kMaxLogChannels) != k + 1 || !fields.text[at + 3].empty())
      return std::nullopt;
    const auto sample = ParseDecimal(fields.text[at + 2], 65535);
    if (!sample) return std::nullopt;
    frame.samples[k] = static_cast<uint16_t>(*sample);
    if (!temperatures) continue;
    const auto temperature = ParseDecimal(fields.text[at + 4], 255);
    if (!temperature) return std::nullopt;
    frame.temperatures[k] = static_cast<uint8_t>(*temperature);
  }
  return frame;
}

}  // namespace

std::optional<LogFrame> ParseLogLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() > kMaxLogLineLength) return std::nullopt;
  Fields fields;
  if (!SplitFields(line, fields)) return std::nullopt;
  // Both layouts fit the same fields only if time texts read as small
  // numbers, which no time format writes; the one with temperatures is tried first.
  if (auto frame = Assemble(fields, true)) return frame;
  return Assemble(fields, false);
}

}  // namespace analysis
