#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "tools/LogReplay.h"

namespace {

// A frame as text: samples, then "/" and temperatures when there are any.
std::string Describe(const std::optional<sim::FrameValues>& frame) {
  if (!frame) return "malformed";
  std::string text;
  for (const uint16_t s : frame->samples) text += std::to_string(s) + " ";
  if (!frame->temperatures.empty()) text += "/";
  for (const uint8_t t : frame->temperatures) text += " " + std::to_string(t);
  return text;
}

TEST(ParseLogLine, ReadsTheFramesThatLinesRecordWhateverTheTimeText) {
  const std::pair<std::string, const char*> cases[] = {
      {"14:05:09, 1, 8190, , 25, 14:05:09, 2, 8201, , 26\r", "8190 8201 / 25 26"},
      {"14:05:09, 1, 8190, , 14:05:09, 2, 8201, , 14:05:10, 3, 0, ", "8190 8201 0 "},
      {"2:05:09 PM, 1, 65535, , 255", "65535 / 255"},
      {", 1, 7, ", "7 "},  // the time text is empty when the clock cannot be read
      {"\xE5\x8D\x88\xE5\x90\x8E 2\xE6\x97\xB6, 1, 0, , 0", "0 / 0"},
  };
  for (const auto& [line, frame] : cases) EXPECT_EQ(Describe(sim::ParseLogLine(line)), frame) << line;
}

TEST(ParseLogLine, RejectsMalformedAndHostileLines) {
  const std::string eightPieces = [] {
    std::string line;
    for (int k = 1; k <= 8; ++k) line += "T, " + std::to_string(k) + ", 1, , ";
    return line;
  }();
  const std::string cases[] = {
      "",
      "\r",
      "garbage",
      "T, 1, 8190",              // cut inside a line
      "T, 1, 8190, , T, 2, 82",  // cut inside the second piece
      "T, 2, 8190, ",            // channels must count from 1
      "T, 1, 5, , T, 3, 6, ",    // and in order
      "T, 1, 65536, ",           // sample out of range
      "T, 1, -1, ",              // signs are never written
      "T, 1, +1, ",
      "T, 1, 01, ",                    // nor leading zeros
      "T, 1, 99999999999999999999, ",  // nor overflowing numbers
      "T, 1, 1 , ",
      "T, 1, 1, x",                         // the field after the sample is empty
      "T, 1, 1, , 256",                     // temperature out of range
      "T, 1, 5, , 25, T, 2, 7, ",           // temperatures on some channels only
      eightPieces + "T, 9, 1, ",            // nine channels
      eightPieces + ", ",                   // a field too many
      std::string("T, 1, 1\0, ", 10),       // a NUL byte in a number
      std::string(5000, 'x') + ", 1, 1, ",  // longer than any log line
      std::string(3000, ','),
      [] {
        std::string many;
        for (int i = 0; i < 1000; ++i) many += ", ";
        return many;
      }(),
  };
  for (const std::string& line : cases) EXPECT_FALSE(sim::ParseLogLine(line)) << line.substr(0, 60);
}

TEST(LogReplay, SkipsAndCountsBadLinesAndAnUnfinishedLastLine) {
  const std::string path = ::testing::TempDir() + "replay-" + std::to_string(getpid()) + ".csv";
  std::ofstream(path, std::ios::binary) << "T, 1, 1, \r\n"
                                        << "not a log line\r\n"
                                        << std::string(100000, '7') << "\r\n"
                                        << "T, 1, 2, , 3\n"
                                        << std::string(sim::kMaxLogLineLength - 8, 'T') << ", 1, 5, \r\n"
                                        << "T, 1, 4, ";
  sim::LogReplay replay;
  std::string error;
  ASSERT_TRUE(replay.Open(path, error)) << error;
  EXPECT_EQ(Describe(replay.Next()), "1 ");
  EXPECT_EQ(Describe(replay.Next()), "2 / 3");
  EXPECT_EQ(Describe(replay.Next()), "5 ");  // the longest line, its CR LF as the log writes it
  EXPECT_FALSE(replay.Next());
  EXPECT_EQ(replay.Lines(), 6u);
  EXPECT_EQ(replay.Malformed(), 3u);
  EXPECT_EQ(replay.FirstMalformedLine(), 2u);
  EXPECT_FALSE(replay.ReadError());
  std::remove(path.c_str());

  EXPECT_FALSE(replay.Open(path, error));
  EXPECT_NE(error.find(path), std::string::npos);
}

}  // namespace
