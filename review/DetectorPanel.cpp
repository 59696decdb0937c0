#include "review/DetectorPanel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "analysis/LogTime.h"
#include "display/Truncation.h"
#include "review/TraceView.h"
#include "review/CompactTable.h"

namespace review {

namespace {

/// How often the panel looks for changes, and the least time between two
/// runs while the log grows, milliseconds.
constexpr int kCheckMs = 200;
constexpr int kGrowingRunMs = 1000;
constexpr const char* kMarkLabel = "walk starts";
/// About 30 000 years, in seconds.
constexpr double kFarSeconds = 1e12;
/// Item data of a table row's first cell: its time, and the index of its mark (-1 for an event).
constexpr int kTimeRole = Qt::UserRole;
constexpr int kMarkRole = Qt::UserRole + 1;
/// Events listed at most: a threshold in the noise gives more than a table
/// can show at a usable pace; the CSV and the plot keep them all.
constexpr size_t kMaxEventRows = 10000;

bool SameSpans(const std::vector<analysis::TimeSpan>& a, const std::vector<analysis::TimeSpan>& b) {
  return std::equal(
      a.begin(), a.end(), b.begin(), b.end(),
      [](const analysis::TimeSpan& x, const analysis::TimeSpan& y) { return x.from == y.from && x.to == y.to; });
}

bool SameEvents(const std::vector<analysis::DetectorEvent>& a, const std::vector<analysis::DetectorEvent>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const analysis::DetectorEvent& x, const analysis::DetectorEvent& y) {
                      return x.time == y.time && x.channel == y.channel && x.peak == y.peak &&
                             x.threshold == y.threshold && x.pulses == y.pulses;
                    });
}

bool SameMarks(const std::vector<analysis::UserMark>& a, const std::vector<analysis::UserMark>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const analysis::UserMark& x, const analysis::UserMark& y) {
                      return x.time == y.time && x.channel == y.channel && x.label == y.label;
                    });
}

/// "hh:mm:ss.mmm" of t seconds after a local second.
QString WallClock(int64_t startSecond, double t) {
  const double millis = std::round(t * 1000);
  const double seconds = std::floor(millis / 1000);
  // Bounded far beyond any log, so adding the start second cannot overflow.
  const int64_t whole = disp::TruncToInt64(std::clamp(seconds, -kFarSeconds, kFarSeconds));
  const int64_t fraction = disp::TruncToInt64(millis - seconds * 1000);
  return QString::fromStdString(analysis::TimeOfDayText(startSecond + whole)) +
         QString(".%1").arg(fraction, 3, 10, QChar('0'));
}

QTableWidgetItem* Cell(const QString& text, bool number) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(number ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
  return item;
}

}  // namespace

DetectorPanel::DetectorPanel(TraceView* view, QWidget* parent)
    : QWidget(parent),
      m_view(view),
      m_threshold(new QDoubleSpinBox(this)),
      m_unit(new QComboBox(this)),
      m_pulses(new QSpinBox(this)),
      m_window(new QDoubleSpinBox(this)),
      m_blind(new QDoubleSpinBox(this)),
      m_alternate(new QCheckBox(tr("Alternating signs"), this)),
      m_single(new QDoubleSpinBox(this)),
      m_warmUp(new QDoubleSpinBox(this)),
      m_message(new QLabel(this)),
      m_table(new QTableWidget(this)),
      m_rates(new QLabel(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildSettings());
  m_message->setWordWrap(true);
  m_message->hide();
  layout->addWidget(m_message);
  m_table->setColumnCount(7);
  m_table->setHorizontalHeaderLabels(
      {tr("Time (s)"), tr("Wall clock"), tr("Channel"), tr("Peak"), tr("Margin (dB)"), tr("Pulses"), tr("Label")});
  MakeCompactTable(*m_table);
  m_table->horizontalHeader()->setStretchLastSection(true);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* remove = new QAction(tr("&Delete mark"), m_table);
  remove->setShortcut(QKeySequence::Delete);
  remove->setShortcutContext(Qt::WidgetShortcut);
  m_table->addAction(remove);
  connect(remove, &QAction::triggered, this, &DetectorPanel::DeleteSelectedMarks);
  connect(m_table, &QTableWidget::cellClicked, this, [this](int row, int) { CentreOnRow(row); });
  layout->addWidget(m_table, 1);
  m_rates->setWordWrap(true);
  m_rates->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(m_rates);
  auto* save = new QPushButton(tr("Save events as CSV..."), this);
  connect(save, &QPushButton::clicked, this, &DetectorPanel::SaveCsv);
  layout->addWidget(save, 0, Qt::AlignLeft);
  connect(&m_check, &QTimer::timeout, this, &DetectorPanel::Check);
  m_check.start(kCheckMs);
}

QWidget* DetectorPanel::BuildSettings() {
  auto* box = new QWidget(this);
  auto* form = new QFormLayout(box);
  form->setContentsMargins(0, 0, 0, 0);
  const analysis::DetectorSettings defaults;
  m_threshold->setRange(0.1, 65535);
  m_threshold->setDecimals(1);
  m_threshold->setValue(defaults.threshold);
  m_unit->addItems({tr("counts"), tr("x quiet RMS")});
  auto* threshold = new QHBoxLayout;
  threshold->addWidget(m_threshold, 1);
  threshold->addWidget(m_unit);
  form->addRow(tr("Threshold T"), threshold);
  m_pulses->setRange(1, 100);
  m_pulses->setValue(defaults.pulses);
  form->addRow(tr("Pulses N"), m_pulses);
  for (auto [spin, value] : {std::pair{m_window, defaults.windowSeconds}, std::pair{m_blind, defaults.blindSeconds}}) {
    spin->setRange(0, 3600);
    spin->setDecimals(2);
    spin->setSuffix(tr(" s"));
    spin->setValue(value);
  }
  form->addRow(tr("Window W"), m_window);
  form->addRow(tr("Blind time B"), m_blind);
  form->addRow(QString(), m_alternate);
  m_single->setRange(0, 1000);
  m_single->setDecimals(1);
  m_single->setSpecialValueText(tr("off"));
  m_single->setPrefix(tr("x "));
  m_single->setToolTip(tr("One pulse reaching this multiple of T is an event on its own"));
  form->addRow(tr("Single pulse"), m_single);
  m_warmUp->setRange(0, 3600);
  m_warmUp->setDecimals(1);
  m_warmUp->setSuffix(tr(" s"));
  m_warmUp->setValue(defaults.warmUpSeconds);
  m_warmUp->setToolTip(tr("No pulse counts for this long after the log's start and after each gap, "
                          "while the AC filter settles"));
  form->addRow(tr("Warm-up"), m_warmUp);
  auto changed = [this] { m_settingsChanged = true; };
  for (QDoubleSpinBox* spin : {m_threshold, m_window, m_blind, m_single, m_warmUp}) {
    connect(spin, &QDoubleSpinBox::valueChanged, this, changed);
  }
  connect(m_pulses, &QSpinBox::valueChanged, this, changed);
  connect(m_unit, &QComboBox::currentIndexChanged, this, changed);
  connect(m_alternate, &QCheckBox::toggled, this, changed);
  return box;
}

analysis::DetectorSettings DetectorPanel::Settings() const {
  analysis::DetectorSettings s;
  s.threshold = m_threshold->value();
  s.inQuietRms = m_unit->currentIndex() == 1;
  s.pulses = m_pulses->value();
  s.windowSeconds = m_window->value();
  s.blindSeconds = m_blind->value();
  s.alternate = m_alternate->isChecked();
  s.singlePulseMultiple = m_single->value();
  s.warmUpSeconds = m_warmUp->value();
  return s;
}

void DetectorPanel::SetLog(std::shared_ptr<LogFollower> follower) {
  m_follower = std::move(follower);
  m_run.Reset();
  m_marks.clear();
  m_events.clear();
  m_framesRun = 0;
  m_settingsChanged = true;
  m_duration = 0;
  Publish();
}

void DetectorPanel::Check() {
  if (!m_follower) return;
  const PlotView& view = m_view->View();
  const bool changed = m_settingsChanged || view.channels != m_channelsRun || !SameSpans(view.quietSpans, m_quietRun);
  const bool grew = m_follower->Progress().frames != m_framesRun;
  if (changed) {
    // New settings or quiet spans start the run from the first frame, which
    // over a long log takes a moment: the cursor tells why the window waits.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Run();
    QApplication::restoreOverrideCursor();
  } else if (grew && (!m_sinceRun.isValid() || m_sinceRun.elapsed() >= kGrowingRunMs)) {
    Run();
  }
}

void DetectorPanel::Run() {
  m_sinceRun.start();
  const PlotView& view = m_view->View();
  m_settingsChanged = false;
  m_channelsRun = view.channels;
  m_quietRun = view.quietSpans;
  {
    const auto lock = m_follower->Lock();
    const analysis::LogSession& session = m_follower->Session();
    m_run.Update(session, {Settings(), view.quietSpans});
    m_framesRun = session.Frames();
    m_duration = session.Times().Duration();
    m_startSecond = session.Times().StartSecond();
    m_logChannels = session.Channels();
  }
  m_events.clear();
  for (const analysis::DetectorEvent& e : m_run.Events()) {
    if (view.channels[static_cast<size_t>(e.channel - 1)]) m_events.push_back(e);
  }
  Publish();
}

void DetectorPanel::Publish() {
  PlotView& view = m_view->MutableView();
  view.events = m_events;
  view.userMarks = m_marks;
  m_view->update();
  const bool lacksQuiet = m_follower && m_run.LacksQuietSpans();
  m_message->setText(
      tr("The threshold is a multiple of the quiet RMS: mark quiet spans (nobody in the field) "
         "to see events."));
  m_message->setVisible(lacksQuiet);
  // Refilled only when its rows change, so a growing log keeps the selection.
  if (!SameEvents(m_events, m_tableEvents) || !SameMarks(m_marks, m_tableMarks)) FillTable();
  ShowRates();
}

void DetectorPanel::FillTable() {
  struct Row {
    double time;
    int mark;  // index in m_marks, -1 for an event
    size_t index;
  };
  std::vector<Row> rows;
  for (size_t i = 0; i < std::min(m_events.size(), kMaxEventRows); ++i) rows.push_back({m_events[i].time, -1, i});
  for (size_t i = 0; i < m_marks.size(); ++i) rows.push_back({m_marks[i].time, static_cast<int>(i), i});
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.time < b.time; });
  m_tableEvents = m_events;
  m_tableMarks = m_marks;
  m_table->setRowCount(static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r) {
    const Row& row = rows[r];
    QStringList cells{QString::number(row.time, 'f', 3), WallClock(m_startSecond, row.time)};
    if (row.mark < 0) {
      const analysis::DetectorEvent& e = m_events[row.index];
      cells << QString::number(e.channel) << QString::number(e.peak, 'f', 0) << QString::number(e.MarginDb(), 'f', 1)
            << QString::number(e.pulses) << QString();
    } else {
      const analysis::UserMark& m = m_marks[row.index];
      cells << (m.channel == 0 ? tr("all") : QString::number(m.channel)) << QString() << QString() << QString()
            << QString::fromStdString(m.label);
    }
    for (int c = 0; c < cells.size(); ++c) {
      QTableWidgetItem* item = Cell(cells[c], c != 1 && c != 6);
      if (c == 0) {
        item->setData(kTimeRole, row.time);
        item->setData(kMarkRole, row.mark);
      }
      m_table->setItem(static_cast<int>(r), c, item);
    }
  }
}

void DetectorPanel::ShowRates() {
  // Without a threshold there are no rates to give, not rates of zero.
  if (!m_follower || m_duration <= 0 || m_run.LacksQuietSpans()) {
    m_rates->clear();
    return;
  }
  std::array<size_t, 8> counts{};
  for (const analysis::DetectorEvent& e : m_events) ++counts[static_cast<size_t>(e.channel - 1)];
  QStringList parts{tr("Events per hour over %1 s: %2 in total")
                        .arg(m_duration, 0, 'f', 0)
                        .arg(analysis::EventsPerHour(m_events.size(), m_duration), 0, 'f', 1)};
  for (int k = 0; k < std::min(m_logChannels, 8); ++k) {
    if (!m_channelsRun[static_cast<size_t>(k)]) continue;
    parts << tr("ch %1: %2")
                 .arg(k + 1)
                 .arg(analysis::EventsPerHour(counts[static_cast<size_t>(k)], m_duration), 0, 'f', 1);
  }
  QString text = parts.join(QStringLiteral(", "));
  if (m_events.size() > kMaxEventRows) {
    text += tr(". The table lists the first %1 of %2 events; the CSV holds them all.")
                .arg(kMaxEventRows)
                .arg(m_events.size());
  }
  m_rates->setText(text);
}

void DetectorPanel::DropMark() {
  if (!m_follower) return;
  const PlotView& view = m_view->View();
  const double t = m_view->PointerTime().value_or(view.start + view.span);
  m_marks.push_back({std::clamp(t, 0.0, std::max(0.0, m_duration)), 0, kMarkLabel});
  std::stable_sort(m_marks.begin(), m_marks.end(),
                   [](const analysis::UserMark& a, const analysis::UserMark& b) { return a.time < b.time; });
  Publish();
}

void DetectorPanel::DeleteSelectedMarks() {
  std::vector<int> doomed;
  for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) {
    const int mark = m_table->item(index.row(), 0)->data(kMarkRole).toInt();
    if (mark >= 0) doomed.push_back(mark);
  }
  if (doomed.empty()) return;
  // From the back, so the indices still to erase stay valid.
  std::sort(doomed.rbegin(), doomed.rend());
  for (int mark : doomed) m_marks.erase(m_marks.begin() + mark);
  Publish();
}

void DetectorPanel::CentreOnRow(int row) {
  const QTableWidgetItem* item = m_table->item(row, 0);
  if (item) m_view->CentreOn(item->data(kTimeRole).toDouble());
}

void DetectorPanel::SaveCsv() {
  if (!m_follower) return;
  const QFileInfo log(QString::fromStdString(m_follower->Path()));
  const QString path = QFileDialog::getSaveFileName(this, tr("Save events as CSV"),
                                                    log.absolutePath() + "/" + log.completeBaseName() + "-events.csv",
                                                    tr("CSV (*.csv)"));
  if (path.isEmpty()) return;
  if (QFileInfo(path).absoluteFilePath() == log.absoluteFilePath()) {
    QMessageBox::warning(this, tr("Dez Idure Review"), tr("The events cannot replace the log they come from."));
    return;
  }
  std::ofstream out(std::filesystem::u8path(path.toStdString()), std::ios::binary);
  out << analysis::EventTableCsv(m_events, m_marks);
  out.close();
  if (!out) QMessageBox::warning(this, tr("Dez Idure Review"), tr("%1 could not be written.").arg(path));
}

}  // namespace review
