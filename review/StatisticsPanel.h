#pragma once

#include <QTableWidget>
#include <vector>

#include "analysis/SpanStatistics.h"

class QAction;

namespace review {

/// The statistics of the selected span as a table: a row per shown channel
/// and trace (DC, AC), a column per figure, with the span it covers in the
/// header's tooltip. Its context menu holds the window's copy action.
class StatisticsPanel : public QTableWidget {
 public:
  /// `copyAction`: the window's "Copy statistics as CSV", offered in the context menu.
  StatisticsPanel(QAction* copyAction, QWidget* parent = nullptr);

  /// Shows `rows`, computed over [from, to] seconds from the log's start;
  /// `selected`: the span is a selection (otherwise the whole view).
  void SetRows(std::vector<analysis::StatisticsRow> rows, double from, double to, bool selected);
  /// The shown rows as the analysis CSV text (header and one line per row).
  std::string Csv() const { return analysis::StatisticsCsv(m_rows); }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QAction* m_copy;
  std::vector<analysis::StatisticsRow> m_rows;
};

}  // namespace review
