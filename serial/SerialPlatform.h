#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace comm {

// Event bits of the driver's event mask (SetCommMask, WaitCommEvent).
constexpr uint32_t kEvRxChar = 0x0001;   // bytes were received
constexpr uint32_t kEvTxEmpty = 0x0004;  // the transmit queue became empty
constexpr uint32_t kEvCts = 0x0008;      // CTS changed
constexpr uint32_t kEvDsr = 0x0010;      // DSR changed
constexpr uint32_t kEvRlsd = 0x0020;     // RLSD (carrier detect) changed
constexpr uint32_t kEvBreak = 0x0040;    // a break was received
constexpr uint32_t kEvRing = 0x0100;     // a ring indicator was detected

// Input line bits of the modem status (GetCommModemStatus).
constexpr uint32_t kMsCtsOn = 0x0010;
constexpr uint32_t kMsDsrOn = 0x0020;
constexpr uint32_t kMsRingOn = 0x0040;
constexpr uint32_t kMsRlsdOn = 0x0080;

// PurgeComm flags.
constexpr uint32_t kPurgeTxAbort = 0x0001;
constexpr uint32_t kPurgeRxAbort = 0x0002;
constexpr uint32_t kPurgeTxClear = 0x0004;
constexpr uint32_t kPurgeRxClear = 0x0008;

// Bits of Dcb::Flags. fDtrControl and fRtsControl are two-bit fields; only
// their handshake value is listed, since disable is 0.
constexpr uint32_t kDcbBinary = 0x0001;
constexpr uint32_t kDcbParity = 0x0002;
constexpr uint32_t kDcbOutxCtsFlow = 0x0004;
constexpr uint32_t kDcbOutxDsrFlow = 0x0008;
constexpr uint32_t kDcbDtrControlHandshake = 0x0020;
constexpr uint32_t kDcbOutX = 0x0100;
constexpr uint32_t kDcbInX = 0x0200;
constexpr uint32_t kDcbRtsControlHandshake = 0x2000;

// Dcb::Parity values.
constexpr uint8_t kNoParity = 0;
constexpr uint8_t kOddParity = 1;
constexpr uint8_t kEvenParity = 2;
constexpr uint8_t kMarkParity = 3;
constexpr uint8_t kSpaceParity = 4;

// Dcb::StopBits values.
constexpr uint8_t kOneStopBit = 0;
constexpr uint8_t kTwoStopBits = 2;

constexpr uint32_t kMaxDword = 0xFFFFFFFFu;

// "Overlapped operation in progress": recorded by the component but never
// reported as an error.
constexpr int32_t kErrorIoPending = 997;

// Device-control record: line speed, character format and handshake. Laid out
// like the Win32 DCB so a native implementation can hand it over unchanged.
struct Dcb {
  uint32_t DCBlength = 28;
  uint32_t BaudRate = 0;
  uint32_t Flags = 0;  // kDcb* bits
  uint16_t wReserved = 0;
  uint16_t XonLim = 0;
  uint16_t XoffLim = 0;
  uint8_t ByteSize = 0;  // 7 or 8
  uint8_t Parity = 0;    // kNoParity .. kSpaceParity
  uint8_t StopBits = 0;  // kOneStopBit or kTwoStopBits
  uint8_t XonChar = 0;
  uint8_t XoffChar = 0;
  uint8_t ErrorChar = 0;
  uint8_t EofChar = 0;
  uint8_t EvtChar = 0;
  uint16_t wReserved1 = 0;
};
static_assert(sizeof(Dcb) == 28, "Dcb must keep the size of the native record");

// Read and write timeouts in milliseconds. The read values kMaxDword, 0, 0
// mean "return at once with whatever has been received, possibly nothing".
struct CommTimeouts {
  uint32_t ReadIntervalTimeout = 0;
  uint32_t ReadTotalTimeoutMultiplier = 0;
  uint32_t ReadTotalTimeoutConstant = 0;
  uint32_t WriteTotalTimeoutMultiplier = 0;
  uint32_t WriteTotalTimeoutConstant = 0;
};

// Driver status: bytes in the receive and the transmit queue.
struct ComStat {
  uint32_t Flags = 0;
  uint32_t cbInQue = 0;
  uint32_t cbOutQue = 0;
};

// Output line changes for EscapeCommFunction, with their native codes.
enum class EscapeFunction : uint32_t {
  SetRts = 3,
  ClrRts = 4,
  SetDtr = 5,
  ClrDtr = 6,
};

// A process that holds a device open, as far as the OS lets this one see.
struct DeviceHolder {
  std::string program;  // its name, e.g. "minicom"
  uint32_t processId = 0;
};

// "minicom, pid 812", several joined by "; ".
std::string HoldersText(const std::vector<DeviceHolder>& holders);

// The operations of one serial port that the serial component needs, in the
// shape of the Win32 comm functions. One object serves one port at a time.
//
// Every operation returns false on failure and leaves the OS error code in
// LastError() of the calling thread. Operations that act on the port fail
// while it is closed.
//
// Threads: the component's event thread calls WaitCommEvent,
// GetCommModemStatus, ClearCommError and Read while the main thread may call
// anything else. Available, OpenFailureText, OtherHolders and DeviceLost never
// touch the open port and may be called at any time.
// SetCommMask releases a pending WaitCommEvent (it then succeeds with no
// events), and so does Close, which returns only after no other thread is
// inside an operation on the port any more.
class SerialPlatform {
 public:
  virtual ~SerialPlatform() = default;

  // Device that port number `port` (1..9) names; empty when it names none.
  virtual std::string DeviceName(uint8_t port) const = 0;

  // Opens the device exclusively for reading and writing. Fails when it is
  // absent, in use, or already open through this object.
  virtual bool Open(const std::string& device) = 0;
  // Asks for driver queues of the given sizes in bytes.
  virtual bool SetupComm(uint32_t rxQueueSize, uint32_t txQueueSize) = 0;
  // Applies line speed, character format and handshake.
  virtual bool SetCommState(const Dcb& dcb) = 0;
  // The line's settings as the driver holds them: the speed it really runs
  // at, which may differ from the one asked for when a driver rounds or
  // refuses a rate.
  virtual bool GetCommState(Dcb& dcb) const = 0;
  virtual bool SetCommTimeouts(const CommTimeouts& timeouts) = 0;
  virtual bool EscapeCommFunction(EscapeFunction function) = 0;
  // Selects the kEv* events that WaitCommEvent waits for; 0 selects none.
  virtual bool SetCommMask(uint32_t mask) = 0;
  // Blocks until a selected event occurs and stores the ones that did, or
  // until the mask is changed or the port closed (then `events` is 0). A
  // lost device (unplugged adapter, hung-up line) makes it fail.
  virtual bool WaitCommEvent(uint32_t& events) = 0;
  // Current input lines as kMs* bits.
  virtual bool GetCommModemStatus(uint32_t& status) = 0;
  virtual bool PurgeComm(uint32_t flags) = 0;
  // Queue counts; `errors` receives the line error flags, which it clears.
  virtual bool ClearCommError(uint32_t& errors, ComStat& status) = 0;
  // Copies up to `capacity` received bytes into `buffer` and stores their
  // number in `count`, 0 when none are waiting. Never waits more than 100 ms.
  virtual bool Read(uint8_t* buffer, size_t capacity, size_t& count) = 0;
  // Releases the port.
  virtual bool Close() = 0;

  // The OS's own message text for an error code of this platform.
  virtual std::string ErrorText(int32_t code) const = 0;

  // Tells whether `device` could be opened now, judged without opening it:
  // whether it is present, whether this process may read and write it, and
  // whether another process holds it (which counts as in use, as does a device
  // this object has open). Opening a serial device can raise its modem lines
  // and so reset the board behind it, so nothing but a pick opens one. Fails
  // with the code Open would give for the reason found.
  virtual bool Available(const std::string& device) const = 0;

  // Why opening `device` failed with `code`, in a few words for the user,
  // looking at the device as it is now: "not present", "in use by another
  // program" with the holders when they can be told ("in use by another
  // program (minicom, pid 812)"), "permission denied: " with what to do about
  // it, "not a serial device", or else the OS's message text.
  virtual std::string OpenFailureText(const std::string& device, int32_t code) const = 0;

  // The other processes that hold `device` open, as far as the OS lets this
  // process see; this process is never listed. Empty when there are none or
  // they cannot be told. Bytes arriving at a device held by several readers
  // are split between them.
  virtual std::vector<DeviceHolder> OtherHolders(const std::string& device) const = 0;

  // True when `code`, from a failed WaitCommEvent or Read on the open port,
  // means the device itself has gone (an unplugged adapter, a hung-up line)
  // rather than a passing fault; the port then stays useless until it is
  // closed and the device opened again.
  virtual bool DeviceLost(int32_t code) const = 0;

  // OS error code of the calling thread's last failed operation.
  static int32_t LastError();

 protected:
  static void SetLastError(int32_t code);
};

// The serial ports of the machine this program runs on.
std::unique_ptr<SerialPlatform> MakeSystemSerialPlatform();

}  // namespace comm
