#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "serial/PortOverrides.h"
#include "serial/SerialPlatform.h"

namespace comm {

/// Serial ports of a Windows system, through the Win32 comm functions.
///
/// Open takes `\\.\COMn` exclusively (share mode 0) for overlapped I/O and
/// refuses a file that is not a communications device. SetCommState reads
/// the rate back and fails with ERROR_INVALID_PARAMETER when the driver
/// quietly chose another one. Reads take only the bytes the driver reports
/// queued, so an empty queue returns at once with none, and a read that does
/// not complete is cancelled after 100 ms.
///
/// The event wait is overlapped, so SetCommMask and Close can end it from
/// another thread: either sets a wake-up event that makes the waiter cancel
/// its own request. Received bytes give kEvRxChar when more have arrived since
/// the previous wait, not merely when some are still unread (drivers differ
/// there). A device that refuses modem-line events (ERROR_NOT_SUPPORTED) is
/// waited on for the other events. A wait that the driver abandoned on its own
/// is repeated while the device still answers; a failed wait fails with the
/// device's own error when it is gone (unplugged adapter, hung-up line).
///
/// Error codes are Win32 codes (GetLastError); texts come from FormatMessage.
class Win32SerialPlatform final : public SerialPlatform {
 public:
  /// `getEnv` looks up DEZIDURE_COMn overrides; empty: the process environment.
  explicit Win32SerialPlatform(EnvLookup getEnv = {});
  ~Win32SerialPlatform() override;

  Win32SerialPlatform(const Win32SerialPlatform&) = delete;
  Win32SerialPlatform& operator=(const Win32SerialPlatform&) = delete;

  std::string DeviceName(uint8_t port) const override;
  bool Open(const std::string& device) override;
  bool SetupComm(uint32_t rxQueueSize, uint32_t txQueueSize) override;
  bool SetCommState(const Dcb& dcb) override;
  /// The speed is the driver's; the other fields are those last applied.
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
  /// Present as a DOS device name (QueryDosDevice), and not open through
  /// this object. Windows tells neither the rights nor the holders of a port
  /// without opening it, so those show only when a pick opens it.
  bool Available(const std::string& device) const override;
  std::string OpenFailureText(const std::string& device, int32_t code) const override;
  /// Always empty: ports open exclusively, and Windows does not tell who
  /// holds one.
  std::vector<DeviceHolder> OtherHolders(const std::string& device) const override;
  bool DeviceLost(int32_t code) const override;

 private:
  class Lease;

  static bool Fail(uint32_t code);
  static bool FailWithDeviceError(void* handle, uint32_t waitError);
  bool Released(uint64_t maskChangesAtStart) const;
  bool ApplyNativeMask(void* handle);
  // The wanted events among `found`, with kEvRxChar when the bytes that
  // have `arrived` since Open (taken before the queue count: a read in
  // between then costs a spare event, never a lost one) grew since the last wait.
  uint32_t NewEvents(uint32_t found, uint64_t arrived);
  void Pause();

  EnvLookup m_getEnv;
  // Auto-reset event that SetCommMask and Close set to cut a wait short.
  void* m_wake = nullptr;
  uint32_t m_wakeError = 0;

  // The handle and the number of operations using it; Close waits for them
  // to leave before it closes the handle. The mutex also keeps the driver's
  // mask in step with m_mask.
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_released;
  void* m_handle = nullptr;
  mutable int m_users = 0;
  std::string m_openDevice;  // guarded by m_mutex, as is m_applied
  Dcb m_applied;
  std::atomic<bool> m_closing{false};

  std::atomic<uint32_t> m_mask{0};
  std::atomic<uint64_t> m_maskChanges{0};
  // Set once the device has refused a wait that includes modem-line events.
  std::atomic<bool> m_linesRefused{false};
  // Bytes taken out of the driver's queue (read or purged) since Open.
  std::atomic<uint64_t> m_consumed{0};
  // Owned by the waiting thread between Open and Close.
  uint64_t m_rxMark = 0;
};

}  // namespace comm
