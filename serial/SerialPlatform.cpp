#include "serial/SerialPlatform.h"

namespace comm {
namespace {

// Per thread, like the OS's own last-error value: the event thread's failed
// wait must not be overwritten by a main-thread call in between.
thread_local int32_t tLastError = 0;

}  // namespace

int32_t SerialPlatform::LastError() { return tLastError; }

void SerialPlatform::SetLastError(int32_t code) { tLastError = code; }

std::string HoldersText(const std::vector<DeviceHolder>& holders) {
  std::string text;
  for (const DeviceHolder& holder : holders) {
    if (!text.empty()) text += "; ";
    text += holder.program + ", pid " + std::to_string(holder.processId);
  }
  return text;
}

}  // namespace comm
