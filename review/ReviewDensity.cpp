// The review window's Spectrum dock: its construction and its
// recomputation, kept apart from the window's other panels.
#include <QDockWidget>

#include "analysis/SpanDensity.h"
#include "review/ReviewWindow.h"
#include "review/DensityPanel.h"
#include "review/TraceView.h"

namespace review {

void ReviewWindow::BuildDensityDock() {
  m_density = new DensityPanel;
  m_densityDock = PanelDock(tr("Spectrum"), "spectrum", m_density);
  addDockWidget(Qt::RightDockWidgetArea, m_densityDock);
  resizeDocks({m_densityDock}, {420}, Qt::Horizontal);
  m_density->OnSettingsChanged([this] { m_densityPace.Request(); });
  connect(m_densityDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) m_densityPace.Request();
  });
}

bool ReviewWindow::UpdateDensity() {
  if (!PanelWanted(m_densityDock)) return false;
  const PlotView& view = m_view->View();
  const bool selected = m_view->HasSelection();
  double from = 0;
  double to = 0;
  m_view->MeasuredSpan(from, to);
  analysis::SpanDensities spectra;
  {
    const auto lock = m_follower->Lock();
    spectra = analysis::SpanDensity(m_follower->Session(), from, to, view.channels, m_density->Settings());
  }
  m_density->SetDensities(std::move(spectra), from, to, selected);
  return true;
}

}  // namespace review
