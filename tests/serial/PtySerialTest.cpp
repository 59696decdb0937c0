#include <gtest/gtest.h>
#include <termios.h>
#include <time.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "serial/PosixArbitraryRate.h"
#include "serial/Serial5.h"
#include "serial/SerialPosix.h"
#include "tests/serial/ManualPoster.h"
#include "tests/serial/PtyPair.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double ProcessCpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// TSerial on the system platform, with port 1 set to the pty's slave through
// the environment, configured as the program's window configures it.
class PtySerial : public PtyPair {
 protected:
  void SetUp() override {
    PtyPair::SetUp();
    serial = MakeSerial();
  }
  void TearDown() override {
    serial.reset();
    PtyPair::TearDown();
  }

  std::unique_ptr<TSerial> MakeSerial() {
    comm::PortEnvironment environment;
    environment.getEnv = [device = m_slaveName](const std::string& name) -> std::optional<std::string> {
      if (name == "DEZIDURE_COM1") return device;
      return std::nullopt;
    };
    auto s = std::make_unique<TSerial>(std::make_unique<comm::PosixSerialPlatform>(environment), poster);
    s->SetBaudrate(115200);
    s->SetDataBits(d8bit);
    s->SetRxQueueSize(256);
    s->SetTxQueueSize(10);
    s->SetCheckParity(false);
    s->SetNotifyErrors(neEvent);
    s->OnError = [this](TSerial*) { ++errors; };
    return s;
  }

  std::shared_ptr<comm::ManualPoster> poster = std::make_shared<comm::ManualPoster>();
  std::unique_ptr<TSerial> serial;
  int errors = 0;
};

TEST_F(PtySerial, OpensRawAt115200EightNoneOneWithoutErrors) {
  serial->SetActive(true);
  ASSERT_TRUE(serial->Active());
  EXPECT_EQ(errors, 0) << "missing modem lines on a pty must not count as errors";
  termios t{};
  ASSERT_EQ(::tcgetattr(m_slave, &t), 0);
  EXPECT_EQ(::cfgetospeed(&t), speed_t{B115200});
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t{CS8});
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(serial->DeviceName(1), m_slaveName);
  EXPECT_EQ(serial->DeviceName(2), "") << "the environment alone defines the ports";
}

TEST_F(PtySerial, EveryListedRateIsAppliedAndReadBack) {
  serial->SetActive(true);
  for (int32_t rate : TSerial::BaudRates) {
    SCOPED_TRACE(rate);
    serial->SetBaudrate(rate);
    EXPECT_TRUE(serial->Active());
    uint32_t output = 0;
    uint32_t input = 0;
    ASSERT_TRUE(comm::ReadLineRate(m_slave, output, input));
    EXPECT_EQ(output, static_cast<uint32_t>(rate));
    EXPECT_EQ(input, static_cast<uint32_t>(rate));
  }
  EXPECT_EQ(errors, 0);
}

TEST_F(PtySerial, DtrDsrHandshakeIsReportedAsUnsupported) {
  serial->SetActive(true);
  serial->SetFlowMode(fcDTR_DSR);
  EXPECT_TRUE(serial->Active());
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(serial->ErrorCode(), ENOTSUP);
}

TEST_F(PtySerial, APortOpenElsewhereIsRefusedUntilReleased) {
  serial->SetActive(true);
  ASSERT_TRUE(serial->Active());
  std::unique_ptr<TSerial> other = MakeSerial();
  other->SetActive(true);
  EXPECT_FALSE(other->Active());
  EXPECT_EQ(other->ErrorCode(), EBUSY);
  serial->SetActive(false);
  other->SetActive(true);
  EXPECT_TRUE(other->Active());
}

TEST_F(PtySerial, ReadsReturnAtOnceWhenNothingArrived) {
  serial->SetActive(true);
  const auto start = Clock::now();
  std::string text = "kept";
  EXPECT_EQ(serial->ReadString(text), 0);
  EXPECT_EQ(text, "");
  uint8_t c = 0;
  EXPECT_EQ(serial->ReadChar(c), 0);
  EXPECT_LT(Seconds(Clock::now() - start), 0.05);
  EXPECT_EQ(errors, 0);
}

TEST_F(PtySerial, ReceivedBytesReachRxDataOnTheMainThread) {
  std::string received;
  int calls = 0;
  bool onMainThread = true;
  const auto mainThread = std::this_thread::get_id();
  serial->OnRxData = [&](TSerial* sender) {
    ++calls;
    onMainThread = onMainThread && std::this_thread::get_id() == mainThread;
    std::string text;
    sender->ReadString(text);
    received += text;
  };
  serial->SetActive(true);
  Send(std::string("hel\0lo", 6));
  ASSERT_TRUE(poster->PumpUntil([&] { return received.size() == 6; }, 2s));
  EXPECT_EQ(received, std::string("hel\0lo", 6));
  const int afterData = calls;
  poster->PumpFor(200ms);
  EXPECT_EQ(calls, afterData) << "no notification without new bytes";
  EXPECT_TRUE(onMainThread);
}

TEST_F(PtySerial, BytesLeftUnreadNeitherSpinNorHideLaterArrivals) {
  int calls = 0;
  serial->OnRxData = [&calls](TSerial*) { ++calls; };
  serial->SetActive(true);
  Send("0123456789");
  ASSERT_TRUE(poster->PumpUntil([&] { return calls >= 1; }, 2s));
  const int afterFirst = calls;
  const double cpuBefore = ProcessCpuSeconds();
  poster->PumpFor(500ms);
  EXPECT_EQ(calls, afterFirst);
  EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.1);
  Send("x");
  EXPECT_TRUE(poster->PumpUntil([&] { return calls > afterFirst; }, 2s));
  EXPECT_EQ(serial->RxWaiting(), 11);
}

TEST_F(PtySerial, ReadStringLeavesWhatExceedsQueueSizePlusOne) {
  serial->SetActive(true);
  std::string sent;
  for (int i = 0; i < 300; ++i) sent.push_back(static_cast<char>('a' + i % 26));
  Send(sent);
  const auto deadline = Clock::now() + 2s;
  while (serial->RxWaiting() < 300 && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
  ASSERT_EQ(serial->RxWaiting(), 300);
  std::string text;
  EXPECT_EQ(serial->ReadString(text), 257);
  EXPECT_EQ(text, sent.substr(0, 257));
  EXPECT_EQ(serial->RxWaiting(), 43);
}

TEST_F(PtySerial, CloseWakesTheWaitingThreadWellWithinTheLimit) {
  serial->SetActive(true);
  poster->PumpFor(50ms);
  const auto start = Clock::now();
  serial->SetActive(false);
  EXPECT_LT(Seconds(Clock::now() - start), 0.2);
  EXPECT_FALSE(serial->Active());
  EXPECT_EQ(errors, 0);
}

TEST_F(PtySerial, CloseFromInsideRxDataCompletes) {
  double closeSeconds = -1;
  serial->OnRxData = [&](TSerial* sender) {
    const auto start = Clock::now();
    sender->SetActive(false);
    closeSeconds = Seconds(Clock::now() - start);
  };
  serial->SetActive(true);
  Send("x");
  ASSERT_TRUE(poster->PumpUntil([&] { return closeSeconds >= 0; }, 3s));
  EXPECT_LT(closeSeconds, 1.5);
  poster->PumpFor(200ms);
  EXPECT_EQ(errors, 0);
  EXPECT_FALSE(serial->Active());
}

TEST_F(PtySerial, HangUpIsReportedPerFailedWaitWithoutBusyLooping) {
  serial->SetActive(true);
  poster->PumpFor(50ms);
  CloseMaster();
  const double cpuBefore = ProcessCpuSeconds();
  poster->PumpFor(1000ms);
  const double cpu = ProcessCpuSeconds() - cpuBefore;
  EXPECT_GE(errors, 3);
  EXPECT_LE(errors, 15);
  EXPECT_EQ(serial->ErrorCode(), EIO);
  EXPECT_LT(cpu, 0.1) << "a lost device must not make the thread spin";
  EXPECT_TRUE(serial->Active()) << "the owner decides whether to close";

  const auto start = Clock::now();
  serial->SetActive(false);
  EXPECT_LT(Seconds(Clock::now() - start), 0.5);
}

}  // namespace
