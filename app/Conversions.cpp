#include "app/Conversions.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace app {

namespace {

bool ParseInt(std::string_view text, int32_t& value) {
  size_t start = 0;
  while (start < text.size() && text[start] == ' ') ++start;
  std::string_view digits = text.substr(start);
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty()) return false;
  const char* end = digits.data() + digits.size();
  const auto result = std::from_chars(digits.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

}  // namespace

ListIndexError::ListIndexError(int index)
    : std::runtime_error("List index out of bounds (" + std::to_string(index) + ")") {}

int32_t StrToInt(std::string_view text) {
  int32_t value = 0;
  if (!ParseInt(text, value)) {
    throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
  }
  return value;
}

double StrToFloat(std::string_view text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end) {
    throw ConvertError("'" + std::string(text) + "' is not a valid floating point value");
  }
  return value;
}

std::string FormatGeneral(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  return buffer;
}

int32_t SpinValue(std::string_view text, int32_t minimum) {
  int32_t value = 0;
  return ParseInt(text, value) ? value : minimum;
}

std::string FailureReportText(std::string text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

void CountUp(int32_t& counter) {
  if (counter < std::numeric_limits<int32_t>::max()) ++counter;
}

}  // namespace app
