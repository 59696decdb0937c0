#pragma once

#include <string>

namespace app {

/// True when an X server answers on `display` (as DISPLAY names it: ":0",
/// "host:10.0") and lets this user in, as the toolkit's X platform will need;
/// false when there is none there, it refuses, or the name is malformed.
/// Connects and disconnects once.
bool X11DisplayAnswers(const std::string& display);

}  // namespace app
