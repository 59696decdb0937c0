#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "serial/PortOverrides.h"

namespace comm {

// Where port numbers are looked up; replaceable so tests can use a fake tree.
struct PortEnvironment {
  std::string sysRoot = "/sys";  // sysfs; terminals are listed under class/tty
  std::string devRoot = "/dev";  // device nodes
  // Value of an environment variable, nothing when unset; empty: getenv.
  EnvLookup getEnv;
};

// The devices of port numbers 1..9 (index 0 is port 1); an empty entry names
// no device.
//
// When any of DEZIDURE_COM1 .. DEZIDURE_COM9 is set to a non-empty value,
// those variables alone define the ports (any path), and nothing is probed.
// Otherwise port n is the n-th serial device present, in this order: USB
// serial adapters (ttyUSB*), USB CDC devices (ttyACM*), then on-board UARTs
// (ttyS*, then ttyAMA*) whose sysfs `type` shows real hardware (not 0); each
// group in numeric order. A device that is an active system console is never
// listed, so that nothing probes it.
std::array<std::string, kPortNumbers> PortDevices(const PortEnvironment& environment);

// The device of port number `port`; empty when it names none or is not 1..9.
std::string DeviceForPort(uint8_t port, const PortEnvironment& environment);

}  // namespace comm
