#include "serial/MessageAssembly.h"

namespace comm {

bool MessageAssembly::Take(uint8_t c, const MessageFraming& framing) {
  const char byte = static_cast<char>(c);
  if (MsgState == kAppending) {
    MsgText.push_back(byte);
    if (--MsgRemaining > 0) return false;
    MsgState = kComplete;
    return true;
  }
  if (c == framing.startChar) {
    MsgState = kCollecting;
    MsgText.assign(1, byte);
    return false;
  }
  if (MsgState != kCollecting) return false;
  MsgText.push_back(byte);
  if (c != framing.endChar) return false;
  MsgState = kAppending;
  MsgRemaining = framing.appendCount;
  if (MsgRemaining > 0) return false;
  MsgState = kComplete;
  return true;
}

}  // namespace comm
