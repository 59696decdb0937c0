#include "serial/Win32PortNames.h"

namespace comm {

PortList Win32PortDevices(const EnvLookup& getEnv) {
  if (std::optional<PortList> overrides = PortOverrides(getEnv)) return *overrides;
  PortList ports;
  for (size_t i = 0; i < ports.size(); ++i) ports[i] = "\\\\.\\COM" + std::to_string(i + 1);
  return ports;
}

std::string Win32DeviceForPort(uint8_t port, const EnvLookup& getEnv) {
  if (port < 1 || port > kPortNumbers) return {};
  return Win32PortDevices(getEnv)[port - 1];
}

}  // namespace comm
