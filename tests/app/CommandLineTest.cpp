// What the program does with its command line before the toolkit starts.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

using app::CommandAction;

struct Case {
  const char* name;
  std::vector<std::string> args;
  app::DisplayEnvironment environment;
  CommandAction action;
  int exitCode;
  const char* textHas;   ///< a piece the printed text must contain
  const char* checks{};  ///< the X display to check before the toolkit starts
};

constexpr app::DisplayEnvironment kX11{true, false, false, false, ":7"};
constexpr app::DisplayEnvironment kNone{};

TEST(CommandLine, DecidesBeforeTheToolkitStarts) {
  const Case cases[] = {
      {"no arguments", {}, kX11, CommandAction::Run, 0, "", ":7"},
      {"help without a display", {"--help"}, kNone, CommandAction::Help, 0, "Usage: dezidure"},
      {"short help", {"-h"}, kX11, CommandAction::Help, 0, "DEZIDURE_COM1"},
      {"version", {"--version"}, kNone, CommandAction::Version, 0, "dezidure 1.2\n"},
      {"help first wins", {"--help", "--bogus"}, kX11, CommandAction::Help, 0, "--version"},
      {"toolkit options pass",
       {"-platform", "offscreen", "--style", "Fusion", "-reverse"},
       kX11,
       CommandAction::Run,
       0,
       ""},
      {"joined toolkit value", {"-style=Fusion", "--qmljsdebugger=port:1234"}, kX11, CommandAction::Run, 0, "", ":7"},
      {"unknown option", {"--bogus"}, kX11, CommandAction::UsageError, 2, "unknown option '--bogus'"},
      {"stray argument", {"COM3"}, kX11, CommandAction::UsageError, 2, "unexpected argument 'COM3'"},
      {"toolkit option without its value", {"-platform"}, kX11, CommandAction::UsageError, 2, "needs a value"},
      {"a value is not an option", {"-style", "--help"}, kX11, CommandAction::Run, 0, "", ":7"},
      {"no display", {}, kNone, CommandAction::NoDisplay, 1, "no display"},
      {"wayland only", {}, {false, true, false, false}, CommandAction::Run, 0, ""},
      {"wayland and X", {}, {true, true, false, false, ":7"}, CommandAction::Run, 0, "", ""},
      {"display option and DISPLAY", {"-display", "host:2.0"}, kX11, CommandAction::Run, 0, "", "host:2.0"},
      {"platform from the environment", {}, {false, false, true, false}, CommandAction::Run, 0, ""},
      {"platform on the command line", {"-platform", "offscreen"}, kNone, CommandAction::Run, 0, ""},
      {"display on the command line", {"--display", ":3"}, kNone, CommandAction::Run, 0, "", ":3"},
      {"a desktop always there", {}, {false, false, false, true}, CommandAction::Run, 0, ""},
  };
  for (const Case& c : cases) {
    const app::CommandDecision decision = app::DecideCommandLine(c.args, c.environment, "1.2");
    EXPECT_EQ(decision.action, c.action) << c.name;
    EXPECT_EQ(decision.exitCode, c.exitCode) << c.name;
    EXPECT_NE(decision.text.find(c.textHas), std::string::npos) << c.name << ": " << decision.text;
    EXPECT_EQ(decision.x11DisplayToCheck, c.checks ? c.checks : "") << c.name;
    if (c.action == CommandAction::UsageError || c.action == CommandAction::NoDisplay) {
      EXPECT_EQ(decision.text.find('\n'), decision.text.size() - 1) << c.name << ": one line";
    }
  }
}

}  // namespace
