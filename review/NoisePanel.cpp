#include "review/NoisePanel.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "review/CompactTable.h"

namespace review {

namespace {

/// A figure as the table shows it; the CSV carries every digit.
QString Figure(double value) { return QString::number(value, 'g', 6); }

QString Figure(const std::optional<double>& value) { return value ? Figure(*value) : QStringLiteral("-"); }

QString SettlingText(const analysis::Settling& s) {
  return s.seconds ? Figure(*s.seconds) : NoisePanel::tr("not settled");
}

/// A compact read-only table with rows as tight as the text.
QTableWidget* MakeTable(const QStringList& headers, QWidget* parent) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  table->setHorizontalHeaderLabels(headers);
  MakeCompactTable(*table);
  return table;
}

void SetRow(QTableWidget* table, int row, const QStringList& cells) {
  for (int c = 0; c < cells.size(); ++c) {
    auto* item = new QTableWidgetItem(cells[c]);
    item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, c, item);
  }
}

}  // namespace

NoisePanel::NoisePanel(QAction* copyAction, QWidget* parent)
    : QWidget(parent),
      m_k(new QDoubleSpinBox(this)),
      m_spans(MakeTable({tr("Span"), tr("From (s)"), tr("To (s)"), tr("Length (s)")}, this)),
      m_figures(MakeTable({tr("Channel"), tr("Quiet p-p"), tr("Quiet RMS"), tr("Walk p-p"), tr("Walk RMS"),
                           tr("SNR p-p (dB)"), tr("SNR RMS (dB)"), tr("Settled after start (s)"),
                           tr("Settled after gaps (s)"), tr("DC drift (counts/\u00B0C)")},
                          this)),
      m_hint(new QLabel(tr("Select a span with nobody in the field and press Q to mark it quiet; "
                           "select a walk and press W."),
                        this)) {
  m_k->setRange(0.5, 20);
  m_k->setSingleStep(0.5);
  m_k->setDecimals(1);
  m_k->setValue(3);
  m_k->setToolTip(tr("The AC trace counts as settled once it stays within k standard deviations of the quiet noise"));
  connect(m_k, qOverload<double>(&QDoubleSpinBox::valueChanged), this, [this] {
    if (m_kChanged) m_kChanged();
  });
  auto* remove = new QPushButton(tr("Remove span"), this);
  connect(remove, &QPushButton::clicked, this, &NoisePanel::RemoveSelected);
  auto* controls = new QHBoxLayout;
  controls->addWidget(m_hint, 1);
  controls->addWidget(new QLabel(tr("Settled within k ="), this));
  controls->addWidget(m_k);
  controls->addWidget(new QLabel(tr("\u03C3 of the quiet noise"), this));
  controls->addWidget(remove);
  m_spans->setSelectionBehavior(QAbstractItemView::SelectRows);
  auto* deleteSpans = new QAction(tr("Remove span"), m_spans);
  deleteSpans->setShortcut(QKeySequence::Delete);
  deleteSpans->setShortcutContext(Qt::WidgetShortcut);
  connect(deleteSpans, &QAction::triggered, this, &NoisePanel::RemoveSelected);
  m_spans->addAction(deleteSpans);
  m_spans->setContextMenuPolicy(Qt::ActionsContextMenu);
  m_figures->setSelectionMode(QAbstractItemView::NoSelection);
  m_figures->addAction(copyAction);
  m_figures->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(m_spans);
  split->addWidget(m_figures);
  split->setStretchFactor(1, 3);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(controls);
  layout->addWidget(split, 1);
}

double NoisePanel::SettlingK() const { return m_k->value(); }

void NoisePanel::SetSpans(const std::vector<analysis::TimeSpan>& quiet, const std::vector<analysis::TimeSpan>& walks) {
  m_spans->setRowCount(static_cast<int>(quiet.size() + walks.size()));
  int row = 0;
  for (const bool walk : {false, true}) {
    for (const analysis::TimeSpan& span : walk ? walks : quiet) {
      SetRow(m_spans, row, {walk ? tr("Walk") : tr("Quiet"), Figure(span.from), Figure(span.to),
                            Figure(span.to - span.from)});
      m_spans->item(row, 0)->setData(Qt::UserRole, walk);
      ++row;
    }
  }
}

void NoisePanel::RemoveSelected() {
  std::set<int> rows;
  for (const QModelIndex& index : m_spans->selectionModel()->selectedRows()) rows.insert(index.row());
  if (rows.empty() || !m_remove) return;
  // Rows list quiet spans first, then walks, each in its list's order.
  int quietRows = 0;
  for (int row = 0; row < m_spans->rowCount(); ++row)
    if (!m_spans->item(row, 0)->data(Qt::UserRole).toBool()) ++quietRows;
  std::vector<std::pair<bool, size_t>> removed;
  for (const int row : rows) {
    const bool walk = row >= quietRows;
    removed.emplace_back(walk, static_cast<size_t>(walk ? row - quietRows : row));
  }
  m_remove(removed);
}

void NoisePanel::SetRows(std::vector<analysis::ChannelNoise> rows) {
  m_rows = std::move(rows);
  FillFigures();
}

void NoisePanel::FillFigures() {
  m_figures->setRowCount(static_cast<int>(m_rows.size()));
  for (size_t r = 0; r < m_rows.size(); ++r) {
    const analysis::ChannelNoise& row = m_rows[r];
    const analysis::SignalToNoise& snr = row.snr;
    auto pooled = [](const analysis::PooledNoise& p, double value) {
      return p.count > 0 ? Figure(value) : QStringLiteral("-");
    };
    QStringList gaps;
    for (size_t k = 1; k < row.settling.size(); ++k) gaps << SettlingText(row.settling[k]);
    SetRow(m_figures, static_cast<int>(r),
           {QString::number(row.channel), pooled(snr.quiet, snr.quiet.peakToPeak), pooled(snr.quiet, snr.quiet.rms),
            pooled(snr.walk, snr.walk.peakToPeak), pooled(snr.walk, snr.walk.rms), Figure(snr.peakToPeakDb),
            Figure(snr.rmsDb), row.settling.empty() ? QStringLiteral("-") : SettlingText(row.settling.front()),
            gaps.isEmpty() ? QStringLiteral("-") : gaps.join(QStringLiteral(", ")), Figure(row.drift)});
  }
}

}  // namespace review
