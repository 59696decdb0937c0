// The recorder's command line and the durations it reads.
#include <gtest/gtest.h>

#include "recorder/RecordOptions.h"

namespace {

using app::CommandAction;
using std::chrono::seconds;

TEST(RecordCommandLine, DecidesOnTheArguments) {
  const std::tuple<std::vector<std::string>, CommandAction, const char*> cases[] = {
      {{"/dev/ttyUSB0", "--help"}, CommandAction::Help, "Usage: dezidure-record DEVICE"},
      {{"-v"}, CommandAction::Version, "dezidure-record 1.2\n"},
      {{"--dir", "/tmp"}, CommandAction::UsageError, "which device?"},
      {{"/dev/ttyUSB0", "/dev/ttyUSB1"}, CommandAction::UsageError, "not also '/dev/ttyUSB1'"},
      {{"/dev/ttyUSB0", "--rate", "2"}, CommandAction::UsageError, "unknown option '--rate'"},
      {{"/dev/ttyUSB0", "--for"}, CommandAction::UsageError, "option '--for' needs a value"},
      {{"/dev/ttyUSB0", "--baud=0"}, CommandAction::UsageError, "--baud needs bits per second, 50 to 4000000"},
      {{"/dev/ttyUSB0", "--for", "90"}, CommandAction::UsageError, "not '90'"},
      {{"/dev/ttyUSB0", "--rotate", "36h"}, CommandAction::UsageError, "whole days"},
      {{"/dev/ttyUSB0", "--dir="}, CommandAction::UsageError, "--dir needs a directory"},
  };
  for (const auto& [args, action, textHas] : cases) {
    const app::CommandDecision decision = rec::DecideRecordCommand(args, "1.2").decision;
    EXPECT_EQ(decision.action, action) << textHas;
    EXPECT_EQ(decision.exitCode, action == CommandAction::UsageError ? 2 : 0) << textHas;
    EXPECT_NE(decision.text.find(textHas), std::string::npos) << decision.text;
  }
  const rec::RecordOptions plain = rec::DecideRecordCommand({"/dev/ttyUSB0"}, "1.2").options;
  EXPECT_EQ(plain.baud, 115200) << "the board's rate, as the window opens it";
  EXPECT_TRUE(plain.directory == "." && !plain.rotate && !plain.runFor);
  const rec::RecordOptions all =
      rec::DecideRecordCommand({"--rotate=1d", "COM3", "--baud", "9600", "--dir", "logs", "--for", "2d"}, "1.2")
          .options;
  EXPECT_TRUE(all.device == "COM3" && all.baud == 9600 && all.directory == "logs");
  EXPECT_TRUE(all.rotate == seconds(86400) && all.runFor == seconds(172800));
}

TEST(Durations, AreNumbersWithUnitsAndReadBackAsWritten) {
  const std::pair<const char*, std::optional<seconds>> cases[] = {
      {"90s", seconds(90)},
      {"15m", seconds(900)},
      {"1h", seconds(3600)},
      {"2d", seconds(172800)},
      {"1h30m", seconds(5400)},
      {"3650d", seconds(315360000)},
      {"", {}},
      {"5", {}},
      {"5x", {}},
      {"h", {}},
      {"0s", {}},
      {"-5m", {}},
      {"1h-5m", {}},
      {"3651d", {}},
      {"99999999999999999999s", {}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(rec::ParseDuration(text), expected) << '"' << text << '"';
  for (const char* text : {"1m30s", "1h", "1d2h3m4s"}) EXPECT_EQ(rec::DurationText(*rec::ParseDuration(text)), text);
}

}  // namespace
