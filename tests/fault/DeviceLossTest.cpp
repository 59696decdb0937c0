// A device that vanishes while frames stream (an unplugged adapter; here the
// other side of a pseudo-terminal closing): the program must neither crash
// nor spin on the dead port, and capture must go on once another port is
// picked.
#include <gtest/gtest.h>

#include "acquisition/FrameFormat.h"
#include "tests/support/BoardFrames.h"
#include "tests/support/ProcessUsage.h"
#include "tests/support/PtyPair.h"
#include "tests/support/RecordedWindow.h"

namespace {

using namespace std::chrono_literals;
using support::RunEventsUntil;

constexpr int kFrameBytes = acq::kMaxFrameBytes;
constexpr int kSamplesPerFrame = acq::kMaxChannels;

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

}  // namespace
