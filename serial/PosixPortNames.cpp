#include "serial/PosixPortNames.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

namespace comm {
namespace {

namespace fs = std::filesystem;

struct DeviceGroup {
  const char* prefix;
  bool needsHardwareCheck;
};

constexpr DeviceGroup kGroups[] = {
    {"ttyUSB", false},
    {"ttyACM", false},
    {"ttyS", true},
    {"ttyAMA", true},
};

std::string ReadSmallFile(const fs::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Number after `prefix` when `name` is the prefix followed by digits only.
std::optional<uint32_t> DeviceNumber(const std::string& name, const std::string& prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  const char* first = name.data() + prefix.size();
  const char* last = name.data() + name.size();
  uint32_t number = 0;
  const auto [end, error] = std::from_chars(first, last, number);
  if (error != std::errc() || end != last) return std::nullopt;
  return number;
}

// A UART node exists for every possible port; only a non-zero type says that
// hardware answers behind it.
bool HasUartHardware(const fs::path& ttyDir) {
  const std::string text = ReadSmallFile(ttyDir / "type");
  int type = 0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, type);
  return error == std::errc() && end != first && type != 0;
}

std::set<std::string> ActiveConsoles(const fs::path& classTty) {
  std::istringstream words(ReadSmallFile(classTty / "console" / "active"));
  return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}

}  // namespace

std::vector<std::string> PresentSerialDevices(const PortEnvironment& environment) {
  const fs::path classTty = fs::path(environment.sysRoot) / "class" / "tty";
  std::error_code error;
  std::vector<std::string> names;
  for (fs::directory_iterator it(classTty, error), end; !error && it != end; it.increment(error))
    names.push_back(it->path().filename().string());
  const std::set<std::string> consoles = ActiveConsoles(classTty);

  std::vector<std::string> devices;
  for (const DeviceGroup& group : kGroups) {
    std::vector<std::pair<uint32_t, std::string>> members;
    for (const std::string& name : names) {
      const std::optional<uint32_t> number = DeviceNumber(name, group.prefix);
      if (!number || consoles.count(name) != 0) continue;
      if (group.needsHardwareCheck && !HasUartHardware(classTty / name)) continue;
      members.emplace_back(*number, name);
    }
    std::sort(members.begin(), members.end());
    for (const auto& member : members) devices.push_back((fs::path(environment.devRoot) / member.second).string());
  }
  return devices;
}

PortList NumberPorts(const PortList& previous, const std::vector<std::string>& present) {
  PortList ports = previous;
  auto isPresent = [&present](const std::string& device) {
    return std::find(present.begin(), present.end(), device) != present.end();
  };
  for (const std::string& device : present) {
    if (std::find(ports.begin(), ports.end(), device) != ports.end()) continue;
    auto slot = std::find(ports.begin(), ports.end(), std::string());
    if (slot == ports.end())
      slot = std::find_if(ports.begin(), ports.end(), [&](const std::string& kept) { return !isPresent(kept); });
    if (slot != ports.end()) *slot = device;
  }
  return ports;
}

PortNumbering::PortNumbering(PortEnvironment environment) : m_environment(std::move(environment)) {}

std::string PortNumbering::DeviceFor(uint8_t port) {
  if (port < 1 || port > kPortNumbers) return {};
  const std::optional<PortList> fixed = PortOverrides(m_environment.getEnv);
  m_ports = fixed ? *fixed : NumberPorts(m_ports, PresentSerialDevices(m_environment));
  return m_ports[port - 1];
}

}  // namespace comm
