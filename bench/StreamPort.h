#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "serial/SerialPlatform.h"

namespace bench {

/// A serial port with no device behind it that hands out a byte stream as fast
/// as the reader asks: either a recording replayed in a loop, for measuring the
/// receive path without a driver's cost, or bytes fed one chunk at a time.
///
/// Only port 1 exists. The port never announces events, so the component's
/// event thread stays asleep and the caller drives every read itself, which
/// keeps measurements and fuzz runs deterministic.
class StreamPort final : public comm::SerialPlatform {
 public:
  /// The port replays `loop` endlessly (every read gets the full capacity);
  /// with an empty `loop`, it holds only what Feed gives it.
  explicit StreamPort(std::string loop = {});

  /// Bytes arrive at the port (fed mode). Safe from any thread.
  void Feed(const std::string& bytes);
  /// Bytes fed and not yet read.
  size_t Queued() const;
  /// Bytes handed to readers so far.
  uint64_t Delivered() const { return m_delivered; }

  std::string DeviceName(uint8_t port) const override;
  bool Open(const std::string& device) override;
  bool SetupComm(uint32_t rxQueueSize, uint32_t txQueueSize) override;
  bool SetCommState(const comm::Dcb& dcb) override;
  bool SetCommTimeouts(const comm::CommTimeouts& timeouts) override;
  bool EscapeCommFunction(comm::EscapeFunction function) override;
  bool SetCommMask(uint32_t mask) override;
  /// Blocks until the mask changes or the port closes, then reports no events.
  bool WaitCommEvent(uint32_t& events) override;
  bool GetCommModemStatus(uint32_t& status) override;
  bool PurgeComm(uint32_t flags) override;
  bool ClearCommError(uint32_t& errors, comm::ComStat& status) override;
  bool Read(uint8_t* buffer, size_t capacity, size_t& count) override;
  bool Close() override;
  std::string ErrorText(int32_t code) const override;

 private:
  size_t ReadLoop(uint8_t* buffer, size_t capacity);
  size_t ReadFed(uint8_t* buffer, size_t capacity);

  const std::string m_loop;
  size_t m_loopPos = 0;
  uint64_t m_delivered = 0;

  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::string m_fed;
  size_t m_fedPos = 0;
  bool m_open = false;
  uint64_t m_maskChanges = 0;
};

}  // namespace bench
