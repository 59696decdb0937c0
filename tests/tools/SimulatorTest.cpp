#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <future>

#include "tests/support/FileText.h"
#include "tools/BoardOutput.h"
#include "tools/FrameEncoding.h"
#include "tools/FrameGenerator.h"
#include "tools/LogReplay.h"
#include "tools/Simulator.h"
#include "tools/StopSignal.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The slave side of the simulator's pseudo-terminal, opened the way the
// program opens it: without setting raw mode itself.
struct Slave {
  explicit Slave(const std::string& path) : fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    EXPECT_GE(fd, 0) << path;
  }
  ~Slave() { close(fd); }

  // Reads until count bytes arrived or a generous deadline passed.
  std::string Read(size_t count) const {
    std::string data;
    char buffer[4096];
    for (const auto deadline = Clock::now() + 10s; data.size() < count && Clock::now() < deadline;) {
      pollfd p{fd, POLLIN, 0};
      const ssize_t n = poll(&p, 1, 10) > 0 ? read(fd, buffer, sizeof buffer) : 0;
      if (n > 0) data.append(buffer, static_cast<size_t>(n));
    }
    return data;
  }

  const int fd;
};

std::unique_ptr<sim::BoardOutput> OpenPty() {
  std::string error;
  auto output = sim::BoardOutput::OpenPty(error);
  EXPECT_TRUE(output) << error;
  return output;
}

// A reader gets every byte unchanged (no CR/LF translation, flow control or
// line editing), and none of those that a reader before it left unread.
TEST(BoardOutput, ReaderGetsEveryByteUnchangedAndNoneLeftByTheReaderBefore) {
  const auto output = OpenPty();
  ASSERT_TRUE(output);
  EXPECT_FALSE(output->HasReader());
  auto first = std::make_unique<Slave>(output->Path());
  EXPECT_TRUE(output->HasReader());
  std::string all;
  for (int b = 0; b < 512; ++b) {
    all.push_back(static_cast<char>(b));
  }
  ASSERT_EQ(output->Write(all), sim::WriteStatus::Written);
  EXPECT_EQ(first->Read(all.size()), all);
  ASSERT_EQ(output->Write("stale"), sim::WriteStatus::Written);
  first.reset();
  EXPECT_FALSE(output->HasReader());
  const Slave second(output->Path());
  char buffer[16];
  EXPECT_EQ(read(second.fd, buffer, sizeof buffer), -1);
  EXPECT_EQ(errno, EAGAIN);
}

TEST(BoardOutput, FilesThatCannotBeOpenedAreReportedByName) {
  std::string error;
  EXPECT_FALSE(sim::BoardOutput::OpenDevice("/nonexistent/device", error));
  EXPECT_NE(error.find("/nonexistent/device"), std::string::npos);

  const auto output = sim::BoardOutput::OpenDevice("/dev/null", error);
  ASSERT_TRUE(output) << error;
  sim::SimOptions options;
  options.record = "/nonexistent/dir/record.bin";
  sim::Simulator simulator(options, *output);
  EXPECT_FALSE(simulator.OpenRecord(error));
  EXPECT_NE(error.find("/nonexistent/dir/record.bin"), std::string::npos);
}

class SimulatorRun : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::StopSignal::Reset();
    m_output = OpenPty();
    ASSERT_TRUE(m_output);
  }
  void TearDown() override {
    std::remove(m_record.c_str());
    sim::StopSignal::Reset();
  }

  std::unique_ptr<sim::BoardOutput> m_output;
  // The process id keeps tests that run in parallel apart.
  const std::string m_record = ::testing::TempDir() + "sim-record-" + std::to_string(getpid()) + ".bin";
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
    sim::FrameGenerator generator(options.board, options.faults);
    std::string expected;
    while (generator.Count() < *options.frames) {
      expected += generator.Next().bytes;
    }
    const Slave reader(m_output->Path());
    sim::Simulator simulator(options, *m_output);
    std::string error;
    ASSERT_TRUE(simulator.OpenRecord(error)) << error;
    auto run = std::async(std::launch::async, [&simulator] { return simulator.Run(); });
    const std::string received = reader.Read(expected.size());
    EXPECT_EQ(run.get(), sim::RunEnd::Finished);
    EXPECT_EQ(simulator.FramesMade(), *options.frames);
    EXPECT_EQ(simulator.BytesSent(), expected.size());
    EXPECT_EQ(simulator.BytesDropped(), 0u);
    EXPECT_TRUE(received == expected) << received.size() << " of " << expected.size() << " bytes";
    EXPECT_TRUE(support::FileText(m_record) == expected) << "the record file";
  }
}

TEST_F(SimulatorRun, KeepsThePaceWithoutAReaderUntilTheDurationAndDropsTheBytes) {
  sim::SimOptions options;
  options.board = {1, false, 1};
  options.durationSeconds = 0.1;
  sim::Simulator simulator(options, *m_output);
  const auto start = Clock::now();
  EXPECT_EQ(simulator.Run(), sim::RunEnd::Finished);
  EXPECT_GE(Clock::now() - start, 100ms);
  EXPECT_EQ(simulator.FramesMade(), 34u) << "frames 0 to 33 are due at 0 to 99 ms";
  EXPECT_EQ(simulator.BytesSent(), 0u);
  EXPECT_EQ(simulator.BytesDropped(), 34u * 5);
}

TEST_F(SimulatorRun, StopRequestEndsAnEndlessRun) {
  for (const bool flood : {false, true}) {
    sim::StopSignal::Reset();
    sim::SimOptions options;
    options.flood = flood;
    const Slave reader(m_output->Path());
    sim::Simulator simulator(options, *m_output);
    auto run = std::async(std::launch::async, [&simulator] { return simulator.Run(); });
    reader.Read(1000);
    sim::StopSignal::Request();
    EXPECT_EQ(run.get(), sim::RunEnd::Stopped) << (flood ? "flood" : "paced");
  }
}

TEST_F(SimulatorRun, EndsWhenTheReaderStaysAway) {
  sim::SimOptions options;
  options.exitOnHangup = true;
  options.hangupGrace = 50ms;
  auto reader = std::make_unique<Slave>(m_output->Path());
  sim::Simulator simulator(options, *m_output);
  auto run = std::async(std::launch::async, [&simulator] { return simulator.Run(); });
  reader->Read(100);
  reader.reset();
  // A run that does not end by itself is stopped, so the test fails instead of hanging.
  if (run.wait_for(10s) != std::future_status::ready) sim::StopSignal::Request();
  EXPECT_EQ(run.get(), sim::RunEnd::ReaderGone);
}

TEST_F(SimulatorRun, ReplaySendsTheFramesOfEveryWellFormedLineThenFinishes) {
  std::ofstream(m_record, std::ios::binary) << "T, 1, 4660, , 25, T, 2, 0, , 255\r\nbad\r\nT, 1, 258, \r\n";
  sim::LogReplay replay;
  std::string error;
  ASSERT_TRUE(replay.Open(m_record, error)) << error;
  sim::SimOptions options;
  options.rate = 10;
  options.waitForReader = true;
  const Slave reader(m_output->Path());
  sim::Simulator simulator(options, *m_output, sim::ReplayedFrames(replay));
  auto run = std::async(std::launch::async, [&simulator] { return simulator.Run(); });
  const std::vector<uint8_t> temperatures = {25, 255};
  const std::string expected = sim::EncodeFrame({0x1234, 0}, &temperatures) + sim::EncodeFrame({0x0102}, nullptr);
  EXPECT_EQ(reader.Read(expected.size()), expected);
  EXPECT_EQ(run.get(), sim::RunEnd::Finished);
  EXPECT_EQ(simulator.FramesMade(), 2u);
  EXPECT_EQ(replay.Malformed(), 1u);
}

}  // namespace
