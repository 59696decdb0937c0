// What the window tells the user about its serial ports, and how it keeps
// them current: the port list brought up to date when it opens, the reason a
// port did not open, a second reader on the open port, and a lost device
// waited for and reopened when it returns.
#include <QComboBox>
#include <QTimer>

#include "app/main.h"

namespace {

constexpr uint8_t kListedPorts = app::PortReport::kPorts;

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

void TfMain::AddPortEntry(uint8_t port) {
  ComboBoxPort->addItem(QStringLiteral("COM%1").arg(port), port);
  ComboBoxPort->setItemData(ComboBoxPort->count() - 1, Q(m_ports.Device(port)), Qt::ToolTipRole);
}

void TfMain::NoteProbe(uint8_t port) {
  if (!serial->Active()) {
    NoteOpenFailure(port, false);
    return;
  }
  m_ports.SetAvailable(port, serial->DeviceName(port));
  ShowPortTip();
}

void TfMain::NoteOpenFailure(uint8_t port, bool onlyNews) {
  const std::string device = serial->DeviceName(port);
  if (device.empty()) {
    m_ports.SetNoDevice(port);
    ShowPortTip();
    return;
  }
  // With errors kept silent the component still records the open's OS code.
  const std::string reason = serial->Platform().OpenFailureText(device, serial->ErrorCode());
  const bool news = m_ports.SetFailed(port, device, reason);
  ShowPortTip();
  if (onlyNews && !news) return;
  ShowNotice(app::NoticeSource::Port, app::Urgency::Problem, m_ports.FailureText(port));
  m_prompts->Tell(Q(m_ports.FailureText(port)));
}

void TfMain::NotePortOpened(bool reconnected) {
  const uint8_t port = serial->Port();
  const std::string device = serial->DeviceName(port);
  m_ports.SetOpen(port, device, serial->Baudrate());
  ShowPortTip();
  const std::string state = reconnected ? m_ports.ReconnectedText(port) : m_ports.OpenText(port);
  ShowNotice(app::NoticeSource::Port, app::Urgency::State, state);
  if (reconnected) m_prompts->Tell(Q(state));
  const std::vector<comm::DeviceHolder> holders = serial->Platform().OtherHolders(device);
  if (holders.empty()) return;
  const std::string shared = m_ports.SharedText(port, comm::HoldersText(holders));
  ShowNotice(app::NoticeSource::Port, app::Urgency::Problem, shared);
  m_prompts->Tell(Q(shared));
}

void TfMain::ShowPortTip() { ComboBoxPort->setToolTip(Q(m_ports.Tip())); }

void TfMain::RelistPorts() {
  const int selected = ComboBoxPort->currentIndex();
  const QVariant noted = selected >= 0 ? ComboBoxPort->itemData(selected) : QVariant();
  // The open port and one waited for keep their entries untouched: probing
  // the open one would disturb its stream.
  const uint8_t kept = serial->Active() ? serial->Port() : m_awaited ? m_awaited->port : 0;
  std::vector<uint8_t> listed;
  for (uint8_t n = 1; n <= kListedPorts; ++n) {
    if (n == kept) {
      listed.push_back(n);
      continue;
    }
    const std::string device = serial->DeviceName(n);
    if (device.empty()) {
      m_ports.SetNoDevice(n);
    } else if (serial->Platform().Probe(device)) {
      m_ports.SetAvailable(n, device);
      listed.push_back(n);
    } else {
      const std::string reason = serial->Platform().OpenFailureText(device, comm::SerialPlatform::LastError());
      if (m_ports.SetFailed(n, device, reason)) m_prompts->Tell(Q(m_ports.FailureText(n)));
    }
  }
  ComboBoxPort->clear();
  for (const uint8_t n : listed) AddPortEntry(n);
  ComboBoxPort->setCurrentIndex(noted.isValid() ? ComboBoxPort->findData(noted) : -1);
  ShowPortTip();
}

void TfMain::PortFailed(int32_t code) {
  if (m_lossPending || !serial->Active() || !serial->Platform().DeviceLost(code)) return;
  m_lossPending = true;
  // Told from inside the component (a read or a failed wait's report):
  // close the port only once that call has returned.
  QTimer::singleShot(0, this, [this] { RunGuarded([this] { PortLost(); }); });
}

void TfMain::PortLost() {
  // A pick or a close since the loss was told has dealt with the port.
  if (!m_lossPending) return;
  if (!serial->Active()) {
    m_lossPending = false;
    return;
  }
  const uint8_t port = serial->Port();
  // Closing a lost device fails on the way; those reports must not start
  // another loss.
  serial->SetActive(false);
  m_lossPending = false;
  AwaitReturn(port);
  m_prompts->Tell(Q(m_ports.GoneText(port)));
}

void TfMain::AwaitReturn(uint8_t port) {
  const bool comesBack = app::ComesBackUnderItsName(m_ports.Device(port));
  m_ports.SetGone(port, comesBack);
  ShowPortTip();
  ShowNotice(app::NoticeSource::Port, app::Urgency::Problem, m_ports.GoneText(port));
  if (!comesBack) return;
  m_awaited = AwaitedPort{port, m_ports.Device(port)};
  m_returnWatch->start();
}

void TfMain::WatchForReturn() {
  if (!m_awaited) {
    m_returnWatch->stop();
    return;
  }
  if (!serial->Platform().Probe(m_awaited->device)) return;
  // Port number, baud rate and line settings are still those of the lost port.
  serial->SetActive(true);
  if (!serial->Active()) {
    NoteOpenFailure(m_awaited->port, true);
    return;
  }
  EndPortWait();
  // A frame cut short by the loss can never be completed, and joined to the
  // first bytes of the returned device it could pass as a frame with wrong
  // samples: start clean.
  RxBuffer.clear();
  NotePortOpened(true);
}

void TfMain::EndPortWait() {
  m_awaited.reset();
  m_lossPending = false;
  m_returnWatch->stop();
}
