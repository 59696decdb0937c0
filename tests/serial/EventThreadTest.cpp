#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/serial/SerialFixture.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Log = std::vector<std::string>;

namespace {

class EventThread : public SerialFixture {
 protected:
  // Raises events once the thread waits, and returns after the thread has
  // dispatched them all and blocks in a later wait.
  void RaiseAndSettle(uint32_t events, const std::string& bytes = {}) {
    ASSERT_TRUE(state->WaitForWaiter(2s)) << "the event thread never waited";
    const int waits = state->Snapshot().waitCalls;
    if (!bytes.empty()) state->Feed(bytes);
    if (events != 0) state->RaiseEvents(events);
    ASSERT_TRUE(
        poster->PumpUntil([&] { return state->Snapshot().waitCalls > waits && state->WaitForWaiter(0ms); }, 2s));
  }
  void FeedAndSettle(const std::string& bytes) { RaiseAndSettle(0, bytes); }

  static double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
};

TEST_F(EventThread, ReceivedBytesGiveOneRxDataOnTheMainThreadPerWait) {
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
  Open();
  FeedAndSettle("hello");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(received, "hello");
  poster->PumpFor(50ms);
  EXPECT_EQ(calls, 1) << "no notification without a new event";
  FeedAndSettle("world");
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(received, "helloworld");
  EXPECT_TRUE(onMainThread);
}

TEST_F(EventThread, DispatchesSeveralEventsOfOneWaitInTheFixedOrder) {
  Log log;
  serial->OnSignalChange = [&log](TSerial*, eModemInSignal signal, bool on) {
    const char* names[] = {"CTS", "DSR", "RLSD"};
    log.push_back(std::string(names[signal]) + (on ? " on" : " off"));
  };
  serial->OnTxEmpty = [&log](TSerial*) { log.push_back("TxEmpty"); };
  serial->OnBreak = [&log](TSerial*) { log.push_back("Break"); };
  serial->OnRing = [&log](TSerial*) { log.push_back("Ring"); };
  serial->OnRxData = [&log](TSerial*) { log.push_back("RxData"); };
  state->SetModemStatus(comm::kMsCtsOn | comm::kMsRlsdOn);
  Open();
  RaiseAndSettle(comm::kEvRxChar | comm::kEvRing | comm::kEvBreak | comm::kEvTxEmpty | comm::kEvRlsd | comm::kEvDsr |
                 comm::kEvCts);
  EXPECT_EQ(log, (Log{"CTS on", "DSR off", "RLSD on", "TxEmpty", "Break", "Ring", "RxData"}));
}

TEST_F(EventThread, EachSignalChangeReportsTheLineAsReadAtThatMoment) {
  Log log;
  serial->OnSignalChange = [&](TSerial*, eModemInSignal signal, bool on) {
    log.push_back(std::string(signal == msCTS ? "CTS" : "DSR") + (on ? " on" : " off"));
    state->SetModemStatus(0);
  };
  state->SetModemStatus(comm::kMsCtsOn | comm::kMsDsrOn);
  Open();
  RaiseAndSettle(comm::kEvCts | comm::kEvDsr);
  EXPECT_EQ(log, (Log{"CTS on", "DSR off"}));
}

struct MessageCase {
  const char* name;
  uint8_t start;
  uint8_t end;
  uint16_t append;
  std::vector<std::string> feeds;
  Log messages;
};

TEST_F(EventThread, MessageModeAssemblesFramedMessages) {
  using std::string;
  const MessageCase cases[] = {
      {"strays around a message are dropped", 2, 3, 0, {"\x41\x02\x42\x43\x03\x44"}, {"\x02\x42\x43\x03"}},
      {"bytes after the end are taken whatever they are", 2, 3, 2, {"\x02\x42\x03\x03\x02"}, {"\x02\x42\x03\x03\x02"}},
      {"a second start restarts the message", 2, 3, 0, {"\x02\x41\x02\x42\x03"}, {"\x02\x42\x03"}},
      {"an end without a start is discarded", 2, 3, 0, {"\x03\x41\x02\x41\x03\x03"}, {"\x02\x41\x03"}},
      {"equal start and end never complete", 2, 2, 0, {"\x02\x41\x02\x42\x02"}, {}},
      {"two messages in one burst", 2, 3, 0, {"\x02\x41\x03\x02\x42\x03"}, {"\x02\x41\x03", "\x02\x42\x03"}},
      {"a message split over bursts", 2, 3, 1, {"\x02\x41", "\x42\x03", "\x43"}, {"\x02\x41\x42\x03\x43"}},
      {"zero bytes are data", 2, 3, 0, {string("\x02\x00\x03", 3)}, {string("\x02\x00\x03", 3)}},
      {"other framing bytes", 'S', 'E', 0, {"xSabEy"}, {"SabE"}},
  };
  for (const MessageCase& c : cases) {
    SCOPED_TRACE(c.name);
    serial = std::make_unique<TSerial>(std::make_unique<comm::FakeSerialPlatform>(state), poster);
    Log got;
    serial->OnMessage = [&got](TSerial*, const std::string& message) { got.push_back(message); };
    int rxData = 0;
    serial->OnRxData = [&rxData](TSerial*) { ++rxData; };
    serial->SetRxEventMode(rxMessage);
    serial->SetMessageStartChar(c.start);
    serial->SetMessageEndChar(c.end);
    serial->SetMessageAppendCount(c.append);
    Open();
    for (const std::string& bytes : c.feeds) FeedAndSettle(bytes);
    EXPECT_EQ(got, c.messages);
    EXPECT_EQ(rxData, 0);
    EXPECT_EQ(state->Snapshot().queued, 0u);
  }
}

TEST_F(EventThread, MessageModeWithoutHandlerLeavesTheBytesQueued) {
  int rxData = 0;
  serial->OnRxData = [&rxData](TSerial*) { ++rxData; };
  serial->SetRxEventMode(rxMessage);
  Open();
  FeedAndSettle("\x02xy\x03");
  EXPECT_EQ(state->Snapshot().queued, 4u);
  EXPECT_EQ(rxData, 0);
}

TEST_F(EventThread, ReadFailureDuringMessageAssemblyIsReportedOnTheMainThread) {
  const auto mainThread = std::this_thread::get_id();
  bool onMainThread = false;
  serial->SetNotifyErrors(neEvent);
  serial->OnError = [&](TSerial*) { onMainThread = std::this_thread::get_id() == mainThread; };
  serial->OnMessage = [](TSerial*, const std::string&) {};
  serial->SetRxEventMode(rxMessage);
  Open();
  state->FailNext(comm::FakeOp::Read, comm::kFakeNotReady);
  FeedAndSettle("\x02");
  EXPECT_TRUE(onMainThread);
  EXPECT_EQ(serial->ErrorCode(), comm::kFakeNotReady);
}

TEST_F(EventThread, FailedWaitsAreReportedOncePerWaitWithoutSpinning) {
  int errors = 0;
  int rxData = 0;
  serial->SetNotifyErrors(neEvent);
  serial->OnError = [&errors](TSerial*) { ++errors; };
  serial->OnRxData = [&rxData](TSerial*) { ++rxData; };
  Open();
  ASSERT_TRUE(state->WaitForWaiter(2s));
  const int waits = state->Snapshot().waitCalls;
  state->FailWaits(comm::kFakeNotReady, 1000000);
  poster->PumpFor(500ms);
  EXPECT_GE(errors, 2);
  EXPECT_LE(errors, 8) << "each failed wait must be followed by a pause";
  EXPECT_LE(state->Snapshot().waitCalls - waits, 8);
  EXPECT_EQ(rxData, 0);
  EXPECT_EQ(serial->ErrorCode(), comm::kFakeNotReady);

  const auto start = Clock::now();
  serial->SetActive(false);
  EXPECT_LT(Seconds(Clock::now() - start), 0.5) << "a pausing thread must not hold up the close";
}

TEST_F(EventThread, ReopeningDoesNotWaitForTheFullCloseLimit) {
  int rxData = 0;
  serial->OnRxData = [&rxData](TSerial*) { ++rxData; };
  Open();
  ASSERT_TRUE(state->WaitForWaiter(2s));
  const auto start = Clock::now();
  for (int i = 0; i < 5; ++i) serial->SetActive(true);
  EXPECT_LT(Seconds(Clock::now() - start), 1.0) << "each close should find the thread idle at once";
  FeedAndSettle("x");
  EXPECT_EQ(rxData, 1) << "events resume on the reopened port";
}

TEST_F(EventThread, CloseFromInsideRxDataCompletesAfterTheBoundedWait) {
  double closeSeconds = -1;
  int errors = 0;
  int calls = 0;
  serial->SetNotifyErrors(neEvent);
  serial->OnError = [&errors](TSerial*) { ++errors; };
  serial->OnRxData = [&](TSerial* sender) {
    ++calls;
    const auto start = Clock::now();
    sender->SetActive(false);
    closeSeconds = Seconds(Clock::now() - start);
  };
  Open();
  ASSERT_TRUE(state->WaitForWaiter(2s));
  state->Feed("x");
  ASSERT_TRUE(poster->PumpUntil([&] { return closeSeconds >= 0; }, 3s));
  EXPECT_GE(closeSeconds, 0.7);
  EXPECT_LT(closeSeconds, 1.5);
  EXPECT_FALSE(serial->Active());
  poster->PumpFor(300ms);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(errors, 0);
  EXPECT_FALSE(state->Snapshot().open);
}

TEST_F(EventThread, DestroyingFromInsideAHandlerNeitherHangsNorTouchesFreedMemory) {
  bool destroyed = false;
  serial->OnRxData = [&](TSerial*) {
    serial.reset();
    destroyed = true;
  };
  Open();
  ASSERT_TRUE(state->WaitForWaiter(2s));
  state->Feed("x");
  const auto start = Clock::now();
  ASSERT_TRUE(poster->PumpUntil([&] { return destroyed; }, 3s));
  EXPECT_LT(Seconds(Clock::now() - start), 2.0);
  poster->PumpFor(100ms);
  EXPECT_FALSE(state->Snapshot().open);
  EXPECT_EQ(state->Snapshot().closeCount, 1);
}

TEST_F(EventThread, DestroyingWhileAHandOffIsQueuedDropsIt) {
  int calls = 0;
  serial->OnRxData = [&calls](TSerial*) { ++calls; };
  Open();
  ASSERT_TRUE(state->WaitForWaiter(2s));
  state->Feed("x");
  // Wait until the thread has posted the notification, without running it.
  const auto deadline = Clock::now() + 2s;
  while (poster->Pending() == 0 && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
  ASSERT_EQ(poster->Pending(), 1u);
  const auto start = Clock::now();
  serial.reset();
  EXPECT_LT(Seconds(Clock::now() - start), 2.0);
  poster->Pump();
  EXPECT_EQ(calls, 0);
}

TEST_F(EventThread, ComponentsThatNeverOpenedAreReleasedAtOnce) {
  const auto start = Clock::now();
  for (int i = 0; i < 20; ++i) {
    TSerial unused(std::make_unique<comm::FakeSerialPlatform>(state), poster);
    unused.SetNotifyErrors(neNone);
    unused.SetPort(7);
    unused.SetActive(true);
  }
  EXPECT_LT(Seconds(Clock::now() - start), 1.0);
}

}  // namespace
