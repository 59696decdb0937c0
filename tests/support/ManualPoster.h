#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

#include "serial/MainThreadPoster.h"
#include "tests/support/Waiting.h"

namespace support {

/// A main-thread poster whose queue the test drains itself: the thread that
/// pumps is the "main thread". Nothing runs unless pumped.
class ManualPoster final : public comm::MainThreadPoster {
 public:
  void Post(std::function<void()> fn) override;

  /// Runs what is queued, and what that posts, until `done` holds or `limit`
  /// has passed; returns the last `done`. The queue is drained before each
  /// test of `done`.
  bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kPatience);
  /// Runs what is posted for `duration`: for checks that nothing more comes.
  void PumpFor(std::chrono::milliseconds duration);

  /// Procedures posted and not yet run.
  size_t Pending();

 private:
  void RunQueued();

  std::mutex m_mutex;
  std::condition_variable m_posted;
  std::deque<std::function<void()>> m_queue;
};

}  // namespace support
