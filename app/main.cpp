#include "app/main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QTimer>
#include <exception>

#include "app/Conversions.h"
#include "app/ScopePanel.h"
#include "app/SpinEdit.h"
#include "app/StatusPanelBar.h"
#include "display/ScopeGeometry.h"
#include "serial/CommSettings.h"

namespace {

const QString kApplicationTitle = QStringLiteral("Dez Idure");

std::string Std(const QString& text) { return text.toStdString(); }

/// The serial port as the window's form configures it.
std::unique_ptr<TSerial> MakeWindowSerial(TfMainDeps& deps) {
  auto platform = deps.serialPlatform ? std::move(deps.serialPlatform) : comm::MakeSystemSerialPlatform();
  auto serial = std::make_unique<TSerial>(std::move(platform));
  const comm::LineSettings board = comm::BoardLineSettings();
  serial->SetBaudrate(board.baudrate);
  serial->SetDataBits(board.dataBits);
  serial->SetRxQueueSize(board.rxQueueSize);
  serial->SetTxQueueSize(comm::kBoardTxQueueSize);
  serial->SetCheckParity(board.checkParity);
  serial->SetNotifyErrors(neNone);
  serial->SetWaitOnTxFull(true);
  return serial;
}

}  // namespace

TfMain::TfMain(TfMainDeps deps)
    : LogFile(std::move(deps.logWrite)),
      m_prompts(deps.prompts ? std::move(deps.prompts) : app::MakeDesktopPrompts()),
      m_clock(deps.clock ? std::move(deps.clock) : [] { return std::time(nullptr); }),
      m_timeText(m_clock) {
  BuildLayout();
  m_returnWatch = new QTimer(this);
  // Looking for a lost device once a second costs next to nothing and
  // brings it back before a person who plugged it in would look again.
  m_returnWatch->setInterval(1000);
  serial = MakeWindowSerial(deps);
  m_portWatch = std::make_unique<app::PortWatch>(*serial, static_cast<app::PortWatchHost&>(*this));
  serial->SetMessagePresenter([this](const std::string& text) {
    m_prompts->ErrorBox(this, QStringLiteral("Error"), QString::fromStdString(text));
  });
  WireEvents();
  SetUpLogTimers();
  Timer2->start();
  RunGuarded([this] { FormCreate(); });
}

TfMain::~TfMain() {
  // The port is closed as the component goes, after the window's own members
  // are gone: nothing it reports then may reach them.
  serial->SetFailureObserver({});
}

template <class Signal, class Sender>
void TfMain::Wire(Sender* sender, Signal signal, void (TfMain::*handler)()) {
  connect(sender, signal, this, [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
}

void TfMain::WireEvents() {
  Wire(ComboBoxPort, &QComboBox::activated, &TfMain::ComboBoxPortChange);
  Wire(cbBaud, &QComboBox::activated, &TfMain::ComboBoxPortChange);
  Wire(bStart, &QPushButton::clicked, &TfMain::bStartClick);
  StatusTemp->OnClick = [this] { RunGuarded([this] { bStartClick(); }); };
  seDX->OnChange = [this] {
    // The cached interval must be current before the change handler restarts the sweep.
    m_xInterval = app::SpinValue(Std(seDX->Text()), seDX->minimum());
    RunGuarded([this] { seDXChange(); });
  };
  seTrace->OnChange = [this] { RunGuarded([this] { seTraceChange(); }); };
  Wire(cbEnabled, &QCheckBox::toggled, &TfMain::cbEnabledClick);
  seFilters->OnChange = [this] { RunGuarded([this] { seFiltersChange(); }); };
  Wire(cbFilter, &QCheckBox::toggled, &TfMain::cbFilterClick);
  Wire(cbScale, &QComboBox::activated, &TfMain::cbScaleChange);
  Wire(cbFilterScale, &QComboBox::activated, &TfMain::cbFilterScaleChange);
  Wire(cbLogTimeOut, &QComboBox::activated, &TfMain::cbLogTimeOutChange);
  Wire(tbOff, &QSlider::valueChanged, &TfMain::tbOffChange);
  Wire(ButtonResetOff, &QPushButton::clicked, &TfMain::ButtonResetOffClick);
  Wire(CheckBoxLog, &QCheckBox::toggled, &TfMain::CheckBoxLogClick);
  Wire(Timer2, &QTimer::timeout, &TfMain::Timer2Timer);
  Wire(Timer1, &QTimer::timeout, &TfMain::Timer1Timer);
  serial->OnRxData = [this](TSerial* sender) {
    RunGuarded([this, sender] { serialRxData(sender); });
    pScope->RepaintIfDue();
  };
  serial->SetFailureObserver([this](int32_t code) { m_portWatch->Failed(code); });
  ComboBoxPort->OnPopup = [this] { RunGuarded([this] { RelistPorts(); }); };
  connect(m_returnWatch, &QTimer::timeout, this, [this] { RunGuarded([this] { m_portWatch->Tick(); }); });
  pScope->OnPaint = [this](QPainter& painter) { RunGuarded([this, &painter] { FormPaint(painter); }); };
  pScope->ChangedArea = [this] {
    if (!Surface) return QRect();
    const disp::PixelRect changed = Surface->Changed();
    return QRect(changed.left, changed.top, changed.right - changed.left, changed.bottom - changed.top);
  };
}

void TfMain::RunGuarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& failure) {
    ReportFailure(failure.what());
  } catch (...) {
    ReportFailure("Unknown failure");
  }
}

void TfMain::ReportFailure(const std::string& text) {
  m_prompts->ErrorBox(this, kApplicationTitle, QString::fromStdString(app::FailureReportText(text)));
}

void TfMain::ShowNotice(app::NoticeSource source, app::Urgency urgency, const std::string& text) {
  m_notices.Set(source, urgency, text);
  ShowCurrentNotice();
}

void TfMain::RefreshNotice(app::NoticeSource source, const std::string& text) {
  m_notices.Refresh(source, text);
  ShowCurrentNotice();
}

void TfMain::ShowCurrentNotice() {
  const QString shown = QString::fromStdString(m_notices.Current());
  StatusTemp->SetPanelText(kNoticePanel, shown);
  // The panel may be narrower than its text: the whole of it on hover.
  StatusTemp->setToolTip(shown);
}

void TfMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  // Let the window appear before the port probe, whose message boxes need a visible parent.
  QTimer::singleShot(0, this, [this] { RunGuarded([this] { FormShow(); }); });
}

void TfMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ArrangeAlignedPanels();
  RunGuarded([this] { FormResize(); });
}

void TfMain::closeEvent(QCloseEvent* event) {
  RunGuarded([this] { FormClose(); });
  event->accept();
}

void TfMain::FormCreate() {
  Running = false;
  Surface = std::make_unique<TDibSurface>();
  // Whatever draws on the surface, the screen follows within a repaint interval.
  Surface->OnChange = [this] { pScope->RequestRepaint(); };
  QImage logo;
  if (logo.load(QStringLiteral("logo.bmp"))) iLogo->setPixmap(QPixmap::fromImage(logo));
  GridStepX = 50.0;
  cbBaud->setCurrentIndex(11);
  tbOff->setMinimum(-32766);
  tbOff->setMaximum(32767);
  DcEnabled.Fill(false);
  AcEnabled.Fill(false);
  for (int channel = 1; channel <= app::kChannelCount; ++channel) {
    DcColor[channel] = disp::kDcColors[static_cast<size_t>(channel - 1)];
    AcColor[channel] = disp::HalfIntensity(DcColor[channel]);
  }
  LogTimeoutMinutes = 2;
  DcScale = 50.0;
  AcScale = 2.0;
  DcOffset = kInitialDcOffset;
  LogActive = false;
  SampleCount = 0;
  OffsetInitPending = true;
  DcEnabled[1] = true;
  AcEnabled[1] = true;
  SelectMatchingEntry(cbLogTimeOut, LogTimeoutMinutes);
  SelectMatchingEntry(cbScale, DcScale);
  SelectMatchingEntry(cbFilterScale, AcScale);
  seTraceChange();
  seFiltersChange();
  StartCapture();
}

void TfMain::SelectMatchingEntry(QComboBox* list, double value) {
  list->setCurrentIndex(list->findText(QString::fromStdString(app::FormatGeneral(value)), Qt::MatchExactly));
}

void TfMain::FormShow() { ListPorts(); }

void TfMain::ListPorts() {
  const int selected = ComboBoxPort->currentIndex();
  const QVariant noted = selected >= 0 ? ComboBoxPort->itemData(selected) : QVariant();
  ComboBoxPort->clear();
  for (uint8_t n = 1; n <= 8; ++n) {
    serial->SetPort(n);
    serial->SetActive(true);
    m_portWatch->NoteProbe(n);
    if (!serial->Active()) continue;
    AddPortEntry(n);
  }
  if (noted.isValid()) {
    ComboBoxPort->setCurrentIndex(ComboBoxPort->findData(noted));
  } else {
    ComboBoxPort->setCurrentIndex(ComboBoxPort->count() > 0 ? 0 : -1);
  }
  if (ComboBoxPort->currentIndex() < 0)
    ShowNotice(app::NoticeSource::Port, app::Urgency::Problem, m_portWatch->UnopenedText());
  ComboBoxPortChange();
}

void TfMain::ComboBoxPortChange() {
  const uint8_t awaited = m_portWatch->CloseForPick();
  const int entry = ComboBoxPort->currentIndex();
  if (entry < 0) throw app::ListIndexError(entry);
  const auto port = static_cast<uint8_t>(ComboBoxPort->itemData(entry).toInt());
  serial->SetPort(port);
  serial->SetBaudrate(app::StrToInt(Std(cbBaud->currentText())));
  serial->SetCheckParity(false);
  serial->SetDataBits(d8bit);
  serial->SetFlowMode(fcNone);
  serial->SetParity(paNone);
  serial->SetStopBits(st1bit);
  serial->SetActive(true);
  if (m_portWatch->NotePick(port, awaited)) return;
  m_prompts->ErrorBox(this, QStringLiteral("Error"), QStringLiteral("Selected port is invalid"));
}

void TfMain::StartCapture() {
  StartSweep();
  Running = true;
  bStart->setText(QStringLiteral("Stop"));
}

void TfMain::StopCapture() {
  Running = false;
  bStart->setText(QStringLiteral("Start"));
  m_prompts->MessageBeep();
}

void TfMain::bStartClick() {
  if (Running) {
    StopCapture();
  } else {
    StartCapture();
  }
}

void TfMain::seDXChange() {
  if (Running) StartSweep();
}

bool TfMain::ChannelSelected(const app::SpinEdit* spin, int& channel) const {
  channel = app::SpinValue(Std(spin->Text()), spin->minimum());
  // A value typed beyond 1..8 stands until the box leaves focus; it selects no channel meanwhile.
  return app::PerChannel<bool>::IsChannel(channel);
}

void TfMain::seTraceChange() {
  int channel = 0;
  if (ChannelSelected(seTrace, channel)) cbEnabled->setChecked(DcEnabled[channel]);
}

void TfMain::cbEnabledClick() {
  int channel = 0;
  if (ChannelSelected(seTrace, channel)) DcEnabled[channel] = cbEnabled->isChecked();
}

void TfMain::seFiltersChange() {
  int channel = 0;
  if (ChannelSelected(seFilters, channel)) cbFilter->setChecked(AcEnabled[channel]);
}

void TfMain::cbFilterClick() {
  int channel = 0;
  if (ChannelSelected(seFilters, channel)) AcEnabled[channel] = cbFilter->isChecked();
}

void TfMain::cbScaleChange() {
  DcScale = app::StrToFloat(Std(cbScale->currentText()));
  UpdateScaleLabels();
}

void TfMain::cbFilterScaleChange() {
  AcScale = app::StrToFloat(Std(cbFilterScale->currentText()));
  UpdateScaleLabels();
}

void TfMain::tbOffChange() {
  DcOffset = tbOff->value();
  UpdateScaleLabels();
}

void TfMain::ButtonResetOffClick() { CentreRequest = true; }

void TfMain::cbLogTimeOutChange() {
  LogTimeoutMinutes = app::StrToInt(Std(cbLogTimeOut->currentText()));
  UpdateScaleLabels();
}

void TfMain::Timer2Timer() {
  SampleRate = SampleCount;
  SampleCount = 0;
  CheckBoxLog->setEnabled(true);
  StatusTemp->SetPanelWidth(0, kStatisticsPanelWidth);
  StatusTemp->SetPanelText(0, QString::number(SampleRate));
  StatusTemp->SetPanelWidth(1, kStatisticsPanelWidth);
  StatusTemp->SetPanelText(1, QString::number(LogSampleCount));
}

void TfMain::FormClose() {
  StopLog();
  m_portWatch->EndWait();
  serial->SetActive(false);
  StopCapture();
  Surface.reset();
}
