#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "tests/support/DecodedFrames.h"
#include "tools/FaultInjection.h"
#include "tools/FrameGenerator.h"

namespace {

constexpr char kSync = static_cast<char>(0xA5);

struct FaultCase {
  const char* name;
  sim::FaultConfig faults;  // garbage, badLength, split, syncInData, probability
};

const FaultCase kFaultCases[] = {
    {"garbage", {true, false, false, false, 1.0}}, {"badlength", {false, true, false, false, 1.0}},
    {"split", {false, false, true, false, 1.0}},   {"sync-in-data", {false, false, false, true, 1.0}},
    {"all", {true, true, true, true, 0.5}},
};

// What is wrong with an emission of a generator that injects one fault at
// every frame; empty when it looks as that fault should.
std::string SingleFaultProblem(const sim::FaultConfig& f, const sim::Emission& e) {
  const std::string before = e.bytes.substr(0, e.frameOffset);
  const auto& cuts = e.splits;
  const auto& s = e.frame.samples;
  if (f.garbage && (before.empty() || before.find(kSync) != std::string::npos)) {
    return "no garbage, or garbage with a sync byte";
  }
  if (f.badLength && (before.size() != 3 || before.rfind(kSync) != 0 ||
                      acq::IsValidLength(static_cast<uint8_t>(before[1]), static_cast<uint8_t>(before[2])))) {
    return "not a header with an invalid length and a sync byte only at its start";
  }
  if (!f.garbage && !f.badLength && !before.empty()) {
    return "bytes before the frame";
  }
  if (f.split != !cuts.empty() || !std::is_sorted(cuts.begin(), cuts.end()) ||
      std::adjacent_find(cuts.begin(), cuts.end()) != cuts.end() ||
      (f.split && (cuts.front() <= e.frameOffset || cuts.back() >= e.bytes.size()))) {
    return "split points missing, unexpected, repeated or outside the frame";
  }
  if (f.syncInData && std::none_of(s.begin(), s.end(), [](uint16_t v) { return (v & 0xFF) == 0xA5; })) {
    return "no sample with a low byte 0xA5";
  }
  return "";
}

// Each fault does what its name says, changes no signal value except the
// sync-in-data samples, and leaves every real frame decodable by the receiver.
TEST(FaultInjection, FaultsDoWhatTheirNamesSayAndEveryFrameSurvives) {
  for (const FaultCase& c : kFaultCases) {
    for (const bool temps : {false, true}) {
      for (const int channels : {1, 3, 8}) {
        SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(channels) + " channels" +
                     (temps ? ", temperatures" : ""));
        sim::FrameGenerator generator({channels, temps, 11}, c.faults);
        sim::FrameGenerator clean({channels, temps, 11});
        std::string stream;
        std::vector<support::DecodedFrame> expected;
        for (int i = 0; i < 500; ++i) {
          const sim::Emission& e = generator.Next();
          expected.emplace_back(e.frame.samples, e.frame.temperatures);
          stream += e.bytes;
          ASSERT_EQ(e.bytes.size() - e.frameOffset, static_cast<size_t>(acq::FrameLength(channels, temps)));
          if (!c.faults.syncInData) {
            ASSERT_EQ(e.frame.samples, clean.Next().frame.samples) << "frame " << i;
          }
          if (c.faults.probability == 1.0) {
            ASSERT_EQ(SingleFaultProblem(c.faults, e), "") << "frame " << i;
          }
        }
        EXPECT_EQ(support::DecodeFrames(stream), expected);
      }
    }
  }
}

TEST(FaultInjection, InvalidLengthIsNeverValidNorSync) {
  sim::Random random(5);
  for (int flags = 0; flags < 256; ++flags) {
    for (int i = 0; i < 20; ++i) {
      const uint8_t length = sim::InvalidLength(static_cast<uint8_t>(flags), random);
      ASSERT_NE(length, 0xA5);
      ASSERT_FALSE(acq::IsValidLength(static_cast<uint8_t>(flags), length));
    }
  }
}

TEST(FaultInjection, SplitPointsOfTinyRanges) {
  sim::Random random(1);
  EXPECT_TRUE(sim::SplitPoints(random, 10, 10).empty());
  EXPECT_TRUE(sim::SplitPoints(random, 10, 11).empty());
  EXPECT_EQ(sim::SplitPoints(random, 10, 12), std::vector<size_t>{11});
}

TEST(FaultInjection, ParsesFaultLists) {
  sim::FaultConfig faults;
  std::string error;
  EXPECT_TRUE(sim::ParseFaultList("sync-in-data,badlength,split,garbage,split", faults, error));
  EXPECT_TRUE(faults.garbage && faults.badLength && faults.split && faults.syncInData);
  for (const char* bad : {"", "garbage,", "noise"}) {
    EXPECT_FALSE(sim::ParseFaultList(bad, faults, error)) << bad;
  }
}

}  // namespace
