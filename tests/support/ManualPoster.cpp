#include "tests/support/ManualPoster.h"

namespace support {

void ManualPoster::Post(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.push_back(std::move(fn));
  }
  m_posted.notify_all();
}

bool ManualPoster::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto drainedAndDone = [&] {
    RunQueued();
    return done();
  };
  const auto awaitPost = [this] {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_posted.wait_for(lock, std::chrono::milliseconds(1), [this] { return !m_queue.empty(); });
  };
  return WaitUntil(drainedAndDone, limit, awaitPost);
}

void ManualPoster::PumpFor(std::chrono::milliseconds duration) {
  PumpUntil([] { return false; }, duration);
}

size_t ManualPoster::Pending() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_queue.size();
}

void ManualPoster::RunQueued() {
  for (;;) {
    std::function<void()> fn;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_queue.empty()) return;
      fn = std::move(m_queue.front());
      m_queue.pop_front();
    }
    fn();
  }
}

}  // namespace support
