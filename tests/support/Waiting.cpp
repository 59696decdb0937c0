#include "tests/support/Waiting.h"

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

}  // namespace support
