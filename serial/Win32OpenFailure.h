#pragma once

#include <cstdint>
#include <string>

namespace comm {

/// Why a device did not open on Windows, for the user, from the Win32 error
/// code of the open: "not present" (no such file or path), "in use by another
/// program" (access denied, a sharing violation: ports open exclusively),
/// "not a serial device" (the file takes no device-control record), else
/// `systemText`, the system's message for the code.
std::string Win32OpenFailureReason(uint32_t code, const std::string& systemText);

/// True when a Win32 error code from a failed wait or read on an open port
/// means the device has gone: not ready, bad command, general failure, device
/// not connected or removed, or access denied (what USB serial drivers answer
/// once the adapter is pulled).
bool Win32DeviceLost(uint32_t code);

}  // namespace comm
