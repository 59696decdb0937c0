#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "analysis/SpanDensity.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QTableWidget;

namespace review {

class DensityView;

/// The spectrum of the selected span (or the whole view): a caption with
/// the averages, the resolution and the measured frame rate; the resolution
/// and band pickers; the log-log plot of each shown channel's AC density
/// with the band shaded, the mains lines that stand out marked and the live
/// AC filter's response; and a table per channel of the band RMS, the RMS
/// above the band and the mains lines. The plot's context menu copies the
/// densities as CSV. The panel only shows what it is given: the window
/// computes the spectra with Settings() and hands them over.
class DensityPanel : public QWidget {
 public:
  explicit DensityPanel(QWidget* parent = nullptr);

  /// The resolution and band picked.
  analysis::DensitySettings Settings() const;
  /// Called whenever the resolution or the band changes.
  void OnSettingsChanged(std::function<void()> handler) { m_settingsChanged = std::move(handler); }

  /// Shows `spectra`, computed with Settings() over [from, to] seconds from
  /// the log's start; `selected`: the span is a selection (otherwise the whole view).
  void SetDensities(analysis::SpanDensities spectra, double from, double to, bool selected);
  /// Shows nothing but the hint to open a log and select a span.
  void Clear();
  /// The shown densities as CSV (see analysis::DensityCsv).
  std::string Csv() const { return analysis::DensityCsv(m_spectra); }

 private:
  void SettingsChanged();
  void ShowTable();
  void ShowPlot();

  QLabel* m_caption;
  QComboBox* m_resolution;
  QDoubleSpinBox* m_bandFrom;
  QDoubleSpinBox* m_bandTo;
  DensityView* m_plot;
  QTableWidget* m_table;
  analysis::SpanDensities m_spectra;
  std::function<void()> m_settingsChanged;
};

}  // namespace review
