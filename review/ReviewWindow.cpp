#include "review/ReviewWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "analysis/ReportOptions.h"
#include "analysis/SelectionStatistics.h"
#include "analysis/SessionNoise.h"
#include "analysis/SpanExport.h"
#include "review/NoisePanel.h"
#include "review/DensityPanel.h"
#include "review/DetectorPanel.h"
#include "review/StatisticsPanel.h"
#include "review/TraceView.h"
#include "review/WhatIfPanel.h"

namespace review {

namespace {
/// Least time between two computations of the noise figures while a log
/// grows: they cover the whole log, about 0.3 s an hour of 8 channels.
constexpr int kNoiseIntervalMs = 2000;

/// A path as one word of a command line for this system's shell.
std::string ShellWord(const std::string& path) {
#ifdef _WIN32
  // Windows file names cannot hold a double quote.
  return '"' + path + '"';
#else
  std::string word = "'";
  for (const char c : path) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
#endif
}
}  // namespace

ReviewWindow::ReviewWindow()
    : m_view(new TraceView(this)),
      m_skipped(new QLabel(this)),
      m_summary(new QLabel(this)),
      m_progress(new QProgressBar(this)),
      m_copyStatistics(new QAction(tr("&Copy statistics as CSV"), this)),
      m_statistics(new StatisticsPanel(m_copyStatistics)),
      m_statisticsDock(PanelDock(tr("Statistics"), "statistics", m_statistics)),
      m_copyNoise(new QAction(tr("Copy &noise figures as CSV"), this)),
      m_noise(new NoisePanel(m_copyNoise)),
      m_noiseDock(PanelDock(tr("Noise"), "noise", m_noise)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(tr("Dez Idure Review"));
  setCentralWidget(m_view);
  setAcceptDrops(true);
  // Fits a small screen whole, and takes no more than a comfortable share of a large one.
  const QSize available = screen()->availableGeometry().size();
  resize(std::min(1100, available.width() * 9 / 10), std::min(700, available.height() * 9 / 10));
  addDockWidget(Qt::BottomDockWidgetArea, m_statisticsDock);
  resizeDocks({m_statisticsDock}, {140}, Qt::Vertical);
  tabifyDockWidget(m_statisticsDock, m_noiseDock);
  m_statisticsDock->raise();
  BuildDensityDock();
  BuildDetectorDocks();
  BuildMenus();
  statusBar()->addWidget(m_summary, 1);
  statusBar()->addPermanentWidget(m_progress);
  statusBar()->addPermanentWidget(m_skipped);
  m_progress->setRange(0, 1000);
  m_progress->setMaximumWidth(200);
  m_progress->hide();
  m_view->setFocus();
  connect(&m_poll, &QTimer::timeout, this, &ReviewWindow::Poll);
  // Follow must show new lines within half a second: the reader looks every
  // LogFollower::kPollMilliseconds, the window takes them in at this pace.
  m_poll.start(100);
  m_view->OnFollowingChanged([this](bool follow) { m_follow->setChecked(follow); });
  m_view->OnSpanChanged([this] {
    m_statisticsPace.Request();
    m_densityPace.Request();
  });
  connect(m_statisticsDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) m_statisticsPace.Request();
  });
  m_noiseDelay.setSingleShot(true);
  connect(&m_noiseDelay, &QTimer::timeout, this, &ReviewWindow::UpdateNoise);
  connect(m_noiseDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) ScheduleNoise(false);
  });
  m_noise->OnSettlingKChanged([this] { ScheduleNoise(false); });
  m_noise->OnRemove([this](std::vector<std::pair<bool, size_t>> spans) { RemoveSpans(std::move(spans)); });
}

ReviewWindow::~ReviewWindow() = default;

void ReviewWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  QAction* open = file->addAction(tr("&Open..."), this, [this] {
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open a log"), QString(), tr("Logs (*.csv);;All files (*)"));
    if (!path.isEmpty()) OpenLog(path);
  });
  open->setShortcut(QKeySequence::Open);
  file->addAction(tr("Export view as &PNG..."), this, [this] { ExportImage(false); });
  file->addAction(tr("Export view as P&DF..."), this, [this] { ExportImage(true); });
  file->addAction(tr("Export &selection as CSV..."), this, [this] { ExportSelection(); });
  file->addSeparator();
  file->addAction(tr("&Close"), this, &QWidget::close)->setShortcut(QKeySequence::Close);
  file->addAction(tr("&Quit"), qApp, &QApplication::closeAllWindows)->setShortcut(QKeySequence::Quit);

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  edit->addAction(m_copyStatistics);
  m_copyStatistics->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
  connect(m_copyStatistics, &QAction::triggered, this, &ReviewWindow::CopyStatistics);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  m_follow = view->addAction(tr("&Follow"));
  m_follow->setCheckable(true);
  m_follow->setChecked(true);
  m_follow->setShortcut(Qt::Key_F);
  connect(m_follow, &QAction::toggled, m_view, &TraceView::SetFollowing);
  // Shortcuts of the window, so they work whichever control has the focus.
  view->addAction(tr("&Whole log"), m_view, &TraceView::ShowWholeLog)->setShortcut(Qt::Key_Home);
  view->addAction(tr("Zoom to &selection"), m_view, &TraceView::ZoomToSelection)->setShortcut(Qt::Key_Z);
  view->addAction(tr("Zoom &in"), m_view, [this] { m_view->ZoomBy(0.5); })
      ->setShortcuts({QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal)});
  view->addAction(tr("Zoom &out"), m_view, [this] { m_view->ZoomBy(2); })->setShortcut(Qt::Key_Minus);
  view->addAction(m_statisticsDock->toggleViewAction());
  view->addAction(m_noiseDock->toggleViewAction());
  view->addAction(m_densityDock->toggleViewAction());
  view->addAction(m_detectorDock->toggleViewAction());
  view->addAction(m_whatIfDock->toggleViewAction());
  view->addSeparator();

  QMenu* measure = menuBar()->addMenu(tr("&Measure"));
  measure->addAction(tr("Mark selection as &quiet"), this, [this] { MarkSelection(false); })
      ->setShortcut(Qt::Key_Q);
  measure->addAction(tr("Mark selection as &walk"), this, [this] { MarkSelection(true); })->setShortcut(Qt::Key_W);
  measure->addAction(m_copyNoise);
  measure->addAction(tr("Copy &report command"), this, &ReviewWindow::CopyReportCommand);
  menuBar()->addMenu(m_detectorMenu);
  connect(m_copyNoise, &QAction::triggered, this, [this] {
    if (m_noiseDelay.isActive()) {
      m_noiseDelay.stop();
      UpdateNoise();
    }
    QApplication::clipboard()->setText(QString::fromStdString(m_noise->Csv()));
  });

  QToolBar* bar = addToolBar(tr("Traces"));
  bar->setMovable(false);
  bar->addAction(open);
  bar->addAction(m_follow);
  bar->addSeparator();
  auto toggle = [&](const QString& name) {
    QAction* action = view->addAction(name);
    action->setCheckable(true);
    action->setChecked(true);
    bar->addAction(action);
    connect(action, &QAction::toggled, this, &ReviewWindow::ApplyVisibility);
    return action;
  };
  m_dc = toggle(tr("DC"));
  m_ac = toggle(tr("AC"));
  m_temperatures = toggle(tr("Temperatures"));
  bar->addSeparator();
  for (size_t k = 0; k < m_channels.size(); ++k) {
    m_channels[k] = toggle(tr("Channel %1").arg(k + 1));
    m_channels[k]->setIconText(QString::number(k + 1));
    m_channels[k]->setVisible(false);
  }
}

QDockWidget* ReviewWindow::PanelDock(const QString& title, const char* name, QWidget* panel) {
  auto* dock = new QDockWidget(title, this);
  dock->setObjectName(name);
  dock->setWidget(panel);
  dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
  return dock;
}

void ReviewWindow::BuildDetectorDocks() {
  m_detector = new DetectorPanel(m_view);
  m_detectorDock = PanelDock(tr("Detector"), "detector", m_detector);
  // A tab beside the Spectrum: stacked, neither would have the height its plot or table needs.
  tabifyDockWidget(m_densityDock, m_detectorDock);
  m_densityDock->raise();
  m_whatIf = new WhatIfPanel(m_view, m_detector);
  m_whatIfDock = PanelDock(tr("What-if"), "whatif", m_whatIf);
  tabifyDockWidget(m_statisticsDock, m_whatIfDock);
  m_statisticsDock->raise();
  // A menu of its own, so the mark key can be found; its shortcut works wherever the focus is.
  QMenu* detector = m_detectorMenu = new QMenu(tr("&Detector"), this);
  QAction* mark = detector->addAction(tr("Drop &mark \"walk starts\""), m_detector, &DetectorPanel::DropMark);
  mark->setShortcut(Qt::Key_M);
  mark->setToolTip(tr("At the time under the pointer, or at the end of the shown span"));
  detector->addAction(tr("Run &what-if table"), this, [this] {
    m_whatIfDock->show();
    m_whatIfDock->raise();
    m_whatIf->Run();
  });
}

void ReviewWindow::ApplyVisibility() {
  PlotView& view = m_view->MutableView();
  view.dc = m_dc->isChecked();
  view.ac = m_ac->isChecked();
  view.temperatures = m_temperatures->isChecked();
  for (size_t k = 0; k < m_channels.size(); ++k) view.channels[k] = m_channels[k]->isChecked();
  m_view->update();
  m_statisticsPace.Request();
  ScheduleNoise(false);
  m_densityPace.Request();
}

bool ReviewWindow::PanelWanted(const QDockWidget* dock) const {
  // A hidden panel costs nothing; showing it again recomputes. While a log
  // loads, its growing whole would be recomputed at every poll and hold up
  // the reader: the panel waits until the log is read.
  const bool loading = !m_progress->isHidden();
  return m_follower && !loading && dock->isVisible();
}

bool ReviewWindow::UpdateStatistics() {
  if (!PanelWanted(m_statisticsDock)) return false;
  const PlotView& view = m_view->View();
  const bool selected = m_view->HasSelection();
  double from = 0;
  double to = 0;
  m_view->MeasuredSpan(from, to);
  std::vector<analysis::StatisticsRow> rows;
  {
    const auto lock = m_follower->Lock();
    rows = analysis::SelectionStatistics(m_follower->Session(), from, to, view.channels);
  }
  m_statistics->SetRows(std::move(rows), from, to, selected);
  return true;
}

void ReviewWindow::MarkSelection(bool walk) {
  if (!m_follower) return;
  if (!m_view->HasSelection()) {
    statusBar()->showMessage(tr("Select a span first: drag with the right mouse button or with Shift held."), 5000);
    return;
  }
  PlotView& view = m_view->MutableView();
  // A selection may reach left of the log's start, where no frame is.
  (walk ? view.walkSpans : view.quietSpans).push_back({std::max(0.0, view.selectionStart), view.selectionEnd});
  MarksChanged();
}

void ReviewWindow::RemoveSpans(std::vector<std::pair<bool, size_t>> spans) {
  PlotView& view = m_view->MutableView();
  // From the last index down, so the earlier indices stay valid.
  std::sort(spans.begin(), spans.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  for (const auto& [walk, index] : spans) {
    std::vector<analysis::TimeSpan>& list = walk ? view.walkSpans : view.quietSpans;
    if (index < list.size()) list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
  }
  MarksChanged();
}

void ReviewWindow::MarksChanged() {
  m_view->update();
  m_noise->SetSpans(m_view->View().quietSpans, m_view->View().walkSpans);
  ScheduleNoise(false);
}

void ReviewWindow::ScheduleNoise(bool soon) {
  if (!soon) {
    m_noiseDelay.stop();
    UpdateNoise();
    return;
  }
  if (!m_noiseDelay.isActive()) m_noiseDelay.start(kNoiseIntervalMs);
}

void ReviewWindow::UpdateNoise() {
  if (!PanelWanted(m_noiseDock)) return;
  const PlotView& view = m_view->View();
  analysis::NoiseMarks marks{view.quietSpans, view.walkSpans, {}};
  marks.settling.k = m_noise->SettlingK();
  std::vector<analysis::ChannelNoise> rows;
  {
    const auto lock = m_follower->Lock();
    rows = analysis::SessionNoise(m_follower->Session(), view.channels, marks);
  }
  m_noise->SetRows(std::move(rows));
}

void ReviewWindow::CopyReportCommand() {
  if (!m_follower) return;
  std::string command = "dezidure-review --report " + ShellWord(m_follower->Path());
  for (const analysis::TimeSpan& span : m_view->View().quietSpans) command += " --quiet " + analysis::FormatSpan(span);
  for (const analysis::TimeSpan& span : m_view->View().walkSpans) command += " --walk " + analysis::FormatSpan(span);
  command += " --detector " + analysis::FormatDetectorSettings(m_detector->Settings());
  QApplication::clipboard()->setText(QString::fromStdString(command));
  statusBar()->showMessage(tr("Copied: %1").arg(QString::fromStdString(command)), 5000);
}

void ReviewWindow::CopyStatistics() {
  // The panel may be a change behind a drag that just ended: bring it up to date first.
  m_statisticsPace.Flush();
  QApplication::clipboard()->setText(QString::fromStdString(m_statistics->Csv()));
}

void ReviewWindow::OpenLog(const QString& path) {
  if (!m_follower) {
    ShowLog(path);
    return;
  }
  auto* other = new ReviewWindow;
  other->show();
  other->ShowLog(path);
}

void ReviewWindow::ShowLog(const QString& path) {
  auto follower = std::make_shared<LogFollower>(path.toStdString());
  if (!follower->Opened()) {
    QMessageBox::warning(this, tr("Dez Idure Review"), QString::fromStdString(follower->Error()));
    return;
  }
  m_follower = follower;
  m_framesShown = 0;
  m_view->MutableView().title = QFileInfo(path).fileName();
  m_view->SetLog(follower);
  m_detector->SetLog(follower);
  m_whatIf->SetLog(follower);
  setWindowTitle(tr("%1 - Dez Idure Review").arg(QFileInfo(path).fileName()));
  m_summary->setText(tr("Waiting for log lines"));
  m_progress->setValue(0);
  m_progress->show();
  Poll();
}

void ReviewWindow::CloseLog() {
  m_follower.reset();
  m_view->SetLog(nullptr);
  m_detector->SetLog(nullptr);
  m_whatIf->SetLog(nullptr);
  m_statistics->SetRows({}, 0, 0, false);
  m_view->MutableView().quietSpans.clear();
  m_view->MutableView().walkSpans.clear();
  m_noise->SetSpans({}, {});
  m_noise->SetRows({});
  m_density->Clear();
  m_progress->hide();
  m_skipped->clear();
  m_summary->clear();
  setWindowTitle(tr("Dez Idure Review"));
}

void ReviewWindow::Poll() {
  if (!m_follower) return;
  const LoadProgress progress = m_follower->Progress();
  if (progress.notALog || progress.readError) {
    const QString path = QString::fromStdString(m_follower->Path());
    CloseLog();
    QMessageBox::warning(this, tr("Dez Idure Review"),
                         progress.notALog
                             ? tr("%1 is not a log of Dez Idure: none of its lines is a log line.").arg(path)
                             : tr("%1 could not be read.").arg(path));
    return;
  }
  m_skipped->setText(
      tr("%n lines skipped", nullptr, static_cast<int>(std::min<uint64_t>(progress.skipped, INT32_MAX))));
  if (progress.caughtUp) {
    const bool wasLoading = !m_progress->isHidden();
    m_progress->hide();
    if (wasLoading) {
      m_statisticsPace.Request();
      ScheduleNoise(false);
      m_densityPace.Request();
    }
  } else if (progress.bytesAtOpen > 0) {
    m_progress->setValue(static_cast<int>(std::min<uint64_t>(1000, progress.bytesRead * 1000 / progress.bytesAtOpen)));
  }
  if (progress.frames == m_framesShown) return;
  m_framesShown = progress.frames;
  {
    const auto lock = m_follower->Lock();
    const int channels = m_follower->Session().Channels();
    for (size_t k = 0; k < m_channels.size(); ++k) m_channels[k]->setVisible(static_cast<int>(k) < channels);
    m_temperatures->setVisible(m_follower->Session().HasTemperatures());
    m_summary->setText(tr("%1 frames, %2 channels, %3 s")
                           .arg(progress.frames)
                           .arg(channels)
                           .arg(m_follower->Session().Times().Duration()));
  }
  m_view->LogGrew();
  ScheduleNoise(true);
}

void ReviewWindow::ExportImage(bool pdf) {
  if (!m_follower) return;
  const QFileInfo log(QString::fromStdString(m_follower->Path()));
  const QString suggested = log.absolutePath() + "/" + log.completeBaseName() + (pdf ? ".pdf" : ".png");
  const QString path = QFileDialog::getSaveFileName(this, pdf ? tr("Export view as PDF") : tr("Export view as PNG"),
                                                    suggested, pdf ? tr("PDF (*.pdf)") : tr("PNG images (*.png)"));
  if (path.isEmpty()) return;
  const auto lock = m_follower->Lock();
  bool written = false;
  if (pdf) {
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setResolution(150);
    writer.setTitle(m_view->View().title);
    QPainter painter(&writer);
    written = painter.isActive();
    if (written) DrawPlot(painter, QRectF(painter.viewport()), m_follower->Session(), m_view->View());
  } else {
    QImage image(m_view->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(m_view->font());
    DrawPlot(painter, QRectF(image.rect()), m_follower->Session(), m_view->View());
    painter.end();
    written = image.save(path, "PNG");
  }
  if (!written) QMessageBox::warning(this, tr("Dez Idure Review"), tr("%1 could not be written.").arg(path));
}

void ReviewWindow::ExportSelection() {
  if (!m_follower) return;
  if (!m_view->HasSelection()) {
    QMessageBox::information(this, tr("Dez Idure Review"),
                             tr("Select a span first: drag with the right mouse button or with Shift held."));
    return;
  }
  uint64_t first = 0;
  uint64_t end = 0;
  QString suggested;
  {
    const auto lock = m_follower->Lock();
    analysis::WholeSecondsSpan(m_follower->Session(), m_view->View().selectionStart, m_view->View().selectionEnd, first,
                               end);
    if (first < end) suggested = QString::fromStdString(analysis::SpanFileName(m_follower->Session(), first));
  }
  if (first >= end) {
    QMessageBox::information(this, tr("Dez Idure Review"), tr("The selection holds no frames."));
    return;
  }
  const QFileInfo log(QString::fromStdString(m_follower->Path()));
  // The suggested name carries the span's start, so the copy reopens at the
  // same wall-clock time; it names a log of its own, never the original.
  const QString path = QFileDialog::getSaveFileName(this, tr("Export selection as CSV"),
                                                    log.absolutePath() + "/" + suggested, tr("Logs (*.csv)"));
  if (path.isEmpty()) return;
  if (QFileInfo(path).absoluteFilePath() == log.absoluteFilePath()) {
    QMessageBox::warning(this, tr("Dez Idure Review"), tr("The selection cannot replace the log it comes from."));
    return;
  }
  std::ofstream out(std::filesystem::u8path(path.toStdString()), std::ios::binary);
  std::string error;
  bool copied = false;
  {
    const auto lock = m_follower->Lock();
    copied = out && analysis::CopySpan(m_follower->Path(), m_follower->Session(), first, end, out, error);
  }
  out.close();
  if (!copied || !out) {
    QMessageBox::warning(this, tr("Dez Idure Review"),
                         tr("%1 could not be written. %2").arg(path, QString::fromStdString(error)));
  }
}

void ReviewWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void ReviewWindow::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) OpenLog(url.toLocalFile());
  }
  event->acceptProposedAction();
}

}  // namespace review
