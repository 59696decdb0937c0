#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

#include "serial/MainThreadPoster.h"

namespace comm {

// A main-thread poster whose queue the test drains itself: the thread that
// pumps is the "main thread".
class ManualPoster final : public MainThreadPoster {
 public:
  void Post(std::function<void()> fn) override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_queue.push_back(std::move(fn));
    }
    m_posted.notify_all();
  }

  // Runs what is queued now and what those procedures post; returns how many ran.
  int Pump() {
    int ran = 0;
    for (std::function<void()> fn; Take(fn); ++ran) fn();
    return ran;
  }

  // Pumps until `done` holds or `limit` has passed; returns the last `done`.
  // `done` is tested after each procedure and at least every millisecond.
  bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      Pump();
      if (done()) return true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::unique_lock<std::mutex> lock(m_mutex);
      m_posted.wait_for(lock, std::chrono::milliseconds(1), [this] { return !m_queue.empty(); });
    }
  }

  // Procedures posted and not yet run.
  size_t Pending() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.size();
  }

  // Pumps for `duration`, so that anything due in that time has run.
  void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
  }

 private:
  bool Take(std::function<void()>& fn) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_queue.empty()) return false;
    fn = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
  }

  std::mutex m_mutex;
  std::condition_variable m_posted;
  std::deque<std::function<void()>> m_queue;
};

}  // namespace comm
