#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/serial/SerialFixture.h"

using comm::FakeOp;
using Calls = std::vector<std::string>;

namespace {

using SerialComponent = SerialFixture;

TEST_F(SerialComponent, OpenAppliesSettingsRaisesLinesThenStartsEvents) {
  Open();
  EXPECT_EQ(state->Snapshot().calls,
            (Calls{"Open COM1", "SetupComm 1024 1024", "SetCommState", "SetCommTimeouts", "EscapeCommFunction SETDTR",
                   "EscapeCommFunction SETRTS", "SetCommMask 0x17d"}));
  EXPECT_TRUE(state->Snapshot().dtr && state->Snapshot().rts);
}

TEST_F(SerialComponent, CloseAbandonsTransfersDropsLinesAndReleasesTheWaitBeforeClosing) {
  Open();
  state->ClearCalls();
  serial->SetActive(false);
  EXPECT_EQ(state->Snapshot().calls, (Calls{"PurgeComm 3", "EscapeCommFunction CLRDTR", "EscapeCommFunction CLRRTS",
                                            "SetCommMask 0x0", "Close"}));
  EXPECT_FALSE(serial->Active());
  EXPECT_FALSE(state->Snapshot().open);
}

struct SetterCase {
  const char* name;
  std::function<void(TSerial&)> assignSame;
  std::function<void(TSerial&)> assignNew;
  bool sameReopens;
  bool newReopens;
};

TEST_F(SerialComponent, SettersReopenAnOpenPortOnlyWhereTheyMust) {
  const std::vector<SetterCase> cases = {
      {"Port", [](TSerial& s) { s.SetPort(1); }, [](TSerial& s) { s.SetPort(2); }, false, true},
      {"Baudrate", [](TSerial& s) { s.SetBaudrate(9600); }, [](TSerial& s) { s.SetBaudrate(115200); }, false, true},
      {"Parity", [](TSerial& s) { s.SetParity(paNone); }, [](TSerial& s) { s.SetParity(PaOdd); }, false, true},
      {"DataBits", [](TSerial& s) { s.SetDataBits(d7bit); }, [](TSerial& s) { s.SetDataBits(d8bit); }, false, true},
      {"StopBits", [](TSerial& s) { s.SetStopBits(st1bit); }, [](TSerial& s) { s.SetStopBits(st2bit); }, false, true},
      {"FlowMode", [](TSerial& s) { s.SetFlowMode(fcNone); }, [](TSerial& s) { s.SetFlowMode(fcXON_XOF); }, false,
       true},
      {"CheckParity", [](TSerial& s) { s.SetCheckParity(true); }, [](TSerial& s) { s.SetCheckParity(false); }, false,
       true},
      {"Timeout", [](TSerial& s) { s.SetTimeout(10000); }, [](TSerial& s) { s.SetTimeout(500); }, false, true},
      {"RxQueueSize", [](TSerial& s) { s.SetRxQueueSize(1024); }, [](TSerial& s) { s.SetRxQueueSize(256); }, true,
       true},
      {"TxQueueSize", [](TSerial& s) { s.SetTxQueueSize(1024); }, [](TSerial& s) { s.SetTxQueueSize(10); }, true, true},
      {"RxEventMode", [](TSerial& s) { s.SetRxEventMode(rxNormal); }, [](TSerial& s) { s.SetRxEventMode(rxMessage); },
       false, false},
  };
  for (const SetterCase& c : cases) {
    SCOPED_TRACE(c.name);
    serial = std::make_unique<TSerial>(std::make_unique<comm::FakeSerialPlatform>(state), poster);
    Open();
    const int opens = state->Snapshot().openCount;
    c.assignSame(*serial);
    EXPECT_EQ(state->Snapshot().openCount, opens + (c.sameReopens ? 1 : 0));
    c.assignNew(*serial);
    EXPECT_EQ(state->Snapshot().openCount, opens + (c.sameReopens ? 1 : 0) + (c.newReopens ? 1 : 0));
    EXPECT_TRUE(serial->Active());

    serial->SetActive(false);
    state->ClearCalls();
    c.assignNew(*serial);
    c.assignSame(*serial);
    EXPECT_TRUE(state->Snapshot().calls.empty()) << "a closed port only stores";
    EXPECT_FALSE(serial->Active());
  }
}

TEST_F(SerialComponent, AcceptsEveryListedBaudrateAndRejectsOthersWhateverTheNotifyMode) {
  serial->SetNotifyErrors(neNone);
  for (int32_t rate : TSerial::BaudRates) {
    serial->SetBaudrate(rate);
    EXPECT_EQ(serial->Baudrate(), rate);
  }
  EXPECT_TRUE(messages.empty());

  Open();
  const int opens = state->Snapshot().openCount;
  for (int32_t rate : {0, -9600, 250000, 115201, 9601}) {
    SCOPED_TRACE(rate);
    messages.clear();
    serial->SetBaudrate(rate);
    EXPECT_EQ(messages, (Calls{"Baudrate is not valid"}));
    EXPECT_EQ(serial->Baudrate(), 256000);
  }
  EXPECT_EQ(state->Snapshot().openCount, opens) << "a rejected rate must not reopen";
}

TEST_F(SerialComponent, RejectsOutOfRangePortAndEnumValues) {
  EXPECT_THROW(serial->SetPort(0), std::out_of_range);
  EXPECT_THROW(serial->SetPort(10), std::out_of_range);
  EXPECT_THROW(serial->SetParity(static_cast<eParity>(5)), std::out_of_range);
  EXPECT_THROW(serial->SetFlowMode(static_cast<eFlowControl>(4)), std::out_of_range);
  EXPECT_EQ(serial->Port(), 1);
  EXPECT_EQ(serial->Parity(), paNone);
  serial->SetPort(9);
  EXPECT_EQ(serial->Port(), 9);
}

struct DcbCase {
  eFlowControl flow;
  bool checkParity;
  uint32_t flags;
};

TEST_F(SerialComponent, DeviceControlRecordFlagWordForEveryHandshake) {
  const DcbCase cases[] = {
      {fcNone, false, 0x0001},    {fcNone, true, 0x0003},    {fcRTS_CTS, false, 0x2005}, {fcRTS_CTS, true, 0x2007},
      {fcDTR_DSR, false, 0x0029}, {fcDTR_DSR, true, 0x002B}, {fcXON_XOF, false, 0x0301}, {fcXON_XOF, true, 0x0303},
  };
  Open();
  for (const DcbCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "flow " << int(c.flow) << " check " << c.checkParity);
    serial->SetFlowMode(c.flow);
    serial->SetCheckParity(c.checkParity);
    EXPECT_EQ(state->Snapshot().dcb.Flags, c.flags);
  }
}

TEST_F(SerialComponent, DeviceControlRecordCarriesTheLineSettings) {
  serial->SetRxQueueSize(256);
  serial->SetBaudrate(115200);
  serial->SetDataBits(d8bit);
  serial->SetStopBits(st2bit);
  Open();
  const comm::Dcb dcb = state->Snapshot().dcb;
  EXPECT_EQ(dcb.DCBlength, 28u);
  EXPECT_EQ(dcb.BaudRate, 115200u);
  EXPECT_EQ(dcb.XonLim, 85);
  EXPECT_EQ(dcb.XoffLim, 85);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.StopBits, comm::kTwoStopBits);
  EXPECT_EQ(dcb.XonChar, 0x11);
  EXPECT_EQ(dcb.XoffChar, 0x13);
  EXPECT_EQ(dcb.ErrorChar, 0x3F);

  const std::pair<eParity, uint8_t> parities[] = {{PaOdd, 1}, {paEven, 2}, {paMark, 3}, {paSpace, 4}, {paNone, 0}};
  for (const auto& [parity, native] : parities) {
    serial->SetParity(parity);
    EXPECT_EQ(state->Snapshot().dcb.Parity, native);
  }
  serial->SetDataBits(d7bit);
  EXPECT_EQ(state->Snapshot().dcb.ByteSize, 7);
}

TEST_F(SerialComponent, ReadsReturnAtOnceAndWriteTimeoutOnlyUnderFlowControl) {
  serial->SetTimeout(500);
  Open();
  comm::CommTimeouts t = state->Snapshot().timeouts;
  EXPECT_EQ(t.ReadIntervalTimeout, comm::kMaxDword);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 0u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 0u);

  serial->SetFlowMode(fcRTS_CTS);
  EXPECT_EQ(state->Snapshot().timeouts.WriteTotalTimeoutConstant, 500u);
  serial->SetFlowMode(fcNone);
  EXPECT_EQ(state->Snapshot().timeouts.WriteTotalTimeoutConstant, 500u) << "kept from the earlier flow mode";
}

TEST_F(SerialComponent, PortThatCannotOpenStaysClosedAndReportsTheOsError) {
  state->AddPort(3, comm::kFakeAccessDenied);
  struct Case {
    uint8_t port;
    eNotifyErr mode;
    int32_t code;
    Calls shown;
    int events;
  };
  const Case cases[] = {
      {4, neNone, comm::kFakeFileNotFound, {}, 0},
      {4, neDialog, comm::kFakeFileNotFound, {"Fake OS error 2"}, 0},
      {4, neEvent, comm::kFakeFileNotFound, {}, 1},
      {3, neNone, comm::kFakeAccessDenied, {}, 0},
      {3, neDialog, comm::kFakeAccessDenied, {"Fake OS error 5"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "port " << int(c.port) << " mode " << int(c.mode));
    messages.clear();
    int events = 0;
    serial->OnError = [&events](TSerial*) { ++events; };
    serial->SetNotifyErrors(c.mode);
    serial->SetPort(c.port);
    serial->SetActive(true);
    EXPECT_FALSE(serial->Active());
    EXPECT_EQ(serial->ErrorCode(), c.code);
    EXPECT_EQ(messages, c.shown);
    EXPECT_EQ(events, c.events);
  }
}

TEST_F(SerialComponent, SetupFailuresAfterOpenAreReportedButKeepThePortOpen) {
  for (FakeOp op : {FakeOp::SetupComm, FakeOp::SetCommState, FakeOp::SetCommTimeouts, FakeOp::SetCommMask}) {
    SCOPED_TRACE(static_cast<int>(op));
    serial->SetActive(false);
    serial->SetNotifyErrors(neNone);
    state->FailNext(op, 87);
    serial->SetActive(true);
    EXPECT_TRUE(serial->Active());
    EXPECT_EQ(serial->ErrorCode(), 87);
    EXPECT_TRUE(state->Snapshot().dtr && state->Snapshot().rts) << "later steps still run";
  }
}

TEST_F(SerialComponent, PendingIoIsRecordedButNeverReported) {
  state->FailNext(FakeOp::Open, comm::kErrorIoPending);
  serial->SetActive(true);
  EXPECT_EQ(serial->ErrorCode(), comm::kErrorIoPending);
  EXPECT_TRUE(messages.empty());
}

TEST_F(SerialComponent, NotActiveErrorFollowsTheNotifyMode) {
  struct Case {
    eNotifyErr mode;
    bool handler;
    Calls shown;
    int events;
    int32_t code;
  };
  const Case cases[] = {
      {neDialog, true, {"The port is not active"}, 0, 0},
      {neEvent, true, {}, 1, -1},
      {neEvent, false, {}, 0, 0},
      {neNone, true, {}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << " handler " << c.handler);
    serial = std::make_unique<TSerial>(std::make_unique<comm::FakeSerialPlatform>(state), poster);
    serial->SetMessagePresenter([this](const std::string& text) { messages.push_back(text); });
    messages.clear();
    int events = 0;
    if (c.handler) serial->OnError = [&events](TSerial*) { ++events; };
    serial->SetNotifyErrors(c.mode);
    std::string text = "kept";
    EXPECT_EQ(serial->ReadString(text), 0);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(messages, c.shown);
    EXPECT_EQ(events, c.events);
    EXPECT_EQ(serial->ErrorCode(), c.code);
  }
}

TEST_F(SerialComponent, ReadStringTakesAtMostQueueSizePlusOneInOneRead) {
  serial->SetRxQueueSize(256);
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
}

TEST_F(SerialComponent, ReadCharTakesARunInOneReadAndCountsItAsWaiting) {
  Open();
  state->Feed(std::string("ab\0d", 4));
  const int reads = state->Snapshot().readCalls;
  uint8_t c = 0;
  ASSERT_EQ(serial->ReadChar(c), 1);
  EXPECT_EQ(c, 'a');
  EXPECT_EQ(serial->RxWaiting(), 3);
  ASSERT_EQ(serial->ReadChar(c), 1);
  EXPECT_EQ(c, 'b');
  std::string rest;
  EXPECT_EQ(serial->ReadString(rest), 2);
  EXPECT_EQ(rest, std::string("\0d", 2));
  EXPECT_EQ(state->Snapshot().readCalls, reads + 2) << "one read for the run, one to look for more";
  c = 'x';
  EXPECT_EQ(serial->ReadChar(c), 0);
  EXPECT_EQ(c, 'x');
}

TEST_F(SerialComponent, BytesTakenAheadAreDroppedWhenThePortCloses) {
  Open();
  state->Feed("abc");
  uint8_t c = 0;
  ASSERT_EQ(serial->ReadChar(c), 1);
  serial->SetActive(true);
  std::string text = "kept";
  EXPECT_EQ(serial->ReadString(text), 0);
  EXPECT_EQ(serial->RxWaiting(), 0);
}

TEST_F(SerialComponent, FailedReadIsReportedAndReturnsNothing) {
  Open();
  serial->SetNotifyErrors(neEvent);
  int events = 0;
  serial->OnError = [&events](TSerial*) { ++events; };
  state->Feed("abc");
  state->FailNext(FakeOp::Read, comm::kFakeNotReady);
  std::string text = "kept";
  EXPECT_EQ(serial->ReadString(text), 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(events, 1);
  EXPECT_EQ(serial->ErrorCode(), comm::kFakeNotReady);
}

TEST_F(SerialComponent, QueueCountsAreZeroOnAClosedPortWithoutAskingTheDriver) {
  EXPECT_EQ(serial->RxWaiting(), 0);
  EXPECT_EQ(serial->TxWaiting(), 0);
  EXPECT_TRUE(state->Snapshot().calls.empty());
}

}  // namespace
