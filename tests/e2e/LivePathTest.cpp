// The whole receive path in one process: the simulated board writes frames to
// a pseudo-terminal, the real serial component reads them and announces them
// on the event loop, and the window draws and logs them. What the surface
// shows and what the log holds are checked against the frames sent, computed
// here independently of the program's own arithmetic.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <cmath>
#include <filesystem>

#include "app/main.h"
#include "tests/support/FileText.h"
#include "tests/support/PtyRig.h"
#include "tools/FrameGenerator.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    const size_t comma = line.find(", ", start);
    fields.push_back(line.substr(start, comma - start));
    if (comma == std::string::npos) return fields;
    start = comma + 2;
  }
}

TEST(LivePath, WhatIsDrawnAndLoggedMatchesTheFramesSent) {
  support::PtyRig rig;
  TfMain& w = rig.window.Window();
  ASSERT_TRUE(w.serial->Active()) << "COM1 did not open";
  rig.StartLog();

  sim::FrameGenerator generator({8, true, 11});
  constexpr int kFrames = 1000;  // 3 s of signal: the sweep does not wrap at the default size
  std::vector<sim::FrameValues> sent;
  std::string bytes;
  while (sent.size() < kFrames) {
    const sim::Emission& e = generator.Next();
    bytes += e.bytes;
    sent.push_back(e.frame);
  }
  ASSERT_TRUE(rig.pty.Stream(bytes)) << "the frames were not taken";
  support::RunEventsUntil([&] { return w.FrameClock >= 3.0L * kFrames; });
  ASSERT_EQ(w.FrameClock, 3.0L * kFrames) << "not every frame was received";
  w.CheckBoxLog->setChecked(false);

  // Channel 1's DC mark of every frame, computed from first principles.
  const uint16_t dcBlue = 0x001F, acBlue = 0x000F;
  int checked = 0;
  for (size_t f = 0; f < sent.size(); ++f) {
    const long double t = 3.0L * static_cast<long double>(f);
    const int col = static_cast<int>(t * 50 / 500);
    const int row = static_cast<int>(std::trunc((-8196.0L + sent[f].samples[0]) / 50 + 353 / 8.0 * 4));
    if (row < 1 || row > 351) continue;
    const uint16_t shown = w.Surface->Pixel(row, col);
    EXPECT_TRUE(shown == dcBlue || shown == acBlue) << "frame " << f << " col " << col << " row " << row;
    ++checked;
  }
  EXPECT_GT(checked, kFrames / 2);

  const std::string text = support::FileText(fs::directory_iterator(rig.logs.Path())->path());
  size_t lineStart = 0;
  size_t line = 0;
  while (lineStart < text.size()) {
    const size_t end = text.find("\r\n", lineStart);
    ASSERT_NE(end, std::string::npos) << "unterminated line";
    const std::vector<std::string> fields = SplitFields(text.substr(lineStart, end - lineStart));
    ASSERT_LT(line, sent.size());
    ASSERT_EQ(fields.size(), 8u * 5) << "line " << line;
    for (size_t k = 0; k < 8; ++k) {
      EXPECT_EQ(fields[k * 5 + 1], std::to_string(k + 1));
      EXPECT_EQ(fields[k * 5 + 2], std::to_string(sent[line].samples[k])) << "line " << line;
      EXPECT_EQ(fields[k * 5 + 3], "");
      EXPECT_EQ(fields[k * 5 + 4], std::to_string(sent[line].temperatures[k])) << "line " << line;
    }
    ++line;
    lineStart = end + 2;
  }
  EXPECT_EQ(line, sent.size()) << "one line per frame";
  EXPECT_EQ(rig.window.Prompts().BoxTexts(), "");
  EXPECT_EQ(rig.window.Prompts().beeps, 0);
}

}  // namespace
