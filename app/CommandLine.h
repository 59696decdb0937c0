#pragma once

#include <string>
#include <vector>

namespace app {

/// What the program does with its command line before the toolkit starts.
enum class CommandAction {
  Run,         ///< show the window; the arguments left are the toolkit's own
  Help,        ///< print `text` on standard output, exit 0
  Version,     ///< print `text` on standard output, exit 0
  UsageError,  ///< print `text` on standard error, exit 2
  NoDisplay,   ///< print `text` on standard error, exit 1
};

/// The decision on one command line.
struct CommandDecision {
  CommandAction action = CommandAction::Run;
  int exitCode = 0;  ///< the program's exit status unless it runs
  std::string text;  ///< one or more lines, each ending in a newline
  /// With Run: the X display ("-display" or DISPLAY) that is the window's only
  /// way to a screen, to be checked before the toolkit starts, which would
  /// abort on one that does not answer; empty when no X display is the only
  /// way (a platform is named, or a Wayland display is set).
  std::string x11DisplayToCheck{};
};

/// What the environment says about where the window can show.
struct DisplayEnvironment {
  bool x11Display = false;          ///< DISPLAY is set and not empty
  bool waylandDisplay = false;      ///< WAYLAND_DISPLAY is set and not empty
  bool platformChosen = false;      ///< QT_QPA_PLATFORM is set and not empty
  bool alwaysHasDesktop = false;    ///< the system always has a desktop (Windows)
  const char* x11DisplayName = "";  ///< DISPLAY's value
};

/// Decides on the arguments after the program's name. The program takes no
/// arguments of its own beyond -h/--help and -v/--version; the toolkit's own
/// options (-platform NAME, -display NAME, -style NAME, -reverse, ... with one
/// dash or two) pass through. Anything else is a usage error. When nothing
/// names a platform or a display and the environment has none, the window
/// has nowhere to show: NoDisplay, instead of the toolkit's abort.
/// `version` is the text after the program's name in --version ("1.2").
CommandDecision DecideCommandLine(const std::vector<std::string>& args, const DisplayEnvironment& environment,
                                  const std::string& version);

/// The decision for an X display that the window can only show on but that
/// does not answer (no server there, or it refuses this user): a one-line
/// reason on standard error and exit 1, as when there is no display at all.
CommandDecision UnreachableDisplay(const std::string& display);

}  // namespace app
