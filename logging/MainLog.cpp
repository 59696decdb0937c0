// The window's timed log: start and stop with the "Timed log file" box, the
// time limit, and one line per frame while the box is ticked. A log that
// cannot be created or written stops loudly, saying which file stopped, after
// how many lines and why, instead of dropping lines. While a log runs, the
// box's tooltip and the status bar name its file and the time left.
#include <QCheckBox>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "app/Conversions.h"
#include "app/main.h"
#include "logging/FrameLine.h"
#include "logging/LogFilePlatform.h"
#include "logging/LogNotices.h"

namespace {

constexpr int64_t kMillisecondsPerMinute = 60000;
constexpr int kCountdownRefreshMs = 1000;

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  logbook::LocalCalendarTime(t, local);
  return local;
}

}  // namespace

void TfMain::SetUpLogTimers() {
  m_logFlushTimer = new QTimer(this);
  m_logFlushTimer->setSingleShot(true);
  // A coarse timer may fire 5 % late; the flush bound leaves less room than that.
  m_logFlushTimer->setTimerType(Qt::PreciseTimer);
  connect(m_logFlushTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { FlushLog(); }); });
  m_logCountdownTimer = new QTimer(this);
  m_logCountdownTimer->setInterval(kCountdownRefreshMs);
  connect(m_logCountdownTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { ShowLogCountdown(); }); });
}

void TfMain::CheckBoxLogClick() {
  m_logTicked = CheckBoxLog->isChecked();
  if (m_logTicked) {
    StartLog();
  } else {
    StopLog();
  }
}

void TfMain::StartLog() {
  m_logName = logbook::LogFileName(LocalTime(m_clock()));
  if (!LogFile.Open(m_logName)) {
    AbandonLog();
    return;
  }
  LogSampleCount = 0;
  const int64_t period =
      std::min<int64_t>(int64_t{LogTimeoutMinutes} * kMillisecondsPerMinute, std::numeric_limits<int>::max());
  Timer1->start(static_cast<int>(std::max<int64_t>(period, 0)));
  m_logCountdownTimer->start();
  // A new log comes to the front of the last panel; its countdown then
  // refreshes in place.
  ShowNotice(app::NoticeSource::Log, app::Urgency::State, ShowLogCountdown());
}

void TfMain::StopLog() {
  m_logFlushTimer->stop();
  m_logCountdownTimer->stop();
  CheckBoxLog->setToolTip({});
  const bool wasOpen = LogFile.IsOpen();
  if (LogFile.Close() || !wasOpen) {
    ShowNotice(app::NoticeSource::Log, app::Urgency::State, {});
    return;
  }
  // The last lines could not be written: as loud as a failure while running.
  m_prompts->MessageBeep();
  ReportLogStopped();
}

void TfMain::AbandonLog() {
  m_prompts->MessageBeep();
  LogActive = false;
  m_logLine.clear();
  // Closed before the untick, so that the log stop does not report it again.
  LogFile.Close();
  CheckBoxLog->setChecked(false);
  ReportLogStopped();
}

void TfMain::ReportLogStopped() {
  const std::string text =
      logbook::LogStoppedText(m_logName, LogFile.LinesKept(), logbook::LogErrorReason(LogFile.Error()));
  ShowNotice(app::NoticeSource::Log, app::Urgency::Problem, text);
  // The box says why it unticked itself until the next log starts.
  CheckBoxLog->setToolTip(QString::fromStdString(text));
  m_prompts->Tell(QString::fromStdString(text));
}

std::string TfMain::ShowLogCountdown() {
  // The timer may report a millisecond more than its interval just after its start.
  const std::string text = logbook::LogRunningText(m_logName, std::min(Timer1->remainingTime(), Timer1->interval()));
  CheckBoxLog->setToolTip(QString::fromStdString(text));
  RefreshNotice(app::NoticeSource::Log, text);
  return text;
}

void TfMain::FlushLog() {
  if (!LogFile.Flush()) AbandonLog();
}

void TfMain::Timer1Timer() {
  CheckBoxLog->setChecked(false);
  LogSampleCount = 0;
  LogFile.Close();
}

void TfMain::LogRecord(const acq::FrameView& frame, int32_t Channel) {
  if (m_logTicked) {
    app::CountUp(LogSampleCount);
    LogActive = true;
  }
  if (!LogActive) return;
  // The recorder writes its lines with the same call, so both logs hold the same bytes.
  logbook::AppendRecord(m_logLine, frame, Channel, m_timeText.Now());
  if (Channel < frame.channelCount) return;
  LogActive = false;
  const bool written = LogFile.Write(m_logLine);
  m_logLine.clear();
  if (!written) {
    AbandonLog();
    return;
  }
  // Armed only while lines wait in the buffer, so no timer runs without a log.
  if (m_logFlushTimer->isActive()) return;
  if (const auto wait = LogFile.TimeToFlush()) m_logFlushTimer->start(static_cast<int>(wait->count()));
}
