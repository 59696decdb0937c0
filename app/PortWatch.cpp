#include "app/PortWatch.h"

#include "serial/Serial5.h"

namespace app {

PortWatch::PortWatch(TSerial& serial, PortWatchHost& host) : m_serial(serial), m_host(host) {}

void PortWatch::ShowTip() { m_host.ShowPortTip(m_report.Tip()); }

void PortWatch::NoteProbe(uint8_t port) {
  if (!m_serial.Active()) {
    // With errors kept silent the component still records the open's OS code.
    NoteOpenFailure(port, m_serial.ErrorCode(), false);
    return;
  }
  m_report.SetAvailable(port, m_serial.DeviceName(port));
  ShowTip();
}

void PortWatch::NoteOpenFailure(uint8_t port, int32_t code, bool onlyNews) {
  const std::string device = m_serial.DeviceName(port);
  if (device.empty()) {
    m_report.SetNoDevice(port);
    ShowTip();
    return;
  }
  const bool news = m_report.SetFailed(port, device, m_serial.Platform().OpenFailureText(device, code));
  ShowTip();
  if (onlyNews && !news) return;
  m_host.ShowPortNotice(Urgency::Problem, m_report.FailureText(port));
  m_host.TellUser(m_report.FailureText(port));
}

void PortWatch::NoteOpened(bool reconnected) {
  const uint8_t port = m_serial.Port();
  const std::string device = m_serial.DeviceName(port);
  // The component keeps the rate it was given even when the driver refused
  // it; what the line runs at can only be asked of the driver.
  comm::Dcb line;
  const int32_t running = m_serial.Platform().GetCommState(line) ? static_cast<int32_t>(line.BaudRate) : 0;
  m_report.SetOpen(port, device, m_serial.Baudrate(), running);
  ShowTip();
  const std::string state = reconnected ? m_report.ReconnectedText(port) : m_report.OpenText(port);
  m_host.ShowPortNotice(Urgency::State, state);
  if (reconnected || running != m_serial.Baudrate()) m_host.TellUser(state);
  const std::vector<comm::DeviceHolder> holders = m_serial.Platform().OtherHolders(device);
  if (holders.empty()) return;
  const std::string shared = m_report.SharedText(port, comm::HoldersText(holders));
  m_host.ShowPortNotice(Urgency::Problem, shared);
  m_host.TellUser(shared);
}

std::vector<uint8_t> PortWatch::Relist() {
  // The open port and one waited for keep their entries untouched.
  const uint8_t kept = m_serial.Active() ? m_serial.Port() : m_awaited ? m_awaited->port : 0;
  std::vector<uint8_t> listed;
  for (uint8_t n = 1; n <= PortReport::kPorts; ++n) {
    if (n == kept) {
      listed.push_back(n);
      continue;
    }
    const std::string device = m_serial.DeviceName(n);
    if (device.empty()) {
      m_report.SetNoDevice(n);
    } else if (m_serial.Platform().Available(device)) {
      m_report.SetAvailable(n, device);
      listed.push_back(n);
    } else {
      const std::string reason = m_serial.Platform().OpenFailureText(device, comm::SerialPlatform::LastError());
      if (m_report.SetFailed(n, device, reason)) m_host.TellUser(m_report.FailureText(n));
    }
  }
  ShowTip();
  return listed;
}

uint8_t PortWatch::CloseForPick() {
  const uint8_t previous = m_serial.Active() ? m_serial.Port() : 0;
  const uint8_t awaited = m_awaited ? m_awaited->port : 0;
  m_serial.SetActive(false);
  // After the close: a loss that the close itself ran into is the pick's
  // business now, not a reason to wait for the old port.
  EndWait();
  if (previous != 0) m_report.SetAvailable(previous, m_report.Device(previous));
  return awaited;
}

bool PortWatch::NotePick(uint8_t port, uint8_t awaited) {
  if (m_serial.Active()) {
    NoteOpened(false);
    return true;
  }
  NoteOpenFailure(port, m_serial.ErrorCode(), false);
  // The lost port picked again, or another baud rate for it: still absent,
  // so keep waiting for it, now with these settings.
  if (port == awaited) AwaitReturn(port);
  return false;
}

void PortWatch::Failed(int32_t code) {
  if (m_lossPending || !m_serial.Active() || !m_serial.Platform().DeviceLost(code)) return;
  m_lossPending = true;
  // Told from inside the component (a read or a failed wait's report):
  // close the port only once that call has returned.
  m_host.RunSoon([this] { PortLost(); });
}

void PortWatch::PortLost() {
  // A pick or a close since the loss was told has dealt with the port.
  if (!m_lossPending) return;
  if (!m_serial.Active()) {
    m_lossPending = false;
    return;
  }
  const uint8_t port = m_serial.Port();
  // Closing a lost device fails on the way; those reports must not start
  // another loss.
  m_serial.SetActive(false);
  m_lossPending = false;
  AwaitReturn(port);
  m_host.TellUser(m_report.GoneText(port));
}

void PortWatch::AwaitReturn(uint8_t port) {
  const bool comesBack = ComesBackUnderItsName(m_report.Device(port));
  m_report.SetGone(port, comesBack);
  ShowTip();
  m_host.ShowPortNotice(Urgency::Problem, m_report.GoneText(port));
  if (!comesBack) return;
  m_awaited = AwaitedPort{port, m_report.Device(port)};
  m_host.SetTicking(true);
}

void PortWatch::Tick() {
  if (!m_awaited) {
    m_host.SetTicking(false);
    return;
  }
  // Only a device that is back and free is opened, and then once: each open
  // of an adapter can reset the board behind it.
  if (!m_serial.Platform().Available(m_awaited->device)) return;
  // Port number, baud rate and line settings are still those of the lost port.
  m_serial.SetActive(true);
  if (!m_serial.Active()) {
    NoteOpenFailure(m_awaited->port, m_serial.ErrorCode(), true);
    return;
  }
  EndWait();
  // A frame cut short by the loss can never be completed, and joined to the
  // first bytes of the returned device it could pass as a frame with wrong
  // samples: start clean.
  m_host.PortReturned();
  NoteOpened(true);
}

void PortWatch::EndWait() {
  m_awaited.reset();
  m_lossPending = false;
  m_host.SetTicking(false);
}

}  // namespace app
