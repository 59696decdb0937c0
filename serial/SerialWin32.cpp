#include "serial/SerialWin32.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <limits>

#include "serial/Win32DcbFlags.h"
#include "serial/Win32OpenFailure.h"
#include "serial/Win32PortNames.h"

namespace comm {
namespace {

// The component's record and constants are the native ones, so they pass unchanged.
static_assert(sizeof(Dcb) == sizeof(DCB), "Dcb must keep the size of the native record");
static_assert(kEvRxChar == EV_RXCHAR && kEvTxEmpty == EV_TXEMPTY && kEvCts == EV_CTS && kEvDsr == EV_DSR &&
                  kEvRlsd == EV_RLSD && kEvBreak == EV_BREAK && kEvRing == EV_RING,
              "event bits");
static_assert(kMsCtsOn == MS_CTS_ON && kMsDsrOn == MS_DSR_ON && kMsRingOn == MS_RING_ON && kMsRlsdOn == MS_RLSD_ON,
              "modem status bits");
static_assert(kPurgeTxAbort == PURGE_TXABORT && kPurgeRxAbort == PURGE_RXABORT && kPurgeTxClear == PURGE_TXCLEAR &&
                  kPurgeRxClear == PURGE_RXCLEAR,
              "purge flags");
static_assert(static_cast<DWORD>(EscapeFunction::SetRts) == SETRTS &&
                  static_cast<DWORD>(EscapeFunction::ClrRts) == CLRRTS &&
                  static_cast<DWORD>(EscapeFunction::SetDtr) == SETDTR &&
                  static_cast<DWORD>(EscapeFunction::ClrDtr) == CLRDTR,
              "escape functions");
static_assert(kErrorIoPending == ERROR_IO_PENDING, "pending-operation code");
static_assert(kMaxDword == MAXDWORD, "no-wait read interval");

constexpr uint32_t kLineEvents = kEvCts | kEvDsr | kEvRlsd | kEvBreak | kEvRing;

// How long a wait pauses before it asks again when the driver ended it with
// nothing new: unread bytes or an abandoned request must not make it spin.
constexpr DWORD kPauseMs = 20;
// A read never takes longer than this.
constexpr DWORD kReadLimitMs = 100;

HANDLE Native(void* handle) { return static_cast<HANDLE>(handle); }

// Opens `device` for exclusive overlapped use, as a port is opened. A plain
// file opens too but is no port: it has no device-control record. The
// handle, or INVALID_HANDLE_VALUE with the reason in `error`.
HANDLE OpenComm(const std::string& device, DWORD& error) {
  if (device.empty()) {
    error = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  HANDLE handle = ::CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = ::GetLastError();
    return handle;
  }
  DCB probe{};
  probe.DCBlength = sizeof probe;
  if (::GetCommState(handle, &probe)) return handle;
  error = ::GetLastError();
  ::CloseHandle(handle);
  return INVALID_HANDLE_VALUE;
}

// A manual-reset event that signals the end of one overlapped request.
class CompletionEvent {
 public:
  CompletionEvent() : m_event(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~CompletionEvent() {
    if (m_event != nullptr) ::CloseHandle(m_event);
  }
  CompletionEvent(const CompletionEvent&) = delete;
  CompletionEvent& operator=(const CompletionEvent&) = delete;

  explicit operator bool() const { return m_event != nullptr; }
  HANDLE Get() const { return m_event; }

 private:
  HANDLE m_event;
};

// Queue counts, or the error of a device that no longer answers.
bool QueryQueues(HANDLE handle, DWORD& errors, COMSTAT& status) {
  errors = 0;
  status = COMSTAT{};
  return ::ClearCommError(handle, &errors, &status) != FALSE;
}

void CopyInto(DCB& native, const Dcb& dcb) {
  const DcbFlagFields fields = SplitDcbFlags(dcb.Flags);
  native.BaudRate = dcb.BaudRate;
  native.fBinary = fields.fBinary;
  native.fParity = fields.fParity;
  native.fOutxCtsFlow = fields.fOutxCtsFlow;
  native.fOutxDsrFlow = fields.fOutxDsrFlow;
  native.fDtrControl = fields.fDtrControl;
  native.fDsrSensitivity = fields.fDsrSensitivity;
  native.fTXContinueOnXoff = fields.fTXContinueOnXoff;
  native.fOutX = fields.fOutX;
  native.fInX = fields.fInX;
  native.fErrorChar = fields.fErrorChar;
  native.fNull = fields.fNull;
  native.fRtsControl = fields.fRtsControl;
  native.fAbortOnError = fields.fAbortOnError;
  native.XonLim = dcb.XonLim;
  native.XoffLim = dcb.XoffLim;
  native.ByteSize = dcb.ByteSize;
  native.Parity = dcb.Parity;
  native.StopBits = dcb.StopBits;
  native.XonChar = static_cast<char>(dcb.XonChar);
  native.XoffChar = static_cast<char>(dcb.XoffChar);
  native.ErrorChar = static_cast<char>(dcb.ErrorChar);
  native.EofChar = static_cast<char>(dcb.EofChar);
  native.EvtChar = static_cast<char>(dcb.EvtChar);
}

}  // namespace

class Win32SerialPlatform::Lease {
 public:
  explicit Lease(const Win32SerialPlatform& owner) : m_owner(owner) {
    std::lock_guard<std::mutex> lock(owner.m_mutex);
    if (owner.m_handle == nullptr || owner.m_closing) return;
    m_handle = owner.m_handle;
    ++owner.m_users;
  }
  ~Lease() {
    if (m_handle == nullptr) return;
    {
      std::lock_guard<std::mutex> lock(m_owner.m_mutex);
      --m_owner.m_users;
    }
    m_owner.m_released.notify_all();
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;

  explicit operator bool() const { return m_handle != nullptr; }
  HANDLE Handle() const { return Native(m_handle); }

 private:
  const Win32SerialPlatform& m_owner;
  void* m_handle = nullptr;
};

Win32SerialPlatform::Win32SerialPlatform(EnvLookup getEnv) : m_getEnv(std::move(getEnv)) {
  m_wake = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (m_wake == nullptr) m_wakeError = ::GetLastError();
}

Win32SerialPlatform::~Win32SerialPlatform() {
  bool open = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    open = m_handle != nullptr;
  }
  if (open) Close();
  if (m_wake != nullptr) ::CloseHandle(Native(m_wake));
}

bool Win32SerialPlatform::Fail(uint32_t code) {
  SetLastError(static_cast<int32_t>(code));
  return false;
}

bool Win32SerialPlatform::FailWithDeviceError(void* handle, uint32_t waitError) {
  // The driver's own answer tells a vanished device from a failed request.
  DWORD errors = 0;
  COMSTAT status;
  if (!QueryQueues(Native(handle), errors, status)) return Fail(::GetLastError());
  return Fail(waitError);
}

std::string Win32SerialPlatform::DeviceName(uint8_t port) const { return Win32DeviceForPort(port, m_getEnv); }

bool Win32SerialPlatform::Available(const std::string& device) const {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_handle != nullptr && device == m_openDevice) return Fail(ERROR_ACCESS_DENIED);
  }
  // "\\.\COM12" is the device name COM12 in the DOS device namespace.
  const std::string prefix = "\\\\.\\";
  const std::string name = device.compare(0, prefix.size(), prefix) == 0 ? device.substr(prefix.size()) : device;
  char target[512];
  if (name.empty() || ::QueryDosDeviceA(name.c_str(), target, sizeof target) == 0) return Fail(ERROR_FILE_NOT_FOUND);
  return true;
}

std::string Win32SerialPlatform::OpenFailureText(const std::string&, int32_t code) const {
  return Win32OpenFailureReason(static_cast<uint32_t>(code), ErrorText(code));
}

std::vector<DeviceHolder> Win32SerialPlatform::OtherHolders(const std::string&) const { return {}; }

bool Win32SerialPlatform::DeviceLost(int32_t code) const { return Win32DeviceLost(static_cast<uint32_t>(code)); }

bool Win32SerialPlatform::Open(const std::string& device) {
  if (m_wake == nullptr) return Fail(m_wakeError);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_handle != nullptr) return Fail(ERROR_ACCESS_DENIED);
  }
  DWORD error = ERROR_SUCCESS;
  HANDLE handle = OpenComm(device, error);
  if (handle == INVALID_HANDLE_VALUE) return Fail(error);

  ::ResetEvent(Native(m_wake));
  m_mask = 0;
  m_linesRefused = false;
  m_consumed = 0;
  m_rxMark = 0;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_handle = handle;
  m_openDevice = device;
  m_closing = false;
  return true;
}

bool Win32SerialPlatform::SetupComm(uint32_t rxQueueSize, uint32_t txQueueSize) {
  Lease lease(*this);
  if (!lease) return Fail(ERROR_INVALID_HANDLE);
  return ::SetupComm(lease.Handle(), rxQueueSize, txQueueSize) ? true : Fail(::GetLastError());
}

bool Win32SerialPlatform::SetCommState(const Dcb& dcb) {
  Lease lease(*this);
  if (!lease) return Fail(ERROR_INVALID_HANDLE);
  if (dcb.BaudRate == 0) return Fail(ERROR_INVALID_PARAMETER);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_applied = dcb;
  }
  // Starting from the driver's record keeps the fields this program does not set.
  DCB native{};
  native.DCBlength = sizeof native;
  if (!::GetCommState(lease.Handle(), &native)) return Fail(::GetLastError());
  CopyInto(native, dcb);
  if (!::SetCommState(lease.Handle(), &native)) return Fail(::GetLastError());

  // Some drivers accept a rate they cannot make and keep another one.
  DCB applied{};
  applied.DCBlength = sizeof applied;
  if (!::GetCommState(lease.Handle(), &applied)) return Fail(::GetLastError());
  return applied.BaudRate == dcb.BaudRate ? true : Fail(ERROR_INVALID_PARAMETER);
}

bool Win32SerialPlatform::GetCommState(Dcb& dcb) const {
  Lease lease(*this);
  if (!lease) return Fail(ERROR_INVALID_HANDLE);
  DCB native{};
  native.DCBlength = sizeof native;
  if (!::GetCommState(lease.Handle(), &native)) return Fail(::GetLastError());
  std::lock_guard<std::mutex> lock(m_mutex);
  dcb = m_applied;
  dcb.BaudRate = native.BaudRate;
  return true;
}

bool Win32SerialPlatform::SetCommTimeouts(const CommTimeouts& timeouts) {
  Lease lease(*this);
  if (!lease) return Fail(ERROR_INVALID_HANDLE);
  COMMTIMEOUTS native{timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
                      timeouts.ReadTotalTimeoutConstant, timeouts.WriteTotalTimeoutMultiplier,
                      timeouts.WriteTotalTimeoutConstant};
  return ::SetCommTimeouts(lease.Handle(), &native) ? true : Fail(::GetLastError());
}

bool Win32SerialPlatform::EscapeCommFunction(EscapeFunction function) {
  Lease lease(*this);
  if (!lease) return Fail(ERROR_INVALID_HANDLE);
  return ::EscapeCommFunction(lease.Handle(), static_cast<DWORD>(function)) ? true : Fail(::GetLastError());
}

bool Win32SerialPlatform::SetCommMask(uint32_t mask) {
  Lease lease(*this);
  if (!lease) return Fail(ERROR_INVALID_HANDLE);
  bool applied = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mask = mask;
    ++m_maskChanges;
    applied = ApplyNativeMask(lease.Handle());
  }
  const DWORD error = applied ? ERROR_SUCCESS : ::GetLastError();
  ::SetEvent(Native(m_wake));
  return applied ? true : Fail(error);
}

bool Win32SerialPlatform::ApplyNativeMask(void* handle) {
  const uint32_t wanted = m_linesRefused ? m_mask & ~kLineEvents : m_mask.load();
  return ::SetCommMask(Native(handle), wanted) != FALSE;
}

bool Win32SerialPlatform::Released(uint64_t maskChangesAtStart) const {
  return m_closing || m_maskChanges != maskChangesAtStart;
}

bool Win32SerialPlatform::WaitCommEvent(uint32_t& events) {
  events = 0;
  Lease lease(*this);
  if (!lease) return Fail(ERROR_INVALID_HANDLE);
  const HANDLE handle = lease.Handle();
  const uint64_t changesAtStart = m_maskChanges;
  CompletionEvent done;
  if (!done) return Fail(::GetLastError());
  for (;;) {
    if (Released(changesAtStart)) return true;
    OVERLAPPED request{};
    request.hEvent = done.Get();
    DWORD found = 0;
    DWORD error = ERROR_SUCCESS;
    if (!::WaitCommEvent(handle, &found, &request)) {
      error = ::GetLastError();
      if (error == ERROR_IO_PENDING) {
        const HANDLE ends[] = {done.Get(), Native(m_wake)};
        if (::WaitForMultipleObjects(2, ends, FALSE, INFINITE) != WAIT_OBJECT_0) ::CancelIoEx(handle, &request);
        DWORD unused = 0;
        error = ::GetOverlappedResult(handle, &request, &unused, TRUE) ? ERROR_SUCCESS : ::GetLastError();
      }
    }
    // A mask change or close ends the wait with no events, whatever the
    // driver made of it (an empty mask, or an aborted request).
    if (Released(changesAtStart)) return true;
    if (error == ERROR_NOT_SUPPORTED && !m_linesRefused && (m_mask & kLineEvents)) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_linesRefused = true;
      if (!ApplyNativeMask(handle)) return Fail(::GetLastError());
      continue;
    }
    if (error != ERROR_SUCCESS && error != ERROR_OPERATION_ABORTED) return FailWithDeviceError(handle, error);
    // A request the driver abandoned by itself is asked again while the device answers.
    const uint64_t consumed = m_consumed;
    DWORD lineErrors = 0;
    COMSTAT queues;
    if (!QueryQueues(handle, lineErrors, queues)) return Fail(::GetLastError());
    events = NewEvents(error == ERROR_SUCCESS ? found : 0, consumed + queues.cbInQue);
    if (events != 0) return true;
    if (queues.cbInQue > 0 || error == ERROR_OPERATION_ABORTED) Pause();
  }
}

uint32_t Win32SerialPlatform::NewEvents(uint32_t found, uint64_t arrived) {
  const uint32_t mask = m_mask;
  uint32_t events = found & mask & ~kEvRxChar;
  if ((mask & kEvRxChar) && arrived > m_rxMark) events |= kEvRxChar;
  m_rxMark = arrived;
  return events;
}

void Win32SerialPlatform::Pause() { ::WaitForSingleObject(Native(m_wake), kPauseMs); }

bool Win32SerialPlatform::GetCommModemStatus(uint32_t& status) {
  Lease lease(*this);
  if (!lease) return Fail(ERROR_INVALID_HANDLE);
  DWORD lines = 0;
  if (!::GetCommModemStatus(lease.Handle(), &lines)) return Fail(::GetLastError());
  status = lines;
  return true;
}

bool Win32SerialPlatform::PurgeComm(uint32_t flags) {
  Lease lease(*this);
  if (!lease) return Fail(ERROR_INVALID_HANDLE);
  DWORD errors = 0;
  COMSTAT queues;
  const bool counted = (flags & kPurgeRxClear) && QueryQueues(lease.Handle(), errors, queues);
  if (!::PurgeComm(lease.Handle(), flags)) return Fail(::GetLastError());
  if (counted) m_consumed += queues.cbInQue;
  return true;
}

bool Win32SerialPlatform::ClearCommError(uint32_t& errors, ComStat& status) {
  Lease lease(*this);
  if (!lease) return Fail(ERROR_INVALID_HANDLE);
  DWORD lineErrors = 0;
  COMSTAT queues;
  if (!QueryQueues(lease.Handle(), lineErrors, queues)) return Fail(::GetLastError());
  errors = lineErrors;
  status.Flags = 0;
  status.cbInQue = queues.cbInQue;
  status.cbOutQue = queues.cbOutQue;
  return true;
}

bool Win32SerialPlatform::Read(uint8_t* buffer, size_t capacity, size_t& count) {
  count = 0;
  Lease lease(*this);
  if (!lease) return Fail(ERROR_INVALID_HANDLE);
  const HANDLE handle = lease.Handle();
  DWORD errors = 0;
  COMSTAT queues;
  if (!QueryQueues(handle, errors, queues)) return Fail(::GetLastError());
  // Asking for no more than is queued completes at once on every driver; a
  // request for more may stay pending even with "return at once" timeouts.
  const DWORD wanted = static_cast<DWORD>(std::min<size_t>({capacity, queues.cbInQue, MAXDWORD}));
  if (wanted == 0) return true;
  CompletionEvent done;
  if (!done) return Fail(::GetLastError());
  OVERLAPPED request{};
  request.hEvent = done.Get();
  DWORD got = 0;
  if (!::ReadFile(handle, buffer, wanted, &got, &request)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) return Fail(error);
    if (::WaitForSingleObject(done.Get(), kReadLimitMs) != WAIT_OBJECT_0) ::CancelIoEx(handle, &request);
    // Whatever arrived before a cancel still counts.
    if (!::GetOverlappedResult(handle, &request, &got, TRUE) && ::GetLastError() != ERROR_OPERATION_ABORTED)
      return Fail(::GetLastError());
  }
  count = got;
  m_consumed += got;
  return true;
}

bool Win32SerialPlatform::Close() {
  HANDLE handle = nullptr;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_handle == nullptr) return Fail(ERROR_INVALID_HANDLE);
    m_closing = true;
    handle = Native(m_handle);
  }
  // The waiter cancels its own request on the wake-up; the mask and the
  // cancel end anything else in flight on the handle.
  ::SetEvent(Native(m_wake));
  ::SetCommMask(handle, 0);
  ::CancelIoEx(handle, nullptr);
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_released.wait(lock, [this] { return m_users == 0; });
    m_handle = nullptr;
  }
  return ::CloseHandle(handle) ? true : Fail(::GetLastError());
}

std::string Win32SerialPlatform::ErrorText(int32_t code) const {
  char* text = nullptr;
  const DWORD length =
      ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return "Error " + std::to_string(code);
  std::string message(text, length);
  ::LocalFree(text);
  // The system's texts end with a line break.
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message;
}

std::unique_ptr<SerialPlatform> MakeSystemSerialPlatform() { return std::make_unique<Win32SerialPlatform>(); }

}  // namespace comm
