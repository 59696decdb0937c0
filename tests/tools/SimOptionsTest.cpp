#include <gtest/gtest.h>

#include "tools/SimOptions.h"

namespace {

using namespace std::chrono_literals;

std::optional<sim::SimOptions> Parse(std::vector<std::string> args, std::string* error = nullptr) {
  std::string message;
  auto options = sim::ParseOptions(args, message);
  if (error != nullptr) {
    *error = message;
  }
  return options;
}

TEST(SimOptions, ParsesEveryOptionInBothSpellings) {
  const auto o = Parse({"--channels",
                        "3",
                        "--no-temperatures",
                        "--seed=18446744073709551615",
                        "--rate",
                        "2.5",
                        "--chunk=62",
                        "--interval",
                        "16",
                        "--duration",
                        "1.5",
                        "--frames=1000",
                        "--faults",
                        "split,garbage",
                        "--fault-probability=0.25",
                        "--record",
                        "/tmp/x.bin",
                        "--device",
                        "/dev/null",
                        "--exit-on-hangup",
                        "--wait-for-reader"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->board.channels, 3);
  EXPECT_FALSE(o->board.temperatures);
  EXPECT_EQ(o->board.seed, UINT64_MAX);
  EXPECT_EQ(o->rate, 2.5);
  EXPECT_EQ(o->chunk, 62u);
  EXPECT_EQ(o->interval, 16ms);
  EXPECT_EQ(o->durationSeconds, 1.5);
  EXPECT_EQ(o->frames, 1000u);
  EXPECT_TRUE(o->faults.split && o->faults.garbage);
  EXPECT_FALSE(o->faults.badLength || o->faults.syncInData);
  EXPECT_EQ(o->faults.probability, 0.25);
  EXPECT_EQ(o->record, "/tmp/x.bin");
  EXPECT_EQ(o->device, "/dev/null");
  EXPECT_TRUE(o->exitOnHangup);
  EXPECT_TRUE(o->waitForReader);

  const auto flood = Parse({"--flood", "--chunk", "64"});
  ASSERT_TRUE(flood);
  EXPECT_TRUE(flood->flood);
  EXPECT_TRUE(Parse({"-h"})->help);
  EXPECT_TRUE(Parse({"--help"})->help);
}

TEST(SimOptions, RejectsBadArguments) {
  struct Case {
    std::vector<std::string> args;
    const char* mentions;
  };
  const Case cases[] = {
      {{"--channels", "0"}, "--channels"},
      {{"--channels", "9"}, "--channels"},
      {{"--channels", "2x"}, "--channels"},
      {{"--channels", ""}, "--channels"},
      {{"--channels"}, "--channels needs a value"},
      {{"--seed", "-1"}, "--seed"},
      {{"--seed", "18446744073709551616"}, "--seed"},
      {{"--rate", "0"}, "--rate"},
      {{"--rate", "-2"}, "--rate"},
      {{"--rate", "nan"}, "--rate"},
      {{"--rate", "inf"}, "--rate"},
      {{"--rate", "1001"}, "--rate"},
      {{"--chunk", "0"}, "--chunk"},
      {{"--chunk", "65537"}, "--chunk"},
      {{"--interval", "0"}, "--interval"},
      {{"--duration", "0"}, "--duration"},
      {{"--duration", "1e400"}, "--duration"},
      {{"--frames", "0"}, "--frames"},
      {{"--fault-probability", "1.5"}, "--fault-probability"},
      {{"--faults", "garbage,noise"}, "noise"},
      {{"--device", ""}, "--device"},
      {{"--flood", "--rate", "2"}, "--flood"},
      {{"--interval", "5", "--flood"}, "--flood"},
      {{"--flood=yes"}, "takes no value"},
      {{"--bogus"}, "--bogus"},
      {{"stray"}, "stray"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(Parse(c.args, &error)) << c.args[0];
    EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
  }
}

TEST(SimOptions, HelpDocumentsEveryOption) {
  const std::string help = sim::HelpText("dezidure-sim");
  for (const char* name : {"--device", "--channels", "--no-temperatures", "--seed", "--rate", "--chunk", "--interval",
                           "--flood", "--duration", "--frames", "--faults", "--fault-probability", "--record",
                           "--exit-on-hangup", "--hangup-grace", "--wait-for-reader", "--help"}) {
    EXPECT_NE(help.find(name), std::string::npos) << name;
  }
}

}  // namespace
