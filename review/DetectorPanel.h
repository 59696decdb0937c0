#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/Detector.h"
#include "analysis/SessionDetector.h"
#include "review/LogFollower.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class QTableWidget;

namespace review {

class TraceView;

/// The Detector dock: the virtual detector's settings, its events over the
/// whole log on every shown channel and the user's marks in one table, the
/// events per hour, and the table saved as CSV. The events go into the plot
/// as markers, the marks as dashed lines; a click on a row centres the plot
/// on its time, Delete removes the selected marks.
///
/// It runs again when the settings, the shown channels or the quiet spans
/// change, and at most once a second while the log grows, feeding only the
/// new frames (analysis::SessionDetector).
class DetectorPanel : public QWidget {
 public:
  /// `view`: the plot whose spans and channels it reads and whose events and marks it sets.
  explicit DetectorPanel(TraceView* view, QWidget* parent = nullptr);

  /// Runs over the log read by `follower` (none: no log; the marks are dropped).
  void SetLog(std::shared_ptr<LogFollower> follower);
  /// The settings as entered.
  analysis::DetectorSettings Settings() const;
  /// Drops a mark "walk starts" at the time under the pointer when it is
  /// over the plot's traces, otherwise at the end of the shown span (while
  /// following: now), within the log.
  void DropMark();

 private:
  QWidget* BuildSettings();
  /// Looks whether anything the events depend on changed, and runs if so.
  void Check();
  /// Brings the events up to date and shows them.
  void Run();
  /// Puts the events of the shown channels and the marks into the plot and the table.
  void Publish();
  void FillTable();
  void ShowRates();
  void SaveCsv();
  void DeleteSelectedMarks();
  void CentreOnRow(int row);

  TraceView* m_view;
  std::shared_ptr<LogFollower> m_follower;
  analysis::SessionDetector m_run;
  /// The events of the shown channels, and the marks, in time order.
  std::vector<analysis::DetectorEvent> m_events;
  std::vector<analysis::UserMark> m_marks;
  /// What the table shows.
  std::vector<analysis::DetectorEvent> m_tableEvents;
  std::vector<analysis::UserMark> m_tableMarks;
  /// What the last run saw.
  uint64_t m_framesRun = 0;
  std::array<bool, 8> m_channelsRun{};
  std::vector<analysis::TimeSpan> m_quietRun;
  bool m_settingsChanged = true;
  double m_duration = 0;
  int64_t m_startSecond = 0;
  int m_logChannels = 0;
  QTimer m_check;
  QElapsedTimer m_sinceRun;

  QDoubleSpinBox* m_threshold;
  QComboBox* m_unit;
  QSpinBox* m_pulses;
  QDoubleSpinBox* m_window;
  QDoubleSpinBox* m_blind;
  QCheckBox* m_alternate;
  QDoubleSpinBox* m_single;
  QDoubleSpinBox* m_warmUp;
  QLabel* m_message;
  QTableWidget* m_table;
  QLabel* m_rates;
};

}  // namespace review
