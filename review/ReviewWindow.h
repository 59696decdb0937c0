#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>

#include "review/LogFollower.h"

class QAction;
class QLabel;
class QProgressBar;

namespace review {

class TraceView;

/// The window of one log: the plot, a toolbar with Follow, the trace kinds
/// and the channels, the export commands and a status bar with the lines
/// skipped and the loading progress. Logs come from the Open dialog, from
/// drag and drop and from the command line; a window that already shows a
/// log opens another in a new window.
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
  void ShowLog(const QString& path);
  void CloseLog();
  void Poll();
  void ApplyVisibility();
  void ExportImage(bool pdf);
  void ExportSelection();

  TraceView* m_view;
  std::shared_ptr<LogFollower> m_follower;
  QTimer m_poll;
  uint64_t m_framesShown = 0;
  QLabel* m_skipped;
  QLabel* m_summary;
  QProgressBar* m_progress;
  QAction* m_follow = nullptr;
  QAction* m_dc = nullptr;
  QAction* m_ac = nullptr;
  QAction* m_temperatures = nullptr;
  std::array<QAction*, 8> m_channels{};
};

}  // namespace review
