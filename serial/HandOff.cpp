#include "serial/HandOff.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace comm {

struct HandOff::State {
  std::mutex mutex;
  std::condition_variable changed;
  bool stop = false;
  uint64_t posted = 0;
  uint64_t started = 0;
  uint64_t handled = 0;
  uint64_t abandoned = 0;  // tasks up to this one run only if already started
};

HandOff::HandOff(std::shared_ptr<MainThreadPoster> poster)
    : m_state(std::make_shared<State>()), m_poster(std::move(poster)) {}

bool HandOff::Run(std::function<void()> task) {
  uint64_t id = 0;
  {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (m_state->stop) return false;
    id = ++m_state->posted;
  }
  // Marks the task handled when the closure leaves, however it leaves.
  struct HandledMark {
    std::shared_ptr<State> state;
    uint64_t id;
    ~HandledMark() {
      {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->handled = std::max(state->handled, id);
      }
      state->changed.notify_all();
    }
  };
  std::shared_ptr<State> state = m_state;
  m_poster->Post([state, id, task = std::move(task)] {
    HandledMark mark{state, id};
    {
      std::lock_guard<std::mutex> lock(state->mutex);
      // After a stop the owner may be gone; the task must not run.
      if (state->stop || state->abandoned >= id) return;
      state->started = id;
    }
    task();
  });
  std::unique_lock<std::mutex> lock(m_state->mutex);
  m_state->changed.wait(lock, [&] {
    return m_state->stop || m_state->handled >= id || (m_state->abandoned >= id && m_state->started < id);
  });
  return !m_state->stop && m_state->started >= id;
}

void HandOff::AbandonPending() {
  {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->abandoned = m_state->posted;
  }
  m_state->changed.notify_all();
}

bool HandOff::SleepFor(std::chrono::milliseconds duration, const std::function<bool()>& wake) {
  std::unique_lock<std::mutex> lock(m_state->mutex);
  m_state->changed.wait_for(lock, duration, [&] { return m_state->stop || wake(); });
  return !m_state->stop;
}

bool HandOff::SleepUntil(const std::function<bool()>& wake) {
  std::unique_lock<std::mutex> lock(m_state->mutex);
  m_state->changed.wait(lock, [&] { return m_state->stop || wake(); });
  return !m_state->stop;
}

bool HandOff::StopRequested() const {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  return m_state->stop;
}

void HandOff::Notify() {
  // Taking the lock orders the caller's state change before any waiter's
  // next test of it, so the notification cannot fall between test and wait.
  { std::lock_guard<std::mutex> lock(m_state->mutex); }
  m_state->changed.notify_all();
}

bool HandOff::WaitFor(std::chrono::milliseconds limit, const std::function<bool()>& done) {
  std::unique_lock<std::mutex> lock(m_state->mutex);
  return m_state->changed.wait_for(lock, limit, done);
}

void HandOff::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->stop = true;
  }
  m_state->changed.notify_all();
}

}  // namespace comm
