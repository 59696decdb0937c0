#pragma once

#include <sys/types.h>

#include <string>

namespace e2e {

/// Clicks the program's window, found on X display `display` by the program's
/// process id, `x` pixels right of its left edge and `up` pixels above its
/// bottom edge, as a user would (xdotool). False when no window was found or
/// the click failed.
bool ClickWindow(const std::string& display, pid_t program, int x, int up);

/// Types `keys` (xdotool's names, such as "ctrl+shift+c") on X display
/// `display`, to the window with the keyboard focus (on a display without a
/// window manager: the one under the pointer). False when xdotool failed.
bool PressKeys(const std::string& display, const std::string& keys);

}  // namespace e2e
