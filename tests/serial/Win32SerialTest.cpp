// The serial component over the Win32 layer on COM1, whose other end is
// dezidure-pty-feeder (scripts/wine-session.sh, run by make windows-test,
// starts it and maps COM1 to its line under wine). Skipped when DEZIDURE_FEEDER_DIR does not name the
// feeder's command folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <set>
#include <string>
#include <thread>

#include "serial/Serial5.h"
#include "serial/SerialWin32.h"
#include "tests/support/BoardFrames.h"
#include "tests/support/LineFeeder.h"
#include "tests/support/ManualPoster.h"
#include "tests/support/ProcessUsage.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint32_t kAllEvents = 0x17D;

class Win32Serial : public ::testing::Test {
 protected:
  void SetUp() override {
    if (support::LineFeeder::Directory().empty()) {
      GTEST_SKIP() << "needs the line feeder that make windows-test starts";
    }
    ASSERT_NO_FATAL_FAILURE(Command("reopen"));
    ASSERT_NO_FATAL_FAILURE(Command("lines 0"));
  }

  void Command(const std::string& text) { ASSERT_TRUE(m_feeder.Run(text)) << "the feeder did not carry out '" << text << "'"; }

  // TSerial on COM1 at 115200 baud, 8 data bits, a 256-byte queue, errors by event.
  void Open() {
    serial = std::make_unique<TSerial>(std::make_unique<comm::Win32SerialPlatform>(), poster);
    serial->SetBaudrate(115200);
    serial->SetDataBits(d8bit);
    serial->SetRxQueueSize(256);
    serial->SetNotifyErrors(neEvent);
    serial->OnError = [this](TSerial*) { ++errors; };
    serial->SetActive(true);
    ASSERT_TRUE(serial->Active()) << "COM1 did not open: error " << serial->ErrorCode();
  }

  support::LineFeeder m_feeder;
  std::shared_ptr<support::ManualPoster> poster = std::make_shared<support::ManualPoster>();
  std::unique_ptr<TSerial> serial;
  int errors = 0;
};

TEST_F(Win32Serial, ReadsEveryFrameOfAStreamAndNeverWaitsOnAnEmptyQueue) {
  ASSERT_NO_FATAL_FAILURE(Open());
  std::string text = "stale";
  // A read that waited for data would take 100 ms each.
  const auto start = Clock::now();
  for (int i = 0; i < 20; ++i) ASSERT_EQ(serial->ReadString(text), 0);
  EXPECT_LT(Clock::now() - start, 1500ms);
  EXPECT_EQ(text, "");

  std::string received;
  serial->OnRxData = [&received](TSerial* s) {
    std::string piece;
    s->ReadString(piece);
    received += piece;
  };
  ASSERT_NO_FATAL_FAILURE(Command("frames 7 600 8"));
  const std::string expected = support::BoardFrames(600, 8, true, 7);
  poster->PumpUntil([&] { return received.size() >= expected.size(); }, 20s);
  EXPECT_EQ(received.size(), expected.size());
  EXPECT_TRUE(received == expected) << "the bytes differ from what the board sent";
  EXPECT_EQ(errors, 0);
}

TEST_F(Win32Serial, LineEventsArriveWhileAWaitIsPending) {
  ASSERT_NO_FATAL_FAILURE(Open());
  std::set<std::string> seen;
  serial->OnSignalChange = [&seen](TSerial*, eModemInSignal signal, bool state) {
    static const char* const names[] = {"CTS", "DSR", "RLSD"};
    seen.insert(std::string(names[signal]) + (state ? " on" : " off"));
  };
  serial->OnRing = [&seen](TSerial*) { seen.insert("ring"); };
  serial->OnBreak = [&seen](TSerial*) { seen.insert("break"); };
  // The driver compares the lines with those at the start of a wait, so a
  // change while the thread is between waits goes unseen: repeat until seen.
  const struct {
    const char* command;
    const char* event;
  } steps[] = {
      {"lines 32", "CTS on"}, {"lines 0", "CTS off"}, {"lines 256", "DSR on"},
      {"lines 64", "RLSD on"}, {"lines 128", "ring"},  {"break", "break"},
  };
  const char* before = "lines 0";
  for (const auto& step : steps) {
    SCOPED_TRACE(step.event);
    for (int attempt = 0; attempt < 10 && seen.count(step.event) == 0; ++attempt) {
      if (attempt > 0) {
        ASSERT_NO_FATAL_FAILURE(Command(before));
      }
      poster->PumpFor(100ms);
      ASSERT_NO_FATAL_FAILURE(Command(step.command));
      poster->PumpUntil([&] { return seen.count(step.event) != 0; }, 2s);
    }
    EXPECT_EQ(seen.count(step.event), 1u);
    before = step.command;
  }
  EXPECT_EQ(errors, 0);
}

TEST_F(Win32Serial, MaskChangeAndCloseReleaseAPendingWait) {
  comm::Win32SerialPlatform platform;
  ASSERT_TRUE(platform.Open(platform.DeviceName(1)));
  ASSERT_TRUE(platform.SetCommMask(kAllEvents));
  // Each way must end the wait within the component's 100 ms; the bound
  // here leaves room for a loaded machine.
  for (const bool close : {false, true}) {
    SCOPED_TRACE(close ? "close" : "mask 0");
    std::promise<void> waiting;
    auto waited = std::async(std::launch::async, [&] {
      uint32_t events = 0xFFFF;
      waiting.set_value();
      const bool ok = platform.WaitCommEvent(events);
      return ok ? events : 0xDEAD;
    });
    waiting.get_future().wait();
    std::this_thread::sleep_for(200ms);
    const auto start = Clock::now();
    ASSERT_TRUE(close ? platform.Close() : platform.SetCommMask(0));
    ASSERT_EQ(waited.wait_for(5s), std::future_status::ready) << "the wait was not released";
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_EQ(waited.get(), 0u) << "a released wait reports no events";
    ASSERT_TRUE(close || platform.SetCommMask(kAllEvents));
  }
}

TEST_F(Win32Serial, HangUpFailsWaitsOncePerPauseWithoutSpinning) {
  ASSERT_NO_FATAL_FAILURE(Open());
  poster->PumpFor(100ms);
  ASSERT_NO_FATAL_FAILURE(Command("hangup"));
  poster->PumpUntil([this] { return errors > 0; }, 5s);
  ASSERT_GT(errors, 0) << "the lost line was never reported";
  const int before = errors;
  const double cpuBefore = support::ProcessCpuSeconds();
  poster->PumpFor(2000ms);
  EXPECT_LT(support::ProcessCpuSeconds() - cpuBefore, 0.5) << "a lost device must not make the thread spin";
  // One report per failed wait, and a pause of 100 ms after each.
  EXPECT_LE(errors - before, 25);
  EXPECT_NE(serial->ErrorCode(), 0);
  EXPECT_TRUE(serial->Active()) << "the owner decides whether to close";
  serial->SetActive(false);
}

}  // namespace
