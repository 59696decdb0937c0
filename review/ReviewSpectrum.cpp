// The review window's Spectrum dock: its construction and its
// recomputation, kept apart from the window's other panels.
#include <QDockWidget>
#include <QProgressBar>

#include "analysis/SpanSpectrum.h"
#include "review/ReviewWindow.h"
#include "review/SpectrumPanel.h"
#include "review/TraceView.h"

namespace review {

void ReviewWindow::BuildSpectrumDock() {
  m_spectrum = new SpectrumPanel;
  m_spectrumDock = PanelDock(tr("Spectrum"), "spectrum", m_spectrum);
  addDockWidget(Qt::RightDockWidgetArea, m_spectrumDock);
  resizeDocks({m_spectrumDock}, {420}, Qt::Horizontal);
  m_spectrum->OnSettingsChanged([this] { m_spectrumPace.Request(); });
  connect(m_spectrumDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) m_spectrumPace.Request();
  });
}

bool ReviewWindow::UpdateSpectrum() {
  // As the statistics: nothing while hidden or while the log is still being read.
  const bool loading = !m_progress->isHidden();
  if (!m_follower || loading || !m_spectrumDock->isVisible()) return false;
  const PlotView& view = m_view->View();
  const bool selected = m_view->HasSelection();
  double from = 0;
  double to = 0;
  m_view->MeasuredSpan(from, to);
  analysis::SpanSpectra spectra;
  {
    const auto lock = m_follower->Lock();
    spectra = analysis::SpanSpectrum(m_follower->Session(), from, to, view.channels, m_spectrum->Settings());
  }
  m_spectrum->SetSpectra(std::move(spectra), from, to, selected);
  return true;
}

}  // namespace review
