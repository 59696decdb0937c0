// The timed log: file per start, one line per frame, time limit, and the
// failures that must stop a log loudly rather than drop its lines.

#include <QCheckBox>
#include <QComboBox>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "WindowFixture.h"
#include "app/StatusPanelBar.h"
#include "logging/CsvLog.h"
#include "logging/LogFilePlatform.h"
#include "logging/LogNotices.h"
#include "recorder/Recorder.h"
#include "tests/support/BoardFrames.h"
#include "tests/support/FileText.h"
#include "tests/support/Waiting.h"
#include "tools/FrameGenerator.h"
#include "tools/LogReplay.h"

namespace {

namespace fs = std::filesystem;

class TimedLogTest : public WindowInScratchDirectoryTest {
 protected:
  TfMain& OpenWithLogEnabled() {
    AddPorts({1});
    TfMain& w = Create();
    w.FormShow();
    w.Timer2Timer();
    return w;
  }
  std::string ExpectedName() const {
    std::tm local{};
    const std::time_t t = Now();
    logbook::LocalCalendarTime(t, local);
    return logbook::LogFileName(local);
  }
  std::string TimeText() const {
    logbook::TimeOfDayText text;
    return text.Text(Now());
  }
  /// What the working directory holds, for a failure message: each entry's
  /// name and size, and the expected log's text.
  std::string FilesHere() const {
    std::string report = "expected " + ExpectedName() + "; the directory holds:";
    for (const auto& entry : fs::directory_iterator(".")) {
      std::error_code sizeUnknown;
      report += " " + entry.path().filename().string() + " (" +
                std::to_string(fs::file_size(entry.path(), sizeUnknown)) + " bytes)";
    }
    return report + "; the log reads: \"" + support::FileText(ExpectedName()) + "\"";
  }
};

TEST_F(TimedLogTest, WritesOneLinePerFrameNamedAfterTheStartTime) {
  auto& w = OpenWithLogEnabled();
  w.CheckBoxLog->setChecked(true);
  EXPECT_TRUE(w.Timer1->isActive());
  EXPECT_EQ(w.Timer1->interval(), 2 * 60000);
  Receive(w, Bytes({0xA5, 0x00, 0x09, 0x1F, 0xFE, 0x20, 0x09, 0xFF, 0xFF}));
  Receive(w, Bytes({0xA5, 0x01, 0x09, 0x1F, 0xFE, 0x19, 0x20, 0x09, 0xFF}));
  EXPECT_EQ(w.LogSampleCount, 5);
  const std::string t = TimeText();
  const std::string lines = t + ", 1, 8190, , " + t + ", 2, 8201, , " + t + ", 3, 65535, \r\n" + t +
                            ", 1, 8190, , 25, " + t + ", 2, 8201, , 255\r\n";
  EXPECT_TRUE(support::RunEventsUntil([&] { return support::FileText(ExpectedName()) == lines; }))
      << "the lines reach the file soon, without waiting for the log to close; " << FilesHere();
  w.CheckBoxLog->setChecked(false);
  EXPECT_TRUE(w.Timer1->isActive()) << "the time limit keeps running after a stop";
  EXPECT_EQ(support::FileText(ExpectedName()), lines) << FilesHere();
  EXPECT_TRUE(Prompts().boxes.empty());
  EXPECT_EQ(Prompts().beeps, 0);
}

TEST_F(TimedLogTest, ANewStartTruncatesAndRestartsCountAndCountdown) {
  auto& w = OpenWithLogEnabled();
  w.CheckBoxLog->setChecked(true);
  Receive(w, Bytes({0xA5, 0x00, 0x05, 0x00, 0x01}));
  w.CheckBoxLog->setChecked(false);
  w.cbLogTimeOut->setCurrentIndex(0);
  emit w.cbLogTimeOut->activated(0);
  w.CheckBoxLog->setChecked(true);
  EXPECT_EQ(w.LogSampleCount, 0);
  EXPECT_EQ(w.Timer1->interval(), 60000);
  EXPECT_GT(w.Timer1->remainingTime(), 30000) << "a fresh 60-second countdown";
  w.CheckBoxLog->setChecked(false);
  EXPECT_EQ(support::FileText(ExpectedName()), "") << "the second start in the same second truncates";
}

TEST_F(TimedLogTest, TheTimeLimitEndsTheLogAndResetsTheCount) {
  auto& w = OpenWithLogEnabled();
  w.CheckBoxLog->setChecked(true);
  Receive(w, Bytes({0xA5, 0x00, 0x05, 0x00, 0x01}));
  w.Timer1Timer();
  EXPECT_FALSE(w.CheckBoxLog->isChecked());
  EXPECT_EQ(w.LogSampleCount, 0);
  Receive(w, Bytes({0xA5, 0x00, 0x05, 0x00, 0x02}));
  EXPECT_EQ(w.LogSampleCount, 0);
  EXPECT_EQ(support::FileText(ExpectedName()), TimeText() + ", 1, 1, \r\n");
}

TEST_F(TimedLogTest, ClosingTheWindowClosesARunningLogComplete) {
  auto& w = OpenWithLogEnabled();
  w.CheckBoxLog->setChecked(true);
  Receive(w, Bytes({0xA5, 0x00, 0x05, 0x00, 0x07}));
  w.close();
  EXPECT_EQ(support::FileText(ExpectedName()), TimeText() + ", 1, 7, \r\n");
  EXPECT_EQ(Prompts().beeps, 1);
  EXPECT_FALSE(w.serial->Active());
}

TEST_F(TimedLogTest, ARunningLogShowsItsFileAndTimeLeftUntilItEnds) {
  auto& w = OpenWithLogEnabled();
  w.CheckBoxLog->setChecked(true);
  const QString running = QString::fromStdString("Logging to " + ExpectedName() + ", 2:00 left");
  EXPECT_EQ(w.CheckBoxLog->toolTip(), running);
  EXPECT_EQ(w.StatusTemp->PanelText(9), running);
  w.CheckBoxLog->setChecked(false);
  EXPECT_EQ(w.CheckBoxLog->toolTip(), "");
  EXPECT_EQ(w.StatusTemp->PanelText(9), "COM1 (COM1) open at 115200 baud")
      << "a log that ended normally withdraws its notice, and the port's shows again";
  EXPECT_TRUE(Prompts().told.empty());
}

// A name the log cannot take: the start fails with the system's reason, and
// whatever holds the name is left as it was.
TEST_F(TimedLogTest, ALogThatCannotBeCreatedSaysWhy) {
  struct Case {
    const char* name;
    void (*plant)(const std::string& logName);
    const char* reason;
  };
  const Case cases[] = {
      {"a directory", [](const std::string& n) { fs::create_directory(n); }, "is a directory"},
      {"a symbolic link", [](const std::string& n) { fs::create_symlink("target.txt", n); },
       "the name is a symbolic link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto& w = OpenWithLogEnabled();
    std::ofstream("target.txt", std::ios::binary) << "precious\n";
    c.plant(ExpectedName());
    w.CheckBoxLog->setChecked(true);
    EXPECT_FALSE(w.CheckBoxLog->isChecked());
    EXPECT_EQ(Prompts().beeps, 1);
    const QString told = QString::fromStdString(ExpectedName() + " stopped after 0 lines: " + c.reason);
    EXPECT_EQ(Prompts().told, QStringList{told});
    EXPECT_EQ(w.StatusTemp->PanelText(9), told);
    EXPECT_EQ(w.CheckBoxLog->toolTip(), told);
    Receive(w, Bytes({0xA5, 0x00, 0x05, 0x00, 0x01}));
    EXPECT_EQ(w.LogSampleCount, 0);
    EXPECT_EQ(support::FileText("target.txt"), "precious\n");
    DestroyWindow();
    fs::remove_all(ExpectedName());
  }
}

// The disk fills in the middle of a line: the file keeps every complete line
// before it, and the user learns which file stopped, where and why.
TEST_F(TimedLogTest, AWriteThatFailsMidLineLeavesTheCompleteLinesAndSaysWhy) {
  constexpr size_t kRoom = 100000;  // bytes the disk takes before it is full
  size_t taken = 0;
  SetLogWrite([&taken](int fd, const void* data, size_t size) -> ssize_t {
    if (taken == kRoom) {
      errno = ENOSPC;
      return -1;
    }
    const ssize_t written = write(fd, data, std::min(size, kRoom - taken));
    if (written > 0) taken += static_cast<size_t>(written);
    return written;
  });
  auto& w = OpenWithLogEnabled();
  w.CheckBoxLog->setChecked(true);
  std::string frames, lines;
  for (int i = 0; i < 10000; ++i) {
    frames += Bytes({0xA5, 0x00, 0x05, i >> 8, i & 0xFF});
    lines += TimeText() + ", 1, " + std::to_string(i) + ", \r\n";
  }
  Receive(w, frames);
  ASSERT_NE(lines[kRoom - 1], '\n') << "the disk must fill inside a line";
  const std::string kept = lines.substr(0, lines.rfind('\n', kRoom - 1) + 1);
  EXPECT_EQ(support::FileText(ExpectedName()), kept);

  EXPECT_FALSE(w.CheckBoxLog->isChecked());
  EXPECT_EQ(Prompts().beeps, 1);
  EXPECT_EQ(w.SampleCount, 10000) << "capture goes on without the log";
  const auto keptLines = static_cast<uint64_t>(std::count(kept.begin(), kept.end(), '\n'));
  const QString told = QString::fromStdString(ExpectedName() + " stopped after " + logbook::GroupDigits(keptLines) +
                                              " lines: no space left on device");
  EXPECT_EQ(Prompts().told, QStringList{told}) << "told once";
  EXPECT_EQ(w.StatusTemp->PanelText(9), told);
}

// A log replayed by the board simulator gives the frames it recorded, which
// logged again give the same lines.
TEST_F(TimedLogTest, AReplayedLogLogsTheSameLinesAgain) {
  auto& w = OpenWithLogEnabled();
  const auto logged = [&](const std::string& bytes) {
    w.CheckBoxLog->setChecked(true);
    Receive(w, bytes);
    w.CheckBoxLog->setChecked(false);
    return support::FileText(ExpectedName());
  };
  for (const sim::BoardConfig board : {sim::BoardConfig{8, true, 3}, sim::BoardConfig{1, false, 4}}) {
    SCOPED_TRACE(board.channels);
    sim::FrameGenerator generator(board);
    std::string sent;
    while (generator.Count() < 300) sent += generator.Next().bytes;
    const std::string first = logged(sent);
    fs::rename(ExpectedName(), "first.csv");

    sim::LogReplay replay;
    std::string error;
    ASSERT_TRUE(replay.Open("first.csv", error)) << error;
    const sim::FrameSource frames = sim::ReplayedFrames(replay);
    std::string replayed;
    while (const sim::Emission* emission = frames()) replayed += emission->bytes;
    EXPECT_EQ(replay.Malformed(), 0u);
    EXPECT_TRUE(replayed == sent) << "the frames' bytes as the board sent them";
    EXPECT_EQ(logged(replayed), first);
  }
}

// The recorder writes its lines with the window's own code: the same frames
// at the same time give the same file, byte for byte.
TEST_F(TimedLogTest, TheRecorderWritesTheWindowsLinesForTheSameFrames) {
  const std::string stream = Bytes({0x00, 0xA5, 0x01}) + support::BoardFrames(300) +
                             support::BoardFrames(50, 3, false, 2) + support::BoardFrames(20, 1, true, 3);
  auto& w = OpenWithLogEnabled();
  w.CheckBoxLog->setChecked(true);
  Receive(w, stream);
  w.CheckBoxLog->setChecked(false);

  auto port = std::make_shared<support::FakeSerialState>();
  port->AddPort(1);
  port->Feed(stream);
  fs::create_directory("recorder");
  rec::RecorderDeps deps{std::make_unique<support::FakeSerialPlatform>(port), [this] { return Now(); }, {}, {}, {}, {}};
  rec::Recorder recorder({"COM1", 115200, "recorder", {}, {}}, std::move(deps));
  ASSERT_TRUE(recorder.Start() && recorder.Step() && recorder.Finish()) << recorder.Failure();
  EXPECT_EQ(recorder.FilePath(), "recorder/" + ExpectedName()) << "named as the window names its log";
  const std::string windowLog = support::FileText(ExpectedName());
  EXPECT_EQ(std::count(windowLog.begin(), windowLog.end(), '\n'), 370);
  EXPECT_TRUE(support::FileText(recorder.FilePath()) == windowLog);
}

}  // namespace
