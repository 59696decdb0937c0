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

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

/// A close that cannot find the event thread idle waits out this limit, in seconds.
constexpr double kCloseLimitSeconds = 0.75;

class EventThread : public SerialFixture {
 protected:
  // Feeds bytes and events once the thread waits, and returns after it has
  // dispatched them all and blocks in a later wait.
  void FeedAndSettle(const std::string& bytes, uint32_t events = comm::kEvRxChar) {
    ASSERT_TRUE(state->WaitForWaiter(support::kPatience)) << "the event thread never waited";
    const int waits = state->Snapshot().waitCalls;
    state->Feed(bytes, events);
    ASSERT_TRUE(poster->PumpUntil([&] { return state->Snapshot().waitCalls > waits && state->WaitForWaiter(0ms); }));
  }
};

TEST_F(EventThread, DispatchesTheEventsOfOneWaitInFixedOrderReadingEachLineAtItsTurn) {
  Log log;
  serial->OnSignalChange = [&](TSerial*, eModemInSignal signal, bool on) {
    const char* names[] = {"CTS", "DSR", "RLSD"};
    log.push_back(std::string(names[signal]) + (on ? " on" : " off"));
    state->SetModemStatus(comm::kMsRlsdOn);
  };
  serial->OnTxEmpty = [&log](TSerial*) { log.push_back("TxEmpty"); };
  serial->OnBreak = [&log](TSerial*) { log.push_back("Break"); };
  serial->OnRing = [&log](TSerial*) { log.push_back("Ring"); };
  serial->OnRxData = [&log](TSerial*) { log.push_back("RxData"); };
  state->SetModemStatus(comm::kMsCtsOn);
  Open();
  FeedAndSettle("", comm::kEvRxChar | comm::kEvRing | comm::kEvBreak | comm::kEvTxEmpty | comm::kEvRlsd | comm::kEvDsr |
                        comm::kEvCts);
  EXPECT_EQ(log, (Log{"CTS on", "DSR off", "RLSD on", "TxEmpty", "Break", "Ring", "RxData"}));
}

// The cutting itself is tested on comm::MessageAssembly; here, that the
// thread feeds it across bursts, announces each message on the main thread,
// and leaves the bytes queued when nobody listens.
TEST_F(EventThread, MessageModeReadsTheBytesItselfAndAnnouncesEachMessage) {
  for (const bool bound : {true, false}) {
    SCOPED_TRACE(bound ? "handler bound" : "no handler");
    Recreate();
    Log got;
    if (bound) serial->OnMessage = [&got](TSerial*, const std::string& message) { got.push_back(message); };
    int rxData = 0;
    serial->OnRxData = [&rxData](TSerial*) { ++rxData; };
    serial->SetRxEventMode(rxMessage);
    serial->SetMessageAppendCount(1);
    Open();
    for (const char* bytes : {"\x02\x41", "\x42\x03", "\x43\x02\x44\x03\x45"}) FeedAndSettle(bytes);
    const Log expected = bound ? Log{"\x02\x41\x42\x03\x43", "\x02\x44\x03\x45"} : Log{};
    EXPECT_EQ(got, expected);
    EXPECT_EQ(rxData, 0);
    EXPECT_EQ(state->Queued() == 0, bound);
  }
}

TEST_F(EventThread, FailuresOnTheThreadAreReportedOnTheMainThreadWithoutSpinning) {
  int errors = 0;
  int messages = 0;
  bool onMainThread = true;
  const auto mainThread = std::this_thread::get_id();
  serial->SetNotifyErrors(neEvent);
  serial->OnError = [&](TSerial*) {
    ++errors;
    onMainThread = onMainThread && std::this_thread::get_id() == mainThread;
  };
  serial->OnMessage = [&messages](TSerial*, const std::string&) { ++messages; };
  serial->SetRxEventMode(rxMessage);
  Open();
  state->FailNext("Read", support::kFakeNotReady);
  FeedAndSettle("\x02");
  EXPECT_EQ(errors, 1) << "a read failure during message assembly";

  const int waits = state->Snapshot().waitCalls;
  const auto start = Clock::now();
  state->FailWaits(support::kFakeNotReady, 1000000);
  state->Feed("\x02A\x03");
  ASSERT_TRUE(poster->PumpUntil([&] { return errors >= 4; })) << "failed waits are reported";
  // Each failed wait is followed by a 100 ms pause.
  const double pauses = SecondsSince(start) / 0.1;
  EXPECT_LE(errors - 1, pauses + 1) << "failed waits came faster than the pause allows";
  EXPECT_LE(state->Snapshot().waitCalls - waits, pauses + 1);
  EXPECT_EQ(messages, 0) << "a failed wait announces nothing else";
  EXPECT_TRUE(onMainThread);
  EXPECT_EQ(serial->ErrorCode(), support::kFakeNotReady);
}

// A close from inside a handler cannot have the thread idle, so it ends after
// the bounded wait; one while the notification is still queued drops it and
// returns at once. Destruction closes first, so it behaves the same. The
// queued cases run a few rounds: closes that waited out their limit there
// would add up to seconds.
TEST_F(EventThread, CloseOrDestructionFromAHandlerOrWithANotificationQueuedNeitherHangsNorRunsIt) {
  constexpr int kQueuedRounds = 4;
  double queuedSeconds = 0;
  for (const bool inHandler : {true, false}) {
    for (const bool destroy : {false, true}) {
      for (int round = 0; round < (inHandler ? 1 : kQueuedRounds); ++round) {
        SCOPED_TRACE(testing::Message() << (inHandler ? "in handler, " : "queued, ")
                                        << (destroy ? "destroy" : "close"));
        Recreate();
        int calls = 0;
        int errors = 0;
        double seconds = -1;
        serial->SetNotifyErrors(neEvent);
        serial->OnError = [&errors](TSerial*) { ++errors; };
        auto end = [&] {
          const auto start = Clock::now();
          if (destroy)
            serial.reset();
          else
            serial->SetActive(false);
          seconds = SecondsSince(start);
        };
        serial->OnRxData = [&](TSerial*) {
          ++calls;
          if (inHandler) end();
        };
        Open();
        state->Feed("x");
        if (inHandler) {
          ASSERT_TRUE(poster->PumpUntil([&] { return seconds >= 0; }));
          EXPECT_GE(seconds, kCloseLimitSeconds - 0.05);
          EXPECT_LT(seconds, 5.0) << "the bounded wait did not end";
        } else {
          ASSERT_TRUE(support::WaitUntil([&] { return poster->Pending() == 1; })) << "no notification was posted";
          end();
          queuedSeconds += seconds;
        }
        poster->PumpFor(200ms);
        EXPECT_EQ(calls, inHandler ? 1 : 0);
        EXPECT_EQ(errors, 0);
        EXPECT_FALSE(state->Snapshot().open);
      }
    }
  }
  EXPECT_LT(queuedSeconds, 2 * kQueuedRounds * kCloseLimitSeconds / 2)
      << "the thread was left waiting for the main thread";
}

TEST_F(EventThread, ComponentsThatNeverOpenedAreReleasedAtOnce) {
  // Fifty of them: releases that each waited for the thread's 100 ms idle
  // poll would add up to five seconds.
  const auto start = Clock::now();
  for (int i = 0; i < 50; ++i) Recreate();
  EXPECT_LT(SecondsSince(start), 2.5);
}

}  // namespace
