#include "review/StatisticsPanel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>

#include "review/CompactTable.h"

namespace review {

namespace {

/// A figure as the table shows it: enough digits to compare spans by eye;
/// the CSV carries every digit.
QString Figure(double value) { return QString::number(value, 'g', 8); }

}  // namespace

StatisticsPanel::StatisticsPanel(QAction* copyAction, QWidget* parent) : QTableWidget(parent), m_copy(copyAction) {
  setColumnCount(11);
  setHorizontalHeaderLabels({tr("Channel"), tr("Trace"), tr("N"), tr("Mean"), tr("Min"), tr("Max"), tr("Peak-to-peak"),
                             tr("RMS about mean"), tr("Std dev (N-1)"), tr("Slope (counts/s)"), tr("Duration (s)")});
  MakeCompactTable(*this);
  setSelectionMode(QAbstractItemView::NoSelection);
  setFocusPolicy(Qt::NoFocus);
}

void StatisticsPanel::SetRows(std::vector<analysis::StatisticsRow> rows, double from, double to, bool selected) {
  m_rows = std::move(rows);
  setToolTip((selected ? tr("Selection from %1 s to %2 s") : tr("Whole view from %1 s to %2 s"))
                 .arg(Figure(from), Figure(to)));
  setRowCount(static_cast<int>(m_rows.size()));
  for (size_t r = 0; r < m_rows.size(); ++r) {
    const analysis::StatisticsRow& row = m_rows[r];
    const analysis::SpanStatistics& f = row.figures;
    // A span without frames has no figures to show but its count.
    auto shown = [&](double value) { return f.count > 0 ? Figure(value) : QStringLiteral("-"); };
    const QStringList cells{QString::number(row.channel),
                            QString::fromStdString(row.trace),
                            QString::number(f.count),
                            shown(f.mean),
                            shown(f.min),
                            shown(f.max),
                            shown(f.peakToPeak),
                            shown(f.rms),
                            shown(f.sampleStdDev),
                            f.slope ? Figure(*f.slope) : QStringLiteral("-"),
                            shown(f.durationSeconds)};
    for (int c = 0; c < cells.size(); ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      item->setTextAlignment(c < 2 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
      setItem(static_cast<int>(r), c, item);
    }
  }
}

void StatisticsPanel::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(m_copy);
  menu.exec(event->globalPos());
}

}  // namespace review
