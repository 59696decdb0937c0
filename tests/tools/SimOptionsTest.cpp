#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "tools/SimOptions.h"

namespace {

using namespace std::chrono_literals;

// A command line split at spaces.
std::vector<std::string> Args(const std::string& line) {
  std::istringstream words(line);
  return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}

TEST(SimOptions, ParsesEveryOptionInBothSpellings) {
  std::string error;
  const auto o = sim::ParseOptions(
      Args("--channels 3 --no-temperatures --seed=18446744073709551615 --rate 2.5 --chunk=62 --interval 16 "
           "--duration 1.5 --frames=1000 --faults split,garbage --fault-probability=0.25 --record /tmp/x.bin "
           "--device /dev/null --exit-on-hangup --hangup-grace=0 --wait-for-reader --probe-log=/tmp/p"),
      error);
  ASSERT_TRUE(o) << error;
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
  EXPECT_EQ(o->hangupGrace, 0ms);
  EXPECT_TRUE(o->waitForReader);
  EXPECT_EQ(o->probeLog, "/tmp/p");

  EXPECT_TRUE(sim::ParseOptions({"--flood", "--chunk", "64"}, error)->flood);
  const auto replay = sim::ParseOptions({"--replay", "log.csv", "--rate", "2"}, error);
  ASSERT_TRUE(replay) << error;
  EXPECT_EQ(replay->replay, "log.csv");
  EXPECT_TRUE(replay->waitForReader) << "a replay waits for its reader";
  const auto truth = sim::ParseOptions(
      Args("--walk 12.5,3,200 --walk=30,1,80 --tone 50,4 --tone=200,2.5 --temperature-ramp -0.5,12"), error);
  ASSERT_TRUE(truth) << error;
  ASSERT_EQ(truth->truth.walks.size(), 2u);
  EXPECT_EQ(truth->truth.walks[0].time, 12.5);
  EXPECT_EQ(truth->truth.walks[0].channel, 3);
  EXPECT_EQ(truth->truth.walks[1].peakToPeak, 80);
  ASSERT_EQ(truth->truth.tones.size(), 2u);
  EXPECT_EQ(truth->truth.tones[1].frequency, 200);
  EXPECT_EQ(truth->truth.tones[1].amplitude, 2.5);
  ASSERT_TRUE(truth->truth.ramp);
  EXPECT_EQ(truth->truth.ramp->degreesPerMinute, -0.5);
  EXPECT_EQ(truth->truth.ramp->countsPerDegree, 12);
  EXPECT_TRUE(sim::ParseOptions({"-h"}, error)->help);
  EXPECT_TRUE(sim::ParseOptions({"--help"}, error)->help);
}

TEST(SimOptions, RejectsBadArgumentsNamingTheCulprit) {
  struct Case {
    std::vector<std::string> args;
    const char* mentions;
  };
  const Case cases[] = {
      {{"--channels", "9"}, "--channels"},
      {{"--channels", "2x"}, "--channels"},
      {{"--channels"}, "--channels needs a value"},
      {{"--seed", "18446744073709551616"}, "--seed"},
      {{"--rate", "0"}, "--rate"},
      {{"--rate", "nan"}, "--rate"},
      {{"--rate", "1001"}, "--rate"},
      {{"--chunk", "65537"}, "--chunk"},
      {{"--interval", "0"}, "--interval"},
      {{"--hangup-grace", "-1"}, "--hangup-grace"},
      {{"--duration", "0"}, "--duration"},
      {{"--frames", "0"}, "--frames"},
      {{"--fault-probability", "1.5"}, "--fault-probability"},
      {{"--faults", "garbage,noise"}, "noise"},
      {{"--device", ""}, "--device"},
      {{"--flood", "--rate", "2"}, "--flood"},
      {{"--interval", "5", "--flood"}, "--flood"},
      {{"--flood=yes"}, "takes no value"},
      {{"--replay", ""}, "--replay"},
      {{"--replay", "log.csv", "--channels", "2"}, "--channels"},
      {{"--replay", "log.csv", "--probe-log", "p"}, "--probe-log"},
      {{"--seed", "3", "--replay", "log.csv"}, "--seed"},
      {{"--walk", "1,9,100"}, "--walk"},
      {{"--walk", "1,2.5,100"}, "--walk"},
      {{"--walk", "1,2"}, "--walk"},
      {{"--walk", "1,2,100,4"}, "--walk"},
      {{"--channels", "2", "--walk", "1,3,50"}, "channel 3"},
      {{"--tone", "0,5"}, "--tone"},
      {{"--tone", "50,-1"}, "--tone"},
      {{"--temperature-ramp", "1"}, "--temperature-ramp"},
      {{"--replay", "log.csv", "--tone", "5,1"}, "--tone"},
      {{"--bogus"}, "--bogus"},
      {{"stray"}, "stray"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(sim::ParseOptions(c.args, error)) << c.args[0];
    EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
  }
}

}  // namespace
