#include "tests/support/SystemPorts.h"

#include <optional>

#ifdef _WIN32
#include "serial/SerialWin32.h"
#else
#include "serial/SerialPosix.h"
#endif

namespace support {

std::unique_ptr<comm::SerialPlatform> SystemPorts(std::vector<std::string> devices) {
  comm::EnvLookup getEnv = [devices = std::move(devices)](const std::string& name) -> std::optional<std::string> {
    for (size_t i = 0; i < devices.size(); ++i) {
      if (name == "DEZIDURE_COM" + std::to_string(i + 1)) return devices[i];
    }
    return std::nullopt;
  };
#ifdef _WIN32
  return std::make_unique<comm::Win32SerialPlatform>(std::move(getEnv));
#else
  comm::PortEnvironment environment;
  // Even with no device given, the machine's own ports stay out of reach.
  environment.sysRoot = "/nonexistent";
  environment.devRoot = "/nonexistent";
  environment.getEnv = std::move(getEnv);
  return std::make_unique<comm::PosixSerialPlatform>(std::move(environment));
#endif
}

}  // namespace support
