#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "serial/MainThreadPoster.h"

namespace comm {

// The link between a worker thread and the main thread: synchronous hand-off
// of procedures to the main thread, a stop request, an interruptible sleep,
// and a bounded wait of the owner for the worker's state.
//
// A handed-off procedure runs only while no stop has been requested, so the
// owner can request the stop and then go away even while a procedure is still
// queued: the queued closure keeps only this link's shared state alive.
class HandOff {
 public:
  explicit HandOff(std::shared_ptr<MainThreadPoster> poster);

  // Worker side. Posts `task` to the main thread and blocks until it has
  // run, it was abandoned, or a stop is requested. Returns true only when it
  // has run; a task that has not started when abandoned or stopped never
  // runs. A task that throws still counts as run.
  bool Run(std::function<void()> task);

  // Worker side. Blocks for `duration`, or until `wake` returns true after a
  // Notify, or until a stop. `wake` is tested with the link's lock held.
  // Returns false when stopped.
  bool SleepFor(std::chrono::milliseconds duration, const std::function<bool()>& wake);

  // Worker side. Blocks until `wake` returns true after a Notify, or until
  // a stop; costs nothing meanwhile. Returns false when stopped.
  bool SleepUntil(const std::function<bool()>& wake);

  bool StopRequested() const;

  // Either side, after changing state that the other side waits on.
  void Notify();

  // Owner side. Blocks until `done` returns true (tested at each Notify) or
  // `limit` has passed. Returns the last result of `done`.
  bool WaitFor(std::chrono::milliseconds limit, const std::function<bool()>& done);

  // Owner side. Abandons the posted task unless it has already started.
  void AbandonPending();

  // Owner side. Requests the stop and wakes the worker wherever it waits.
  void Stop();

 private:
  struct State;
  std::shared_ptr<State> m_state;
  std::shared_ptr<MainThreadPoster> m_poster;
};

}  // namespace comm
