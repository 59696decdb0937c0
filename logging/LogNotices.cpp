#include "logging/LogNotices.h"

namespace logbook {

namespace {

void AppendTwoDigits(std::string& out, int64_t value) {
  out.push_back(static_cast<char>('0' + value / 10));
  out.push_back(static_cast<char>('0' + value % 10));
}

}  // namespace

std::string GroupDigits(uint64_t value) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped.push_back(',');
    grouped.push_back(digits[i]);
  }
  return grouped;
}

std::string TimeLeftText(int64_t milliseconds) {
  // Whole seconds, rounded up, computed so that no value can overflow.
  const int64_t seconds = milliseconds <= 0 ? 0 : milliseconds / 1000 + (milliseconds % 1000 != 0 ? 1 : 0);
  const int64_t hours = seconds / 3600;
  const int64_t minutes = seconds / 60 % 60;
  std::string text;
  if (hours > 0) {
    text = std::to_string(hours) + ':';
    AppendTwoDigits(text, minutes);
  } else {
    text = std::to_string(minutes);
  }
  text.push_back(':');
  AppendTwoDigits(text, seconds % 60);
  return text;
}

std::string LogRunningText(const std::string& fileName, int64_t millisecondsLeft) {
  return "Logging to " + fileName + ", " + TimeLeftText(millisecondsLeft) + " left";
}

std::string LogStoppedText(const std::string& fileName, uint64_t lines, const std::string& reason) {
  return fileName + " stopped after " + GroupDigits(lines) + (lines == 1 ? " line: " : " lines: ") + reason;
}

}  // namespace logbook
