#include <gtest/gtest.h>
#include <termios.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "serial/PosixArbitraryRate.h"
#include "serial/Serial5.h"
#include "tests/support/ManualPoster.h"
#include "tests/support/ProcessUsage.h"
#include "tests/support/PtyPair.h"
#include "tests/support/SystemPorts.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

/// A close that finds the event thread waiting wakes it; one that does not
/// waits out this limit, in seconds.
constexpr double kCloseLimitSeconds = 0.75;

// A pseudo-terminal pair: the slave stands for the serial device, the master
// for the board at the other end. `serial` is a TSerial on the system
// platform with port 1 set to the slave, at 115200 baud, 8 data bits and a
// 256-byte queue, reporting errors by event.
class PtySerial : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.IsOpen()) << "no pseudo-terminal";
    serial = MakeSerial();
  }

  std::unique_ptr<TSerial> MakeSerial() {
    auto s = std::make_unique<TSerial>(support::SystemPorts({pty.Path()}), poster);
    s->SetBaudrate(115200);
    s->SetDataBits(d8bit);
    s->SetRxQueueSize(256);
    s->SetNotifyErrors(neEvent);
    s->OnError = [this](TSerial*) { ++errors; };
    return s;
  }

  /// Sends bytes from the board's side.
  void Send(const std::string& bytes) { ASSERT_TRUE(pty.WriteAll(bytes)); }

  support::PtyPair pty;
  std::shared_ptr<support::ManualPoster> poster = std::make_shared<support::ManualPoster>();
  std::unique_ptr<TSerial> serial;
  int errors = 0;
};

TEST_F(PtySerial, OpensExclusivelyAndAppliesTheLineSettingsButNoDtrDsrHandshake) {
  serial->SetActive(true);
  ASSERT_TRUE(serial->Active());
  EXPECT_EQ(errors, 0) << "missing modem lines on a pty must not count as errors";
  termios t{};
  ASSERT_EQ(::tcgetattr(pty.Slave(), &t), 0);
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t{CS8});
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(serial->DeviceName(1), pty.Path());

  for (int32_t rate : TSerial::BaudRates) {
    SCOPED_TRACE(rate);
    serial->SetBaudrate(rate);
    uint32_t output = 0;
    uint32_t input = 0;
    ASSERT_TRUE(comm::ReadLineRate(pty.Slave(), output, input));
    EXPECT_EQ(output, static_cast<uint32_t>(rate));
    EXPECT_EQ(input, static_cast<uint32_t>(rate));
  }
  EXPECT_EQ(errors, 0);

  serial->SetFlowMode(fcDTR_DSR);
  EXPECT_TRUE(serial->Active());
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(serial->ErrorCode(), ENOTSUP);

  std::unique_ptr<TSerial> other = MakeSerial();
  other->SetActive(true);
  EXPECT_FALSE(other->Active());
  EXPECT_EQ(other->ErrorCode(), EBUSY);
  serial->SetActive(false);
  other->SetActive(true);
  EXPECT_TRUE(other->Active());
}

TEST_F(PtySerial, ReceivedBytesReachRxDataOnTheMainThreadAndReadsNeverWait) {
  int calls = 0;
  bool onMainThread = true;
  const auto mainThread = std::this_thread::get_id();
  serial->OnRxData = [&](TSerial*) {
    ++calls;
    onMainThread = onMainThread && std::this_thread::get_id() == mainThread;
  };
  serial->SetActive(true);
  // Fifty reads of an empty port: a read that waited even 50 ms for data
  // would add up to seconds.
  const auto start = Clock::now();
  std::string text = "kept";
  uint8_t c = 0;
  for (int i = 0; i < 25; ++i) {
    EXPECT_EQ(serial->ReadString(text), 0);
    EXPECT_EQ(serial->ReadChar(c), 0);
  }
  EXPECT_EQ(text, "");
  EXPECT_LT(SecondsSince(start), 1.25) << "reads return at once when nothing arrived";

  std::string sent("hel\0lo", 6);
  Send(sent);
  ASSERT_TRUE(poster->PumpUntil([&] { return calls >= 1; }));
  const int afterFirst = calls;
  const double cpuBefore = support::ProcessCpuSeconds();
  poster->PumpFor(500ms);
  EXPECT_EQ(calls, afterFirst) << "no notification without new bytes";
  EXPECT_LT(support::ProcessCpuSeconds() - cpuBefore, 0.1) << "unread bytes must not make the thread spin";
  for (int i = 6; i < 300; ++i) sent.push_back(static_cast<char>('a' + i % 26));
  Send(sent.substr(6));
  EXPECT_TRUE(poster->PumpUntil([&] { return calls > afterFirst; })) << "a later arrival is still announced";
  EXPECT_TRUE(onMainThread);

  ASSERT_TRUE(support::WaitUntil([&] { return serial->RxWaiting() == 300; }));
  EXPECT_EQ(serial->ReadString(text), 257);
  EXPECT_EQ(text, sent.substr(0, 257));
  EXPECT_EQ(serial->RxWaiting(), 43);
  EXPECT_EQ(errors, 0);
}

TEST_F(PtySerial, ReopenAndCloseFindTheThreadWaitingAndWakeItAndEventsResume) {
  int calls = 0;
  serial->OnRxData = [&calls](TSerial*) { ++calls; };
  serial->SetActive(true);
  // Ten reopens and a close, each once the thread had time to reach its wait:
  // closes that waited out their limit would add up to over 8 s.
  constexpr int kCloses = 11;
  double closing = 0;
  for (int i = 0; i < kCloses; ++i) {
    poster->PumpFor(20ms);
    const auto start = Clock::now();
    serial->SetActive(i + 1 < kCloses);
    closing += SecondsSince(start);
  }
  EXPECT_LT(closing, kCloses * kCloseLimitSeconds / 2) << "closes waited for the thread";
  serial->SetActive(true);
  Send("x");
  EXPECT_TRUE(poster->PumpUntil([&] { return calls == 1; })) << "events resume on the reopened port";
  EXPECT_EQ(errors, 0);
}

TEST_F(PtySerial, HangUpIsReportedPerFailedWaitWithoutBusyLooping) {
  serial->SetActive(true);
  const auto start = Clock::now();
  const double cpuBefore = support::ProcessCpuSeconds();
  pty.HangUp();
  ASSERT_TRUE(poster->PumpUntil([&] { return errors >= 4; })) << "failed waits are reported";
  // Each failed wait is followed by a 100 ms pause.
  const double seconds = SecondsSince(start);
  EXPECT_LE(errors, seconds / 0.1 + 1) << "failed waits came faster than the pause allows";
  EXPECT_LT(support::ProcessCpuSeconds() - cpuBefore, 0.05 + 0.1 * seconds) << "a lost device makes the thread spin";
  EXPECT_EQ(serial->ErrorCode(), EIO);
  EXPECT_TRUE(serial->Active()) << "the owner decides whether to close";

  const int reported = errors;
  std::string text;
  EXPECT_EQ(serial->ReadString(text), 0);
  EXPECT_EQ(errors, reported + 1) << "reading a hung-up line is a failure, not an empty read";
  serial->SetActive(false);
}

}  // namespace
