#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "logging/LogWriter.h"

namespace {

class LogWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/logwriter-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    m_path = m_dir + "/2026-12-07_00-38-23.csv";
  }
  void TearDown() override {
    unlink(m_path.c_str());
    rmdir(m_dir.c_str());
  }

  std::string ReadFile() const {
    std::ifstream in(m_path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::string m_dir;
  std::string m_path;
};

TEST_F(LogWriterTest, OpenTruncatesAnExistingFile) {
  {
    std::ofstream old(m_path, std::ios::binary);
    old << "an older log of the same second\r\n";
  }
  logbook::LogWriter writer;
  ASSERT_TRUE(writer.Open(m_path));
  EXPECT_TRUE(writer.IsOpen());
  ASSERT_TRUE(writer.Write("new\r\n"));
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(ReadFile(), "new\r\n");
}

TEST_F(LogWriterTest, FileIsReadableByOthers) {
  const mode_t old = umask(022);
  logbook::LogWriter writer;
  ASSERT_TRUE(writer.Open(m_path));
  umask(old);
  struct stat info {};
  ASSERT_EQ(stat(m_path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(LogWriterTest, BufferedContentIsCompleteAfterClose) {
  // Enough lines to fill the buffer several times, with pieces that straddle
  // its end, plus one piece larger than the whole buffer.
  std::string expected;
  logbook::LogWriter writer;
  ASSERT_TRUE(writer.Open(m_path));
  for (int i = 0; i < 20000; ++i) {
    const std::string line = "14:05:09, 1, " + std::to_string(i) + ", \r\n";
    ASSERT_TRUE(writer.Write(line));
    expected += line;
  }
  const std::string big(logbook::LogWriter::kBufferSize * 2 + 7, 'x');
  ASSERT_TRUE(writer.Write(big));
  expected += big;
  ASSERT_TRUE(writer.Write("tail"));
  expected += "tail";
  ASSERT_TRUE(writer.Close());
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(ReadFile(), expected);
}

TEST_F(LogWriterTest, ReopenStartsANewFile) {
  logbook::LogWriter writer;
  ASSERT_TRUE(writer.Open(m_path));
  ASSERT_TRUE(writer.Write("first"));
  ASSERT_TRUE(writer.Open(m_path));
  ASSERT_TRUE(writer.Write("second"));
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(ReadFile(), "second");
}

TEST_F(LogWriterTest, OpenFailsInMissingDirectory) {
  logbook::LogWriter writer;
  EXPECT_FALSE(writer.Open(m_dir + "/missing/log.csv"));
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(writer.Error(), ENOENT);
  EXPECT_FALSE(writer.Write("dropped")) << "writing to a writer that never opened is a failure";
  EXPECT_TRUE(writer.Close());
}

TEST(LogWriter, ClosingAClosedWriterDoesNothing) {
  logbook::LogWriter writer;
  EXPECT_TRUE(writer.Close());
  EXPECT_TRUE(writer.Close());
  EXPECT_FALSE(writer.IsOpen());
}

TEST(LogWriter, FullDeviceFailsAtFlushAndStaysFailed) {
  if (access("/dev/full", W_OK) != 0) {
    GTEST_SKIP() << "/dev/full is not available";
  }
  logbook::LogWriter writer;
  ASSERT_TRUE(writer.Open("/dev/full"));
  // Small writes only fill the buffer; the failure shows at Close.
  EXPECT_TRUE(writer.Write("line\r\n"));
  EXPECT_FALSE(writer.Close());
  EXPECT_EQ(writer.Error(), ENOSPC);

  ASSERT_TRUE(writer.Open("/dev/full"));
  EXPECT_FALSE(writer.Failed()) << "Open starts afresh";
  const std::string chunk(logbook::LogWriter::kBufferSize - 1, 'x');
  EXPECT_TRUE(writer.Write(chunk));
  EXPECT_FALSE(writer.Write("yy")) << "the flush of a full buffer fails";
  EXPECT_TRUE(writer.Failed());
  EXPECT_FALSE(writer.Write("z"));
  EXPECT_FALSE(writer.Close());
  EXPECT_FALSE(writer.IsOpen());
}

struct ScriptedWrites {
  // Each entry: bytes to accept, or a negative errno to fail with; calls
  // past the script accept everything.
  explicit ScriptedWrites(std::vector<ssize_t> steps) : script(std::move(steps)) {}

  std::vector<ssize_t> script;
  size_t calls = 0;
  std::string written;

  ssize_t operator()(int, const void* data, size_t size) {
    const ssize_t step = calls < script.size() ? script[calls] : static_cast<ssize_t>(size);
    ++calls;
    if (step < 0) {
      errno = static_cast<int>(-step);
      return -1;
    }
    const size_t count = std::min(size, static_cast<size_t>(step));
    written.append(static_cast<const char*>(data), count);
    return static_cast<ssize_t>(count);
  }
};

TEST_F(LogWriterTest, InjectedWriteResults) {
  struct Case {
    const char* name;
    std::vector<ssize_t> script;
    bool closeOk;
    int error;
    size_t bytesKept;
  };
  const Case cases[] = {
      {"disk full", {-ENOSPC}, false, ENOSPC, 0},
      {"file system gone", {-EIO}, false, EIO, 0},
      {"interrupted then written", {-EINTR, 1000}, true, 0, 10},
      {"partial writes are completed", {3, 3, 1000}, true, 0, 10},
      {"zero-byte write counts as full", {4, 0}, false, ENOSPC, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedWrites writes{c.script};
    logbook::LogWriter writer([&writes](int fd, const void* d, size_t n) { return writes(fd, d, n); });
    ASSERT_TRUE(writer.Open(m_path));
    ASSERT_TRUE(writer.Write("0123456789"));
    EXPECT_EQ(writer.Close(), c.closeOk);
    EXPECT_EQ(writer.Error(), c.error);
    EXPECT_EQ(writes.written, std::string("0123456789").substr(0, c.bytesKept));
  }
}

TEST_F(LogWriterTest, InjectedFailureMidLogRejectsLaterLines) {
  ScriptedWrites writes{{-ENOSPC}};
  logbook::LogWriter writer([&writes](int fd, const void* d, size_t n) { return writes(fd, d, n); });
  ASSERT_TRUE(writer.Open(m_path));
  const std::string chunk(logbook::LogWriter::kBufferSize - 2, 'x');
  ASSERT_TRUE(writer.Write(chunk));
  EXPECT_FALSE(writer.Write("\r\n?")) << "the line that needed a flush is reported lost";
  EXPECT_EQ(writer.Error(), ENOSPC);
  EXPECT_FALSE(writer.Write("next line"));
  EXPECT_EQ(writes.calls, 1u) << "no further write attempts once failed";
  EXPECT_FALSE(writer.Close());
}

}  // namespace
