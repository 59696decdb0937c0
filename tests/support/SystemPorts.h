#pragma once

#include <memory>
#include <string>
#include <vector>

#include "serial/SerialPlatform.h"

namespace support {

/// The system's serial layer with `devices` (pseudo-terminals, usually) as
/// COM1, COM2, ...; no other device is looked up or probed, whatever the
/// environment holds.
std::unique_ptr<comm::SerialPlatform> SystemPorts(std::vector<std::string> devices);

}  // namespace support
