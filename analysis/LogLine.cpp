#include "analysis/LogLine.h"

namespace analysis {

namespace {

constexpr std::string_view kSeparator = ", ";
constexpr size_t kMaxFields = 5 * kMaxLogChannels;

/// One field of a line: plain bytes, so that splitting a line initialises nothing it does not fill.
struct Field {
  const char* data;
  size_t size;
};

/// Fields of a line between separators.
struct Fields {
  Field text[kMaxFields];
  size_t count = 0;
};

/// Plain decimal up to `max`: digits only, no sign, no leading zero; -1 for anything else.
inline int32_t ParseDecimal(Field field, int32_t max) {
  if (field.size == 0 || field.size > 5 || (field.size > 1 && field.data[0] == '0')) return -1;
  int32_t value = 0;
  for (size_t i = 0; i < field.size; ++i) {
    const char c = field.data[i];
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value <= max ? value : -1;
}

/// The line's fields; false when there are more than a line can hold.
/// One pass over the bytes: this runs for every line of logs of a gigabyte.
bool SplitFields(std::string_view line, Fields& fields) {
  const char* const data = line.data();
  const size_t size = line.size();
  size_t start = 0;
  for (size_t i = 0; i + 1 < size; ++i) {
    if (data[i] != kSeparator[0] || data[i + 1] != kSeparator[1]) continue;
    if (fields.count + 1 == kMaxFields) return false;
    fields.text[fields.count++] = Field{data + start, i - start};
    start = i + 2;
    ++i;
  }
  fields.text[fields.count++] = Field{data + start, size - start};
  return true;
}

/// The frame when the fields follow the layout with or without temperatures:
/// per channel the time (any text), the channel number, the sample, an empty
/// field and, with temperatures, the temperature. False for any other fields.
bool Assemble(const Fields& fields, bool temperatures, LogFrame& frame) {
  const size_t perChannel = temperatures ? 5 : 4;
  const size_t channels = fields.count / perChannel;
  if (fields.count % perChannel != 0 || channels < 1 || channels > kMaxLogChannels) return false;
  frame = LogFrame{};
  frame.channels = static_cast<uint8_t>(channels);
  frame.hasTemperatures = temperatures;
  frame.timeText = std::string_view(fields.text[0].data, fields.text[0].size);
  for (size_t k = 0; k < channels; ++k) {
    const Field* piece = fields.text + k * perChannel;
    if (ParseDecimal(piece[1], kMaxLogChannels) != static_cast<int32_t>(k + 1) || piece[3].size != 0) return false;
    const int32_t sample = ParseDecimal(piece[2], 65535);
    if (sample < 0) return false;
    frame.samples[k] = static_cast<uint16_t>(sample);
    if (!temperatures) continue;
    const int32_t temperature = ParseDecimal(piece[4], 255);
    if (temperature < 0) return false;
    frame.temperatures[k] = static_cast<uint8_t>(temperature);
  }
  return true;
}

}  // namespace

std::optional<LogFrame> ParseLogLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() > kMaxLogLineLength) return std::nullopt;
  Fields fields;
  if (!SplitFields(line, fields)) return std::nullopt;
  // Both layouts fit the same fields only if time texts read as small
  // numbers, which no time format writes; the one with temperatures is tried first.
  LogFrame frame;
  if (Assemble(fields, true, frame) || Assemble(fields, false, frame)) return frame;
  return std::nullopt;
}

}  // namespace analysis
