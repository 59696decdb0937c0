#include "serial/Serial5.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <limits>
#include <stdexcept>

namespace {

// EV_RXCHAR, EV_TXEMPTY, EV_CTS, EV_DSR, EV_RLSD, EV_BREAK and EV_RING.
constexpr uint32_t kEventMask =
    comm::kEvRxChar | comm::kEvTxEmpty | comm::kEvCts | comm::kEvDsr | comm::kEvRlsd | comm::kEvBreak | comm::kEvRing;
static_assert(kEventMask == 0x17D, "event mask of an open port");

constexpr int kCloseWaitMs = 750;
constexpr std::chrono::milliseconds kFailedWaitPause{100};
// Shortest time between data notifications once the reader has emptied the
// queue: short against what a person watching the traces notices, long
// enough that a board writing every frame wakes the threads a few times less.
constexpr std::chrono::milliseconds kRxSettle{10};

constexpr int kSignalRts = 0;
constexpr int kSignalDtr = 1;

constexpr int32_t kNotActive = -1;
constexpr int32_t kStringTooLong = -2;

template <typename E>
void CheckEnum(E value, E last, const char* what) {
  if (value > last) throw std::out_of_range(std::string(what) + " out of range");
}

int32_t SaturatedCount(uint64_t count) {
  return static_cast<int32_t>(std::min<uint64_t>(count, std::numeric_limits<int32_t>::max()));
}

void WriteToStderr(const std::string& text) { std::cerr << text << '\n'; }

}  // namespace

// ---------------------------------------------------------------- TEventThread

TEventThread::TEventThread(comm::ServedPort& port, comm::SerialPlatform& platform,
                           std::shared_ptr<comm::MainThreadPoster> poster)
    : SerialPort(port), m_platform(platform), m_handOff(std::move(poster)) {}

TEventThread::~TEventThread() {
  Terminate();
  WaitFor();
}

void TEventThread::Resume() {
  if (!m_thread.joinable() && !m_handOff.StopRequested()) m_thread = std::thread([this] { Execute(); });
  m_handOff.Notify();
}

void TEventThread::Terminate() { m_handOff.Stop(); }

void TEventThread::WaitFor() {
  if (m_thread.joinable()) m_thread.join();
}

void TEventThread::WaitUntilIdle(int limitMs, const std::function<bool()>& idle) {
  m_handOff.AbandonPending();
  // Wakes a pause after a failed wait, so the thread sees the port closed now.
  m_handOff.Notify();
  m_handOff.WaitFor(std::chrono::milliseconds(limitMs), idle);
}

void TEventThread::SetThreadWaiting(bool waiting) {
  if (m_waiting == waiting) return;
  m_waiting = waiting;
  SerialPort.SetThreadWaiting(waiting);
  m_handOff.Notify();
}

bool TEventThread::HandOver(std::function<void(comm::ServedPort&)> notification) {
  comm::ServedPort* port = &SerialPort;
  return m_handOff.Run([port, notification = std::move(notification)] { notification(*port); });
}

bool TEventThread::HandOver(comm::Notification notification) {
  return HandOver([notification](comm::ServedPort& port) { port.Notify(notification); });
}

void TEventThread::Execute() {
  comm::ServedPort& port = SerialPort;
  while (!m_handOff.StopRequested()) {
    if (!port.PortOpen()) {
      SetThreadWaiting(false);
      // Every open and the stop request wake the thread, so it need not
      // look again now and then: a closed port, even one waited for until a
      // lost device returns, costs no wake-ups at all.
      m_handOff.SleepUntil([&port] { return port.PortOpen(); });
      continue;
    }
    SetThreadWaiting(true);
    uint32_t mask = 0;
    if (!m_platform.WaitCommEvent(mask)) {
      const int32_t code = comm::SerialPlatform::LastError();
      if (!port.PortOpen()) continue;
      HandOver([code](comm::ServedPort& p) { p.ReportFailure(code); });
      // A lost device fails every wait at once: pause so the loop cannot spin.
      m_handOff.SleepFor(kFailedWaitPause, [&port] { return !port.PortOpen(); });
      continue;
    }
    // A wait that a close released, or that ended as the port closed,
    // has nothing left to announce.
    if (port.PortClosing() || !port.PortOpen()) continue;
    const bool data = (mask & comm::kEvRxChar) && port.EventMode() == rxNormal;
    const uint32_t queuedBefore = data ? QueuedBytes() : 0;
    Dispatch(mask);
    if (data) SettleAfterData(queuedBefore);
  }
}

uint32_t TEventThread::QueuedBytes() {
  uint32_t errors = 0;
  comm::ComStat status;
  return m_platform.ClearCommError(errors, status) ? status.cbInQue : 0;
}

void TEventThread::SettleAfterData(uint32_t queuedBefore) {
  comm::ServedPort& port = SerialPort;
  // A reader takes at most RxQueueSize + 1 bytes per notification: while it
  // keeps taking and bytes are left, announce them at once. A handler that
  // reads nothing is not called again until new bytes arrive.
  for (uint32_t left = QueuedBytes(); port.PortOpen() && left > 0 && left < queuedBefore; left = QueuedBytes()) {
    queuedBefore = left;
    if (!HandOver(comm::Notification::RxData)) return;
  }
  // Then let bytes gather for a moment: a board that writes every frame, or
  // an adapter that passes bytes on every millisecond, would otherwise wake
  // both threads hundreds or thousands of times a second.
  m_handOff.SleepFor(kRxSettle, [&port] { return !port.PortOpen(); });
}

void TEventThread::Dispatch(uint32_t mask) {
  using comm::Notification;
  // A failed status read is not looked at: the line then reads as off.
  auto signal = [this](eModemInSignal line, uint32_t bit, Notification notification) {
    uint32_t status = 0;
    m_platform.GetCommModemStatus(status);
    SerialPort.StoreLineState(line, (status & bit) != 0);
    return HandOver(notification);
  };
  if ((mask & comm::kEvCts) && !signal(msCTS, comm::kMsCtsOn, Notification::Cts)) return;
  if ((mask & comm::kEvDsr) && !signal(msDSR, comm::kMsDsrOn, Notification::Dsr)) return;
  if ((mask & comm::kEvRlsd) && !signal(msRLSD, comm::kMsRlsdOn, Notification::Rlsd)) return;
  if ((mask & comm::kEvTxEmpty) && !HandOver(Notification::TxEmpty)) return;
  if ((mask & comm::kEvBreak) && !HandOver(Notification::Break)) return;
  if ((mask & comm::kEvRing) && !HandOver(Notification::Ring)) return;
  if (!(mask & comm::kEvRxChar)) return;
  if (SerialPort.EventMode() == rxNormal) {
    HandOver(Notification::RxData);
    return;
  }
  AssembleMessages();
}

void TEventThread::AssembleMessages() {
  // The slot belongs to the main thread; look at it there.
  bool bound = false;
  HandOver([&bound](comm::ServedPort& port) { bound = port.MessageHandlerBound(); });
  if (!bound) return;
  uint8_t c = 0;
  int32_t failure = 0;
  while (SerialPort.TakeByte(c, failure)) {
    if (SerialPort.AssembleMessage(c) && !HandOver(comm::Notification::Message)) return;
  }
  if (failure != 0) HandOver([failure](comm::ServedPort& port) { port.ReportFailure(failure); });
}

// --------------------------------------------------------------------- TSerial

TSerial::TSerial(std::unique_ptr<comm::SerialPlatform> platform, std::shared_ptr<comm::MainThreadPoster> poster)
    : m_platform(std::move(platform)), m_presenter(WriteToStderr) {
  if (!m_platform) throw std::invalid_argument("TSerial needs a serial platform");
  if (!poster) throw std::invalid_argument("TSerial needs a main-thread poster");
  comm::ServedPort& served = *this;
  EventThread = std::make_unique<TEventThread>(served, *m_platform, std::move(poster));
}

TSerial::~TSerial() {
  try {
    SetActive(false);
  } catch (...) {
    // A throwing error handler must not stop the release of the port and thread.
  }
  EventThread->Terminate();
  EventThread->WaitFor();
}

void TSerial::SetPort(uint8_t value) {
  if (value < kFirstPort || value > kLastPort) throw std::out_of_range("Port must be 1 to 9");
  StoreAndReopen(m_port, value);
}

void TSerial::SetBaudrate(int32_t value) {
  if (std::find(BaudRates.begin(), BaudRates.end(), value) == BaudRates.end()) {
    MessagePresenter presenter = m_presenter;
    presenter("Baudrate is not valid");
    return;
  }
  StoreAndReopen(m_line.baudrate, value);
}

void TSerial::SetParity(eParity value) {
  CheckEnum(value, paSpace, "Parity");
  StoreAndReopen(m_line.parity, value);
}

void TSerial::SetDataBits(eDataBits value) {
  CheckEnum(value, d8bit, "DataBits");
  StoreAndReopen(m_line.dataBits, value);
}

void TSerial::SetStopBits(eStopBits value) {
  CheckEnum(value, st2bit, "StopBits");
  StoreAndReopen(m_line.stopBits, value);
}

void TSerial::SetRxQueueSize(uint16_t value) {
  m_line.rxQueueSize = value;
  SetActive(m_active);
}

void TSerial::SetTxQueueSize(uint16_t value) {
  m_txQueueSize = value;
  SetActive(m_active);
}

void TSerial::SetFlowMode(eFlowControl value) {
  CheckEnum(value, fcXON_XOF, "FlowMode");
  StoreAndReopen(m_line.flowMode, value);
}

void TSerial::SetCheckParity(bool value) { StoreAndReopen(m_line.checkParity, value); }

void TSerial::SetTimeout(uint32_t value) { StoreAndReopen(m_timeout, value); }

template <typename T>
void TSerial::StoreAndReopen(T& field, T value) {
  if (field == value) return;
  field = value;
  SetActive(m_active);
}

void TSerial::SetActive(bool Open) {
  if (m_active) ClosePort();
  if (Open) OpenPort();
}

void TSerial::ClosePort() {
  if (!m_platform->PurgeComm(comm::kPurgeTxAbort | comm::kPurgeRxAbort)) FailLastCall();
  SetOutSignal(kSignalDtr, false);
  SetOutSignal(kSignalRts, false);
  m_active = false;
  Closing = true;
  if (!m_platform->SetCommMask(0)) FailLastCall();
  Closing = false;
  if (!m_platform->Close()) FailLastCall();
  EventThread->WaitUntilIdle(kCloseWaitMs, [this] { return !ThreadWaiting; });
}

void TSerial::OpenPort() {
  if (!m_platform->Open(m_platform->DeviceName(m_port))) {
    FailLastCall();
    return;
  }
  if (!m_platform->SetupComm(m_line.rxQueueSize, m_txQueueSize)) FailLastCall();
  m_active = true;
  ApplySettings();
  SetOutSignal(kSignalDtr, true);
  SetOutSignal(kSignalRts, true);
  StartEvents();
}

void TSerial::ApplySettings() {
  Dcb = comm::BuildDcb(m_line);
  if (!m_active) return;
  if (!m_platform->SetCommState(Dcb)) FailLastCall();
  Timeouts = comm::BuildTimeouts(Timeouts, m_line.flowMode, m_timeout);
  if (!m_platform->SetCommTimeouts(Timeouts)) FailLastCall();
}

void TSerial::StartEvents() {
  if (!m_platform->SetCommMask(kEventMask)) FailLastCall();
  EventThread->Resume();
}

void TSerial::SetOutSignal(int Signal, bool State) {
  if (!m_active) {
    ReportError(kNotActive);
    return;
  }
  using comm::EscapeFunction;
  const EscapeFunction function = Signal == kSignalRts ? (State ? EscapeFunction::SetRts : EscapeFunction::ClrRts)
                                                       : (State ? EscapeFunction::SetDtr : EscapeFunction::ClrDtr);
  // The result is ignored: ptys and some adapters have no modem lines at all.
  m_platform->EscapeCommFunction(function);
}

void TSerial::UpdateStatus() {
  if (!m_active) return;
  uint32_t errors = 0;
  if (!m_platform->ClearCommError(errors, Status)) FailLastCall();
}

int32_t TSerial::RxWaiting() {
  if (!m_active) return 0;
  UpdateStatus();
  return SaturatedCount(Status.cbInQue);
}

int32_t TSerial::TxWaiting() {
  if (!m_active) return 0;
  UpdateStatus();
  return SaturatedCount(Status.cbOutQue);
}

int32_t TSerial::ReadString(std::string& Text) {
  if (!m_active) {
    ReportError(kNotActive);
    return 0;
  }
  // Read straight into the caller's string: a reused string costs no allocation per call.
  Text.resize(size_t{m_line.rxQueueSize} + 1);
  size_t count = 0;
  const bool read = m_platform->Read(reinterpret_cast<uint8_t*>(Text.data()), Text.size(), count);
  const int32_t failure = read ? 0 : comm::SerialPlatform::LastError();
  Text.resize(read ? count : 0);
  if (!read) HandleLastError(failure);
  return static_cast<int32_t>(Text.size());
}

int32_t TSerial::ReadChar(uint8_t& C) {
  uint8_t byte = 0;
  int32_t failure = 0;
  if (TakeByte(byte, failure)) {
    C = byte;
    return 1;
  }
  if (failure != 0) ReportFailure(failure);
  return 0;
}

bool TSerial::TakeByte(uint8_t& c, int32_t& failure) {
  failure = 0;
  if (!m_active) {
    failure = kNotActive;
    return false;
  }
  size_t count = 0;
  if (!m_platform->Read(&c, 1, count)) {
    failure = comm::SerialPlatform::LastError();
    return false;
  }
  return count == 1;
}

bool TSerial::AssembleMessage(uint8_t c) {
  const comm::MessageFraming framing{m_messageStartChar, m_messageEndChar, m_messageAppendCount};
  return m_message.Take(c, framing);
}

void TSerial::StoreLineState(eModemInSignal signal, bool on) {
  bool* const states[] = {&CtsState, &DsrState, &RlsdState};
  *states[signal] = on;
}

void TSerial::Raise(const TNotifyEvent& slot) {
  // A copy: the handler may destroy the component and with it the slot.
  TNotifyEvent handler = slot;
  if (handler) handler(this);
}

void TSerial::Notify(comm::Notification notification) {
  using comm::Notification;
  auto signalChange = [this](eModemInSignal signal, bool state) {
    TSignalChangeEvent handler = OnSignalChange;
    if (handler) handler(this, signal, state);
  };
  switch (notification) {
    case Notification::Cts:
      return signalChange(msCTS, CtsState);
    case Notification::Dsr:
      return signalChange(msDSR, DsrState);
    case Notification::Rlsd:
      return signalChange(msRLSD, RlsdState);
    case Notification::TxEmpty:
      return Raise(OnTxEmpty);
    case Notification::Break:
      return Raise(OnBreak);
    case Notification::Ring:
      return Raise(OnRing);
    case Notification::RxData:
      return Raise(OnRxData);
    case Notification::Message: {
      TRxMessageEvent handler = OnMessage;
      const std::string text = m_message.MsgText;
      if (handler) handler(this, text);
      return;
    }
  }
}

void TSerial::ReportFailure(int32_t code) {
  if (code < 0)
    ReportError(code);
  else
    HandleLastError(code);
}

void TSerial::FailLastCall() { HandleLastError(comm::SerialPlatform::LastError()); }

bool TSerial::HandleLastError(int32_t Code) {
  m_errorCode = Code;
  if (Code == comm::kErrorIoPending) return false;
  if (m_failureObserver) {
    // A copy: the observer may replace itself.
    FailureObserver observer = m_failureObserver;
    observer(Code);
  }
  switch (m_notifyErrors) {
    case neDialog:
      ShowError(Code);
      break;
    case neEvent:
      Raise(OnError);
      break;
    default:
      break;
  }
  return true;
}

void TSerial::ReportError(int32_t Code) {
  switch (m_notifyErrors) {
    case neDialog:
      ShowError(Code);
      break;
    case neEvent:
      if (!OnError) break;
      m_errorCode = Code;
      Raise(OnError);
      break;
    default:
      break;
  }
}

void TSerial::ShowError(int32_t Code) {
  std::string text;
  if (Code == kNotActive)
    text = "The port is not active";
  else if (Code == kStringTooLong)
    text = "String too long for Tx buffer";
  else if (Code > 0)
    text = m_platform->ErrorText(Code);
  else
    text = "Unknown error " + std::to_string(Code);
  MessagePresenter presenter = m_presenter;
  presenter(text);
}

std::string TSerial::DeviceName(uint8_t port) const { return m_platform->DeviceName(port); }

void TSerial::SetMessagePresenter(MessagePresenter presenter) {
  m_presenter = presenter ? std::move(presenter) : MessagePresenter(WriteToStderr);
}
