#include "review/LogFollower.h"

#include <chrono>
#include <filesystem>
#include <vector>

#include "analysis/LogLoader.h"

namespace review {

namespace {

/// Frames parsed between two takings of the lock: small enough that the
/// window never waits long, large enough that locking costs nothing.
constexpr size_t kBatchFrames = 4096;

/// A parsed frame waiting to be added to the session.
struct PendingFrame {
  analysis::LogFrame frame;
  int32_t secondOfDay;
  uint64_t offset;
};

}  // namespace

LogFollower::LogFollower(const std::string& path) : m_path(path), m_session(analysis::ParseLogFileName(path)) {
  m_opened = m_reader.Open(path, m_error);
  if (!m_opened) return;
  std::error_code ignored;
  const auto size = std::filesystem::file_size(std::filesystem::u8path(path), ignored);
  m_progress.bytesAtOpen = ignored ? 0 : size;
  m_thread = std::thread([this] { Run(); });
}

LogFollower::~LogFollower() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

LoadProgress LogFollower::Progress() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_progress;
}

void LogFollower::Run() {
  analysis::LogLoader loader(m_reader);
  std::vector<PendingFrame> batch;
  batch.reserve(kBatchFrames);
  while (true) {
    batch.clear();
    while (batch.size() < kBatchFrames) {
      const auto loaded = loader.Next();
      if (!loaded) break;
      batch.push_back({loaded->line.frame, loaded->secondOfDay, loaded->line.offset});
    }
    const bool drained = batch.size() < kBatchFrames;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (const PendingFrame& pending : batch) m_session.Append(pending.frame, pending.secondOfDay, pending.offset);
    m_progress.frames = m_session.Frames();
    m_progress.skipped = loader.Skipped();
    m_progress.bytesRead = m_reader.Consumed();
    m_progress.readError = m_reader.ReadError();
    if (drained && !m_progress.caughtUp) {
      m_progress.caughtUp = true;
      // Whole lines and not one log line among them, or a first line longer
      // than any log line: a file of something else.
      m_progress.notALog = m_session.Frames() == 0 && (m_reader.Lines() > 0 || m_reader.Consumed() > 0);
    }
    if (m_stop || m_progress.notALog || m_progress.readError) return;
    if (drained) m_wake.wait_for(lock, std::chrono::milliseconds(kPollMilliseconds), [this] { return m_stop; });
    if (m_stop) return;
  }
}

}  // namespace review
