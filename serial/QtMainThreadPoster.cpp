#include <QCoreApplication>
#include <QMetaObject>

#include "serial/MainThreadPoster.h"

namespace comm {
namespace {

class QtMainThreadPoster final : public MainThreadPoster {
 public:
  void Post(std::function<void()> fn) override {
    QCoreApplication* app = QCoreApplication::instance();
    // Without an application there is no main loop to run it; dropping
    // the procedure lets its waiter rely on the stop request instead.
    if (app == nullptr) return;
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
  }
};

}  // namespace

std::shared_ptr<MainThreadPoster> MakeQtMainThreadPoster() { return std::make_shared<QtMainThreadPoster>(); }

}  // namespace comm
