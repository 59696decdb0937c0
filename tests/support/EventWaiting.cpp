#include <QEventLoop>
#include <QTimer>

#include "tests/support/Waiting.h"

namespace support {

bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  return WaitUntil(done, limit, [] { RunEventsFor(std::chrono::milliseconds(5)); });
}

void RunEventsFor(std::chrono::milliseconds duration) {
  QEventLoop loop;
  QTimer::singleShot(duration, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace support
