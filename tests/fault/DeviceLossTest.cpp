// A device that vanishes while frames stream (an unplugged adapter; here the
// other side of a pseudo-terminal closing): the program must neither crash
// nor spin on the dead port, and capture must go on once another port is
// picked.
#include <gtest/gtest.h>

#include "tests/fault/FaultRig.h"

namespace {

using namespace std::chrono_literals;
using fault::RunEventsFor;
using fault::RunEventsUntil;

constexpr int kFrameBytes = 27;
constexpr int kSamplesPerFrame = 8;

/// Streams `frames` frames into `pty`, ten every 10 ms, as the event loop runs.
void Stream(fault::Pty& pty, const std::string& frames) {
  std::string pending = frames;
  RunEventsUntil(
      [&] {
        pending.erase(0, pty.WriteSome(pending.substr(0, 10 * kFrameBytes)));
        return pending.empty();
      },
      10s);
}

TEST(DeviceLoss, HangUpMidStreamNeitherCrashesNorSpinsAndAnotherPortCarriesOn) {
  fault::Pty first;
  fault::Pty second;
  ASSERT_TRUE(first.IsOpen() && second.IsOpen()) << "no pseudo-terminals";
  fault::WindowOnPorts rig({first.Path(), second.Path()});
  TfMain& w = rig.Window();
  ASSERT_TRUE(w.serial->Active()) << "COM1 did not open";

  Stream(first, fault::BoardFrames(100));
  ASSERT_TRUE(RunEventsUntil([&] { return w.SampleCount >= 99 * kSamplesPerFrame; }, 10s)) << "frames did not arrive";
  // Half a frame, then the line goes dead under the reader.
  first.WriteSome(fault::BoardFrames(1).substr(0, kFrameBytes / 2));
  RunEventsFor(50ms);
  first.HangUp();

  const double cpuBefore = fault::ProcessCpuSeconds();
  RunEventsFor(5s);
  const double cpuSeconds = fault::ProcessCpuSeconds() - cpuBefore;
  EXPECT_LT(cpuSeconds, 0.02 * 5) << "the dead port keeps a core busy";

  rig.PickPort(2);
  ASSERT_TRUE(w.serial->Active()) << "COM2 did not open after COM1 died";
  ASSERT_TRUE(w.Running);
  w.SampleCount = 0;
  Stream(second, fault::BoardFrames(200, 2));
  // The half frame left from COM1 may swallow the start of COM2's stream
  // until the scan finds the next sync byte; every later frame counts.
  EXPECT_TRUE(RunEventsUntil([&] { return w.SampleCount >= 198 * kSamplesPerFrame; }, 10s))
      << "only " << w.SampleCount << " samples arrived from COM2";
  EXPECT_TRUE(rig.Prompts().boxes.empty()) << rig.Prompts().boxes.front();
}

}  // namespace
