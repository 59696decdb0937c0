#pragma once

#include <sys/types.h>

#include <string>

namespace e2e {

/// Clicks the program's window, found on X display `display` by the program's
/// process id, `x` pixels right of its left edge and `up` pixels above its
/// bottom edge, as a user would (xdotool). False when no window was found or
/// the click failed.
bool ClickWindow(const std::string& display, pid_t program, int x, int up);

/// Gives the keyboard to the shown window whose title contains `title` on X
/// display `display` and types `keys` there (xdotool's names, such as
/// "ctrl+shift+c"), as a user would. False when no window was found or
/// xdotool failed.
bool PressKeys(const std::string& display, const std::string& title, const std::string& keys);

}  // namespace e2e
