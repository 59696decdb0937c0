#include "tests/support/Waiting.h"

#include <QEventLoop>
#include <QTimer>
#include <thread>

namespace support {

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit, const std::function<void()>& step) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    if (step) {
      step();
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  return true;
}

bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  return WaitUntil(done, limit, [] { RunEventsFor(std::chrono::milliseconds(5)); });
}

void RunEventsFor(std::chrono::milliseconds duration) {
  QEventLoop loop;
  QTimer::singleShot(duration, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace support
