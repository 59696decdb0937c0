#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/Detector.h"
#include "review/LogFollower.h"

class QLabel;
class QLineEdit;
class QTableWidget;

namespace review {

class DetectorPanel;
class TraceView;

/// The What-if dock: the detector run over the whole log for a grid of
/// thresholds (in the Detector dock's unit) and pulse counts, the other
/// settings taken from the Detector dock, each setting scored against the
/// marked walk spans: walks caught and missed, false events and false
/// events per quiet hour. The table sorts by any column; "Copy as CSV" puts
/// it on the clipboard.
class WhatIfPanel : public QWidget {
 public:
  /// `view`: the plot whose walk and quiet spans and shown channels it
  /// reads; `detector`: the dock the other settings come from.
  WhatIfPanel(TraceView* view, const DetectorPanel* detector, QWidget* parent = nullptr);

  /// Scores the log read by `follower` (none: no log; the table empties).
  void SetLog(std::shared_ptr<LogFollower> follower);
  /// Runs the grid over the whole log and shows the table, or says what is missing.
  void Run();
  /// The table's results as CSV, in the order they were computed.
  std::string Csv() const { return analysis::WhatIfCsv(m_results); }

 private:
  TraceView* m_view;
  const DetectorPanel* m_detector;
  std::shared_ptr<LogFollower> m_follower;
  std::vector<analysis::WhatIfResult> m_results;
  QLineEdit* m_thresholds;
  QLineEdit* m_pulseCounts;
  QLabel* m_message;
  QTableWidget* m_table;
};

/// Sets up `table` with nine columns and fills it with a row per result: threshold, N, W, B,
/// alternation, walks caught, walks missed, false events, false events per
/// quiet hour; the numbers sort as numbers, not as text.
void ShowWhatIfResults(QTableWidget& table, const std::vector<analysis::WhatIfResult>& results);

/// Numbers separated by commas (spaces allowed), each above 0; nothing for
/// an empty list or anything else.
std::optional<std::vector<double>> ParseNumberList(const QString& text);

}  // namespace review
