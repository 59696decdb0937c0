// A log on a full disk: the write failure must stop the log loudly (alert
// sound, box unticked) instead of silently dropping lines, and capture goes on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>

#include "logging/CsvLog.h"
#include "tests/fault/FaultRig.h"

namespace {

using namespace std::chrono_literals;

constexpr std::time_t kLogStart = 1796601503;

TEST(FullDisk, FailedLogWritesStopTheLogLoudlyAndCaptureGoesOn) {
  fault::Pty pty;
  ASSERT_TRUE(pty.IsOpen()) << "no pseudo-terminal";
  fault::ScratchDirectory logs;
  // The log's file name is known from the clock: let it lead to a device
  // whose every write fails with "no space left on device".
  std::tm local{};
  localtime_r(&kLogStart, &local);
  ASSERT_EQ(symlink("/dev/full", logbook::LogFileName(local).c_str()), 0);

  fault::WindowOnPorts rig({pty.Path()}, [] { return kLogStart; });
  TfMain& w = rig.Window();
  ASSERT_TRUE(w.serial->Active()) << "COM1 did not open";
  w.Timer2Timer();
  w.CheckBoxLog->setChecked(true);
  ASSERT_TRUE(w.CheckBoxLog->isChecked()) << "opening the log already failed";

  // Far more lines than the writer buffers before its first write to the file.
  std::string pending = fault::BoardFrames(1500);
  fault::RunEventsUntil([&] {
    pending.erase(0, pty.WriteSome(pending));
    return pending.empty() && !w.CheckBoxLog->isChecked();
  }, 20s);
  EXPECT_FALSE(w.CheckBoxLog->isChecked()) << "the log kept running on a full disk";
  EXPECT_EQ(rig.Prompts().beeps, 1);
  EXPECT_FALSE(w.LogFile.IsOpen());

  const int32_t before = w.SampleCount;
  pty.WriteSome(fault::BoardFrames(10, 3));
  EXPECT_TRUE(fault::RunEventsUntil([&] { return w.SampleCount >= before + 80; }, 10s)) << "capture stopped";
}

}  // namespace
