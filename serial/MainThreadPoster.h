#pragma once

#include <functional>
#include <memory>

namespace comm {

// Runs procedures on the program's main thread. Post may be called from any
// thread and returns at once; the procedure runs later, in posting order. A
// procedure that can no longer run (no event loop) is destroyed unrun.
class MainThreadPoster {
 public:
  virtual ~MainThreadPoster() = default;
  virtual void Post(std::function<void()> fn) = 0;
};

// Posts through the Qt event loop of the QCoreApplication instance.
std::shared_ptr<MainThreadPoster> MakeQtMainThreadPoster();

}  // namespace comm
