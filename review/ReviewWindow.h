#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>

#include "review/LogFollower.h"
#include "review/PacedUpdate.h"

class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QProgressBar;

namespace review {

class NoisePanel;
class DensityPanel;
class DetectorPanel;
class StatisticsPanel;
class TraceView;
class WhatIfPanel;

/// The window of one log: the plot, a toolbar with Follow, the trace kinds
/// and the channels, the export commands, a Statistics panel for the
/// selected span (or the whole view), a Spectrum panel for the same span
/// and a status bar with the lines skipped and the loading progress. Logs
/// come from the Open dialog, from drag and drop and from the command line;
/// a window that already shows a log opens another in a new window.
class ReviewWindow : public QMainWindow {
 public:
  ReviewWindow();
  ~ReviewWindow() override;

  /// Opens a log in this window, or in a new one when this one shows a log already.
  void OpenLog(const QString& path);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenus();
  /// The Detector and What-if docks and the Detector menu with the mark key.
  void BuildDetectorDocks();
  void ShowLog(const QString& path);
  void CloseLog();
  void Poll();
  void ApplyVisibility();
  void ExportImage(bool pdf);
  void ExportSelection();
  /// Recomputes the Statistics panel for the selection, or the whole view
  /// without one; false when it did not (hidden, no log, still loading).
  bool UpdateStatistics();
  /// Puts the Statistics panel's figures on the clipboard as CSV, brought up to date first.
  void CopyStatistics();

  /// Marks the selection as a quiet span (nobody in the field) or a walk.
  void MarkSelection(bool walk);
  /// Removes marked spans: for each, walk (true) or quiet, and its index in that list.
  void RemoveSpans(std::vector<std::pair<bool, size_t>> spans);
  /// Shows changed marks in the view and recomputes what depends on them.
  void MarksChanged();
  /// Recomputes the Noise panel now (`soon` false) or within kNoiseIntervalMs,
  /// gathering the polls of a growing log into one recomputation.
  void ScheduleNoise(bool soon);
  /// Recomputes the Noise panel over the whole log with the marked spans.
  void UpdateNoise();
  /// Puts on the clipboard the command that reports this log with the marked spans and the detector's settings.
  void CopyReportCommand();
  /// Builds the Spectrum dock (ReviewDensity.cpp), before the menus that toggle it.
  void BuildDensityDock();
  /// Recomputes the Spectrum dock for the selection, or the whole view without one.
  bool UpdateDensity();
  /// True when the panel in `dock` is to be computed: a log is open and read, and the dock is shown.
  bool PanelWanted(const QDockWidget* dock) const;
  /// A dock of the window holding `panel`, closable and movable, named for saved layouts; not yet placed.
  QDockWidget* PanelDock(const QString& title, const char* name, QWidget* panel);

  /// Least time between two computations of the statistics, milliseconds: a
  /// computation over a 10-minute log of 8 channels takes about as long, so a
  /// change is shown within about twice that, and a drag leaves time to paint.
  static constexpr int kStatisticsIntervalMs = 50;
  /// The same for the spectrum: a 10-minute span of 8 channels takes about 40
  /// to 65 ms, so a drag or a followed log leaves most of the time to painting.
  static constexpr int kDensityIntervalMs = 200;

  TraceView* m_view;
  std::shared_ptr<LogFollower> m_follower;
  QTimer m_poll;
  /// Gathers the changes of a drag or a growing log into one recomputation.
  PacedUpdate m_statisticsPace{kStatisticsIntervalMs, [this] { return UpdateStatistics(); }};
  uint64_t m_framesShown = 0;
  QLabel* m_skipped;
  QLabel* m_summary;
  QProgressBar* m_progress;
  QAction* m_copyStatistics;
  StatisticsPanel* m_statistics;
  QDockWidget* m_statisticsDock;
  QAction* m_copyNoise;
  NoisePanel* m_noise;
  QDockWidget* m_noiseDock;
  QTimer m_noiseDelay;
  // The virtual detector: its dock with events and marks, and the what-if table.
  DetectorPanel* m_detector = nullptr;
  QDockWidget* m_detectorDock = nullptr;
  WhatIfPanel* m_whatIf = nullptr;
  QDockWidget* m_whatIfDock = nullptr;
  QMenu* m_detectorMenu = nullptr;
  QAction* m_follow = nullptr;
  QAction* m_dc = nullptr;
  QAction* m_ac = nullptr;
  QAction* m_temperatures = nullptr;
  std::array<QAction*, 8> m_channels{};

  DensityPanel* m_density = nullptr;
  QDockWidget* m_densityDock = nullptr;
  PacedUpdate m_densityPace{kDensityIntervalMs, [this] { return UpdateDensity(); }};
};

}  // namespace review
