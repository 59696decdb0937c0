#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "serial/PosixLineState.h"
#include "serial/PosixPortNames.h"
#include "serial/SerialPlatform.h"

namespace comm {

// Serial ports of a Linux system, as terminal devices.
//
// Open takes the device exclusively (flock, which holds even for root, plus
// TIOCEXCL for programs that only honour that) and switches it to raw mode at
// once so nothing is echoed back to the sender. Line settings are translated
// to termios; rates without a termios constant go through the kernel's
// arbitrary-rate interface, and every rate is read back to confirm it. DTR/DSR
// handshake does not exist in termios: SetCommState applies everything else
// and then fails with ENOTSUP. Reads never block. The driver's queue sizes are
// fixed, so SetupComm only records them, and line error flags are not
// reported (ClearCommError gives 0).
//
// The event wait polls the port and an eventfd that SetCommMask and Close
// write, so neither ever closes a descriptor that a waiter still uses. Received
// bytes give kEvRxChar when more have arrived since the previous wait, not
// merely when some are still unread. Modem lines, breaks and the draining
// output queue are found by comparing snapshots (sampled every 20 ms only while
// such events are wanted and the device can report them; a pseudo-terminal
// cannot, and then they are simply never reported). A hung-up or unplugged
// device makes the wait fail with EIO.
//
// Port numbers name the devices of PortNumbering: the DEZIDURE_COMn
// variables, or the serial devices present, each keeping its number for the
// life of the object.
class PosixSerialPlatform final : public SerialPlatform {
 public:
  explicit PosixSerialPlatform(PortEnvironment environment = {});
  ~PosixSerialPlatform() override;

  PosixSerialPlatform(const PosixSerialPlatform&) = delete;
  PosixSerialPlatform& operator=(const PosixSerialPlatform&) = delete;

  std::string DeviceName(uint8_t port) const override;
  bool Open(const std::string& device) override;
  bool SetupComm(uint32_t rxQueueSize, uint32_t txQueueSize) override;
  bool SetCommState(const Dcb& dcb) override;
  // The speed is the driver's; the other fields are those last applied.
  bool GetCommState(Dcb& dcb) const override;
  bool SetCommTimeouts(const CommTimeouts& timeouts) override;
  bool EscapeCommFunction(EscapeFunction function) override;
  bool SetCommMask(uint32_t mask) override;
  bool WaitCommEvent(uint32_t& events) override;
  bool GetCommModemStatus(uint32_t& status) override;
  bool PurgeComm(uint32_t flags) override;
  bool ClearCommError(uint32_t& errors, ComStat& status) override;
  bool Read(uint8_t* buffer, size_t capacity, size_t& count) override;
  bool Close() override;
  std::string ErrorText(int32_t code) const override;
  // Present, readable and writable by this process (its effective ids), and
  // held by no other process but the far end of a pseudo-terminal.
  bool Available(const std::string& device) const override;
  std::string OpenFailureText(const std::string& device, int32_t code) const override;
  std::vector<DeviceHolder> OtherHolders(const std::string& device) const override;
  // EIO (a hung-up line, as the wait and Read report it), ENXIO and ENODEV.
  bool DeviceLost(int32_t code) const override;

 private:
  class Lease;

  static bool Fail(int32_t code);
  bool Sample(int fd, uint32_t mask, uint64_t maskChanges, uint32_t& events, bool& bytesUnread);
  void Wake();
  void DrainWake();

  // Numbers are kept for the life of the object, so looking a name up
  // changes nothing a caller can tell apart from a constant answer.
  mutable PortNumbering m_numbering;
  int m_wakeFd = -1;
  int32_t m_wakeError = 0;

  // The descriptor and the number of operations using it; Close waits for
  // them to leave before it closes the descriptor.
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_released;
  int m_fd = -1;
  mutable int m_users = 0;
  Dcb m_applied;  // guarded by m_mutex
  std::atomic<bool> m_closing{false};

  std::atomic<uint32_t> m_mask{0};
  std::atomic<uint64_t> m_maskChanges{0};
  // Bytes taken out of the driver's queue (read or purged) since Open.
  std::atomic<uint64_t> m_consumed{0};

  // Owned by the waiting thread between Open and Close.
  uint64_t m_rxMark = 0;
  LineSnapshot m_lines;
  uint64_t m_linesBaseline = 0;
  bool m_hasLinesBaseline = false;
};

}  // namespace comm
