#include "recorder/RecordStatus.h"

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
  std::string text = logbook::GroupDigits(counts.frames) + " frames, " + logbook::GroupDigits(counts.samples) +
                     " samples, " + logbook::GroupDigits(counts.bytesSkipped) + " bytes skipped; " + fileName + ", " +
                     logbook::GroupDigits(fileBytes) + " bytes";
  if (!portState.empty()) text += "; " + portState;
  return text;
}

std::string EndText(const std::string& how, const RecordCounts& counts, const std::string& path, uint64_t lines) {
  return how + " after " + logbook::GroupDigits(counts.frames) + (counts.frames == 1 ? " frame; " : " frames; ") +
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
  std::string line = kProgram + text;
  const int columns = m_columns ? m_columns() : 0;
  if (columns <= 0) {
    m_write(line + "\n");
    return;
  }
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
