#include "app/CommandLine.h"

#include <string_view>

namespace app {

namespace {

// The toolkit's own options, written with one dash; it accepts two as well.
enum class Takes { Nothing, NextArgument, JoinedValue };
struct ToolkitOption {
  std::string_view name;
  Takes takes;
};
constexpr ToolkitOption kToolkitOptions[] = {
    {"-platform", Takes::NextArgument},
    {"-platformpluginpath", Takes::NextArgument},
    {"-platformtheme", Takes::NextArgument},
    {"-plugin", Takes::NextArgument},
    {"-qwindowgeometry", Takes::NextArgument},
    {"-qwindowicon", Takes::NextArgument},
    {"-qwindowtitle", Takes::NextArgument},
    {"-session", Takes::NextArgument},
    {"-display", Takes::NextArgument},
    {"-geometry", Takes::NextArgument},
    {"-title", Takes::NextArgument},
    {"-icon", Takes::NextArgument},
    {"-name", Takes::NextArgument},
    {"-style", Takes::NextArgument},
    {"-stylesheet", Takes::NextArgument},
    {"-reverse", Takes::Nothing},
    {"-widgetcount", Takes::Nothing},
    {"-testability", Takes::Nothing},
    {"-sync", Takes::Nothing},
    {"-nograb", Takes::Nothing},
    {"-dograb", Takes::Nothing},
    {"-style=", Takes::JoinedValue},
    {"-stylesheet=", Takes::JoinedValue},
    {"-qmljsdebugger=", Takes::JoinedValue},
    {"-dialogs=", Takes::JoinedValue},
    {"-fontengine=", Takes::JoinedValue},
};

constexpr std::string_view kHelpText =
    "Usage: dezidure [-h | --help] [-v | --version] [toolkit options]\n"
    "\n"
    "Shows live the signals of a PIR sensor board on a serial port: a DC and an\n"
    "AC trace per channel on a scope sweep, the board's temperatures, and on\n"
    "request a timed log of every frame in yyyy-mm-dd_hh-nn-ss.csv in the\n"
    "current directory.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "  -v, --version  print the version and exit\n"
    "\n"
    "Toolkit options such as -platform NAME, -display NAME or -style NAME are\n"
    "passed on to Qt.\n"
    "\n"
    "Ports COM1 to COM8 are probed at start and listed. DEZIDURE_COM1 ...\n"
    "DEZIDURE_COM8 name the devices that COM numbers stand for\n"
    "(DEZIDURE_COM1=/dev/ttyUSB0); without them COMn is the n-th serial device\n"
    "present. A port that does not open is told on standard error with the\n"
    "reason. dezidure-sim streams a simulated board on a pseudo-terminal.\n"
    "See dezidure(1).\n";

/// The toolkit option that `word` (with one leading dash) is, or none.
const ToolkitOption* FindToolkitOption(std::string_view word) {
  for (const ToolkitOption& option : kToolkitOptions) {
    const bool match =
        option.takes == Takes::JoinedValue ? word.substr(0, option.name.size()) == option.name : word == option.name;
    if (match) return &option;
  }
  return nullptr;
}

CommandDecision UsageError(const std::string& problem) {
  return {CommandAction::UsageError, 2, "dezidure: " + problem + "; try 'dezidure --help'\n"};
}

}  // namespace

CommandDecision DecideCommandLine(const std::vector<std::string>& args, const DisplayEnvironment& environment,
                                  const std::string& version) {
  bool platformNamed = environment.platformChosen;
  bool displayNamed = environment.x11Display || environment.waylandDisplay || environment.alwaysHasDesktop;
  std::string x11Display = environment.x11Display ? environment.x11DisplayName : "";
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") return {CommandAction::Help, 0, std::string(kHelpText)};
    if (arg == "-v" || arg == "--version") return {CommandAction::Version, 0, "dezidure " + version + "\n"};
    const std::string_view word = arg.rfind("--", 0) == 0 ? std::string_view(arg).substr(1) : std::string_view(arg);
    const ToolkitOption* option = FindToolkitOption(word);
    if (option == nullptr) {
      return UsageError(arg.rfind('-', 0) == 0 ? "unknown option '" + arg + "'" : "unexpected argument '" + arg + "'");
    }
    if (option->takes != Takes::NextArgument) continue;
    if (i + 1 == args.size()) return UsageError("option '" + arg + "' needs a value");
    ++i;
    platformNamed = platformNamed || word == "-platform";
    displayNamed = displayNamed || word == "-display";
    if (word == "-display") x11Display = args[i];
  }
  if (!platformNamed && !displayNamed) {
    return {CommandAction::NoDisplay, 1,
            "dezidure: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set); "
            "start it in a desktop session, or on a virtual display: xvfb-run dezidure\n"};
  }
  CommandDecision run;
  // With a Wayland display the toolkit may go there instead; a named
  // platform is the user's choice.
  if (!platformNamed && !environment.waylandDisplay && !environment.alwaysHasDesktop) {
    run.x11DisplayToCheck = x11Display;
  }
  return run;
}

CommandDecision UnreachableDisplay(const std::string& display) {
  return {CommandAction::NoDisplay, 1,
          "dezidure: cannot reach the display " + display +
              " (no X server answers there, or it does not let this user in); "
              "start it in a desktop session, or on a virtual display: xvfb-run dezidure\n"};
}

}  // namespace app
