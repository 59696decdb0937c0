#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "logging/LogWriter.h"
#include "tests/support/FileText.h"

namespace {

class LogWriterTest : public ::testing::Test {
 protected:
  void TearDown() override { unlink(m_path.c_str()); }

  std::string ReadFile() const { return support::FileText(m_path); }

  // The process id keeps tests that run in parallel apart.
  const std::string m_path = ::testing::TempDir() + "log-" + std::to_string(getpid()) + ".csv";
};

// Two logs started within one second share a name: the second replaces the
// first, also when the writer still has the first one open.
TEST_F(LogWriterTest, OpenCreatesAReadableFileOrTruncatesIt) {
  logbook::LogWriter writer;
  const mode_t oldMask = umask(022);
  ASSERT_TRUE(writer.Open(m_path));
  umask(oldMask);
  struct stat info {};
  ASSERT_EQ(stat(m_path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);

  ASSERT_TRUE(writer.Write("an older and longer log\r\n"));
  ASSERT_TRUE(writer.Open(m_path));
  ASSERT_TRUE(writer.Write("new\r\n"));
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(ReadFile(), "new\r\n");
}

TEST_F(LogWriterTest, EveryByteIsInTheFileAfterClose) {
  // Lines that fill the buffer many times and straddle its end, then one
  // piece larger than the whole buffer.
  std::string expected;
  logbook::LogWriter writer;
  ASSERT_TRUE(writer.Open(m_path));
  for (int i = 0; i < 20000; ++i) {
    const std::string line = "14:05:09, 1, " + std::to_string(i) + ", \r\n";
    ASSERT_TRUE(writer.Write(line));
    expected += line;
  }
  for (const std::string& piece : {std::string(logbook::LogWriter::kBufferSize * 2 + 7, 'x'), std::string("tail")}) {
    ASSERT_TRUE(writer.Write(piece));
    expected += piece;
  }
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(ReadFile(), expected);
}

TEST_F(LogWriterTest, FailuresOfTheRealFileAreReported) {
  logbook::LogWriter writer;
  EXPECT_FALSE(writer.Open(m_path + ".missing/log.csv"));
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(writer.Error(), ENOENT);
  EXPECT_FALSE(writer.Write("dropped")) << "a line for a log that never opened is lost, not written";
  EXPECT_TRUE(writer.Close()) << "closing a closed writer does nothing";

  if (access("/dev/full", W_OK) != 0) {
    GTEST_SKIP() << "/dev/full is not available";
  }
  ASSERT_TRUE(writer.Open("/dev/full"));
  EXPECT_TRUE(writer.Write("line\r\n")) << "a small line only fills the buffer";
  EXPECT_FALSE(writer.Close());
  EXPECT_EQ(writer.Error(), ENOSPC);
  EXPECT_FALSE(writer.IsOpen());
}

// Write calls that follow a script: each step accepts up to that many bytes,
// or fails with errno -step; calls past the script accept everything.
struct ScriptedWrites {
  explicit ScriptedWrites(std::vector<ssize_t> steps) : script(std::move(steps)) {}

  std::vector<ssize_t> script;
  size_t calls = 0;
  std::string written;

  logbook::LogWriter::WriteFunction Function() {
    return [this](int, const void* data, size_t size) -> ssize_t {
      const ssize_t step = calls < script.size() ? script[calls] : static_cast<ssize_t>(size);
      ++calls;
      if (step < 0) {
        errno = static_cast<int>(-step);
        return -1;
      }
      const size_t count = std::min(size, static_cast<size_t>(step));
      written.append(static_cast<const char*>(data), count);
      return static_cast<ssize_t>(count);
    };
  }
};

TEST_F(LogWriterTest, WriteResultsAreRetriedOrReported) {
  struct Case {
    const char* name;
    std::vector<ssize_t> script;
    bool closeOk;
    int error;
    size_t bytesKept;
  };
  const Case cases[] = {
      {"disk full", {-ENOSPC}, false, ENOSPC, 0},
      {"interrupted, then written", {-EINTR, 1000}, true, 0, 10},
      {"partial writes are completed", {3, 3, 1000}, true, 0, 10},
      {"a zero-byte write counts as full", {4, 0}, false, ENOSPC, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedWrites writes{c.script};
    logbook::LogWriter writer(writes.Function());
    ASSERT_TRUE(writer.Open(m_path));
    ASSERT_TRUE(writer.Write("0123456789"));
    EXPECT_EQ(writer.Close(), c.closeOk);
    EXPECT_EQ(writer.Error(), c.error);
    EXPECT_EQ(writes.written, std::string("0123456789").substr(0, c.bytesKept));
  }
}

TEST_F(LogWriterTest, FailureMidLogRejectsEveryLaterLine) {
  ScriptedWrites writes{{-ENOSPC}};
  logbook::LogWriter writer(writes.Function());
  ASSERT_TRUE(writer.Open(m_path));
  ASSERT_TRUE(writer.Write(std::string(logbook::LogWriter::kBufferSize - 2, 'x')));
  EXPECT_FALSE(writer.Write("\r\n?")) << "the line that needed a flush is reported lost";
  EXPECT_TRUE(writer.Failed());
  EXPECT_EQ(writer.Error(), ENOSPC);
  EXPECT_FALSE(writer.Write("next line"));
  EXPECT_EQ(writes.calls, 1u) << "no further write attempts once failed";
  EXPECT_FALSE(writer.Close());
}

// Lines wait in the buffer no longer than the age bound: each write checks
// the age, and the caller's timer flushes at TimeToFlush.
TEST_F(LogWriterTest, BufferedLinesReachTheFileWithinTheAgeBound) {
  using std::chrono::milliseconds;
  logbook::LogWriter::TimePoint now{};
  ScriptedWrites writes{{}};
  logbook::LogWriter writer(writes.Function(), [&now] { return now; });
  ASSERT_TRUE(writer.Open(m_path));
  EXPECT_FALSE(writer.TimeToFlush()) << "nothing buffered, nothing due";
  ASSERT_TRUE(writer.Write("a\r\n"));
  EXPECT_EQ(writer.TimeToFlush(), logbook::LogWriter::kMaxLineAge);
  now += logbook::LogWriter::kMaxLineAge - milliseconds(1);
  ASSERT_TRUE(writer.Write("b\r\n"));
  EXPECT_EQ(writes.calls, 0u);
  EXPECT_EQ(writer.TimeToFlush(), milliseconds(1));
  now += milliseconds(1);
  ASSERT_TRUE(writer.Write("c\r\n"));
  EXPECT_EQ(writes.written, "a\r\nb\r\nc\r\n") << "the write that finds the oldest line due flushes";
  EXPECT_EQ(writer.LinesKept(), 3u);

  ASSERT_TRUE(writer.Write("d\r\n"));
  now += logbook::LogWriter::kMaxLineAge * 2;
  EXPECT_EQ(writer.TimeToFlush(), milliseconds(0));
  EXPECT_TRUE(writer.Flush());
  EXPECT_EQ(writes.calls, 2u);
  EXPECT_FALSE(writer.TimeToFlush());
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(writes.calls, 2u);
  EXPECT_EQ(writer.LinesKept(), 4u);
}

}  // namespace
