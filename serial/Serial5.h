#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "serial/CommSettings.h"
#include "serial/HandOff.h"
#include "serial/MainThreadPoster.h"
#include "serial/MessageAssembly.h"
#include "serial/SerialEnums.h"
#include "serial/SerialPlatform.h"

namespace comm {

/// The notifications a TEventThread hands to the main thread, in the order
/// in which one completed wait dispatches them.
enum class Notification : uint8_t { Cts, Dsr, Rlsd, TxEmpty, Break, Ring, RxData, Message };

/// What a TEventThread needs of the component it serves, and nothing else.
/// The first group is called on the event thread; the second only on the main
/// thread, through the thread's synchronous hand-off.
class ServedPort {
 public:
  /// True while the port is open.
  virtual bool PortOpen() const = 0;
  /// True while a close is clearing the event mask.
  virtual bool PortClosing() const = 0;
  /// The thread serves an open port (true) or has found it closed (false).
  virtual void SetThreadWaiting(bool waiting) = 0;
  virtual eOpModes EventMode() const = 0;
  /// Stores an input line's state, read just before its notification.
  virtual void StoreLineState(eModemInSignal signal, bool on) = 0;
  /// Takes the next received byte without waiting: true with `c` set; false
  /// with `failure` 0 when none is waiting, else the error code to report.
  virtual bool TakeByte(uint8_t& c, int32_t& failure) = 0;
  /// Feeds one byte to the message assembly; true when a message is complete.
  virtual bool AssembleMessage(uint8_t c) = 0;

  /// Main thread: runs the handler bound to `notification`, if any.
  virtual void Notify(Notification notification) = 0;
  /// Main thread: whether a message handler is bound.
  virtual bool MessageHandlerBound() const = 0;
  /// Main thread: reports a component error (negative) or an OS error code.
  virtual void ReportFailure(int32_t code) = 0;

 protected:
  ~ServedPort() = default;
};

}  // namespace comm

// Background thread of one TSerial. While the port is open it blocks in the
// platform's event wait and hands each notification synchronously to the main
// thread; while the port is closed it sleeps until the port opens. It is
// created suspended (no OS thread runs until the first Resume) and is joined
// by its owner: every place where it blocks is woken by the stop request or
// ends within 100 ms, so the join is bounded.
class TEventThread {
 public:
  TEventThread(comm::ServedPort& port, comm::SerialPlatform& platform, std::shared_ptr<comm::MainThreadPoster> poster);
  // Requests the stop and joins the thread.
  ~TEventThread();

  TEventThread(const TEventThread&) = delete;
  TEventThread& operator=(const TEventThread&) = delete;

  // Starts the thread the first time; later calls wake it where it sleeps
  // while the port is closed.
  void Resume();
  // Stop request: the thread ends at its next check, and no notification
  // that has not started yet runs any more.
  void Terminate();
  // Blocks until the thread has ended; returns at once if it never started.
  void WaitFor();

  // For a closing port: drops a notification that is queued for the main
  // thread but has not started (it belongs to the port being closed), then
  // blocks until the thread has left the open-port state (`idle` returns
  // true) or `limitMs` has passed. A notification that is running, because
  // the close comes from its handler, makes the wait use the limit.
  void WaitUntilIdle(int limitMs, const std::function<bool()>& idle);

 private:
  void Execute();
  void Dispatch(uint32_t mask);
  // Bytes in the driver's receive queue; 0 when that cannot be told.
  uint32_t QueuedBytes();
  // After a data notification: notify again while the reader takes bytes and
  // some are left, then pause briefly so arriving bytes gather.
  void SettleAfterData(uint32_t queuedBefore);
  void AssembleMessages();
  // Runs `notification` on the main thread and waits for it; false when it
  // did not run (stop request, or dropped by a close).
  bool HandOver(std::function<void(comm::ServedPort&)> notification);
  bool HandOver(comm::Notification notification);
  void SetThreadWaiting(bool waiting);

  comm::ServedPort& SerialPort;
  comm::SerialPlatform& m_platform;
  bool m_waiting = false;  // as last given to SetThreadWaiting
  comm::HandOff m_handOff;
  std::thread m_thread;
};

// Serial port component: opens port 1..9 by number, applies the line settings
// held in its properties, raises DTR and RTS while open, lets its owner read
// the received bytes, and announces line events through the event slots.
//
// Errors are reported by code: negative codes are the component's own (-1
// "The port is not active", -2 "String too long for Tx buffer"), positive ones
// the OS's. NotifyErrors chooses how: a message box through the presenter
// (neDialog), the OnError slot (neEvent), or nothing (neNone); ErrorCode keeps
// the code.
//
// Threads: every operation and every event slot runs on the main thread. The
// one exception is rxMessage mode, where the event thread reads the bytes
// itself; the owner must not call ReadString or ReadChar then.
class TSerial final : private comm::ServedPort {
 public:
  using TNotifyEvent = std::function<void(TSerial* Sender)>;
  using TRxMessageEvent = std::function<void(TSerial* Sender, const std::string& RxMessage)>;
  using TSignalChangeEvent = std::function<void(TSerial* Sender, eModemInSignal Signal, bool SignalState)>;
  using TWriteCompletedEvent = std::function<void()>;
  // Shows a message to the user and returns when it has been acknowledged.
  using MessagePresenter = std::function<void(const std::string& text)>;

  // The accepted values of Baudrate, in bits per second.
  static constexpr std::array<int32_t, 15> BaudRates{110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                                     19200, 38400, 56000, 57600, 115200, 128000, 256000};
  static constexpr uint8_t kFirstPort = 1;
  static constexpr uint8_t kLastPort = 9;

  // Closed, with the default settings. The thread is created suspended.
  explicit TSerial(std::unique_ptr<comm::SerialPlatform> platform = comm::MakeSystemSerialPlatform(),
                   std::shared_ptr<comm::MainThreadPoster> poster = comm::MakeQtMainThreadPoster());
  // Closes the port, stops the event thread and waits for it to end. May be
  // called from inside an event slot of this component.
  ~TSerial();

  TSerial(const TSerial&) = delete;
  TSerial& operator=(const TSerial&) = delete;

  // Port number 1..9; anything else throws std::out_of_range and keeps the
  // stored number.
  uint8_t Port() const { return m_port; }
  void SetPort(uint8_t value);
  // Bits per second; a value not in BaudRates shows "Baudrate is not valid"
  // whatever NotifyErrors says, and keeps the stored value.
  int32_t Baudrate() const { return m_line.baudrate; }
  void SetBaudrate(int32_t value);
  eParity Parity() const { return m_line.parity; }
  void SetParity(eParity value);
  eDataBits DataBits() const { return m_line.dataBits; }
  void SetDataBits(eDataBits value);
  eStopBits StopBits() const { return m_line.stopBits; }
  void SetStopBits(eStopBits value);
  // Driver queue sizes in bytes. RxQueueSize also bounds ReadString and sets
  // the XON/XOFF limits. These two setters reopen an open port even when the
  // value is unchanged.
  uint16_t RxQueueSize() const { return m_line.rxQueueSize; }
  void SetRxQueueSize(uint16_t value);
  uint16_t TxQueueSize() const { return m_txQueueSize; }
  void SetTxQueueSize(uint16_t value);
  eFlowControl FlowMode() const { return m_line.flowMode; }
  void SetFlowMode(eFlowControl value);
  bool CheckParity() const { return m_line.checkParity; }
  void SetCheckParity(bool value);
  // Write timeout in milliseconds, applied only under flow control.
  uint32_t Timeout() const { return m_timeout; }
  void SetTimeout(uint32_t value);

  // Stored without reopening; the event thread reads the first four afresh
  // at every event.
  eOpModes RxEventMode() const { return m_rxEventMode; }
  void SetRxEventMode(eOpModes value) { m_rxEventMode = value; }
  uint8_t MessageStartChar() const { return m_messageStartChar; }
  void SetMessageStartChar(uint8_t value) { m_messageStartChar = value; }
  uint8_t MessageEndChar() const { return m_messageEndChar; }
  void SetMessageEndChar(uint8_t value) { m_messageEndChar = value; }
  uint16_t MessageAppendCount() const { return m_messageAppendCount; }
  void SetMessageAppendCount(uint16_t value) { m_messageAppendCount = value; }
  eNotifyErr NotifyErrors() const { return m_notifyErrors; }
  void SetNotifyErrors(eNotifyErr value) { m_notifyErrors = value; }
  bool WaitOnTxFull() const { return m_waitOnTxFull; }
  void SetWaitOnTxFull(bool value) { m_waitOnTxFull = value; }
  bool WaitTxComplete() const { return m_waitTxComplete; }
  void SetWaitTxComplete(bool value) { m_waitTxComplete = value; }

  // Code of the last error reported (see the class comment); 0 before any.
  int32_t ErrorCode() const { return m_errorCode; }

  // Bytes received and not yet read; 0 while closed.
  int32_t RxWaiting();
  // Bytes queued for sending; 0 while closed.
  int32_t TxWaiting();

  // Closes the port if it is open, then opens it again if `Open` is true.
  // A port that cannot be opened leaves Active false and reports the OS
  // error; later setup failures are reported but keep the port open.
  void SetActive(bool Open);
  bool Active() const { return m_active; }

  // Replaces `Text` with the received bytes, at most RxQueueSize + 1 of
  // them; the rest stays queued. Returns the length of `Text`. Returns at
  // once when nothing is waiting. On a closed port it reports -1 and returns
  // 0 with `Text` unchanged.
  int32_t ReadString(std::string& Text);
  // Stores the next received byte in `C` and returns 1, or returns 0 when
  // none is waiting; never waits more than 100 ms. On a closed port it
  // reports -1 and returns 0 with `C` unchanged.
  int32_t ReadChar(uint8_t& C);

  // Device that port number `port` names here (for display); empty when none.
  std::string DeviceName(uint8_t port) const;

  // Replaces how message boxes are shown; the default writes to stderr.
  void SetMessagePresenter(MessagePresenter presenter);

  // Called with the OS error code of every failed platform call, on the
  // thread that reports it and whatever NotifyErrors says, so an owner that
  // keeps errors silent can still react to a lost device. Pending I/O is not
  // a failure and is not passed on. Empty: nobody is told.
  using FailureObserver = std::function<void(int32_t code)>;
  void SetFailureObserver(FailureObserver observer) { m_failureObserver = std::move(observer); }

  // The platform under the component, for what it can tell about devices
  // without touching the open port (probes, reasons, other holders).
  const comm::SerialPlatform& Platform() const { return *m_platform; }

  TNotifyEvent OnRxData;
  TNotifyEvent OnTxEmpty;
  TRxMessageEvent OnMessage;
  TNotifyEvent OnError;
  TNotifyEvent OnBreak;
  TNotifyEvent OnRing;
  TSignalChangeEvent OnSignalChange;
  TWriteCompletedEvent OnWriteCompleted;

 private:
  template <typename T>
  void StoreAndReopen(T& field, T value);
  void ClosePort();
  void OpenPort();
  void ApplySettings();
  void StartEvents();
  void SetOutSignal(int Signal, bool State);
  void UpdateStatus();
  bool HandleLastError(int32_t Code);
  void ReportError(int32_t Code);
  void ShowError(int32_t Code);
  void FailLastCall();
  void Raise(const TNotifyEvent& slot);

  // What the event thread calls; see comm::ServedPort.
  bool PortOpen() const override { return m_active; }
  bool PortClosing() const override { return Closing; }
  void SetThreadWaiting(bool waiting) override { ThreadWaiting = waiting; }
  eOpModes EventMode() const override { return m_rxEventMode; }
  void StoreLineState(eModemInSignal signal, bool on) override;
  bool TakeByte(uint8_t& c, int32_t& failure) override;
  bool AssembleMessage(uint8_t c) override;
  void Notify(comm::Notification notification) override;
  bool MessageHandlerBound() const override { return static_cast<bool>(OnMessage); }
  void ReportFailure(int32_t code) override;

  std::unique_ptr<comm::SerialPlatform> m_platform;

  uint8_t m_port = 1;
  comm::LineSettings m_line;
  std::atomic<bool> m_active{false};
  uint16_t m_txQueueSize = 1024;
  std::atomic<eOpModes> m_rxEventMode{rxNormal};
  std::atomic<uint8_t> m_messageStartChar{2};
  std::atomic<uint8_t> m_messageEndChar{3};
  std::atomic<uint16_t> m_messageAppendCount{0};
  eNotifyErr m_notifyErrors = neDialog;
  int32_t m_errorCode = 0;
  bool m_waitOnTxFull = true;
  uint32_t m_timeout = 10000;
  bool m_waitTxComplete = true;

  comm::Dcb Dcb;
  comm::CommTimeouts Timeouts;
  comm::ComStat Status;

  // Message assembly (MsgState, MsgRemaining, MsgText), written by the event
  // thread; handlers read MsgText while that thread waits for them.
  comm::MessageAssembly m_message;

  std::atomic<bool> ThreadWaiting{false};
  bool CtsState = false;
  bool DsrState = false;
  bool RlsdState = false;
  std::atomic<bool> Closing{false};

  MessagePresenter m_presenter;
  FailureObserver m_failureObserver;

  // Last member: destroyed first, after the destructor has joined it.
  std::unique_ptr<TEventThread> EventThread;
};
