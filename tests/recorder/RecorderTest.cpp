// The recorder's run: what it tells, the failures that end it with the file
// on a whole line, and a board unplugged and plugged back on a real line.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "RecorderFixture.h"
#include "acquisition/FrameFormat.h"
#include "logging/LogFilePlatform.h"
#include "tests/support/BoardFrames.h"
#include "tests/support/FileText.h"
#include "tests/support/SystemPorts.h"
#include "tests/support/Waiting.h"
#ifdef _WIN32
#include "tests/support/LineFeeder.h"
#else
#include <unistd.h>

#include "tests/support/ChildProcess.h"
#include "tests/support/PtyPair.h"
#endif

namespace {

namespace fs = std::filesystem;
const std::string kFirstName = "2026-12-07_14-05-09.csv";

TEST_F(RecorderTest, TellsItsStartAndEveryFiveSecondsWhereItStands) {
  rec::RecordOptions options;
  options.rotate = std::chrono::hours(1);
  ASSERT_TRUE(Make(options).Start());
  Feed("\x01\x02" + support::BoardFrames(3, 2, false));
  steady += rec::Recorder::kStatusEvery;
  recorder->Step();
  EXPECT_EQ(notes, std::vector<std::string>{"recording COM1 at 115200 baud, 8N1, into ./" + kFirstName +
                                            ", a new file every 1h"});
  EXPECT_EQ(statuses,
            std::vector<std::string>{kFirstName + ", " + std::to_string(support::FileText(kFirstName).size()) +
                                     " bytes: 3 frames, 2 bytes skipped, 6 samples"});
  EXPECT_EQ(rec::SizeText(12600) + ", " + rec::SizeText(11500000000), "12.3 KiB, 10.7 GiB");
}

TEST(StatusLine, RewritesItselfInPlaceOnlyOnATerminal) {
  std::string written;
  const auto write = [&written](const std::string& text) { written += text; };
  rec::StatusLine journal(write);
  journal.Status("1 frame");
  journal.Note("gone");
  rec::StatusLine terminal(write, [] { return 30; });
  for (const char* status : {"12,345 frames, 98,760 samples, 0 bytes", "2 frames"}) terminal.Status(status);
  terminal.Note("back");
  terminal.Status("3 frames");
  terminal.Close();
  EXPECT_EQ(written,
            "dezidure-record: 1 frame\ndezidure-record: gone\n"
            "\r12,345 frames, 98,760 samples"          // cut to the width, less one column
            "\r2 frames                     "          // blanks over what the last one left
            "\rdezidure-record: back\n\r3 frames\n");  // a note takes the line over
}

// A file that cannot be created or written ends the run, saying which file,
// after how many lines and why; what the file holds ends on a whole line.
TEST_F(RecorderTest, AFileThatCannotBeWrittenEndsTheRunWithTheReason) {
  size_t room = 100000;  // bytes the disk takes before it is full
  const auto smallDisk = [&room](int fd, const void* data, size_t size) -> ssize_t {
    if (room == 0) {
      errno = ENOSPC;
      return -1;
    }
    const ssize_t written = logbook::WriteLogFile(fd, data, std::min(size, room));
    room -= written > 0 ? static_cast<size_t>(written) : 0;
    return written;
  };
  struct Case {
    std::string dir;
    std::function<void()> plant;
    logbook::LogWriter::WriteFunction write;
    std::string failure;
  };
  std::vector<Case> cases = {{".", [] {}, smallDisk, "lines: no space left on device"}};
#ifndef _WIN32
  // The Windows runtime neither makes links nor refuses them at a log's name.
  cases.push_back(
      {".", [] { fs::create_symlink("precious.txt", kFirstName); }, {}, "0 lines: the name is a symbolic link"});
  cases.push_back({"locked",
                   [] { fs::permissions("locked", fs::perms::owner_read | fs::perms::owner_exec); },
                   {},
                   "0 lines: permission denied"});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failure);
    fs::remove_all(kFirstName);
    fs::create_directory("locked");
    std::ofstream("precious.txt", std::ios::binary) << "precious\n";
    c.plant();
    rec::RecordOptions options;
    options.directory = c.dir;
    const auto run = [&] {
      rec::Recorder& r = Make(options, c.write);
      if (r.Start()) Feed(support::BoardFrames(10000));
      r.Finish();
      return r.Failure();
    };
#ifdef _WIN32
    const std::string failure = run();
#else
    // Root writes into any directory: the locked one is tried as nobody.
    const auto asNobody = [&] {
      support::ChildProcess child([&] { return setgid(65534) == 0 && setuid(65534) == 0 ? run() : "still root"; });
      return child.ReadLine(support::kPatience);
    };
    const std::string failure = c.dir == "locked" && geteuid() == 0 ? asNobody() : run();
#endif
    const std::string path = c.dir + "/" + kFirstName;
    EXPECT_EQ(failure.rfind(path + " stopped after ", 0), 0u) << failure;
    EXPECT_NE(failure.find(c.failure), std::string::npos) << failure;
    const std::string kept = fs::is_symlink(path) ? std::string() : support::FileText(path);
    EXPECT_TRUE(kept.empty() || kept.compare(kept.size() - 2, 2, "\r\n") == 0) << "the file ends inside a line";
    EXPECT_EQ(support::FileText("precious.txt"), "precious\n") << "a link at the name must not be followed";
    fs::permissions("locked", fs::perms::owner_all);
  }
}

/// The board's end of the recorder's port: under wine COM1, whose line
/// dezidure-pty-feeder drives; elsewhere a pseudo-terminal behind a link, as
/// a USB adapter is reached through /dev/serial/by-id.
struct BoardLine {
#ifdef _WIN32
  bool Ready() { return !support::LineFeeder::Directory().empty() && feeder.Run("reopen"); }
  std::string Device() const { return "COM1"; }
  bool Send(int seed, int count, size_t bytes = 0) {
    return feeder.Run("frames " + std::to_string(seed) + " " + std::to_string(count) + " 8" +
                      (bytes > 0 ? " " + std::to_string(bytes) : ""));
  }
  bool Unplug() { return feeder.Run("hangup"); }
  bool Plug() { return feeder.Run("reopen"); }
  support::LineFeeder feeder;
#else
  bool Ready() const { return pty.IsOpen(); }
  std::string Device() const { return pty.Path(); }
  bool Send(int seed, int count, size_t bytes = 0) {
    const std::string frames = support::BoardFrames(count, 8, true, static_cast<uint64_t>(seed));
    return pty.WriteAll(bytes > 0 ? frames.substr(0, bytes) : frames);
  }
  bool Unplug() {
    pty.Unplug();
    return true;
  }
  bool Plug() { return pty.Plug(); }
  support::PtyPair pty{(fs::current_path() / "board").string()};
#endif
};

TEST(RecorderOnALine, AwaitsAnUnpluggedBoardAndDropsTheFrameItCut) {
  support::ScratchDirectory dir;
  BoardLine line;
  if (!line.Ready()) GTEST_SKIP() << "no line: a pseudo-terminal, or under wine the feeder of COM1";
  std::vector<std::string> notes;
  rec::RecorderDeps deps;
  deps.platform = support::SystemPorts({});
  deps.note = [&notes](const std::string& text) { notes.push_back(text); };
  rec::RecordOptions options;
  options.device = line.Device();
  rec::Recorder recorder(options, std::move(deps));
  ASSERT_TRUE(recorder.Start()) << recorder.Failure();
  // Until `done`, or until the run ends, which the assertion then shows.
  const auto runUntil = [&](const std::function<bool()>& done) {
    return support::WaitUntil([&] { return !recorder.Step() || done(); }) && recorder.Failure().empty();
  };
  const auto told = [&](const std::string& text) {
    return std::find(notes.begin(), notes.end(), recorder.Device() + text) != notes.end();
  };
  constexpr size_t kHalf = acq::kMaxFrameBytes / 2;

  ASSERT_TRUE(line.Send(1, 300) && runUntil([&] { return recorder.Counts().frames == 300; })) << recorder.Failure();
  ASSERT_TRUE(line.Send(2, 1, kHalf) && runUntil([&] { return recorder.PartFrameBytes() == kHalf; }));
  ASSERT_TRUE(line.Unplug() && runUntil([&] { return told(": gone, waiting for it to return"); })) << notes.back();
  ASSERT_TRUE(line.Plug() && runUntil([&] { return told(" reconnected, open at 115200 baud"); })) << notes.back();
  ASSERT_TRUE(line.Send(3, 200) && runUntil([&] { return recorder.Counts().frames == 500; }))
      << recorder.Counts().frames;
  ASSERT_TRUE(recorder.Finish()) << recorder.Failure();
  EXPECT_EQ(recorder.Counts().bytesSkipped, kHalf) << "the cut frame is dropped, never joined to what follows";
  EXPECT_TRUE(LoggedFrames(dir.Path()) ==
              support::DecodeFrames(support::BoardFrames(300, 8, true, 1) + support::BoardFrames(200, 8, true, 3)));
}

}  // namespace
