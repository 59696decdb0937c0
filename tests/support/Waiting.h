#pragma once

#include <chrono>
#include <functional>

namespace support {

/// How long a test waits for what a healthy run does within milliseconds.
/// Only a hang comes near it, even on a machine loaded many times over, and
/// it still reports the hang well within a test's time limit.
constexpr std::chrono::milliseconds kPatience{20000};

/// Tests `done`, then runs `step` and tests again, until `done` holds or
/// `limit` has passed; returns the last result of `done`. The default step
/// sleeps for a millisecond.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kPatience,
               const std::function<void()>& step = {});

/// Runs the Qt event loop until `done` holds (tested every 5 ms) or `limit`
/// has passed; returns the last result of `done`.
bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kPatience);

/// Runs the Qt event loop for `duration`, sleeping while there is nothing to
/// do. Meant for measuring over a span and for checking that nothing happens;
/// to wait for something to happen, use RunEventsUntil.
void RunEventsFor(std::chrono::milliseconds duration);

}  // namespace support
