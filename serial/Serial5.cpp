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
constexpr std::chrono::milliseconds kClosedPoll{100};
constexpr std::chrono::milliseconds kFailedWaitPause{100};
// Shortest time between data notifications once the reader has emptied the
// queue: short against what a person watching the traces notices, long
// enough that a board writing every frame wakes the threads a few times less.
constexpr std::chrono::milliseconds kRxSettle{10};

constexpr int kSignalRts = 0;
constexpr int kSignalDtr = 1;

constexpr int32_t kNotActive = -1;
constexpr int32_t kStringTooLong = -2;

constexpr uint8_t kMsgCollecting = 1;
constexpr uint8_t kMsgAppending = 2;
constexpr uint8_t kMsgComplete = 3;

constexpr uint8_t kXonChar = 0x11;
constexpr uint8_t kXoffChar = 0x13;
constexpr uint8_t kErrorChar = 0x3F;

template <typename E>
void CheckEnum(E value, E last, const char* what) {
  if (value > last) throw std::out_of_range(std::string(what) + " out of range");
}

uint8_t ByteSizeOf(eDataBits bits) { return bits == d8bit ? 8 : 7; }

uint8_t ParityOf(eParity parity) {
  switch (parity) {
    case PaOdd:
      return comm::kOddParity;
    case paEven:
      return comm::kEvenParity;
    case paMark:
      return comm::kMarkParity;
    case paSpace:
      return comm::kSpaceParity;
    default:
      return comm::kNoParity;
  }
}

uint8_t StopBitsOf(eStopBits bits) { return bits == st2bit ? comm::kTwoStopBits : comm::kOneStopBit; }

uint32_t FlowFlagsOf(eFlowControl mode) {
  switch (mode) {
    case fcRTS_CTS:
      return comm::kDcbOutxCtsFlow | comm::kDcbRtsControlHandshake;
    case fcDTR_DSR:
      return comm::kDcbOutxDsrFlow | comm::kDcbDtrControlHandshake;
    case fcXON_XOF:
      return comm::kDcbOutX | comm::kDcbInX;
    default:
      return 0;
  }
}

int32_t SaturatedCount(uint64_t count) {
  return static_cast<int32_t>(std::min<uint64_t>(count, std::numeric_limits<int32_t>::max()));
}

void WriteToStderr(const std::string& text) { std::cerr << text << '\n'; }

}  // namespace

// ---------------------------------------------------------------- TEventThread

TEventThread::TEventThread(TSerial& serial, std::shared_ptr<comm::MainThreadPoster> poster)
    : SerialPort(serial), m_handOff(std::move(poster)) {}

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

void TEventThread::WaitUntilIdle(int limitMs) {
  m_handOff.AbandonPending();
  // Wakes a pause after a failed wait, so the thread sees the port closed now.
  m_handOff.Notify();
  m_handOff.WaitFor(std::chrono::milliseconds(limitMs), [this] { return !SerialPort.ThreadWaiting; });
}

void TEventThread::SetThreadWaiting(bool waiting) {
  if (SerialPort.ThreadWaiting == waiting) return;
  SerialPort.ThreadWaiting = waiting;
  m_handOff.Notify();
}

bool TEventThread::HandOver(std::function<void(TSerial&)> notification) {
  TSerial* serial = &SerialPort;
  return m_handOff.Run([serial, notification = std::move(notification)] { notification(*serial); });
}

void TEventThread::Execute() {
  TSerial& serial = SerialPort;
  while (!m_handOff.StopRequested()) {
    if (!serial.m_active) {
      SetThreadWaiting(false);
      m_handOff.SleepFor(kClosedPoll, [&serial] { return serial.m_active.load(); });
      continue;
    }
    SetThreadWaiting(true);
    uint32_t mask = 0;
    if (!serial.m_platform->WaitCommEvent(mask)) {
      const int32_t code = comm::SerialPlatform::LastError();
      if (!serial.m_active) continue;
      HandOver([code](TSerial& s) { s.HandleLastError(code); });
      // A lost device fails every wait at once: pause so the loop cannot spin.
      m_handOff.SleepFor(kFailedWaitPause, [&serial] { return !serial.m_active; });
      continue;
    }
    // A wait that a close released, or that ended as the port closed,
    // has nothing left to announce.
    if (serial.Closing || !serial.m_active) continue;
    const bool data = (mask & comm::kEvRxChar) && serial.m_rxEventMode == rxNormal;
    const uint32_t queuedBefore = data ? QueuedBytes() : 0;
    Dispatch(mask);
    if (data) SettleAfterData(queuedBefore);
  }
}

namespace {

std::function<void(TSerial&)> Notification(TSerial::TNotifyEvent TSerial::*slot) {
  return [slot](TSerial& serial) {
    // A copy: the handler may destroy the component and with it the slot.
    TSerial::TNotifyEvent handler = serial.*slot;
    if (handler) handler(&serial);
  };
}

}  // namespace

uint32_t TEventThread::QueuedBytes() {
  uint32_t errors = 0;
  comm::ComStat status;
  return SerialPort.m_platform->ClearCommError(errors, status) ? status.cbInQue : 0;
}

void TEventThread::SettleAfterData(uint32_t queuedBefore) {
  TSerial& serial = SerialPort;
  // A reader takes at most RxQueueSize + 1 bytes per notification: while it
  // keeps taking and bytes are left, announce them at once. A handler that
  // reads nothing is not called again until new bytes arrive.
  for (uint32_t left = QueuedBytes(); serial.m_active && left > 0 && left < queuedBefore; left = QueuedBytes()) {
    queuedBefore = left;
    if (!HandOver(Notification(&TSerial::OnRxData))) return;
  }
  // Then let bytes gather for a moment: a board that writes every frame, or
  // an adapter that passes bytes on every millisecond, would otherwise wake
  // both threads hundreds or thousands of times a second.
  m_handOff.SleepFor(kRxSettle, [&serial] { return !serial.m_active; });
}

void TEventThread::Dispatch(uint32_t mask) {
  TSerial& serial = SerialPort;
  auto lineIsOn = [&serial](uint32_t bit) {
    // A failed status read is not looked at: the line then reads as off.
    uint32_t status = 0;
    serial.m_platform->GetCommModemStatus(status);
    return (status & bit) != 0;
  };
  auto signalChange = [](eModemInSignal signal, bool TSerial::*state) {
    return [signal, state](TSerial& s) {
      TSerial::TSignalChangeEvent handler = s.OnSignalChange;
      if (handler) handler(&s, signal, s.*state);
    };
  };

  if (mask & comm::kEvCts) {
    serial.CtsState = lineIsOn(comm::kMsCtsOn);
    if (!HandOver(signalChange(msCTS, &TSerial::CtsState))) return;
  }
  if (mask & comm::kEvDsr) {
    serial.DsrState = lineIsOn(comm::kMsDsrOn);
    if (!HandOver(signalChange(msDSR, &TSerial::DsrState))) return;
  }
  if (mask & comm::kEvRlsd) {
    serial.RlsdState = lineIsOn(comm::kMsRlsdOn);
    if (!HandOver(signalChange(msRLSD, &TSerial::RlsdState))) return;
  }
  if ((mask & comm::kEvTxEmpty) && !HandOver(Notification(&TSerial::OnTxEmpty))) return;
  if ((mask & comm::kEvBreak) && !HandOver(Notification(&TSerial::OnBreak))) return;
  if ((mask & comm::kEvRing) && !HandOver(Notification(&TSerial::OnRing))) return;
  if (!(mask & comm::kEvRxChar)) return;
  if (serial.m_rxEventMode == rxNormal) {
    HandOver(Notification(&TSerial::OnRxData));
    return;
  }
  if (MessageHandlerBound()) AssembleMessages();
}

bool TEventThread::MessageHandlerBound() {
  // The slot belongs to the main thread; look at it there.
  bool bound = false;
  HandOver([&bound](TSerial& serial) { bound = static_cast<bool>(serial.OnMessage); });
  return bound;
}

void TEventThread::AssembleMessages() {
  TSerial& serial = SerialPort;
  auto handMessage = [this] {
    return HandOver([](TSerial& s) {
      TSerial::TRxMessageEvent handler = s.OnMessage;
      const std::string text = s.MsgText;
      if (handler) handler(&s, text);
    });
  };
  uint8_t c = 0;
  while (serial.ReadCharOn(c, TSerial::ReportOn::MainThread) > 0) {
    const char byte = static_cast<char>(c);
    if (serial.MsgState == kMsgAppending) {
      serial.MsgText.push_back(byte);
      if (--serial.MsgRemaining > 0) continue;
      serial.MsgState = kMsgComplete;
      if (!handMessage()) return;
    } else if (c == serial.m_messageStartChar) {
      serial.MsgState = kMsgCollecting;
      serial.MsgText.assign(1, byte);
    } else if (c == serial.m_messageEndChar) {
      if (serial.MsgState != kMsgCollecting) continue;
      serial.MsgText.push_back(byte);
      serial.MsgState = kMsgAppending;
      serial.MsgRemaining = serial.m_messageAppendCount;
      if (serial.MsgRemaining > 0) continue;
      serial.MsgState = kMsgComplete;
      if (!handMessage()) return;
    } else if (serial.MsgState == kMsgCollecting) {
      serial.MsgText.push_back(byte);
    }
  }
}

// --------------------------------------------------------------------- TSerial

TSerial::TSerial(std::unique_ptr<comm::SerialPlatform> platform, std::shared_ptr<comm::MainThreadPoster> poster)
    : m_platform(std::move(platform)), m_presenter(WriteToStderr) {
  if (!m_platform) throw std::invalid_argument("TSerial needs a serial platform");
  if (!poster) throw std::invalid_argument("TSerial needs a main-thread poster");
  EventThread = std::make_unique<TEventThread>(*this, std::move(poster));
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
  StoreAndReopen(m_baudrate, value);
}

void TSerial::SetParity(eParity value) {
  CheckEnum(value, paSpace, "Parity");
  StoreAndReopen(m_parity, value);
}

void TSerial::SetDataBits(eDataBits value) {
  CheckEnum(value, d8bit, "DataBits");
  StoreAndReopen(m_dataBits, value);
}

void TSerial::SetStopBits(eStopBits value) {
  CheckEnum(value, st2bit, "StopBits");
  StoreAndReopen(m_stopBits, value);
}

void TSerial::SetRxQueueSize(uint16_t value) {
  m_rxQueueSize = value;
  SetActive(m_active);
}

void TSerial::SetTxQueueSize(uint16_t value) {
  m_txQueueSize = value;
  SetActive(m_active);
}

void TSerial::SetFlowMode(eFlowControl value) {
  CheckEnum(value, fcXON_XOF, "FlowMode");
  StoreAndReopen(m_flowMode, value);
}

void TSerial::SetCheckParity(bool value) { StoreAndReopen(m_checkParity, value); }

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
  DiscardBuffered();
  EventThread->WaitUntilIdle(kCloseWaitMs);
}

void TSerial::OpenPort() {
  if (!m_platform->Open(m_platform->DeviceName(m_port))) {
    FailLastCall();
    return;
  }
  if (!m_platform->SetupComm(m_rxQueueSize, m_txQueueSize)) FailLastCall();
  m_active = true;
  ApplySettings();
  SetOutSignal(kSignalDtr, true);
  SetOutSignal(kSignalRts, true);
  StartEvents();
}

void TSerial::ApplySettings() {
  comm::Dcb dcb;
  dcb.BaudRate = static_cast<uint32_t>(m_baudrate);
  dcb.Flags = comm::kDcbBinary | (m_checkParity ? comm::kDcbParity : 0) | FlowFlagsOf(m_flowMode);
  dcb.XonLim = static_cast<uint16_t>(m_rxQueueSize / 3);
  dcb.XoffLim = dcb.XonLim;
  dcb.ByteSize = ByteSizeOf(m_dataBits);
  dcb.Parity = ParityOf(m_parity);
  dcb.StopBits = StopBitsOf(m_stopBits);
  dcb.XonChar = kXonChar;
  dcb.XoffChar = kXoffChar;
  dcb.ErrorChar = kErrorChar;
  Dcb = dcb;
  if (!m_active) return;

  if (!m_platform->SetCommState(Dcb)) FailLastCall();
  Timeouts.ReadIntervalTimeout = comm::kMaxDword;
  Timeouts.ReadTotalTimeoutMultiplier = 0;
  Timeouts.ReadTotalTimeoutConstant = 0;
  if (m_flowMode != fcNone) {
    Timeouts.WriteTotalTimeoutMultiplier = 0;
    Timeouts.WriteTotalTimeoutConstant = m_timeout;
  }
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
  std::lock_guard<std::mutex> lock(m_rxMutex);
  return SaturatedCount(uint64_t{Status.cbInQue} + (m_rxBuffer.size() - m_rxHead));
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
  const size_t limit = size_t{m_rxQueueSize} + 1;
  // Read straight into the caller's string: a reused string costs no allocation per call.
  Text.resize(limit);
  uint8_t* out = reinterpret_cast<uint8_t*>(Text.data());
  size_t count = 0;
  int32_t failure = 0;
  {
    std::lock_guard<std::mutex> lock(m_rxMutex);
    count = TakeBuffered(out, limit);
    size_t got = 0;
    if (count < limit && !m_platform->Read(out + count, limit - count, got))
      failure = comm::SerialPlatform::LastError();
    count += got;
  }
  Text.resize(count);
  if (failure != 0) HandleLastError(failure);
  return static_cast<int32_t>(count);
}

int32_t TSerial::ReadChar(uint8_t& C) { return ReadCharOn(C, ReportOn::CallingThread); }

int32_t TSerial::ReadCharOn(uint8_t& C, ReportOn reportOn) {
  if (!m_active) {
    ReportFrom(reportOn, kNotActive, false);
    return 0;
  }
  int32_t failure = 0;
  bool taken = false;
  {
    std::lock_guard<std::mutex> lock(m_rxMutex);
    if (m_rxHead == m_rxBuffer.size()) {
      // One read takes what the driver holds, so a run of ReadChar calls
      // costs one system call, not one per byte.
      m_rxBuffer.resize(size_t{m_rxQueueSize} + 1);
      m_rxHead = 0;
      size_t got = 0;
      if (!m_platform->Read(m_rxBuffer.data(), m_rxBuffer.size(), got)) {
        failure = comm::SerialPlatform::LastError();
        got = 0;
      }
      m_rxBuffer.resize(got);
    }
    if (m_rxHead < m_rxBuffer.size()) {
      C = m_rxBuffer[m_rxHead++];
      taken = true;
    }
  }
  if (failure != 0) ReportFrom(reportOn, failure, true);
  return taken ? 1 : 0;
}

size_t TSerial::TakeBuffered(uint8_t* dest, size_t limit) {
  const size_t count = std::min(limit, m_rxBuffer.size() - m_rxHead);
  std::copy_n(m_rxBuffer.begin() + static_cast<std::ptrdiff_t>(m_rxHead), count, dest);
  m_rxHead += count;
  return count;
}

void TSerial::DiscardBuffered() {
  std::lock_guard<std::mutex> lock(m_rxMutex);
  m_rxBuffer.clear();
  m_rxHead = 0;
}

void TSerial::ReportFrom(ReportOn reportOn, int32_t Code, bool osError) {
  auto report = [Code, osError](TSerial& serial) {
    if (osError)
      serial.HandleLastError(Code);
    else
      serial.ReportError(Code);
  };
  if (reportOn == ReportOn::CallingThread)
    report(*this);
  else
    EventThread->HandOver(report);
}

void TSerial::FailLastCall() { HandleLastError(comm::SerialPlatform::LastError()); }

bool TSerial::HandleLastError(int32_t Code) {
  m_errorCode = Code;
  if (Code == comm::kErrorIoPending) return false;
  switch (m_notifyErrors) {
    case neDialog:
      ShowError(Code);
      break;
    case neEvent: {
      TNotifyEvent handler = OnError;
      if (handler) handler(this);
      break;
    }
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
    case neEvent: {
      TNotifyEvent handler = OnError;
      if (!handler) break;
      m_errorCode = Code;
      handler(this);
      break;
    }
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
