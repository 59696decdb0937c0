#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace comm {

constexpr uint8_t kPortNumbers = 9;

/// Devices of port numbers 1..9 (index 0 is port 1); an empty entry names no device.
using PortList = std::array<std::string, kPortNumbers>;

/// Value of an environment variable, nothing when unset.
using EnvLookup = std::function<std::optional<std::string>(const std::string& name)>;

/// Value of `name` through `getEnv`, or through the process environment when
/// `getEnv` is empty.
std::optional<std::string> EnvValue(const EnvLookup& getEnv, const std::string& name);

/// The ports that DEZIDURE_COM1 .. DEZIDURE_COM9 name, any path each, or
/// nothing when none of them is set to a non-empty value. When some are set,
/// they alone define the ports: the others name no device.
std::optional<PortList> PortOverrides(const EnvLookup& getEnv);

}  // namespace comm
