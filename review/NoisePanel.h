#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "analysis/SessionNoise.h"

class QAction;
class QDoubleSpinBox;
class QLabel;
class QTableWidget;

namespace review {

/// The quiet and walk spans the user marked, and per shown channel what
/// they give: the quiet noise and the walk swing of the AC trace (peak-to-
/// peak and RMS), their ratio in dB, how long the AC trace takes to settle
/// within k sigma of the quiet noise after the log's start and after each
/// gap, and the DC drift against temperature.
class NoisePanel : public QWidget {
 public:
  /// `copyAction`: the window's "Copy noise figures as CSV", offered in the figures' context menu.
  NoisePanel(QAction* copyAction, QWidget* parent = nullptr);

  /// Lists the marked spans, quiet ones first.
  void SetSpans(const std::vector<analysis::TimeSpan>& quiet, const std::vector<analysis::TimeSpan>& walks);
  /// Shows the figures of each channel.
  void SetRows(std::vector<analysis::ChannelNoise> rows);
  /// k of the settling band, as the user set it.
  double SettlingK() const;
  /// The shown figures as the analysis CSV text.
  std::string Csv() const { return analysis::NoiseCsv(m_rows); }

  /// Called when the user changes k.
  void OnSettlingKChanged(std::function<void()> handler) { m_kChanged = std::move(handler); }
  /// Called with the spans the user removes: for each, walk (true) or quiet, and its index in that list.
  void OnRemove(std::function<void(std::vector<std::pair<bool, size_t>>)> handler) { m_remove = std::move(handler); }

 private:
  void RemoveSelected();
  void FillFigures();

  QDoubleSpinBox* m_k;
  QTableWidget* m_spans;
  QTableWidget* m_figures;
  QLabel* m_hint;
  std::vector<analysis::ChannelNoise> m_rows;
  std::function<void()> m_kChanged;
  std::function<void(std::vector<std::pair<bool, size_t>>)> m_remove;
};

}  // namespace review
