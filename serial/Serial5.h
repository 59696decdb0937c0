#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "serial/HandOff.h"
#include "serial/MainThreadPoster.h"
#include "serial/SerialPlatform.h"

enum eParity : uint8_t { paNone, PaOdd, paEven, paMark, paSpace };
enum eDataBits : uint8_t { d7bit, d8bit };
enum eStopBits : uint8_t { st1bit, st2bit };
enum eFlowControl : uint8_t { fcNone, fcRTS_CTS, fcDTR_DSR, fcXON_XOF };
enum eOpModes : uint8_t { rxNormal, rxMessage };
enum eNotifyErr : uint8_t { neDialog, neEvent, neNone };
enum eModemInSignal : uint8_t { msCTS, msDSR, msRLSD };

class TSerial;

// Background thread of one TSerial. While the port is open it blocks in the
// platform's event wait and hands each notification synchronously to the main
// thread; while the port is closed it polls every 100 ms. It is created
// suspended (no OS thread runs until the first Resume) and is joined by its
// owner: every place where it blocks is woken by the stop request or ends
// within 100 ms, so the join is bounded.
class TEventThread {
 public:
  TEventThread(TSerial& serial, std::shared_ptr<comm::MainThreadPoster> poster);
  // Requests the stop and joins the thread.
  ~TEventThread();

  TEventThread(const TEventThread&) = delete;
  TEventThread& operator=(const TEventThread&) = delete;

  // Starts the thread the first time; later calls only wake its closed-port poll.
  void Resume();
  // Stop request: the thread ends at its next check, and no notification
  // that has not started yet runs any more.
  void Terminate();
  // Blocks until the thread has ended; returns at once if it never started.
  void WaitFor();

  // For a closing port: drops a notification that is queued for the main
  // thread but has not started (it belongs to the port being closed), then
  // blocks until the thread has left the open-port state (its ThreadWaiting
  // flag is clear) or `limitMs` has passed. A notification that is running,
  // because the close comes from its handler, makes the wait use the limit.
  void WaitUntilIdle(int limitMs);

 private:
  friend class TSerial;

  void Execute();
  void Dispatch(uint32_t mask);
  // Bytes in the driver's receive queue; 0 when that cannot be told.
  uint32_t QueuedBytes();
  // After a data notification: notify again while the reader takes bytes and
  // some are left, then pause briefly so arriving bytes gather.
  void SettleAfterData(uint32_t queuedBefore);
  void AssembleMessages();
  bool MessageHandlerBound();
  // Runs `notification` on the main thread and waits for it; false when it
  // did not run (stop request, or dropped by a close).
  bool HandOver(std::function<void(TSerial&)> notification);
  void SetThreadWaiting(bool waiting);

  TSerial& SerialPort;
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
class TSerial {
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
  int32_t Baudrate() const { return m_baudrate; }
  void SetBaudrate(int32_t value);
  eParity Parity() const { return m_parity; }
  void SetParity(eParity value);
  eDataBits DataBits() const { return m_dataBits; }
  void SetDataBits(eDataBits value);
  eStopBits StopBits() const { return m_stopBits; }
  void SetStopBits(eStopBits value);
  // Driver queue sizes in bytes. RxQueueSize also bounds ReadString and sets
  // the XON/XOFF limits. These two setters reopen an open port even when the
  // value is unchanged.
  uint16_t RxQueueSize() const { return m_rxQueueSize; }
  void SetRxQueueSize(uint16_t value);
  uint16_t TxQueueSize() const { return m_txQueueSize; }
  void SetTxQueueSize(uint16_t value);
  eFlowControl FlowMode() const { return m_flowMode; }
  void SetFlowMode(eFlowControl value);
  bool CheckParity() const { return m_checkParity; }
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

  TNotifyEvent OnRxData;
  TNotifyEvent OnTxEmpty;
  TRxMessageEvent OnMessage;
  TNotifyEvent OnError;
  TNotifyEvent OnBreak;
  TNotifyEvent OnRing;
  TSignalChangeEvent OnSignalChange;
  TWriteCompletedEvent OnWriteCompleted;

 private:
  friend class TEventThread;

  // Where an error found by a read is reported: directly, or handed to the
  // main thread when the event thread reads.
  enum class ReportOn { CallingThread, MainThread };

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
  int32_t ReadCharOn(uint8_t& C, ReportOn reportOn);
  size_t TakeBuffered(uint8_t* dest, size_t limit);
  void DiscardBuffered();
  void ReportFrom(ReportOn reportOn, int32_t Code, bool osError);

  std::unique_ptr<comm::SerialPlatform> m_platform;

  uint8_t m_port = 1;
  int32_t m_baudrate = 9600;
  eParity m_parity = paNone;
  eDataBits m_dataBits = d7bit;
  eStopBits m_stopBits = st1bit;
  std::atomic<bool> m_active{false};
  uint16_t m_rxQueueSize = 1024;
  uint16_t m_txQueueSize = 1024;
  eFlowControl m_flowMode = fcNone;
  bool m_checkParity = true;
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

  // Message assembly, written by the event thread; handlers read MsgText
  // while that thread waits for them.
  uint8_t MsgState = 0;
  uint16_t MsgRemaining = 0;
  std::string MsgText;

  std::atomic<bool> ThreadWaiting{false};
  bool CtsState = false;
  bool DsrState = false;
  bool RlsdState = false;
  std::atomic<bool> Closing{false};

  // Bytes taken from the driver in one read but not yet handed out; never
  // more than one ReadString may return. Guarded because in rxMessage mode
  // the event thread reads while the main thread may close.
  std::mutex m_rxMutex;
  std::vector<uint8_t> m_rxBuffer;
  size_t m_rxHead = 0;

  MessagePresenter m_presenter;

  // Last member: destroyed first, after the destructor has joined it.
  std::unique_ptr<TEventThread> EventThread;
};
