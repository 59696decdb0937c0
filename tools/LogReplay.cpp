#include "tools/LogReplay.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "acquisition/FrameFormat.h"
#include "tools/FrameEncoding.h"

namespace sim {

namespace {

constexpr std::string_view kSeparator = ", ";
constexpr size_t kMaxFields = 5 * acq::kMaxChannels;

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

/// The line's fields between separators; nothing when there are more than a
/// line can hold.
std::optional<std::vector<std::string_view>> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  while (true) {
    if (fields.size() == kMaxFields) return std::nullopt;
    const size_t separator = line.find(kSeparator);
    fields.push_back(line.substr(0, separator));
    if (separator == std::string_view::npos) return fields;
    line.remove_prefix(separator + kSeparator.size());
  }
}

/// The frame when the fields follow the layout with or without temperatures:
/// per channel the time (any text), the channel number, the sample, an empty
/// field and, with temperatures, the temperature.
std::optional<FrameValues> Assemble(const std::vector<std::string_view>& fields, bool temperatures) {
  const size_t perChannel = temperatures ? 5 : 4;
  const size_t channels = fields.size() / perChannel;
  if (fields.size() % perChannel != 0 || channels < acq::kMinChannels || channels > acq::kMaxChannels)
    return std::nullopt;
  FrameValues frame;
  for (size_t k = 0; k < channels; ++k) {
    const size_t at = k * perChannel;
    if (ParseDecimal(fields[at + 1], acq::kMaxChannels) != k + 1 || !fields[at + 3].empty()) return std::nullopt;
    const auto sample = ParseDecimal(fields[at + 2], 65535);
    if (!sample) return std::nullopt;
    frame.samples.push_back(static_cast<uint16_t>(*sample));
    if (!temperatures) continue;
    const auto temperature = ParseDecimal(fields[at + 4], 255);
    if (!temperature) return std::nullopt;
    frame.temperatures.push_back(static_cast<uint8_t>(*temperature));
  }
  return frame;
}

}  // namespace

std::optional<FrameValues> ParseLogLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() > kMaxLogLineLength) return std::nullopt;
  const auto fields = SplitFields(line);
  if (!fields) return std::nullopt;
  // Both layouts fit the same fields only if time texts read as small
  // numbers, which no time format writes; the one with temperatures is tried first.
  if (auto frame = Assemble(*fields, true)) return frame;
  return Assemble(*fields, false);
}

bool LogReplay::Open(const std::string& path, std::string& error) {
  m_file.open(path, std::ios::binary);
  if (!m_file) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

std::optional<FrameValues> LogReplay::Next() {
  while (ReadLine()) {
    ++m_lines;
    if (!m_overlong && !m_unfinished) {
      if (auto frame = ParseLogLine(m_line)) return frame;
    }
    CountMalformed();
  }
  return std::nullopt;
}

void LogReplay::CountMalformed() {
  ++m_malformed;
  if (m_firstMalformed == 0) m_firstMalformed = m_lines;
}

bool LogReplay::ReadLine() {
  m_line.clear();
  m_overlong = false;
  m_unfinished = false;
  bool any = false;
  while (true) {
    if (m_chunkRead == m_chunkUsed && !Refill()) {
      m_unfinished = any;
      return any;
    }
    any = true;
    const char* begin = m_chunk.data() + m_chunkRead;
    const size_t available = m_chunkUsed - m_chunkRead;
    const auto* end = static_cast<const char*>(std::memchr(begin, '\n', available));
    const size_t take = end ? static_cast<size_t>(end - begin) : available;
    // A line longer than any log line is not kept whole: it can only be skipped.
    // Its CR does not count, as ParseLogLine drops it before measuring.
    if (m_line.size() + take > kMaxLogLineLength + 1) {
      m_overlong = true;
    } else {
      m_line.append(begin, take);
    }
    m_chunkRead += take + (end ? 1 : 0);
    if (end) return true;
  }
}

bool LogReplay::Refill() {
  if (!m_file.is_open() || m_file.eof() || m_readError) return false;
  m_file.read(m_chunk.data(), static_cast<std::streamsize>(m_chunk.size()));
  m_chunkUsed = static_cast<size_t>(m_file.gcount());
  m_chunkRead = 0;
  if (m_file.bad()) m_readError = true;
  return m_chunkUsed > 0;
}

FrameSource ReplayedFrames(LogReplay& replay) {
  auto emission = std::make_shared<Emission>();
  return [&replay, emission]() -> const Emission* {
    auto frame = replay.Next();
    if (!frame) return nullptr;
    emission->frame = std::move(*frame);
    const auto& values = emission->frame;
    emission->bytes.clear();
    AppendFrame(emission->bytes, values.samples, values.temperatures.empty() ? nullptr : &values.temperatures);
    return emission.get();
  };
}

}  // namespace sim
