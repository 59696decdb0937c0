#include "analysis/LogLoader.h"

#include "analysis/LogTime.h"

namespace analysis {

std::optional<LoadedFrame> LogLoader::Next() {
  while (auto line = m_reader.Next()) {
    const LogFrame& frame = line->frame;
    // Consecutive lines mostly share their time text: it is read once.
    if (m_lastSecond < 0 || frame.timeText != m_lastTimeText) {
      const auto second = ParseTimeOfDay(frame.timeText);
      m_lastTimeText.assign(frame.timeText);
      m_lastSecond = second ? *second : -1;
    }
    const bool fits = m_frames == 0 || (frame.channels == m_channels && frame.hasTemperatures == m_hasTemperatures);
    if (m_lastSecond < 0 || !fits) {
      ++m_rejected;
      continue;
    }
    if (m_frames == 0) {
      m_channels = frame.channels;
      m_hasTemperatures = frame.hasTemperatures;
    }
    ++m_frames;
    return LoadedFrame{*line, m_lastSecond};
  }
  return std::nullopt;
}

bool ReadWholeLog(const std::string& path, LogSession& session, uint64_t& skipped, std::string& error) {
  LogReader reader;
  if (!reader.Open(path, error)) return false;
  LogLoader loader(reader);
  while (auto frame = loader.Next()) session.Append(frame->line.frame, frame->secondOfDay, frame->line.offset);
  reader.Finish();
  skipped = loader.Skipped();
  if (reader.ReadError()) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

}  // namespace analysis
