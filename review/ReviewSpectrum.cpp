// The review window's Spectrum dock: its construction and its
// recomputation, kept apart from the window's other panels.
#include <QDockWidget>
#include <QProgressBar>

#include "analysis/SpanSpectrum.h"
#include "review/ReviewWindow.h"
#include "review/SpectrumPanel.h"
#include "review/TraceView.h"

namespace review {

namespace {
/// Least time between two computations of the spectrum, milliseconds. A
/// 10-minute span of 8 channels takes about 40 to 65 ms (less for a shorter
/// one), so a drag or a followed log leaves most of the time to painting.
constexpr int kSpectrumIntervalMs = 200;
}  // namespace

void ReviewWindow::BuildSpectrumDock() {
  m_spectrum = new SpectrumPanel;
  m_spectrumDock = new QDockWidget(tr("Spectrum"), this);
  m_spectrumDock->setObjectName("spectrum");
  m_spectrumDock->setWidget(m_spectrum);
  m_spectrumDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
  addDockWidget(Qt::RightDockWidgetArea, m_spectrumDock);
  resizeDocks({m_spectrumDock}, {420}, Qt::Horizontal);
  m_spectrumDelay.setSingleShot(true);
  connect(&m_spectrumDelay, &QTimer::timeout, this, &ReviewWindow::UpdateSpectrum);
  m_spectrum->OnSettingsChanged([this] { ScheduleSpectrum(); });
  connect(m_spectrumDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) ScheduleSpectrum();
  });
}

void ReviewWindow::ScheduleSpectrum() {
  if (m_spectrumDelay.isActive()) return;
  const qint64 since = m_sinceSpectrum.isValid() ? m_sinceSpectrum.elapsed() : kSpectrumIntervalMs;
  if (since >= kSpectrumIntervalMs) {
    UpdateSpectrum();
    return;
  }
  m_spectrumDelay.start(static_cast<int>(kSpectrumIntervalMs - since));
}

void ReviewWindow::UpdateSpectrum() {
  // As the statistics: nothing while hidden or while the log is still being read.
  const bool loading = !m_progress->isHidden();
  if (!m_follower || loading || !m_spectrumDock->isVisible()) return;
  m_sinceSpectrum.start();
  const PlotView& view = m_view->View();
  const bool selected = m_view->HasSelection();
  const double from = selected ? view.selectionStart : view.start;
  const double to = selected ? view.selectionEnd : view.start + view.span;
  analysis::SpanSpectra spectra;
  {
    const auto lock = m_follower->Lock();
    spectra = analysis::SpanSpectrum(m_follower->Session(), from, to, view.channels, m_spectrum->Settings());
  }
  m_spectrum->SetSpectra(std::move(spectra), from, to, selected);
}

}  // namespace review
