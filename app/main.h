#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/PerChannel.h"
#include "app/PopupList.h"
#include "app/PortWatch.h"
#include "app/StatusNotices.h"
#include "app/WindowPrompts.h"
#include "display/DibSurface.h"
#include "logging/CsvLog.h"
#include "logging/LogWriter.h"
#include "serial/Serial5.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPainter;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;

namespace acq {
struct FrameView;
}
namespace app {
class SpinEdit;
class StatusPanelBar;
class ScopePanel;
}  // namespace app

/// What the window is built on; the defaults are the real machine.
struct TfMainDeps {
  std::unique_ptr<comm::SerialPlatform> serialPlatform;  ///< null: the system's serial ports
  std::unique_ptr<app::WindowPrompts> prompts;           ///< null: real message boxes and beeps
  std::function<std::time_t()> clock;                    ///< null: the system clock
  logbook::LogWriter::WriteFunction logWrite;            ///< null: the system's write call for the log
};

/// The program's one window: the scope, its controls, the serial port that
/// feeds it and the timed log. Every behaviour is a method named after the
/// control and the event it answers.
class TfMain : public QWidget, private app::PortWatchHost {
 public:
  explicit TfMain(TfMainDeps deps = {});
  ~TfMain() override;

  // Start-up and control handlers.
  void FormCreate();
  void FormShow();
  void ListPorts();
  void ComboBoxPortChange();
  void StartCapture();
  void StopCapture();
  void bStartClick();
  void seDXChange();
  void seTraceChange();
  void cbEnabledClick();
  void seFiltersChange();
  void cbFilterClick();
  void cbScaleChange();
  void cbFilterScaleChange();
  void tbOffChange();
  void ButtonResetOffClick();
  void cbLogTimeOutChange();
  void Timer2Timer();
  void FormClose();

  // Received data and trace processing.
  void serialRxData(TSerial* Sender);
  void PlotDc(int32_t Channel, int64_t Sample, long double Time);
  void PlotAc(int32_t Channel, int64_t Sample, long double Time);
  void ShowTemperature(int32_t Channel, uint8_t Temperature);

  // Scope view.
  bool PointInSurface(int32_t Col, int32_t Row) const;
  void RepaintScope();
  void StartSweep();
  void UpdateScaleLabels();
  void FormResize();
  void FormPaint(QPainter& painter);

  // Timed log.
  void CheckBoxLogClick();
  void Timer1Timer();

  /// Runs a handler; a failure it does not catch goes to the general failure
  /// report and the program goes on. Every entry from the toolkit passes here.
  void RunGuarded(const std::function<void()>& handler);

  /// Brings the port list up to date while leaving the open port alone: the
  /// other port numbers are probed again, so a device plugged in since is
  /// listed and a vanished one drops out. Runs each time the list opens; fires
  /// no handler, and the selection stays on the same port number.
  void RelistPorts();

  /// Puts a source's notice in the status bar's last panel (the most urgent
  /// notice shows; see app::StatusNotices); an empty text withdraws it.
  void ShowNotice(app::NoticeSource source, app::Urgency urgency, const std::string& text);
  /// Rewrites a source's notice in place (see app::StatusNotices::Refresh).
  void RefreshNotice(app::NoticeSource source, const std::string& text);

  // Window state shared by the subsystems.
  bool Running = false;
  app::PerChannel<bool> DcEnabled, AcEnabled;
  app::PerChannel<TBgrColor> DcColor, AcColor;
  double GridStepX = 50.0;
  double GridStepY = 10.0;
  double DcScale = 0, AcScale = 0;
  int64_t DcOffset = 0;
  long double FrameClock = 0, SweepStart = 0;
  bool OffsetInitPending = false, CentreRequest = false;
  app::PerChannel<long double> AcLevel, AcRate;
  uint8_t LastTemperature = 0;
  std::string RxBuffer;
  int32_t RxEventsSinceRepaint = 0;
  int32_t SampleCount = 0, SampleRate = 0;
  logbook::LogWriter LogFile;
  bool LogActive = false;
  int32_t LogSampleCount = 0;
  int32_t LogTimeoutMinutes = 0;
  std::unique_ptr<TDibSurface> Surface;

  // Controls, named as in the window's layout.
  QFrame* Panel1 = nullptr;
  QLabel* iLogo = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label7 = nullptr;
  app::StatusPanelBar* StatusTemp = nullptr;
  QFrame* Panel2 = nullptr;
  QLabel* Label1 = nullptr;
  app::PopupList* ComboBoxPort = nullptr;
  QLabel* Label6 = nullptr;
  QComboBox* cbBaud = nullptr;
  QPushButton* bStart = nullptr;
  QLabel* StaticText2 = nullptr;
  app::SpinEdit* seDX = nullptr;
  QLabel* StaticText1 = nullptr;
  QCheckBox* cbContinuous = nullptr;
  QCheckBox* CheckBoxLog = nullptr;
  QComboBox* cbLogTimeOut = nullptr;
  QLabel* Timeout = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  app::SpinEdit* seTrace = nullptr;
  QCheckBox* cbEnabled = nullptr;
  QLabel* Label3 = nullptr;
  QComboBox* cbScale = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  app::SpinEdit* seFilters = nullptr;
  QCheckBox* cbFilter = nullptr;
  QLabel* Label5 = nullptr;
  QComboBox* cbFilterScale = nullptr;
  QFrame* Panel3 = nullptr;
  QFrame* Panel4 = nullptr;
  QLabel *l1 = nullptr, *l2 = nullptr, *l3 = nullptr, *l4 = nullptr, *l5 = nullptr, *l6 = nullptr, *l7 = nullptr;
  QLabel *lTrace1 = nullptr, *lTrace2 = nullptr, *lTrace3 = nullptr, *lTrace4 = nullptr, *lTrace5 = nullptr,
         *lTrace6 = nullptr, *lTrace7 = nullptr;
  QSlider* tbOff = nullptr;
  QPushButton* ButtonResetOff = nullptr;
  QFrame* Panel5 = nullptr;
  QProgressBar* progress = nullptr;
  app::ScopePanel* pScope = nullptr;
  std::unique_ptr<TSerial> serial;
  QTimer* Timer1 = nullptr;
  QTimer* Timer2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  static constexpr int64_t kInitialDcOffset = -8196;
  static constexpr int kStatisticsPanelWidth = 80;  ///< status panels 0 and 1 once they show

  void BuildLayout();
  void BuildHeader();
  void BuildControlStrip();
  void BuildScaleColumn();
  void BuildScope();
  void ArrangeAlignedPanels();
  void WireEvents();
  template <class Signal, class Sender>
  void Wire(Sender* sender, Signal signal, void (TfMain::*handler)());
  void ReportFailure(const std::string& text);
  void ShowCurrentNotice();

  void ProcessFrame(const acq::FrameView& frame);
  void ReadWaitingBytes();
  void CountRxEventForRepaint();
  bool MarkFits(int32_t Col, int32_t Row) const;
  /// The sweep column of a sample at Time; the last one computed is kept.
  int32_t SweepColumnOf(long double Time);
  void MoveOffsetSlider(int64_t position);
  void SelectMatchingEntry(QComboBox* list, double value);
  bool ChannelSelected(const app::SpinEdit* spin, int& channel) const;

  void SetUpLogTimers();

  // Listing the ports and how they stand (see app::PortWatch).
  void AddPortEntry(uint8_t port);
  void ShowPortNotice(app::Urgency urgency, const std::string& text) override;
  void TellUser(const std::string& text) override;
  void ShowPortTip(const std::string& tip) override;
  void RunSoon(std::function<void()> action) override;
  void SetTicking(bool on) override;
  void PortReturned() override;

  void StartLog();
  /// Ends a running log: the file closed complete, or the reason it was not told.
  void StopLog();
  /// A log that could not be created or written: beep, untick, tell why.
  void AbandonLog();
  void ReportLogStopped();
  /// Shows the running log's file and time left; returns that text.
  std::string ShowLogCountdown();
  void FlushLog();
  /// Adds channel `Channel`'s part to the frame's log line while the box is
  /// ticked, and writes the line after the frame's last channel.
  void LogRecord(const acq::FrameView& frame, int32_t Channel);

  static constexpr int kNoticePanel = 9;  ///< the status bar's last panel

  std::unique_ptr<app::WindowPrompts> m_prompts;
  std::unique_ptr<app::PortWatch> m_portWatch;
  QTimer* m_returnWatch = nullptr;  ///< ticks the port watch while a lost device is away
  app::StatusNotices m_notices;
  std::function<std::time_t()> m_clock;
  std::array<QLabel*, 7> m_dcLabels{};
  std::array<QLabel*, 7> m_acLabels{};
  int32_t m_xInterval = 500;  ///< seDX's value, kept current by its text changes
  bool m_logTicked = false;   ///< CheckBoxLog's state, kept current by its clicks
  std::string m_rxChunk;      ///< the bytes of one notification; reused, no allocation per call
  std::string m_rxRead;       ///< the bytes of one read; reused
  std::string m_logLine;      ///< the log line being built

  std::string m_logName;                  ///< file name of the last log started
  QTimer* m_logFlushTimer = nullptr;      ///< single shot, armed while log lines wait in the buffer
  QTimer* m_logCountdownTimer = nullptr;  ///< refreshes the running log's time left

  struct ColumnInputs {
    long double time, sweepStart;
    double gridStepX;
    int32_t xInterval;
    bool operator==(const ColumnInputs& o) const {
      return time == o.time && sweepStart == o.sweepStart && gridStepX == o.gridStepX && xInterval == o.xInterval;
    }
  };
  std::optional<std::pair<ColumnInputs, int32_t>> m_lastColumn;
  logbook::TimeOfDayText m_timeText;
};
