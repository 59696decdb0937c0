// The window's timed log: start and stop with the "Timed log file" box, the
// time limit, and one line per frame while the box is ticked. A log that
// cannot be created or written stops loudly instead of dropping lines.
#include <QCheckBox>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "app/Conversions.h"
#include "app/main.h"

namespace {

constexpr int64_t kMillisecondsPerMinute = 60000;

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

}  // namespace

void TfMain::CheckBoxLogClick() {
  m_logTicked = CheckBoxLog->isChecked();
  if (m_logTicked) {
    StartLog();
  } else {
    LogFile.Close();
  }
}

void TfMain::StartLog() {
  if (!LogFile.Open(logbook::LogFileName(LocalTime(m_clock())))) {
    AbandonLog();
    return;
  }
  LogSampleCount = 0;
  const int64_t period =
      std::min<int64_t>(int64_t{LogTimeoutMinutes} * kMillisecondsPerMinute, std::numeric_limits<int>::max());
  Timer1->start(static_cast<int>(std::max<int64_t>(period, 0)));
}

void TfMain::AbandonLog() {
  m_prompts->MessageBeep();
  LogActive = false;
  m_logLine.clear();
  CheckBoxLog->setChecked(false);
  LogFile.Close();
}

void TfMain::Timer1Timer() {
  CheckBoxLog->setChecked(false);
  LogSampleCount = 0;
  LogFile.Close();
}

void TfMain::LogSampleStart(int32_t Channel, int64_t Sample) {
  if (m_logTicked) {
    app::CountUp(LogSampleCount);
    LogActive = true;
  }
  if (!LogActive) return;
  logbook::AppendPiece(m_logLine, m_timeText.Text(m_clock()), Channel, static_cast<uint16_t>(Sample));
}

void TfMain::LogTemperature(uint8_t Temperature) {
  if (LogActive) logbook::AppendTemperature(m_logLine, Temperature);
}

void TfMain::LogSampleEnd(bool lastRecord) {
  if (!LogActive) return;
  if (!lastRecord) {
    logbook::AppendSeparator(m_logLine);
    return;
  }
  logbook::AppendLineEnd(m_logLine);
  LogActive = false;
  const bool written = LogFile.Write(m_logLine);
  m_logLine.clear();
  if (!written) AbandonLog();
}
