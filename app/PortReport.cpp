#include "app/PortReport.h"

#include <stdexcept>

namespace app {
namespace {

constexpr const char* kAwaitedReason = "gone, waiting for it to return";
constexpr const char* kNotAwaitedReason =
    "gone; a pseudo-terminal is not awaited, its number passes to the next terminal opened";

}  // namespace

bool ComesBackUnderItsName(const std::string& device) { return device.rfind("/dev/pts/", 0) != 0; }

std::string GoneReason(bool awaited) { return awaited ? kAwaitedReason : kNotAwaitedReason; }

PortReport::Status& PortReport::At(int port) {
  if (port < 1 || port > kPorts) throw std::out_of_range("port number " + std::to_string(port));
  return m_ports[static_cast<size_t>(port - 1)];
}

const PortReport::Status& PortReport::At(int port) const { return const_cast<PortReport*>(this)->At(port); }

void PortReport::SetNoDevice(int port) { At(port) = Status{}; }

void PortReport::SetAvailable(int port, const std::string& device) {
  At(port) = Status{PortCondition::Available, device, {}, 0};
}

void PortReport::SetOpen(int port, const std::string& device, int32_t asked, int32_t running) {
  At(port) = Status{PortCondition::Open, device, {}, asked, running};
}

bool PortReport::SetFailed(int port, const std::string& device, const std::string& reason) {
  Status& status = At(port);
  const bool news = status.condition != PortCondition::Failed || status.reason != reason || status.device != device;
  status = Status{PortCondition::Failed, device, reason, 0};
  return news;
}

void PortReport::SetGone(int port, bool awaited) {
  Status& status = At(port);
  status.condition = PortCondition::Gone;
  status.reason = GoneReason(awaited);
}

const std::string& PortReport::Device(int port) const { return At(port).device; }

std::string PortReport::Tip() const {
  std::string tip;
  for (int port = 1; port <= kPorts; ++port) {
    const Status& status = At(port);
    if (port > 1) tip += '\n';
    tip += "COM" + std::to_string(port) + ": ";
    switch (status.condition) {
      case PortCondition::NoDevice:
        tip += "no device";
        break;
      case PortCondition::Available:
        tip += status.device + ", available";
        break;
      case PortCondition::Open:
        tip += status.device + ", " + OpenState(port);
        break;
      case PortCondition::Failed:
      case PortCondition::Gone:
        tip += status.device + ", " + status.reason;
        break;
    }
  }
  return tip;
}

std::string PortReport::Title(int port) const {
  const std::string& device = At(port).device;
  return "COM" + std::to_string(port) + (device.empty() ? std::string() : " (" + device + ")");
}

std::string PortReport::OpenState(int port) const {
  const Status& status = At(port);
  const std::string asked = std::to_string(status.baud) + " baud";
  if (status.running == 0) return "open; its rate could not be read back (" + asked + " asked)";
  const std::string open = "open at " + std::to_string(status.running) + " baud";
  return status.running == status.baud ? open : open + ": the driver refused " + asked;
}

std::string PortReport::OpenText(int port) const { return Title(port) + " " + OpenState(port); }

std::string PortReport::ReconnectedText(int port) const { return Title(port) + " reconnected, " + OpenState(port); }

std::string PortReport::FailureText(int port) const { return Title(port) + ": " + At(port).reason; }

std::string PortReport::GoneText(int port) const { return FailureText(port); }

std::string PortReport::UnopenedText() const {
  bool anyDevice = false;
  for (int port = 1; port <= kPorts; ++port) {
    if (At(port).condition == PortCondition::Failed) return FailureText(port);
    anyDevice = anyDevice || At(port).condition != PortCondition::NoDevice;
  }
  return anyDevice ? "no port selected" : "no serial port found";
}

std::string PortReport::SharedText(int port, const std::string& holders) const {
  return Title(port) + " is also open in " + holders + ", which can take some of its bytes: frames may be lost";
}

}  // namespace app
