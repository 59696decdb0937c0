#pragma once

#include <cstdint>
#include <string>

namespace comm {

/// How messages are framed in the received bytes: a start byte, an end byte,
/// then a fixed number of bytes taken whatever they are.
struct MessageFraming {
  uint8_t startChar = 2;  ///< STX
  uint8_t endChar = 3;    ///< ETX
  uint16_t appendCount = 0;
};

/// Cuts messages out of received bytes, one byte at a time. The start test
/// comes before the end test, so with equal start and end bytes every such
/// byte starts a new message and none completes. A start byte always begins
/// a new message and drops an unfinished one; bytes outside a message are
/// dropped.
struct MessageAssembly {
  static constexpr uint8_t kIdle = 0;
  static constexpr uint8_t kCollecting = 1;  ///< after a start byte
  static constexpr uint8_t kAppending = 2;   ///< after the end byte, MsgRemaining bytes due
  static constexpr uint8_t kComplete = 3;    ///< takes the next byte as kIdle does

  /// Takes one byte under `framing`; true when it completes a message, which
  /// MsgText then holds from its start byte through its appended bytes.
  bool Take(uint8_t c, const MessageFraming& framing);

  uint8_t MsgState = kIdle;
  uint16_t MsgRemaining = 0;
  std::string MsgText;  ///< the message so far; kept until the next start byte
};

}  // namespace comm
