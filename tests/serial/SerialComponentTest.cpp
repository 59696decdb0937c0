#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/serial/SerialFixture.h"

namespace {

using Calls = std::vector<std::string>;
using SerialComponent = SerialFixture;

const Calls kOpenSteps = {"Open COM1",        "SetupComm 1024 1024",       "SetCommState",
                          "SetCommTimeouts",  "EscapeCommFunction SETDTR", "EscapeCommFunction SETRTS",
                          "SetCommMask 0x17d"};
const Calls kCloseSteps = {"PurgeComm 3", "EscapeCommFunction CLRDTR", "EscapeCommFunction CLRRTS", "SetCommMask 0x0",
                           "Close"};

TEST_F(SerialComponent, OpenReopenAndCloseRunTheirStepsInOrder) {
  Open();
  EXPECT_EQ(state->Snapshot().calls, kOpenSteps);

  state->ClearCalls();
  serial->SetActive(true);
  Calls reopen = kCloseSteps;
  reopen.insert(reopen.end(), kOpenSteps.begin(), kOpenSteps.end());
  EXPECT_EQ(state->Snapshot().calls, reopen);

  state->ClearCalls();
  serial->SetActive(false);
  serial->SetActive(false);
  EXPECT_EQ(state->Snapshot().calls, kCloseSteps) << "closing a closed port does nothing";
  EXPECT_FALSE(serial->Active());
  EXPECT_FALSE(state->Snapshot().open);
}

TEST_F(SerialComponent, SettersReopenAnOpenPortOnlyWhereTheyMust) {
  struct Case {
    const char* name;
    void (*assign)(TSerial&, bool changed);  // the default value, or another one
    bool sameReopens;
    bool otherReopens;
  };
  const Case cases[] = {
      {"Port", [](TSerial& s, bool c) { s.SetPort(c ? 2 : 1); }, false, true},
      {"Baudrate", [](TSerial& s, bool c) { s.SetBaudrate(c ? 115200 : 9600); }, false, true},
      {"Parity", [](TSerial& s, bool c) { s.SetParity(c ? PaOdd : paNone); }, false, true},
      {"DataBits", [](TSerial& s, bool c) { s.SetDataBits(c ? d8bit : d7bit); }, false, true},
      {"StopBits", [](TSerial& s, bool c) { s.SetStopBits(c ? st2bit : st1bit); }, false, true},
      {"FlowMode", [](TSerial& s, bool c) { s.SetFlowMode(c ? fcXON_XOF : fcNone); }, false, true},
      {"CheckParity", [](TSerial& s, bool c) { s.SetCheckParity(!c); }, false, true},
      {"Timeout", [](TSerial& s, bool c) { s.SetTimeout(c ? 500 : 10000); }, false, true},
      {"RxQueueSize", [](TSerial& s, bool c) { s.SetRxQueueSize(c ? 256 : 1024); }, true, true},
      {"TxQueueSize", [](TSerial& s, bool c) { s.SetTxQueueSize(c ? 10 : 1024); }, true, true},
      {"RxEventMode", [](TSerial& s, bool c) { s.SetRxEventMode(c ? rxMessage : rxNormal); }, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    const int opens = state->Snapshot().openCount;
    c.assign(*serial, false);
    EXPECT_EQ(state->Snapshot().openCount - opens, int{c.sameReopens});
    c.assign(*serial, true);
    EXPECT_EQ(state->Snapshot().openCount - opens, int{c.sameReopens} + int{c.otherReopens});
    EXPECT_TRUE(serial->Active());

    serial->SetActive(false);
    state->ClearCalls();
    c.assign(*serial, false);
    EXPECT_TRUE(state->Snapshot().calls.empty()) << "a closed port only stores";
    EXPECT_FALSE(serial->Active());
  }
}

TEST_F(SerialComponent, InvalidValuesAreRefusedAndKeepTheStoredOne) {
  serial->SetNotifyErrors(neNone);
  Open();
  for (int32_t rate : {0, -9600, 250000, 115201, 9601}) {
    SCOPED_TRACE(rate);
    messages.clear();
    serial->SetBaudrate(rate);
    EXPECT_EQ(messages, Calls{"Baudrate is not valid"}) << "shown whatever the notify mode";
    EXPECT_EQ(serial->Baudrate(), 9600);
  }
  EXPECT_EQ(state->Snapshot().openCount, 1) << "a refused rate must not reopen";

  EXPECT_THROW(serial->SetPort(0), std::out_of_range);
  EXPECT_THROW(serial->SetPort(10), std::out_of_range);
  EXPECT_THROW(serial->SetParity(static_cast<eParity>(5)), std::out_of_range);
  EXPECT_THROW(serial->SetFlowMode(static_cast<eFlowControl>(4)), std::out_of_range);
  EXPECT_EQ(serial->Port(), 1);
  EXPECT_EQ(serial->Parity(), paNone);
  EXPECT_NO_THROW(serial->SetPort(9));
}

// How a record is built from the settings is tested on comm::BuildDcb; here,
// that each open applies the current properties and keeps earlier timeouts.
TEST_F(SerialComponent, EachOpenAppliesTheCurrentPropertiesAndTimeouts) {
  serial->SetRxQueueSize(256);
  serial->SetBaudrate(115200);
  serial->SetStopBits(st2bit);
  serial->SetParity(paMark);
  serial->SetTimeout(500);
  Open();
  EXPECT_EQ(state->Snapshot().timeouts.ReadIntervalTimeout, comm::kMaxDword) << "reads return at once";
  serial->SetFlowMode(fcRTS_CTS);
  EXPECT_EQ(state->Snapshot().timeouts.WriteTotalTimeoutConstant, 500u);
  serial->SetFlowMode(fcNone);
  EXPECT_EQ(state->Snapshot().timeouts.WriteTotalTimeoutConstant, 500u) << "kept from the earlier flow mode";
  const comm::Dcb dcb = state->Snapshot().dcb;
  const comm::Dcb expected = comm::BuildDcb({115200, paMark, d7bit, st2bit, fcNone, true, 256});
  EXPECT_EQ(std::memcmp(&dcb, &expected, sizeof dcb), 0);
}

// Opening a port that cannot open reports the OS error; reading a closed port
// (port 0 below) reports "not active" and reads nothing.
TEST_F(SerialComponent, FailuresAreReportedAsTheNotifyModeSays) {
  state->AddPort(3, support::kFakeAccessDenied);
  state->AddPort(5, comm::kErrorIoPending);
  const struct {
    uint8_t port;
    eNotifyErr mode;
    bool handler;
    int32_t code;
    Calls shown;
    int events;
  } cases[] = {
      {4, neNone, true, support::kFakeFileNotFound, {}, 0},
      {4, neDialog, true, support::kFakeFileNotFound, {"Fake OS error 2"}, 0},
      {4, neEvent, true, support::kFakeFileNotFound, {}, 1},
      {3, neDialog, true, support::kFakeAccessDenied, {"Fake OS error 5"}, 0},
      {5, neDialog, true, comm::kErrorIoPending, {}, 0},  // pending I/O is recorded, never reported
      {5, neEvent, true, comm::kErrorIoPending, {}, 0},
      {0, neDialog, true, 0, {"The port is not active"}, 0},
      {0, neEvent, true, -1, {}, 1},
      {0, neEvent, false, 0, {}, 0},
      {0, neNone, true, 0, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "port " << int{c.port} << " mode " << int{c.mode} << " handler " << c.handler);
    Recreate();
    messages.clear();
    int events = 0;
    if (c.handler) serial->OnError = [&events](TSerial*) { ++events; };
    serial->SetNotifyErrors(c.mode);
    if (c.port != 0) {
      serial->SetPort(c.port);
      serial->SetActive(true);
      EXPECT_FALSE(serial->Active());
    } else {
      state->ClearCalls();
      std::string text = "kept";
      EXPECT_EQ(serial->ReadString(text), 0);
      EXPECT_EQ(text, "kept");
      EXPECT_EQ(serial->RxWaiting(), 0);
      EXPECT_EQ(serial->TxWaiting(), 0);
      EXPECT_TRUE(state->Snapshot().calls.empty()) << "nothing asks the driver while closed";
    }
    EXPECT_EQ(serial->ErrorCode(), c.code);
    EXPECT_EQ(messages, c.shown);
    EXPECT_EQ(events, c.events);
  }
}

TEST_F(SerialComponent, SetupFailuresAfterOpenAreReportedButEveryStepStillRuns) {
  serial->SetNotifyErrors(neNone);
  for (const char* op : {"SetupComm", "SetCommState", "SetCommTimeouts", "SetCommMask"}) {
    SCOPED_TRACE(op);
    serial->SetActive(false);
    state->ClearCalls();
    state->FailNext(op, 87);
    serial->SetActive(true);
    EXPECT_TRUE(serial->Active());
    EXPECT_EQ(serial->ErrorCode(), 87);
    EXPECT_EQ(state->Snapshot().calls, kOpenSteps);
  }
}

TEST_F(SerialComponent, ReadStringTakesAtMostQueueSizePlusOneInOneReadAndReportsAFailedOne) {
  serial->SetRxQueueSize(256);
  serial->SetNotifyErrors(neEvent);
  int events = 0;
  serial->OnError = [&events](TSerial*) { ++events; };
  Open();
  std::string sent;
  for (int i = 0; i < 300; ++i) sent.push_back(static_cast<char>(i));
  state->Feed(sent);
  const int reads = state->Snapshot().readCalls;
  std::string text;
  EXPECT_EQ(serial->ReadString(text), 257);
  EXPECT_EQ(text, sent.substr(0, 257));
  EXPECT_EQ(state->Snapshot().readCalls, reads + 1);
  EXPECT_EQ(serial->RxWaiting(), 43);
  EXPECT_EQ(serial->ReadString(text), 43);
  EXPECT_EQ(text, sent.substr(257));
  EXPECT_EQ(serial->ReadString(text), 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(events, 0);

  state->Feed("abc");
  state->FailNext("Read", support::kFakeNotReady);
  text = "kept";
  EXPECT_EQ(serial->ReadString(text), 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(events, 1);
  EXPECT_EQ(serial->ErrorCode(), support::kFakeNotReady);
}

TEST_F(SerialComponent, ReadCharTakesOneByteAtATimeAndLeavesTheRestQueued) {
  Open();
  state->Feed(std::string("ab\0d", 4));
  uint8_t c = 0;
  ASSERT_EQ(serial->ReadChar(c), 1);
  EXPECT_EQ(c, 'a');
  EXPECT_EQ(serial->RxWaiting(), 3);
  ASSERT_EQ(serial->ReadChar(c), 1);
  EXPECT_EQ(c, 'b');
  std::string rest;
  EXPECT_EQ(serial->ReadString(rest), 2);
  EXPECT_EQ(rest, std::string("\0d", 2));
  c = 'x';
  EXPECT_EQ(serial->ReadChar(c), 0);
  EXPECT_EQ(c, 'x');
}

}  // namespace
