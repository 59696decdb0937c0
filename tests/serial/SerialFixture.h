#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "serial/MainThreadPoster.h"
#include "serial/Serial5.h"
#include "tests/fixtures/FakeSerialPlatform.h"

// A main-thread poster whose queue the test drains itself: the thread that
// pumps is the "main thread".
class ManualPoster final : public comm::MainThreadPoster {
 public:
  void Post(std::function<void()> fn) override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_queue.push_back(std::move(fn));
    }
    m_posted.notify_all();
  }

  // Runs what is queued, and what that posts, until `done` holds or `limit`
  // has passed; returns the last `done`. With limit 0 it drains the queue once.
  bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      for (std::function<void()> fn; Take(fn);) fn();
      if (done()) return true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::unique_lock<std::mutex> lock(m_mutex);
      m_posted.wait_for(lock, std::chrono::milliseconds(1), [this] { return !m_queue.empty(); });
    }
  }
  void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
  }

  size_t Pending() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.size();
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

// A TSerial over the fake platform with ports 1 and 2 present, a poster the
// test pumps, and message boxes collected instead of shown.
class SerialFixture : public ::testing::Test {
 protected:
  SerialFixture() {
    state->AddPort(1);
    state->AddPort(2);
    Recreate();
  }

  // A fresh component with default settings on the same ports.
  void Recreate() {
    serial = std::make_unique<TSerial>(std::make_unique<comm::FakeSerialPlatform>(state), poster);
    serial->SetMessagePresenter([this](const std::string& text) { messages.push_back(text); });
  }

  // Opens the port and waits until the event thread waits on it.
  void Open() {
    serial->SetActive(true);
    ASSERT_TRUE(serial->Active());
    ASSERT_TRUE(state->WaitForWaiter(std::chrono::seconds(2))) << "the event thread never waited";
  }

  std::shared_ptr<comm::FakeSerialState> state = std::make_shared<comm::FakeSerialState>();
  std::shared_ptr<ManualPoster> poster = std::make_shared<ManualPoster>();
  std::vector<std::string> messages;
  std::unique_ptr<TSerial> serial;
};
