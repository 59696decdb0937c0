#pragma once

#include <cstdint>
#include <string>

#include "serial/PortOverrides.h"

namespace comm {

/// The devices of port numbers 1..9 on Windows: those that DEZIDURE_COM1 ..
/// DEZIDURE_COM9 name when any is set (for example "\\.\COM12"), else port n
/// is "\\.\COMn", the form that also reaches ports above 9.
PortList Win32PortDevices(const EnvLookup& getEnv);

/// The device of port number `port`; empty when it names none or is not 1..9.
std::string Win32DeviceForPort(uint8_t port, const EnvLookup& getEnv);

}  // namespace comm
