#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

namespace review {

/// Runs an update at most once per interval: a request runs it at once
/// when the last run is at least an interval ago, otherwise once the
/// interval is over, gathering every request made meanwhile into that run.
/// A panel follows a drag as it goes this way without recomputing on every
/// mouse move.
class PacedUpdate {
 public:
  /// `update` returns false when it did nothing (a hidden panel, a log
  /// still loading): such a call does not count as a run.
  PacedUpdate(int intervalMs, std::function<bool()> update);

  /// Runs the update now or once the interval is over.
  void Request();
  /// Runs a pending update now, so what it shows is up to date.
  void Flush();

 private:
  void Run();

  int m_intervalMs;
  std::function<bool()> m_update;
  QTimer m_delay;
  /// Time since the last run; invalid before the first.
  QElapsedTimer m_sinceRun;
};

}  // namespace review
