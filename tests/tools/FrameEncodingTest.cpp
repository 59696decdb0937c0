#include <gtest/gtest.h>

#include <stdexcept>

#include "tools/FrameEncoding.h"

namespace {

std::string Bytes(std::initializer_list<int> values) { return std::string(values.begin(), values.end()); }

TEST(FrameEncoding, EncodesExactBytes) {
  const std::vector<uint16_t> one = {0x1234};
  const std::vector<uint8_t> oneTemp = {25};
  const std::vector<uint16_t> eight = {0x0000, 0xFFFF, 0x2004, 0x00A5, 0xA500, 0x0102, 0x8000, 0x7FFF};
  const std::vector<uint8_t> eightTemp = {20, 21, 22, 23, 24, 25, 0xFF, 0};
  EXPECT_EQ(sim::EncodeFrame(one, nullptr), Bytes({0xA5, 0x00, 0x05, 0x12, 0x34}));
  EXPECT_EQ(sim::EncodeFrame(one, &oneTemp), Bytes({0xA5, 0x01, 0x06, 0x12, 0x34, 0x19}));
  EXPECT_EQ(sim::EncodeFrame(eight, &eightTemp),
            Bytes({0xA5, 0x01, 27,   0x00, 0x00, 20,   0xFF, 0xFF, 21,   0x20, 0x04, 22,   0x00, 0xA5,
                   23,   0xA5, 0x00, 24,   0x01, 0x02, 25,   0x80, 0x00, 0xFF, 0x7F, 0xFF, 0}));
}

TEST(FrameEncoding, RejectsImpossibleFrames) {
  const std::vector<uint8_t> oneTemp(1, 20);
  EXPECT_THROW(sim::EncodeFrame({}, nullptr), std::invalid_argument);
  EXPECT_THROW(sim::EncodeFrame(std::vector<uint16_t>(9, 1), nullptr), std::invalid_argument);
  EXPECT_THROW(sim::EncodeFrame({1, 1}, &oneTemp), std::invalid_argument);
}

}  // namespace
