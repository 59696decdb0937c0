#include "serial/Win32OpenFailure.h"

namespace comm {
namespace {

// Win32 error codes, numbered as winerror.h numbers them; this file is built
// on every platform so its rules are tested everywhere.
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorNotReady = 21;
constexpr uint32_t kErrorBadCommand = 22;
constexpr uint32_t kErrorGenFailure = 31;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorDeviceNotConnected = 1167;
constexpr uint32_t kErrorDeviceRemoved = 1617;

}  // namespace

std::string Win32OpenFailureReason(uint32_t code, const std::string& systemText) {
  switch (code) {
    case kErrorFileNotFound:
    case kErrorPathNotFound:
      return "not present";
    case kErrorAccessDenied:
    case kErrorSharingViolation:
      return "in use by another program";
    case kErrorInvalidFunction:
    case kErrorInvalidHandle:
      return "not a serial device";
    default:
      return systemText;
  }
}

bool Win32DeviceLost(uint32_t code) {
  switch (code) {
    case kErrorAccessDenied:
    case kErrorNotReady:
    case kErrorBadCommand:
    case kErrorGenFailure:
    case kErrorDeviceNotConnected:
    case kErrorDeviceRemoved:
      return true;
    default:
      return false;
  }
}

}  // namespace comm
