#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "serial/SerialPlatform.h"

namespace support {

/// Error codes the fake reports, numbered like the native ones.
constexpr int32_t kFakeFileNotFound = 2;
constexpr int32_t kFakeAccessDenied = 5;  ///< what a port in use answers
constexpr int32_t kFakeInvalidHandle = 6;
constexpr int32_t kFakeNotReady = 21;  ///< what an unplugged adapter answers
constexpr int32_t kFakeInvalidParameter = 87;  ///< what a refused line setting answers

/// The script of a FakeSerialPlatform and the record of what was done to it.
/// The test keeps it (shared) after handing the platform to the component;
/// every member may be called from any thread.
///
/// Port n names device "COM<n>" once it has been added; only ports added
/// with AddPort and not removed since exist. The
/// event wait blocks until an event in the mask is raised, a failure is
/// scripted, the mask changes or the port closes. Bytes fed without events
/// leave the event thread asleep, so the test drives every read itself:
/// benchmarks and fuzzing stay deterministic that way.
class FakeSerialState {
 public:
  /// A non-zero `openError` makes opening the port fail with that code.
  void AddPort(uint8_t port, int32_t openError = 0) {
    Change([&] {
      m_devices["COM" + std::to_string(port)] = openError;
      m_named.insert(port);
    });
  }
  /// The device of the port goes away (an unplugged adapter): it no longer
  /// opens, and while it is open every event wait fails as a lost device's.
  void RemovePort(uint8_t port) {
    Change([&] {
      const std::string device = "COM" + std::to_string(port);
      m_devices.erase(device);
      if (m_record.openDevice == device) m_lost = true;
    });
  }
  /// Other processes that hold the port's device open.
  void SetHolders(uint8_t port, std::vector<comm::DeviceHolder> holders) {
    Change([&] { m_holders["COM" + std::to_string(port)] = std::move(holders); });
  }
  /// Bytes arrive at the port and `events` are raised for the event wait;
  /// those outside the mask stay raised.
  void Feed(const std::string& bytes, uint32_t events = comm::kEvRxChar) {
    Change([&] {
      m_received += bytes;
      m_raised |= events;
    });
  }
  /// From now on the port holds `loop` over and over, as from a board that
  /// never stops: every read gets all it asks for. Calls are no longer
  /// recorded, so a long benchmark stays fast and small.
  void Replay(std::string loop) {
    Change([&] {
      m_loop = std::move(loop);
      m_recordCalls = false;
    });
  }
  /// The next `count` event waits fail at once with `code`.
  void FailWaits(int32_t code, int count) {
    Change([&] {
      m_waitFailureCode = code;
      m_waitFailures = count;
    });
  }
  /// The next call of operation `op` ("Open", "SetCommState", "Read", ...)
  /// fails with `code`; it is still recorded.
  void FailNext(const std::string& op, int32_t code) {
    Change([&] { m_failNext[op] = code; });
  }
  /// The driver runs every line at `rate` whatever is asked, and refuses any
  /// other rate as it does so; 0: at the rate asked.
  void SetDriverRate(uint32_t rate) {
    Change([&] { m_driverRate = rate; });
  }
  /// Input lines as kMs* bits, for GetCommModemStatus.
  void SetModemStatus(uint32_t status) {
    Change([&] { m_modemStatus = status; });
  }

  struct Record {
    /// Every call but the event wait, in order, e.g. "Open COM1",
    /// "SetupComm 256 10", "EscapeCommFunction SETDTR", "SetCommMask 0x17d",
    /// "PurgeComm 3", "Read 257", "Close".
    std::vector<std::string> calls;
    comm::Dcb dcb;                ///< as last applied
    comm::CommTimeouts timeouts;  ///< as last applied
    bool open = false;
    std::string openDevice;  ///< as last opened
    int openCount = 0;
    int readCalls = 0;  ///< successful ones
    int waitCalls = 0;
    uint64_t delivered = 0;  ///< bytes handed to readers
  };
  Record Snapshot() const;
  /// Received bytes not yet read (fed ones; a replayed loop never runs out).
  size_t Queued() const;
  void ClearCalls() {
    Change([&] { m_record.calls.clear(); });
  }
  /// Blocks until a thread waits in WaitCommEvent or `limit` has passed.
  bool WaitForWaiter(std::chrono::milliseconds limit) const;

 private:
  friend class FakeSerialPlatform;

  /// Runs `change` under the lock, then wakes the event wait to look again.
  template <typename F>
  void Change(F change) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      change();
    }
    m_changed.notify_all();
  }
  /// Moves up to `capacity` received bytes to `buffer`; returns their count.
  size_t TakeReceived(uint8_t* buffer, size_t capacity);

  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  std::map<std::string, int32_t> m_devices;
  std::set<uint8_t> m_named;
  std::map<std::string, std::vector<comm::DeviceHolder>> m_holders;
  bool m_lost = false;  ///< the open device has gone
  std::map<std::string, int32_t> m_failNext;
  std::string m_received;
  std::string m_loop;
  size_t m_loopPos = 0;
  bool m_recordCalls = true;
  uint32_t m_raised = 0;
  uint32_t m_mask = 0;
  uint64_t m_maskChanges = 0;
  int m_waitFailures = 0;
  int32_t m_waitFailureCode = 0;
  int m_waiters = 0;
  uint32_t m_modemStatus = 0;
  uint32_t m_driverRate = 0;
  uint32_t m_lineRate = 0;  ///< the rate the line runs at since the last SetCommState
  Record m_record;
};

/// A scripted serial platform for tests, benchmarks and fuzzing; see
/// FakeSerialState.
class FakeSerialPlatform final : public comm::SerialPlatform {
 public:
  explicit FakeSerialPlatform(std::shared_ptr<FakeSerialState> state) : m_state(std::move(state)) {}

  /// "COM<n>" for a port that was ever added, else none.
  std::string DeviceName(uint8_t port) const override;
  bool Open(const std::string& device) override;
  bool SetupComm(uint32_t rxQueueSize, uint32_t txQueueSize) override {
    return Call("SetupComm " + std::to_string(rxQueueSize) + " " + std::to_string(txQueueSize), [] {});
  }
  bool SetCommState(const comm::Dcb& dcb) override;
  /// As last applied, at the rate the line runs at; not recorded as a call.
  bool GetCommState(comm::Dcb& dcb) const override;
  bool SetCommTimeouts(const comm::CommTimeouts& timeouts) override {
    return Call("SetCommTimeouts", [&] { m_state->m_record.timeouts = timeouts; });
  }
  bool EscapeCommFunction(comm::EscapeFunction function) override;
  bool SetCommMask(uint32_t mask) override;
  bool WaitCommEvent(uint32_t& events) override;
  bool GetCommModemStatus(uint32_t& status) override {
    return Call("GetCommModemStatus", [&] { status = m_state->m_modemStatus; });
  }
  bool PurgeComm(uint32_t flags) override {
    return Call("PurgeComm " + std::to_string(flags), [] {});
  }
  bool ClearCommError(uint32_t& errors, comm::ComStat& status) override;
  bool Read(uint8_t* buffer, size_t capacity, size_t& count) override;
  bool Close() override;
  /// "Fake OS error <code>".
  std::string ErrorText(int32_t code) const override { return "Fake OS error " + std::to_string(code); }
  /// Refused as an open would be, and in use while others hold it.
  bool Available(const std::string& device) const override;
  /// "not present", "in use by another program (...)" or the ErrorText.
  std::string OpenFailureText(const std::string& device, int32_t code) const override;
  std::vector<comm::DeviceHolder> OtherHolders(const std::string& device) const override;
  /// Only kFakeNotReady, which a lost device's waits fail with.
  bool DeviceLost(int32_t code) const override { return code == kFakeNotReady; }

 private:
  /// Records `call` and runs `body` under the state's lock. Fails, with the
  /// code set and `body` not run, when a failure is scripted for the call or,
  /// unless it is an open, the port is closed. Wakes no waiter: the calls that
  /// change what the event wait looks at wake it themselves, so reads at full
  /// speed never disturb a sleeping event thread.
  template <typename F>
  bool Call(const std::string& call, F body) {
    std::lock_guard<std::mutex> lock(m_state->m_mutex);
    if (!Begin(call)) return false;
    body();
    return true;
  }
  bool Begin(const std::string& call);
  /// Why `device` would not open now; 0 when it would. Called under the lock.
  int32_t Refusal(const std::string& device) const;
  /// Call, then wakes the event wait.
  template <typename F>
  bool CallAndWake(const std::string& call, F body) {
    const bool ok = Call(call, body);
    m_state->m_changed.notify_all();
    return ok;
  }

  std::shared_ptr<FakeSerialState> m_state;
};

}  // namespace support
