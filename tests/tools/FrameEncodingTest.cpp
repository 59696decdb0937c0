#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "ReferenceParser.h"
#include "tools/FrameEncoding.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (const int v : values) {
    out.push_back(static_cast<char>(v));
  }
  return out;
}

TEST(FrameEncoding, EncodesExactBytes) {
  const std::vector<uint16_t> one = {0x1234};
  const std::vector<uint8_t> oneTemp = {25};
  EXPECT_EQ(sim::EncodeFrame(one, nullptr), Bytes({0xA5, 0x00, 0x05, 0x12, 0x34}));
  EXPECT_EQ(sim::EncodeFrame(one, &oneTemp), Bytes({0xA5, 0x01, 0x06, 0x12, 0x34, 0x19}));

  const std::vector<uint16_t> eight = {0x0000, 0xFFFF, 0x2004, 0x00A5, 0xA500, 0x0102, 0x8000, 0x7FFF};
  const std::vector<uint8_t> eightTemp = {20, 21, 22, 23, 24, 25, 0xFF, 0};
  EXPECT_EQ(sim::EncodeFrame(eight, nullptr), Bytes({0xA5, 0x00, 19, 0x00, 0x00, 0xFF, 0xFF, 0x20, 0x04, 0x00, 0xA5,
                                                     0xA5, 0x00, 0x01, 0x02, 0x80, 0x00, 0x7F, 0xFF}));
  EXPECT_EQ(sim::EncodeFrame(eight, &eightTemp),
            Bytes({0xA5, 0x01, 27,   0x00, 0x00, 20,   0xFF, 0xFF, 21,   0x20, 0x04, 22,   0x00, 0xA5,
                   23,   0xA5, 0x00, 24,   0x01, 0x02, 25,   0x80, 0x00, 0xFF, 0x7F, 0xFF, 0}));
}

TEST(FrameEncoding, EveryChannelCountGivesALengthAReceiverAccepts) {
  for (const bool temps : {false, true}) {
    for (int channels = 1; channels <= 8; ++channels) {
      SCOPED_TRACE(std::to_string(channels) + (temps ? " with" : " without") + " temperatures");
      const std::vector<uint16_t> samples(static_cast<size_t>(channels), 8196);
      const std::vector<uint8_t> temperatures(static_cast<size_t>(channels), 25);
      const std::string frame = sim::EncodeFrame(samples, temps ? &temperatures : nullptr);
      const auto length = static_cast<uint8_t>(frame[2]);
      EXPECT_EQ(frame.size(), length);
      if (temps) {
        EXPECT_TRUE(length >= 6 && length <= 27 && length % 3 == 0);
      } else {
        EXPECT_TRUE(length >= 5 && length <= 19 && length % 2 == 1);
      }
      simtest::ReferenceParser parser;
      const auto decoded = parser.Feed(frame);
      ASSERT_EQ(decoded.size(), 1u);
      EXPECT_EQ(decoded[0].samples, samples);
    }
  }
}

TEST(FrameEncoding, LengthRuleMatchesTheValidSets) {
  const std::vector<int> without = {5, 7, 9, 11, 13, 15, 17, 19};
  const std::vector<int> with = {6, 9, 12, 15, 18, 21, 24, 27};
  for (int length = 0; length < 256; ++length) {
    const auto byte = static_cast<uint8_t>(length);
    const bool inWithout = std::find(without.begin(), without.end(), length) != without.end();
    const bool inWith = std::find(with.begin(), with.end(), length) != with.end();
    EXPECT_EQ(sim::IsValidFrameLength(0x00, byte), inWithout) << length;
    EXPECT_EQ(sim::IsValidFrameLength(0xFE, byte), inWithout) << "bits 1..7 are ignored, " << length;
    EXPECT_EQ(sim::IsValidFrameLength(0x01, byte), inWith) << length;
  }
}

TEST(FrameEncoding, RejectsImpossibleFrames) {
  const std::vector<uint16_t> none;
  const std::vector<uint16_t> nine(9, 1);
  const std::vector<uint16_t> two(2, 1);
  const std::vector<uint8_t> oneTemp(1, 20);
  EXPECT_THROW(sim::EncodeFrame(none, nullptr), std::invalid_argument);
  EXPECT_THROW(sim::EncodeFrame(nine, nullptr), std::invalid_argument);
  EXPECT_THROW(sim::EncodeFrame(two, &oneTemp), std::invalid_argument);
}

}  // namespace
