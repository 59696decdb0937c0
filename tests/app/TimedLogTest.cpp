// The timed log: file per start, one line per frame, time limit, and the
// failures that must stop a log loudly rather than drop its lines.

#include <QCheckBox>
#include <QComboBox>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "WindowFixture.h"
#include "logging/CsvLog.h"

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
    localtime_r(&t, &local);
    return logbook::LogFileName(local);
  }
  std::string TimeText() const {
    logbook::TimeOfDayText text;
    return text.Text(Now());
  }
  static std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
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
  w.CheckBoxLog->setChecked(false);
  EXPECT_TRUE(w.Timer1->isActive()) << "the time limit keeps running after a stop";

  const std::string t = TimeText();
  EXPECT_EQ(Slurp(ExpectedName()), t + ", 1, 8190, , " + t + ", 2, 8201, , " + t + ", 3, 65535, \r\n" + t +
                                       ", 1, 8190, , 25, " + t + ", 2, 8201, , 255\r\n");
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
  EXPECT_EQ(Slurp(ExpectedName()), "") << "the second start in the same second truncates";
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
  EXPECT_EQ(Slurp(ExpectedName()), TimeText() + ", 1, 1, \r\n");
}

TEST_F(TimedLogTest, ClosingTheWindowClosesARunningLogComplete) {
  auto& w = OpenWithLogEnabled();
  w.CheckBoxLog->setChecked(true);
  Receive(w, Bytes({0xA5, 0x00, 0x05, 0x00, 0x07}));
  w.close();
  EXPECT_EQ(Slurp(ExpectedName()), TimeText() + ", 1, 7, \r\n");
  EXPECT_EQ(Prompts().beeps, 1);
  EXPECT_FALSE(w.serial->Active());
}

TEST_F(TimedLogTest, ALogThatCannotBeCreatedStopsLoudly) {
  auto& w = OpenWithLogEnabled();
  fs::create_directory(ExpectedName());  // a directory where the file should go
  w.CheckBoxLog->setChecked(true);
  EXPECT_FALSE(w.CheckBoxLog->isChecked());
  EXPECT_EQ(Prompts().beeps, 1);
  Receive(w, Bytes({0xA5, 0x00, 0x05, 0x00, 0x01}));
  EXPECT_EQ(w.LogSampleCount, 0);
}

TEST_F(TimedLogTest, AFailedWriteStopsTheLogLoudly) {
  auto& w = OpenWithLogEnabled();
  fs::create_symlink("/dev/full", ExpectedName());
  w.CheckBoxLog->setChecked(true);
  ASSERT_TRUE(w.CheckBoxLog->isChecked());
  const std::string frame = Bytes({0xA5, 0x00, 0x05, 0x00, 0x01});
  std::string many;
  for (int i = 0; i < 10000; ++i) many += frame;
  Receive(w, many);
  EXPECT_FALSE(w.CheckBoxLog->isChecked());
  EXPECT_EQ(Prompts().beeps, 1);
  EXPECT_EQ(w.SampleCount, 10000) << "capture goes on without the log";
  EXPECT_LT(w.LogSampleCount, 10000);
}

}  // namespace
