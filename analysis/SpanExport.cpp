#include "analysis/SpanExport.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "analysis/LogLoader.h"
#include "display/Truncation.h"

namespace analysis {

void WholeSecondsSpan(const LogSession& session, double from, double to, uint64_t& first, uint64_t& end) {
  const TimeLine& times = session.Times();
  first = times.FirstFrameAtOrAfter(from);
  end = times.FirstFrameAtOrAfter(to);
  if (first >= end) {
    first = end = 0;
    return;
  }
  uint64_t unused = 0;
  times.SecondOf(first, first, unused);
  times.SecondOf(end - 1, unused, end);
}

std::string SpanFileName(const LogSession& session, uint64_t frame) {
  // The first frame of a second is placed at its whole second.
  const int64_t second = disp::TruncToInt64(session.Times().FrameTime(frame));
  return LogFileNameAt(session.Times().StartSecond() + second);
}

bool CopySpan(const std::string& logPath, const LogSession& session, uint64_t first, uint64_t end, std::ostream& out,
              std::string& error) {
  if (first >= end) return true;
  uint64_t frame = 0;
  uint64_t offset = 0;
  session.OffsetBefore(first, frame, offset);
  auto file = std::make_shared<std::ifstream>(std::filesystem::u8path(logPath), std::ios::binary);
  if (!*file || !file->seekg(static_cast<std::streamoff>(offset))) {
    error = "cannot read " + logPath + ": " + std::strerror(errno);
    return false;
  }
  // The lines are read again by the same rules that chose the frames, so
  // counting the frames from a known one finds the span's lines.
  LogReader reader([file](char* into, size_t size) -> std::ptrdiff_t {
    file->read(into, static_cast<std::streamsize>(size));
    return file->bad() ? -1 : static_cast<std::ptrdiff_t>(file->gcount());
  });
  LogLoader loader(reader);
  for (; frame < end; ++frame) {
    const auto loaded = loader.Next();
    if (!loaded) {
      error = logPath + " no longer holds the lines of the span";
      return false;
    }
    if (frame >= first) out.write(loaded->line.text.data(), static_cast<std::streamsize>(loaded->line.text.size()));
  }
  if (!out) {
    error = "cannot write the span";
    return false;
  }
  return true;
}

}  // namespace analysis
