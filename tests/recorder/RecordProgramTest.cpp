// The recorder program against the simulated board on a pseudo-terminal:
// every frame sent is in its file, by sequence; a SIGHUP it was started
// ignoring stays ignored, and SIGTERM ends it cleanly with the last line whole.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "RecorderFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileText.h"
#include "tests/support/Waiting.h"

namespace {

using namespace std::chrono_literals;

TEST(RecordProgram, RecordsEveryFrameOfTheSimulatorAndEndsCleanlyOnSigterm) {
  support::ScratchDirectory dir;
  std::filesystem::create_directory("logs");
  support::ChildProcess board({SIM_BIN, "--frames", "2000", "--rate", "4", "--record", "sent.bin", "--wait-for-reader"},
                              {}, dir.Path().string());
  const std::string port = board.ReadLine(support::kPatience);
  ASSERT_FALSE(port.empty()) << "the simulator did not start";
  // Through a link, as a board is reached through /dev/serial/by-id: the
  // recorder waits for it when the simulator ends, instead of ending itself.
  std::filesystem::create_symlink(port, "board");
  // Standard error into the pipe that the test reads, and SIGHUP ignored as under nohup.
  support::ChildProcess recorder(
      {"/bin/sh", "-c", "trap '' HUP; exec \"$0\" \"$@\" 2>&1", RECORD_BIN, "board", "--dir", "logs"});
  EXPECT_EQ(recorder.ReadLine(support::kPatience).rfind("dezidure-record: recording board at 115200 baud", 0), 0u);
  int status = 0;
  ASSERT_TRUE(board.WaitExit(support::kPatience, status)) << "the simulator did not finish";
  const std::vector<support::DecodedFrame> frames = support::DecodeFrames(support::FileText("sent.bin"));
  ASSERT_EQ(frames.size(), 2000u);
  EXPECT_TRUE(support::WaitUntil([&] { return LoggedFrames("logs").size() == frames.size(); }))
      << "the lines of every frame read reach the file while the run goes on";

  ::kill(recorder.Pid(), SIGHUP);
  EXPECT_FALSE(recorder.WaitExit(300ms, status)) << "an ignored SIGHUP ended the run";
  ASSERT_TRUE(recorder.Stop(SIGTERM, support::kPatience, status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  std::string last;
  for (std::string line; !(line = recorder.ReadLine(1s)).empty();) last = line;
  EXPECT_EQ(last.rfind("dezidure-record: stopped by SIGTERM; 2,000 frames read; logs/", 0), 0u) << last;
  EXPECT_TRUE(LoggedFrames("logs") == frames) << "the files must hold the frames sent, in order, each once";
}

}  // namespace
