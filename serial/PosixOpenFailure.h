#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "serial/SerialPlatform.h"

namespace comm {

/// What could be found out about a device that did not open.
struct DeviceFacts {
  bool inspected = false;             ///< the file could be looked at; mode and group are known
  uint32_t mode = 0;                  ///< st_mode: file type and permission bits
  std::string group;                  ///< the owning group's name, or its number when it has none
  std::vector<DeviceHolder> holders;  ///< other processes holding it open, where told
};

/// Why a device did not open, for the user, from the open's errno and what is
/// known of the device:
/// - EACCES, EPERM: "permission denied: " and, when the device's group may
///   read and write it, how to join that group; otherwise that no group may;
/// - EBUSY: "in use by another program", naming the holders when known;
/// - ENOENT, ENODEV, ENXIO: "not present";
/// - ENOTTY: "not a serial device";
/// - anything else: the system's message text for the errno.
std::string OpenFailureReason(int32_t error, const DeviceFacts& facts);

/// The mode and owning group of `path` (following links); `inspected` false
/// when it cannot be looked at. Holders are left empty.
DeviceFacts InspectDevice(const std::string& path);

}  // namespace comm
