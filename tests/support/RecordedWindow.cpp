#include "tests/support/RecordedWindow.h"

#include <QComboBox>
#include <QTimer>

#include "app/StatusPanelBar.h"
#include "tests/support/SystemPorts.h"

namespace support {

RecordedWindow::RecordedWindow(std::unique_ptr<comm::SerialPlatform> platform, std::function<std::time_t()> clock,
                               logbook::LogWriter::WriteFunction logWrite) {
  auto prompts = std::make_unique<RecordingPrompts>();
  m_prompts = prompts.get();
  TfMainDeps deps;
  deps.serialPlatform = std::move(platform);
  deps.prompts = std::move(prompts);
  deps.clock = std::move(clock);
  deps.logWrite = std::move(logWrite);
  m_window = std::make_unique<TfMain>(std::move(deps));
}

void RecordedWindow::PickPort(int port) {
  QComboBox* list = m_window->ComboBoxPort;
  const int index = list->findText(QStringLiteral("COM%1").arg(port));
  list->setCurrentIndex(index);
  emit list->activated(index);
}

std::string RecordedWindow::Notice() const { return m_window->StatusTemp->PanelText(9).toStdString(); }

void RecordedWindow::ReceiveOnce() {
  TfMain& w = *m_window;
  w.RunGuarded([&w] { w.serialRxData(w.serial.get()); });
}

namespace {

RecordedWindow Started(RecordedWindow window) {
  window.Window().Timer2->stop();
  window.Window().FormShow();
  return window;
}

}  // namespace

RecordedWindow StartOnDevices(std::vector<std::string> devices) {
  return Started(RecordedWindow(SystemPorts(std::move(devices))));
}

RecordedWindow StartOnFake(std::shared_ptr<FakeSerialState> ports, std::function<std::time_t()> clock) {
  return Started(RecordedWindow(std::make_unique<FakeSerialPlatform>(std::move(ports)), std::move(clock)));
}

}  // namespace support
