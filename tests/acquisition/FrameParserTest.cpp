#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "acquisition/FrameParser.h"

namespace {

using acq::FrameView;

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// A frame as text: its samples, then "t" and the temperatures if it has them.
std::string Describe(const FrameView& f) {
  std::string text;
  for (int ch = 1; ch <= f.channelCount; ++ch) text += std::to_string(f.Sample(ch)) + " ";
  if (!f.hasTemperature) return text;
  text += "t";
  for (int ch = 1; ch <= f.channelCount; ++ch) text += " " + std::to_string(f.Temperature(ch));
  return text;
}

// Receives chunks as the window does: append, scan, erase the consumed prefix once.
struct Receiver {
  std::string buffer;
  std::vector<std::string> frames;

  void Receive(const std::string& chunk) {
    buffer += chunk;
    size_t consumed = 0;
    acq::ScanFrames(buffer, consumed, [this](const FrameView& f) { frames.push_back(Describe(f)); });
    buffer.erase(0, consumed);
  }
};

TEST(FrameParser, ValidLengthsHoldOneToEightWholeRecords) {
  const std::set<int> plain = {5, 7, 9, 11, 13, 15, 17, 19};
  const std::set<int> withTemperature = {6, 9, 12, 15, 18, 21, 24, 27};
  for (int flags : {0x00, 0x01, 0xFE, 0xFF}) {
    const auto& valid = (flags & 1) != 0 ? withTemperature : plain;
    for (int length = 0; length < 256; ++length)
      EXPECT_EQ(acq::IsValidLength(uint8_t(flags), uint8_t(length)), valid.count(length) == 1)
          << "flags " << flags << " length " << length;
  }
}

TEST(FrameParser, CutsFramesAndResynchronises) {
  const struct {
    const char* name;
    std::string bytes;
    std::vector<std::string> frames;
    std::string left;  // what stays in the buffer for the next call
  } cases[] = {
      {"one channel", Bytes({0xA5, 0x00, 0x05, 0x12, 0x34}), {"4660 "}, ""},
      {"with temperature", Bytes({0xA5, 0x01, 0x06, 0x12, 0x34, 0x19}), {"4660 t 25"}, ""},
      {"length 4", Bytes({0xA5, 0x00, 0x04, 0x12, 0x34}), {}, Bytes({0x34})},
      {"length 20", Bytes({0xA5, 0x00, 0x14, 0x12, 0x34}), {}, Bytes({0x34})},
      {"length 8 with temperature", Bytes({0xA5, 0x01, 0x08, 0x00, 0xA5}), {}, Bytes({0xA5})},
      {"stray sync byte", Bytes({0xA5, 0xA5, 0x00, 0x05, 0xFF, 0xFE}), {"65534 "}, ""},
      {"lone sync byte", Bytes({0xA5}), {}, Bytes({0xA5})},
      {"sync and one byte", Bytes({0xA5, 0x00}), {}, Bytes({0xA5, 0x00})},
      {"partial frame", Bytes({0xA5, 0x00, 0x07, 1, 2, 3}), {}, Bytes({0xA5, 0x00, 0x07, 1, 2, 3})},
      {"garbage first", Bytes({0x00, 0x12, 0xA5, 0x00, 0x05, 0x00, 0x01}), {"1 "}, ""},
      {"leftover byte", Bytes({0xA5, 0x00, 0x05, 0x12, 0x34, 0x00}), {"4660 "}, Bytes({0x00})},
      {"several frames",
       Bytes({0xA5, 0, 5, 0, 1, 0xA5, 0, 7, 0, 2, 0, 3, 0xA5, 1, 9, 0, 4, 0xFF, 0, 5, 0x80}),
       {"1 ", "2 3 ", "4 5 t 255 128"},
       ""},
      {"eight channels",
       Bytes({0xA5, 1, 27, 0, 1, 11, 0, 2, 12, 0, 3, 13, 0, 4, 14, 0, 5, 15, 0, 6, 16, 0, 7, 17, 0xFF, 0xFF, 18}),
       {"1 2 3 4 5 6 7 65535 t 11 12 13 14 15 16 17 18"},
       ""},
  };
  for (const auto& c : cases) {
    Receiver r;
    r.Receive(c.bytes);
    EXPECT_EQ(r.frames, c.frames) << c.name;
    EXPECT_EQ(r.buffer, c.left) << c.name;
  }
}

TEST(FrameParser, SplitStreamsGiveTheSameFramesAtEveryOffset) {
  const std::string stream = Bytes({0x33, 0xA5, 0xA5, 0x00, 0x05, 0x12, 0x34, 0xA5, 0x01, 0x06, 0x00, 0x07, 0xFD,
                                    0xA5, 0x00, 0x14, 0xA5, 0x00, 0x07, 0xA5, 0xA5, 0x00, 0x09, 0xA5, 0x01});
  Receiver whole;
  whole.Receive(stream);
  ASSERT_EQ(whole.frames, (std::vector<std::string>{"4660 ", "7 t 253", "42405 9 "}));
  ASSERT_EQ(whole.buffer, Bytes({0xA5, 0x01}));

  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    Receiver split;
    split.Receive(stream.substr(0, cut));
    split.Receive(stream.substr(cut));
    EXPECT_EQ(split.frames, whole.frames) << "cut at " << cut;
    EXPECT_EQ(split.buffer, whole.buffer) << "cut at " << cut;
  }
  Receiver byByte;
  for (char b : stream) byByte.Receive(std::string(1, b));
  EXPECT_EQ(byByte.frames, whole.frames);
  EXPECT_EQ(byByte.buffer, whole.buffer);
}

TEST(FrameParser, FrameStaysUnconsumedWhenItsHandlerThrows) {
  const std::string buffer = Bytes({0x00, 0xA5, 0x00, 0x05, 0x00, 0x01, 0xA5, 0x00, 0x05, 0x00, 0x02});
  size_t consumed = 0;
  const auto fail = [](const FrameView&) { throw std::runtime_error("plot failed"); };
  EXPECT_THROW(acq::ScanFrames(buffer, consumed, fail), std::runtime_error);
  EXPECT_EQ(consumed, 1u);  // only the byte before the frame

  std::vector<uint16_t> samples;
  acq::ScanFrames(buffer, consumed, [&samples](const FrameView& f) { samples.push_back(f.Sample(1)); });
  EXPECT_EQ(samples, (std::vector<uint16_t>{1, 2}));
  EXPECT_EQ(consumed, buffer.size());

  consumed = buffer.size() + 10;  // a caller's stale count must not read past the end
  acq::ScanFrames(buffer, consumed, fail);
}

TEST(FrameParser, ChannelsOutsideTheFrameAreRejected) {
  size_t consumed = 0;
  int frames = 0;
  acq::ScanFrames(Bytes({0xA5, 0x00, 0x07, 0, 1, 0, 2}), consumed, [&frames](const FrameView& f) {
    ++frames;
    EXPECT_THROW(f.Sample(0), std::out_of_range);
    EXPECT_THROW(f.Sample(3), std::out_of_range);
    EXPECT_THROW(f.Temperature(1), std::out_of_range);
  });
  EXPECT_EQ(frames, 1);
}

}  // namespace
