#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "serial/SerialPlatform.h"

namespace comm {

/// The processes under `procRoot` (the proc file system) that have `device`
/// open, found through their descriptor links, in process-id order; process
/// `except` is left out, and so is a process that also holds the master side
/// of the same pseudo-terminal: that is the port's far end (a simulator, a
/// test harness), which writes to it rather than competing for its bytes.
/// Only processes whose descriptors this process may look at are seen: its own
/// user's, or all when it runs as root. Empty when `device` cannot be looked at.
std::vector<DeviceHolder> ProcessesHolding(const std::string& device, pid_t except,
                                           const std::string& procRoot = "/proc");

}  // namespace comm
