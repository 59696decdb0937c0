#include <gtest/gtest.h>

#include <fstream>

#include "analysis/LogReader.h"
#include "tests/support/ScratchDirectory.h"

namespace {

// A frame as text: samples, then "/" and temperatures when there are any.
std::string Describe(const std::optional<analysis::LogFrame>& frame) {
  if (!frame) return "malformed";
  std::string text;
  for (size_t k = 0; k < frame->channels; ++k) text += std::to_string(frame->samples[k]) + " ";
  if (frame->hasTemperatures) text += "/";
  for (size_t k = 0; frame->hasTemperatures && k < frame->channels; ++k) {
    text += " " + std::to_string(frame->temperatures[k]);
  }
  return text;
}

std::string Describe(const std::optional<analysis::LogLine>& line) {
  return line ? Describe(std::optional<analysis::LogFrame>(line->frame)) : "none";
}

TEST(ParseLogLine, ReadsTheFramesThatLinesRecordWhateverTheTimeText) {
  const std::pair<std::string, const char*> cases[] = {
      {"14:05:09, 1, 8190, , 25, 14:05:09, 2, 8201, , 26\r", "8190 8201 / 25 26"},
      {"14:05:09, 1, 8190, , 14:05:09, 2, 8201, , 14:05:10, 3, 0, ", "8190 8201 0 "},
      {"2:05:09 PM, 1, 65535, , 255", "65535 / 255"},
      {", 1, 7, ", "7 "},  // the time text is empty when the clock cannot be read
      {"\xE5\x8D\x88\xE5\x90\x8E 2\xE6\x97\xB6, 1, 0, , 0", "0 / 0"},
  };
  for (const auto& [line, frame] : cases) EXPECT_EQ(Describe(analysis::ParseLogLine(line)), frame) << line;
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
  for (const std::string& line : cases) EXPECT_FALSE(analysis::ParseLogLine(line)) << line.substr(0, 60);
}

TEST(LogReader, SkipsAndCountsBadLinesAndAnUnfinishedLastLineOnlyWhenFinished) {
  support::ScratchDirectory scratch;
  const std::string path = (scratch.Path() / "replay.csv").string();
  std::ofstream(path, std::ios::binary) << "T, 1, 1, \r\n"
                                        << "not a log line\r\n"
                                        << std::string(100000, '7') << "\r\n"
                                        << "T, 1, 2, , 3\n"
                                        << std::string(analysis::kMaxLogLineLength - 8, 'T') << ", 1, 5, \r\n"
                                        << "T, 1, 4, ";
  analysis::LogReader reader;
  std::string error;
  ASSERT_TRUE(reader.Open(path, error)) << error;
  const auto first = reader.Next();
  ASSERT_EQ(Describe(first), "1 ");
  EXPECT_EQ(first->text, "T, 1, 1, \r\n");
  EXPECT_EQ(Describe(reader.Next()), "2 / 3");
  const auto longest = reader.Next();
  ASSERT_EQ(Describe(longest), "5 ");  // the longest line, its CR LF as the log writes it
  EXPECT_EQ(longest->offset, 11u + 16u + 100002u + 13u);
  EXPECT_FALSE(reader.Next());
  EXPECT_TRUE(reader.Waiting());  // the last line may still be being written
  EXPECT_EQ(reader.Lines(), 5u);
  reader.Finish();
  EXPECT_EQ(reader.Lines(), 6u);
  EXPECT_EQ(reader.Skipped(), 3u);
  EXPECT_EQ(reader.FirstSkippedLine(), 2u);
  EXPECT_FALSE(reader.ReadError());

  analysis::LogReader missing;
  EXPECT_FALSE(missing.Open(path + ".gone", error));
  EXPECT_NE(error.find(path), std::string::npos);
}

TEST(LogReader, FollowsAGrowingLogAndWaitsForACutLine) {
  support::ScratchDirectory scratch;
  const std::string path = (scratch.Path() / "growing.csv").string();
  std::ofstream writer(path, std::ios::binary);
  analysis::LogReader reader;
  std::string error;
  ASSERT_TRUE(reader.Open(path, error)) << error;
  EXPECT_FALSE(reader.Next());  // an empty log waits

  writer << "T, 1, 7, \r\nT, 1, 8" << std::flush;
  EXPECT_EQ(Describe(reader.Next()), "7 ");
  EXPECT_FALSE(reader.Next());  // the cut line is neither read nor skipped
  EXPECT_EQ(reader.Skipped(), 0u);

  writer << "9, \r\nT, 1, 10, \r\n" << std::flush;
  const auto joined = reader.Next();
  ASSERT_EQ(Describe(joined), "89 ");
  EXPECT_EQ(joined->offset, 11u);
  EXPECT_EQ(Describe(reader.Next()), "10 ");
  EXPECT_FALSE(reader.Next());
  EXPECT_FALSE(reader.Waiting());
  EXPECT_EQ(reader.Skipped(), 0u);
}

}  // namespace
