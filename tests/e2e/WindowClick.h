#pragma once

#include <sys/types.h>

#include <string>

namespace e2e {

/// Clicks the program's window, found on X display `display` by the program's
/// process id, `x` pixels right of its left edge and `up` pixels above its
/// bottom edge, as a user would (xdotool). False when no window was found or
/// the click failed.
bool ClickWindow(const std::string& display, pid_t program, int x, int up);

}  // namespace e2e
