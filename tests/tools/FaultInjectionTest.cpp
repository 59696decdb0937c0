#include <gtest/gtest.h>

#include "ReferenceParser.h"
#include "tools/FaultInjection.h"
#include "tools/FrameEncoding.h"
#include "tools/FrameGenerator.h"

namespace {

constexpr char kSync = static_cast<char>(0xA5);

simtest::DecodedFrame Expected(const sim::Emission& e) { return {e.frame.samples, e.frame.temperatures}; }

struct FaultCase {
  const char* name;
  sim::FaultConfig faults;
};

std::vector<FaultCase> FaultCases() {
  sim::FaultConfig garbage;
  garbage.garbage = true;
  garbage.probability = 1.0;
  sim::FaultConfig badLength;
  badLength.badLength = true;
  badLength.probability = 1.0;
  sim::FaultConfig split;
  split.split = true;
  split.probability = 1.0;
  sim::FaultConfig syncInData;
  syncInData.syncInData = true;
  syncInData.probability = 1.0;
  sim::FaultConfig all{true, true, true, true, 0.5};
  return {{"garbage", garbage}, {"badlength", badLength}, {"split", split}, {"sync-in-data", syncInData}, {"all", all}};
}

// Every fault leaves each real frame decodable by a correct receiver, whether
// the bytes arrive in one piece, split where the generator says, or one by one.
TEST(FaultInjection, ReceiverRecoversEveryFrame) {
  for (const FaultCase& c : FaultCases()) {
    for (const bool temps : {false, true}) {
      for (const int channels : {1, 3, 8}) {
        SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(channels) + " channels" +
                     (temps ? ", temperatures" : ""));
        sim::FrameGenerator generator({channels, temps, 11}, c.faults);
        simtest::ReferenceParser whole;
        simtest::ReferenceParser pieces;
        simtest::ReferenceParser bytewise;
        std::string stream;
        std::vector<simtest::DecodedFrame> expected;
        std::vector<simtest::DecodedFrame> fromPieces;
        std::vector<simtest::DecodedFrame> fromBytes;
        for (int i = 0; i < 500; ++i) {
          const sim::Emission& e = generator.Next();
          expected.push_back(Expected(e));
          stream += e.bytes;
          size_t from = 0;
          auto cuts = e.splits;
          cuts.push_back(e.bytes.size());
          for (const size_t cut : cuts) {
            for (auto& f : pieces.Feed(e.bytes.substr(from, cut - from))) {
              fromPieces.push_back(f);
            }
            from = cut;
          }
          for (const char byte : e.bytes) {
            for (auto& f : bytewise.Feed(std::string(1, byte))) {
              fromBytes.push_back(f);
            }
          }
        }
        EXPECT_EQ(whole.Feed(stream), expected);
        EXPECT_EQ(fromPieces, expected);
        EXPECT_EQ(fromBytes, expected);
        EXPECT_EQ(whole.Pending(), 0u);
      }
    }
  }
}

TEST(FaultInjection, EachFaultDoesWhatItsNameSays) {
  const std::vector<FaultCase> cases = FaultCases();
  for (size_t n = 0; n < 4; ++n) {
    const FaultCase& c = cases[n];
    SCOPED_TRACE(c.name);
    sim::FrameGenerator generator({4, true, 3}, c.faults);
    for (int i = 0; i < 200; ++i) {
      const sim::Emission& e = generator.Next();
      const std::string before = e.bytes.substr(0, e.frameOffset);
      ASSERT_EQ(e.bytes[e.frameOffset], kSync);
      ASSERT_EQ(e.bytes.size() - e.frameOffset, 15u);
      if (c.faults.garbage) {
        ASSERT_GE(before.size(), 1u);
        EXPECT_EQ(before.find(kSync), std::string::npos) << "garbage holds no sync byte";
      } else if (c.faults.badLength) {
        ASSERT_EQ(before.size(), 3u);
        EXPECT_EQ(before[0], kSync);
        EXPECT_NE(before[1], kSync);
        EXPECT_FALSE(sim::IsValidFrameLength(static_cast<uint8_t>(before[1]), static_cast<uint8_t>(before[2])));
      } else {
        EXPECT_TRUE(before.empty());
      }
      if (c.faults.split) {
        ASSERT_FALSE(e.splits.empty());
        EXPECT_TRUE(std::is_sorted(e.splits.begin(), e.splits.end()));
        EXPECT_EQ(std::adjacent_find(e.splits.begin(), e.splits.end()), e.splits.end());
        EXPECT_GT(e.splits.front(), e.frameOffset);
        EXPECT_LT(e.splits.back(), e.bytes.size());
      } else {
        EXPECT_TRUE(e.splits.empty());
      }
      if (c.faults.syncInData) {
        const auto& s = e.frame.samples;
        EXPECT_TRUE(std::any_of(s.begin(), s.end(), [](uint16_t v) { return (v & 0xFF) == 0xA5; }));
      }
    }
  }
}

TEST(FaultInjection, FaultsLeaveTheSignalAlone) {
  sim::FaultConfig noSyncChange{true, true, true, false, 0.5};
  sim::FrameGenerator clean({8, true, 21});
  sim::FrameGenerator faulty({8, true, 21}, noSyncChange);
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(clean.Next().frame.samples, faulty.Next().frame.samples) << "frame " << i;
  }
}

TEST(FaultInjection, InvalidLengthIsNeverValidNorSync) {
  sim::Random random(5);
  for (int flags = 0; flags < 256; ++flags) {
    for (int i = 0; i < 20; ++i) {
      const uint8_t length = sim::InvalidLength(static_cast<uint8_t>(flags), random);
      ASSERT_NE(length, 0xA5);
      ASSERT_FALSE(sim::IsValidFrameLength(static_cast<uint8_t>(flags), length));
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
  struct Case {
    const char* list;
    bool ok;
    bool garbage, badLength, split, syncInData;
  };
  const Case cases[] = {
      {"garbage", true, true, false, false, false},
      {"garbage,badlength,split,sync-in-data", true, true, true, true, true},
      {"split,split", true, false, false, true, false},
      {"", false, false, false, false, false},
      {"garbage,", false, true, false, false, false},
      {"noise", false, false, false, false, false},
      {"Garbage", false, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    sim::FaultConfig faults;
    std::string error;
    EXPECT_EQ(sim::ParseFaultList(c.list, faults, error), c.ok);
    if (!c.ok) {
      continue;
    }
    EXPECT_EQ(faults.garbage, c.garbage);
    EXPECT_EQ(faults.badLength, c.badLength);
    EXPECT_EQ(faults.split, c.split);
    EXPECT_EQ(faults.syncInData, c.syncInData);
  }
}

}  // namespace
