#include "review/WhatIfPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "analysis/NoiseFigures.h"
#include "analysis/SessionArrays.h"
#include "review/DetectorPanel.h"
#include "review/TraceView.h"
#include "review/CompactTable.h"

namespace review {

namespace {

constexpr int kMaxPulses = 100;

/// A numeric cell: it sorts by value, not by text.
QTableWidgetItem* NumberCell(double value) {
  auto* item = new QTableWidgetItem;
  item->setData(Qt::DisplayRole, value);
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

/// The AC trace of every shown channel of the whole log with its quiet RMS,
/// as RunWhatIf takes them; `ac` and `times` hold the arrays the traces point into.
std::vector<analysis::ChannelTrace> ReadTraces(const analysis::LogSession& session, const PlotView& view,
                                               std::vector<std::vector<double>>& ac, std::vector<double>& times) {
  times = analysis::FrameTimes(session, 0, session.Frames());
  std::vector<analysis::ChannelTrace> traces;
  ac.reserve(static_cast<size_t>(session.Channels()));
  for (int channel = 1; channel <= session.Channels(); ++channel) {
    if (!view.channels[static_cast<size_t>(channel - 1)]) continue;
    ac.push_back(analysis::ReadChannel(session, channel, 0, session.Frames(), {false, true, false}).ac);
    const analysis::SampleSeries<double> series{ac.back().data(), times.data(), times.size()};
    traces.push_back({channel, series, analysis::PoolSpans(series, view.quietSpans).rms});
  }
  return traces;
}

}  // namespace

std::optional<std::vector<double>> ParseNumberList(const QString& text) {
  std::vector<double> numbers;
  for (const QString& part : text.split(',')) {
    bool ok = false;
    const double value = part.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || !(value > 0)) return std::nullopt;
    numbers.push_back(value);
  }
  return numbers;
}

WhatIfPanel::WhatIfPanel(TraceView* view, const DetectorPanel* detector, QWidget* parent)
    : QWidget(parent),
      m_view(view),
      m_detector(detector),
      m_thresholds(new QLineEdit(QStringLiteral("20, 30, 40, 60, 80"), this)),
      m_pulseCounts(new QLineEdit(QStringLiteral("1, 2, 3, 4"), this)),
      m_message(new QLabel(this)),
      m_table(new QTableWidget(this)) {
  auto* layout = new QVBoxLayout(this);
  auto* inputs = new QHBoxLayout;
  auto* form = new QFormLayout;
  form->addRow(tr("Thresholds (Detector dock's unit)"), m_thresholds);
  form->addRow(tr("Pulse counts"), m_pulseCounts);
  inputs->addLayout(form, 1);
  auto* run = new QPushButton(tr("&Run"), this);
  auto* copy = new QPushButton(tr("Copy as CSV"), this);
  inputs->addWidget(run, 0, Qt::AlignTop);
  inputs->addWidget(copy, 0, Qt::AlignTop);
  layout->addLayout(inputs);
  m_message->setWordWrap(true);
  layout->addWidget(m_message);
  ShowWhatIfResults(*m_table, m_results);
  MakeCompactTable(*m_table);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  layout->addWidget(m_table, 1);
  connect(run, &QPushButton::clicked, this, &WhatIfPanel::Run);
  connect(m_thresholds, &QLineEdit::returnPressed, this, &WhatIfPanel::Run);
  connect(m_pulseCounts, &QLineEdit::returnPressed, this, &WhatIfPanel::Run);
  connect(copy, &QPushButton::clicked, this,
          [this] { QApplication::clipboard()->setText(QString::fromStdString(Csv())); });
}

void WhatIfPanel::SetLog(std::shared_ptr<LogFollower> follower) {
  m_follower = std::move(follower);
  m_results.clear();
  m_message->clear();
  ShowWhatIfResults(*m_table, m_results);
}

void WhatIfPanel::Run() {
  if (!m_follower) return;
  const PlotView& view = m_view->View();
  const analysis::DetectorSettings base = m_detector->Settings();
  const auto thresholds = ParseNumberList(m_thresholds->text());
  const auto counts = ParseNumberList(m_pulseCounts->text());
  std::vector<int> pulseCounts;
  for (double n : counts.value_or(std::vector<double>{})) {
    if (n == std::floor(n) && n <= kMaxPulses) pulseCounts.push_back(static_cast<int>(n));
  }
  if (!thresholds || !counts || pulseCounts.size() != counts->size()) {
    m_message->setText(tr("Give thresholds as numbers above 0 and pulse counts as whole numbers from 1 to %1, "
                          "separated by commas.")
                           .arg(kMaxPulses));
    return;
  }
  if (view.walkSpans.empty()) {
    m_message->setText(tr("Mark walk spans first: the table counts the walks each setting catches."));
    return;
  }
  if (base.inQuietRms && view.quietSpans.empty()) {
    m_message->setText(tr("The threshold is a multiple of the quiet RMS: mark quiet spans first."));
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QElapsedTimer clock;
  clock.start();
  std::vector<std::vector<double>> ac;
  std::vector<double> times;
  std::vector<analysis::ChannelTrace> traces;
  {
    const auto lock = m_follower->Lock();
    traces = ReadTraces(m_follower->Session(), view, ac, times);
  }
  const qint64 readMs = clock.elapsed();
  m_results = analysis::RunWhatIf(traces, analysis::SettingsGrid(base, *thresholds, pulseCounts), view.walkSpans);
  const qint64 totalMs = clock.elapsed();
  QApplication::restoreOverrideCursor();
  m_message->setText(tr("%1 settings over %2 channels and %3 walk spans in %4 s (reading the log %5 s).")
                         .arg(m_results.size())
                         .arg(traces.size())
                         .arg(view.walkSpans.size())
                         .arg(static_cast<double>(totalMs) / 1000, 0, 'f', 2)
                         .arg(static_cast<double>(readMs) / 1000, 0, 'f', 2));
  ShowWhatIfResults(*m_table, m_results);
}

void ShowWhatIfResults(QTableWidget& table, const std::vector<analysis::WhatIfResult>& results) {
  // Sorting while filling would move rows under the loop.
  table.setSortingEnabled(false);
  QString threshold = QObject::tr("Threshold");
  if (!results.empty()) {
    threshold = results.front().settings.inQuietRms ? QObject::tr("Threshold (x quiet RMS)")
                                                    : QObject::tr("Threshold (counts)");
  }
  table.setColumnCount(9);
  table.setHorizontalHeaderLabels({threshold, QObject::tr("N"), QObject::tr("W (s)"), QObject::tr("B (s)"),
                                   QObject::tr("Alternation"), QObject::tr("Walks caught"), QObject::tr("Walks missed"),
                                   QObject::tr("False events"), QObject::tr("False per quiet hour")});
  table.setRowCount(static_cast<int>(results.size()));
  for (size_t r = 0; r < results.size(); ++r) {
    const analysis::WhatIfResult& result = results[r];
    const analysis::DetectorSettings& s = result.settings;
    const int row = static_cast<int>(r);
    table.setItem(row, 0, NumberCell(s.threshold));
    table.setItem(row, 1, NumberCell(s.pulses));
    table.setItem(row, 2, NumberCell(s.windowSeconds));
    table.setItem(row, 3, NumberCell(s.blindSeconds));
    table.setItem(row, 4, new QTableWidgetItem(s.alternate ? QObject::tr("yes") : QObject::tr("no")));
    table.setItem(row, 5, NumberCell(result.walksCaught));
    table.setItem(row, 6, NumberCell(result.walksMissed));
    table.setItem(row, 7, NumberCell(static_cast<double>(result.falseEvents)));
    table.setItem(row, 8, NumberCell(std::round(result.falsePerQuietHour * 100) / 100));
  }
  table.setSortingEnabled(true);
}

}  // namespace review
