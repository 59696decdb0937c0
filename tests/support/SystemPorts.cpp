#include "tests/support/SystemPorts.h"

#include <optional>

#include "serial/SerialPosix.h"

namespace support {

std::unique_ptr<comm::SerialPlatform> SystemPorts(std::vector<std::string> devices) {
  comm::PortEnvironment environment;
  // Even with no device given, the machine's own ports stay out of reach.
  environment.sysRoot = "/nonexistent";
  environment.devRoot = "/nonexistent";
  environment.getEnv = [devices = std::move(devices)](const std::string& name) -> std::optional<std::string> {
    for (size_t i = 0; i < devices.size(); ++i) {
      if (name == "DEZIDURE_COM" + std::to_string(i + 1)) return devices[i];
    }
    return std::nullopt;
  };
  return std::make_unique<comm::PosixSerialPlatform>(std::move(environment));
}

}  // namespace support
