// The window's side of its serial ports: the port list's entries and the
// host that app::PortWatch reports through.
#include <QComboBox>
#include <QTimer>

#include "app/main.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

void TfMain::AddPortEntry(uint8_t port) {
  ComboBoxPort->addItem(QStringLiteral("COM%1").arg(port), port);
  ComboBoxPort->setItemData(ComboBoxPort->count() - 1, Q(m_portWatch->Device(port)), Qt::ToolTipRole);
}

void TfMain::RelistPorts() {
  const int selected = ComboBoxPort->currentIndex();
  const QVariant noted = selected >= 0 ? ComboBoxPort->itemData(selected) : QVariant();
  const std::vector<uint8_t> listed = m_portWatch->Relist();
  ComboBoxPort->clear();
  for (const uint8_t n : listed) AddPortEntry(n);
  ComboBoxPort->setCurrentIndex(noted.isValid() ? ComboBoxPort->findData(noted) : -1);
}

void TfMain::ShowPortNotice(app::Urgency urgency, const std::string& text) {
  ShowNotice(app::NoticeSource::Port, urgency, text);
}

void TfMain::TellUser(const std::string& text) { m_prompts->Tell(Q(text)); }

void TfMain::ShowPortTip(const std::string& tip) { ComboBoxPort->setToolTip(Q(tip)); }

void TfMain::RunSoon(std::function<void()> action) {
  QTimer::singleShot(0, this, [this, action = std::move(action)] { RunGuarded(action); });
}

void TfMain::SetTicking(bool on) {
  if (on) {
    m_returnWatch->start();
  } else {
    m_returnWatch->stop();
  }
}

void TfMain::PortReturned() { RxBuffer.clear(); }
