// A device that vanishes while frames stream (an unplugged adapter; here the
// other side of a pseudo-terminal closing): the program must neither crash
// nor spin on the dead port, must wait for the device at the same path at
// next to no cost and carry on when it returns, and must carry on on another
// port once one is picked. Also: a device plugged in while a port streams.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <filesystem>

#include "acquisition/FrameFormat.h"
#include "tests/support/BoardFrames.h"
#include "tests/support/ProcessUsage.h"
#include "tests/support/PtyPair.h"
#include "tests/support/RecordedWindow.h"
#include "tests/support/ScratchDirectory.h"
#include "tools/LogReplay.h"

namespace {

using namespace std::chrono_literals;
using support::RunEventsUntil;

constexpr int kFrameBytes = acq::kMaxFrameBytes;
constexpr int kSamplesPerFrame = acq::kMaxChannels;

/// The log file in `dir`, read back: `lines` of it in all, and how many of
/// them do not record a frame of eight channels.
uint64_t MalformedLogLines(const std::filesystem::path& dir, uint64_t& lines) {
  sim::LogReplay replay;
  std::string error;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() == ".csv" && !replay.Open(entry.path().string(), error)) ADD_FAILURE() << error;
  }
  uint64_t narrow = 0;
  while (const auto frame = replay.Next()) narrow += frame->samples.size() == kSamplesPerFrame ? 0 : 1;
  lines = replay.Lines();
  return replay.Malformed() + narrow;
}

TEST(DeviceLoss, HangUpMidStreamNeitherCrashesNorSpinsAndAnotherPortCarriesOn) {
  support::PtyPair first;
  support::PtyPair second;
  ASSERT_TRUE(first.IsOpen() && second.IsOpen()) << "no pseudo-terminals";
  support::RecordedWindow rig = support::StartOnDevices({first.Path(), second.Path()});
  TfMain& w = rig.Window();
  ASSERT_TRUE(w.serial->Active()) << "COM1 did not open";

  ASSERT_TRUE(first.Stream(support::BoardFrames(100))) << "COM1 took no frames";
  ASSERT_TRUE(RunEventsUntil([&] { return w.SampleCount >= 99 * kSamplesPerFrame; })) << "frames did not arrive";
  // Half a frame, then the line goes dead under the reader.
  first.WriteSome(support::BoardFrames(1).substr(0, kFrameBytes / 2));
  ASSERT_TRUE(RunEventsUntil([&] { return w.RxBuffer.size() == kFrameBytes / 2; })) << "the half frame was not read";
  first.HangUp();

  const double cpuBefore = support::ProcessCpuSeconds();
  support::RunEventsFor(5s);
  const double cpuSeconds = support::ProcessCpuSeconds() - cpuBefore;
  EXPECT_LT(cpuSeconds, 0.02 * 5) << "the dead port keeps a core busy";
  EXPECT_FALSE(w.serial->Active()) << "the dead port is closed";
  // Its pseudo-terminal's number goes to whichever terminal opens next: not awaited.
  EXPECT_EQ(rig.Notice(),
            "COM1 (" + first.Path() +
                "): gone; a pseudo-terminal is not awaited, its number passes to the next terminal opened");

  rig.PickPort(2);
  ASSERT_TRUE(w.serial->Active()) << "COM2 did not open after COM1 died";
  ASSERT_TRUE(w.Running);
  w.SampleCount = 0;
  ASSERT_TRUE(second.Stream(support::BoardFrames(200, 8, true, 2))) << "COM2 took no frames";
  // The half frame left from COM1 may swallow the start of COM2's stream
  // until the scan finds the next sync byte; every later frame counts.
  EXPECT_TRUE(RunEventsUntil([&] { return w.SampleCount >= 198 * kSamplesPerFrame; }))
      << "only " << w.SampleCount << " samples arrived from COM2";
  EXPECT_EQ(rig.Prompts().BoxTexts(), "");
}

// The board's device goes away mid-frame with the log running and comes back
// behind the same stable name: the wait costs next to nothing, and after the
// reconnect every frame is drawn and logged, with no line left corrupt.
TEST(DeviceLoss, AnUnpluggedBoardIsAwaitedCheaplyAndReconnectsAtTheSamePath) {
  support::ScratchDirectory logs;
  support::PtyPair board((logs.Path() / "board").string());
  support::RecordedWindow rig = support::StartOnDevices({board.Path()});
  TfMain& w = rig.Window();
  ASSERT_TRUE(w.serial->Active()) << "COM1 did not open";
  w.Timer2Timer();
  w.CheckBoxLog->setChecked(true);

  ASSERT_TRUE(board.Stream(support::BoardFrames(200))) << "COM1 took no frames";
  ASSERT_TRUE(RunEventsUntil([&] { return w.SampleCount == 200 * kSamplesPerFrame; }));
  board.WriteSome(support::BoardFrames(1, 8, true, 3).substr(0, kFrameBytes / 2));
  ASSERT_TRUE(RunEventsUntil([&] { return !w.RxBuffer.empty(); })) << "the half frame was not read";
  board.Unplug();
  const std::string gone = "COM1 (" + board.Path() + "): gone, waiting for it to return";
  ASSERT_TRUE(RunEventsUntil([&] { return rig.Notice() == gone; })) << rig.Notice();

  const double cpuBefore = support::ProcessCpuSeconds();
  support::RunEventsFor(3s);
  EXPECT_LT(support::ProcessCpuSeconds() - cpuBefore, 0.002 * 3) << "waiting must cost under 0.2 % of a core";
  EXPECT_TRUE(w.CheckBoxLog->isChecked()) << "the log keeps running while the port is away";

  ASSERT_TRUE(board.Plug());
  const std::string back = "COM1 (" + board.Path() + ") reconnected, open at 115200 baud";
  ASSERT_TRUE(RunEventsUntil([&] { return rig.Notice() == back; })) << rig.Notice();
  EXPECT_TRUE(w.RxBuffer.empty()) << "the cut frame is dropped";
  ASSERT_TRUE(board.Stream(support::BoardFrames(300, 8, true, 2))) << "the returned device took no frames";
  EXPECT_TRUE(RunEventsUntil([&] { return w.SampleCount == 500 * kSamplesPerFrame; }))
      << w.SampleCount / kSamplesPerFrame << " frames drawn of 500";
  w.CheckBoxLog->setChecked(false);

  uint64_t lines = 0;
  EXPECT_EQ(MalformedLogLines(logs.Path(), lines), 0u);
  EXPECT_EQ(lines, 500u);
  EXPECT_EQ(rig.Prompts().told, (QStringList{QString::fromStdString(gone), QString::fromStdString(back)}));
  EXPECT_EQ(rig.Prompts().BoxTexts(), "");
}

// A device plugged in after start shows up when the list opens, while the
// open port streams on without losing a frame to the probes.
TEST(PortList, AnAdapterPluggedInLaterIsListedAndTheStreamLosesNoFrameToTheProbes) {
  support::ScratchDirectory scratch;
  support::PtyPair board;
  const std::string adapterLink = (scratch.Path() / "adapter").string();
  support::RecordedWindow rig = support::StartOnDevices({board.Path(), adapterLink});
  TfMain& w = rig.Window();
  ASSERT_TRUE(w.serial->Active()) << "COM1 did not open";
  ASSERT_EQ(w.ComboBoxPort->count(), 1);

  std::unique_ptr<support::PtyPair> adapter;
  std::string pending = support::BoardFrames(600);
  int rounds = 0;
  RunEventsUntil([&] {
    pending.erase(0, board.WriteSome(std::string_view(pending).substr(0, 10 * kFrameBytes)));
    w.RelistPorts();
    if (++rounds == 20) adapter = std::make_unique<support::PtyPair>(adapterLink);
    return pending.empty();
  });
  EXPECT_TRUE(RunEventsUntil([&] { return w.SampleCount == 600 * kSamplesPerFrame; }))
      << w.SampleCount / kSamplesPerFrame << " frames of 600 after " << rounds << " listings";
  w.ComboBoxPort->showPopup();
  w.ComboBoxPort->hidePopup();
  ASSERT_EQ(w.ComboBoxPort->count(), 2);
  EXPECT_EQ(w.ComboBoxPort->itemText(1), "COM2");
  EXPECT_EQ(w.ComboBoxPort->currentText(), "COM1");
  EXPECT_EQ(w.serial->Port(), 1);
  EXPECT_TRUE(w.serial->Active());
  EXPECT_EQ(rig.Prompts().BoxTexts(), "");
}

}  // namespace
