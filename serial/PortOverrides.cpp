#include "serial/PortOverrides.h"

#include <cstdlib>

namespace comm {

std::optional<std::string> EnvValue(const EnvLookup& getEnv, const std::string& name) {
  if (getEnv) return getEnv(name);
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::optional<PortList> PortOverrides(const EnvLookup& getEnv) {
  PortList ports;
  bool any = false;
  for (size_t i = 0; i < ports.size(); ++i) {
    const std::optional<std::string> value = EnvValue(getEnv, "DEZIDURE_COM" + std::to_string(i + 1));
    if (!value || value->empty()) continue;
    ports[i] = *value;
    any = true;
  }
  if (!any) return std::nullopt;
  return ports;
}

}  // namespace comm
