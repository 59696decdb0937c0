#include "recorder/RecordStatus.h"

#include <cstdio>
#include <iterator>

#include "logging/LogNotices.h"

namespace rec {

namespace {

constexpr const char* kProgram = "dezidure-record: ";

}  // namespace

std::string LineText(int32_t baud) { return std::to_string(baud) + " baud, 8N1"; }

std::string StartText(const std::string& device, const RecordOptions& options, const std::string& path) {
  std::string text = "recording " + device + " at " + LineText(options.baud) + ", into " + path;
  if (options.rotate) text += ", a new file every " + DurationText(*options.rotate);
  if (options.runFor) text += ", for " + DurationText(*options.runFor);
  return text;
}

std::string StatusText(const RecordCounts& counts, const std::string& fileName, uint64_t fileBytes,
                       const std::string& portState) {
  return (portState.empty() ? std::string() : portState + "; ") + fileName + ", " + SizeText(fileBytes) + ": " +
         logbook::GroupDigits(counts.frames) + " frames, " + logbook::GroupDigits(counts.bytesSkipped) +
         " bytes skipped, " + logbook::GroupDigits(counts.samples) + " samples";
}

std::string SizeText(uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " bytes";
  const char* const units[] = {"KiB", "MiB", "GiB", "TiB"};
  double size = static_cast<double>(bytes) / 1024;
  size_t unit = 0;
  for (; size >= 1024 && unit + 1 < std::size(units); ++unit) size /= 1024;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", size, units[unit]);
  return text;
}

std::string EndText(const std::string& how, const RecordCounts& counts, const std::string& path, uint64_t lines) {
  return how + "; " + logbook::GroupDigits(counts.frames) + (counts.frames == 1 ? " frame" : " frames") + " read; " +
         path + " holds " + logbook::GroupDigits(lines) + (lines == 1 ? " line" : " lines");
}

StatusLine::StatusLine(Write write, std::function<int()> columns)
    : m_write(std::move(write)), m_columns(std::move(columns)) {}

void StatusLine::Note(const std::string& text) {
  const std::string line = kProgram + text;
  if (m_shown == 0) {
    m_write(line + "\n");
    return;
  }
  // Blanks over the rest of the status, so no piece of it stays behind the note.
  const size_t pad = m_shown > line.size() ? m_shown - line.size() : 0;
  m_write("\r" + line + std::string(pad, ' ') + "\n");
  m_shown = 0;
}

void StatusLine::Status(const std::string& text) {
  const int columns = m_columns ? m_columns() : 0;
  if (columns <= 0) {
    m_write(kProgram + text + "\n");
    return;
  }
  std::string line = text;
  // The last column stays free: a line that fills it wraps on some terminals.
  const auto room = static_cast<size_t>(columns - 1);
  if (line.size() > room) line.resize(room);
  const size_t pad = m_shown > line.size() ? m_shown - line.size() : 0;
  m_write("\r" + line + std::string(pad, ' '));
  m_shown = line.size();
}

void StatusLine::Close() {
  if (m_shown == 0) return;
  m_write("\n");
  m_shown = 0;
}

}  // namespace rec
