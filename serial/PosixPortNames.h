#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "serial/PortOverrides.h"

namespace comm {

// Where port numbers are looked up; replaceable so tests can use a fake tree.
struct PortEnvironment {
  std::string sysRoot = "/sys";  // sysfs; terminals are listed under class/tty
  std::string devRoot = "/dev";  // device nodes
  // Value of an environment variable, nothing when unset; empty: getenv.
  EnvLookup getEnv;
};

/// The serial devices present now, as paths under the device root, in this
/// order: USB serial adapters (ttyUSB*), USB CDC devices (ttyACM*), then
/// on-board UARTs (ttyS*, then ttyAMA*) whose sysfs `type` shows real
/// hardware (not 0); each group in numeric order. A device that is an active
/// system console is never listed, so that nothing probes it.
std::vector<std::string> PresentSerialDevices(const PortEnvironment& environment);

/// Numbers the devices present, keeping every number given before: a device
/// keeps its number while it is away, so it gets the same one back when it
/// returns. A device not numbered yet takes the lowest free number, or else
/// the lowest one whose device is away; with none of those it gets no number.
/// Starting from an empty list, the devices are numbered 1, 2, ... in order.
PortList NumberPorts(const PortList& previous, const std::vector<std::string>& present);

/// Port numbers and the devices they name, for the life of the object: the
/// DEZIDURE_COMn variables when any is set (PortOverrides), else the devices
/// present, numbered as NumberPorts does each time they are looked up.
class PortNumbering {
 public:
  explicit PortNumbering(PortEnvironment environment);

  /// The device of `port` now; empty when it names none or is not 1..9.
  std::string DeviceFor(uint8_t port);

 private:
  PortEnvironment m_environment;
  PortList m_ports;
};

}  // namespace comm
