#include "logging/CsvLog.h"

#include <array>
#include <charconv>
#include <utility>

#include "logging/LogFilePlatform.h"

namespace logbook {

namespace {

constexpr std::string_view kSeparator = ", ";
constexpr std::string_view kLineEnd = "\r\n";

template <typename Integer>
void AppendDecimal(std::string& out, Integer value) {
  std::array<char, 24> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  out.append(digits.data(), result.ptr);
}

// Zero-padded to width; a negative value keeps its sign before the zeros.
void AppendPadded(std::string& out, long long value, size_t width) {
  std::array<char, 24> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  std::string_view text(digits.data(), static_cast<size_t>(result.ptr - digits.data()));
  if (!text.empty() && text.front() == '-') {
    out.push_back('-');
    text.remove_prefix(1);
    width = width > 0 ? width - 1 : 0;
  }
  if (text.size() < width) {
    out.append(width - text.size(), '0');
  }
  out.append(text);
}

}  // namespace

Clock SystemClock() {
  return [] { return std::time(nullptr); };
}

std::string LogFileName(const std::tm& local) {
  std::string name;
  name.reserve(24);
  // long long: tm_year + 1900 must not overflow for any tm_year.
  AppendPadded(name, static_cast<long long>(local.tm_year) + 1900, 4);
  name.push_back('-');
  AppendPadded(name, static_cast<long long>(local.tm_mon) + 1, 2);
  name.push_back('-');
  AppendPadded(name, local.tm_mday, 2);
  name.push_back('_');
  AppendPadded(name, local.tm_hour, 2);
  name.push_back('-');
  AppendPadded(name, local.tm_min, 2);
  name.push_back('-');
  AppendPadded(name, local.tm_sec, 2);
  name.append(".csv");
  return name;
}

TimeOfDayText::TimeOfDayText() : TimeOfDayText(SystemClock()) {}

TimeOfDayText::TimeOfDayText(Clock clock) : m_clock(clock ? std::move(clock) : SystemClock()) {}

const std::string& TimeOfDayText::Text(std::time_t t) {
  if (m_hasCache && t == m_cachedTime) {
    return m_text;
  }
  m_text.clear();
  m_hasCache = true;
  m_cachedTime = t;

  std::tm local{};
  if (!LocalCalendarTime(t, local)) {
    return m_text;
  }
  // Long enough for any locale's time format; strftime gives 0 on overflow.
  std::array<char, 128> buffer{};
  const size_t length = std::strftime(buffer.data(), buffer.size(), "%X", &local);
  m_text.assign(buffer.data(), length);
  return m_text;
}

const std::string& TimeOfDayText::Now() { return Text(m_clock()); }

void AppendPiece(std::string& line, std::string_view timeText, int channel, uint16_t sample) {
  line.append(timeText);
  line.append(kSeparator);
  AppendDecimal(line, channel);
  line.append(kSeparator);
  AppendDecimal(line, static_cast<unsigned>(sample));
  line.append(kSeparator);
}

void AppendTemperature(std::string& line, uint8_t temperature) {
  line.append(kSeparator);
  AppendDecimal(line, static_cast<unsigned>(temperature));
}

void AppendSeparator(std::string& line) { line.append(kSeparator); }

void AppendLineEnd(std::string& line) { line.append(kLineEnd); }

}  // namespace logbook
