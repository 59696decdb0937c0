#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "ReferenceParser.h"
#include "tools/BoardOutput.h"
#include "tools/FrameGenerator.h"
#include "tools/Simulator.h"
#include "tools/StopSignal.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Reads the slave side of the simulator's pseudo-terminal on its own thread,
// the way the program does: opened without setting raw mode itself.
class SlaveReader {
 public:
  explicit SlaveReader(const std::string& path) : m_fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    if (m_fd >= 0) {
      m_thread = std::thread([this] { Loop(); });
    }
  }
  ~SlaveReader() { Close(); }

  bool IsOpen() const { return m_fd >= 0; }

  // Stops reading and closes the slave; returns what was read.
  std::string Close() {
    m_quit = true;
    if (m_thread.joinable()) {
      m_thread.join();
    }
    if (m_fd >= 0) {
      close(m_fd);
      m_fd = -1;
    }
    return m_data;
  }

  // Waits until at least count bytes arrived or a generous deadline passed.
  void WaitFor(size_t count) {
    const auto deadline = Clock::now() + 10s;
    while (m_received.load() < count && Clock::now() < deadline) {
      std::this_thread::sleep_for(1ms);
    }
  }

 private:
  void Loop() {
    char buffer[4096];
    while (!m_quit) {
      pollfd p{m_fd, POLLIN, 0};
      if (poll(&p, 1, 5) <= 0) {
        continue;
      }
      const ssize_t n = read(m_fd, buffer, sizeof buffer);
      if (n > 0) {
        m_data.append(buffer, static_cast<size_t>(n));
        m_received += static_cast<size_t>(n);
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        std::this_thread::sleep_for(1ms);
      }
    }
  }

  int m_fd;
  std::string m_data;
  std::atomic<size_t> m_received{0};
  std::atomic<bool> m_quit{false};
  std::thread m_thread;
};

std::unique_ptr<sim::BoardOutput> OpenPty() {
  std::string error;
  auto output = sim::BoardOutput::OpenPty(error);
  EXPECT_TRUE(output) << error;
  return output;
}

std::string ExpectedStream(const sim::SimOptions& options, uint64_t frames) {
  sim::FrameGenerator generator(options.board, options.faults);
  std::string bytes;
  for (uint64_t i = 0; i < frames; ++i) {
    bytes += generator.Next().bytes;
  }
  return bytes;
}

TEST(BoardOutput, PseudoTerminalPassesEveryByteUnchanged) {
  const auto output = OpenPty();
  ASSERT_TRUE(output);
  SlaveReader reader(output->Path());
  ASSERT_TRUE(reader.IsOpen());
  std::string all;
  for (int round = 0; round < 2; ++round) {
    for (int b = 0; b < 256; ++b) {
      all.push_back(static_cast<char>(b));
    }
  }
  ASSERT_EQ(output->Write(all), sim::WriteStatus::Written);
  reader.WaitFor(all.size());
  EXPECT_EQ(reader.Close(), all) << "no CR/LF translation, flow control or line editing";
}

TEST(BoardOutput, KnowsWhetherAReaderIsThere) {
  const auto output = OpenPty();
  ASSERT_TRUE(output);
  EXPECT_FALSE(output->HasReader());
  {
    SlaveReader reader(output->Path());
    EXPECT_TRUE(output->HasReader());
  }
  EXPECT_FALSE(output->HasReader());

  // Bytes a departed reader left unread do not reach the next one.
  const int first = open(output->Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(first, 0);
  EXPECT_TRUE(output->HasReader());
  ASSERT_EQ(output->Write("stale"), sim::WriteStatus::Written);
  close(first);
  EXPECT_FALSE(output->HasReader());
  const int second = open(output->Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(second, 0);
  char buffer[16];
  EXPECT_EQ(read(second, buffer, sizeof buffer), -1);
  EXPECT_EQ(errno, EAGAIN);
  close(second);
}

TEST(BoardOutput, DeviceThatCannotBeOpenedIsReported) {
  std::string error;
  EXPECT_FALSE(sim::BoardOutput::OpenDevice("/nonexistent/device", error));
  EXPECT_NE(error.find("/nonexistent/device"), std::string::npos);
}

class SimulatorRun : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::StopSignal::Reset();
    m_output = OpenPty();
    ASSERT_TRUE(m_output);
    char pattern[] = "/tmp/sim-record-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    m_record = pattern;
  }
  void TearDown() override {
    std::remove(m_record.c_str());
    sim::StopSignal::Reset();
  }

  std::string Recorded() const {
    std::ifstream in(m_record, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::unique_ptr<sim::BoardOutput> m_output;
  std::string m_record;
};

TEST_F(SimulatorRun, ReaderReceivesExactlyTheGeneratedStream) {
  struct Case {
    const char* name;
    double rate;
    size_t chunk;
    int intervalMs;
    bool flood;
    bool faults;
  };
  const Case cases[] = {
      {"whole frames with faults", 50.0, 0, 0, false, true},
      {"adapter pieces on a timer", 20.0, 7, 2, false, false},
      {"adapter pieces as frames fall due", 20.0, 5, 0, false, false},
      {"timer without pieces", 20.0, 0, 2, false, false},
      {"flood", 1.0, 0, 0, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::SimOptions options;
    options.board = {5, true, 9};
    options.rate = c.rate;
    options.chunk = c.chunk;
    options.interval = std::chrono::milliseconds(c.intervalMs);
    options.flood = c.flood;
    options.frames = c.flood ? 3000 : 300;
    options.record = m_record;
    if (c.faults) {
      options.faults = {true, true, true, true, 0.2};
    }
    SlaveReader reader(m_output->Path());
    ASSERT_TRUE(reader.IsOpen());
    sim::Simulator simulator(options, *m_output);
    std::string error;
    ASSERT_TRUE(simulator.OpenRecord(error)) << error;
    EXPECT_EQ(simulator.Run(), sim::RunEnd::Finished);

    const std::string expected = ExpectedStream(options, *options.frames);
    EXPECT_EQ(simulator.FramesMade(), *options.frames);
    EXPECT_EQ(simulator.BytesSent(), expected.size());
    EXPECT_EQ(simulator.BytesDropped(), 0u);
    reader.WaitFor(expected.size());
    const std::string received = reader.Close();
    EXPECT_TRUE(received == expected) << received.size() << " of " << expected.size() << " bytes";
    EXPECT_TRUE(Recorded() == expected);
  }
}

TEST_F(SimulatorRun, DurationEndsTheRunAtTheLastFrameDue) {
  sim::SimOptions options;
  options.board = {1, false, 1};
  options.durationSeconds = 0.1;
  SlaveReader reader(m_output->Path());
  sim::Simulator simulator(options, *m_output);
  const auto start = Clock::now();
  EXPECT_EQ(simulator.Run(), sim::RunEnd::Finished);
  EXPECT_GE(Clock::now() - start, 100ms);
  // Frames 0..33 are due at 0..99 ms.
  EXPECT_EQ(simulator.FramesMade(), 34u);
}

TEST_F(SimulatorRun, KeepsThePaceWithoutAReaderAndDropsItsBytes) {
  sim::SimOptions options;
  options.board = {2, false, 1};
  options.rate = 10.0;
  options.frames = 50;
  sim::Simulator simulator(options, *m_output);
  EXPECT_EQ(simulator.Run(), sim::RunEnd::Finished);
  EXPECT_EQ(simulator.BytesSent(), 0u);
  EXPECT_EQ(simulator.BytesDropped(), 50u * 7);
}

TEST_F(SimulatorRun, EndsWhenTheReaderStaysAway) {
  sim::SimOptions options;
  options.board = {1, false, 1};
  options.exitOnHangup = true;
  options.hangupGrace = 50ms;
  std::optional<SlaveReader> reader(std::in_place, m_output->Path());
  sim::Simulator simulator(options, *m_output);
  std::atomic<bool> done{false};
  sim::RunEnd end = sim::RunEnd::Finished;
  std::thread run([&] {
    end = simulator.Run();
    done = true;
  });
  reader->WaitFor(100);
  reader.reset();
  const auto deadline = Clock::now() + 10s;
  while (!done && Clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
  }
  if (!done) {
    sim::StopSignal::Request();
  }
  run.join();
  EXPECT_EQ(end, sim::RunEnd::ReaderGone);
}

TEST_F(SimulatorRun, StopRequestEndsAnEndlessRun) {
  for (const bool flood : {false, true}) {
    sim::StopSignal::Reset();
    sim::SimOptions options;
    options.flood = flood;
    SlaveReader reader(m_output->Path());
    sim::Simulator simulator(options, *m_output);
    sim::RunEnd end = sim::RunEnd::Finished;
    std::thread run([&] { end = simulator.Run(); });
    reader.WaitFor(1000);
    sim::StopSignal::Request();
    run.join();
    EXPECT_EQ(end, sim::RunEnd::Stopped) << (flood ? "flood" : "paced");
  }
}

TEST_F(SimulatorRun, UnwritableRecordFileIsReported) {
  sim::SimOptions options;
  options.record = "/nonexistent/dir/record.bin";
  sim::Simulator simulator(options, *m_output);
  std::string error;
  EXPECT_FALSE(simulator.OpenRecord(error));
  EXPECT_NE(error.find("/nonexistent/dir/record.bin"), std::string::npos);
}

}  // namespace
