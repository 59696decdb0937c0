#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/Detector.h"
#include "analysis/LogSession.h"
#include "analysis/SampleSeries.h"

namespace analysis {

/// What a detector run over a log depends on; a change starts it afresh.
struct DetectorSetup {
  DetectorSettings settings;
  /// The quiet spans, seconds from the log's start: their pooled AC RMS per
  /// channel scales a threshold in quiet RMS (ignored for one in counts).
  std::vector<TimeSpan> quiet;
};

/// The detector on every channel of a log that may still be growing, kept
/// up to date by feeding only the frames added since the last update.
///
/// The frames of the log's last stamped second are placed anew in time as
/// more of that second arrive, so the detectors keep them out of their
/// state: each update runs them on copies of the detectors. The events are
/// therefore always those of a run over the same frames read whole.
class SessionDetector {
 public:
  /// Brings the events up to date with the frames of `session` under
  /// `setup`; restarts from the first frame when the setup differs from the
  /// last one's, when the session has fewer frames or another channel count
  /// than before, or while a quiet span still reaches into frames whose
  /// time or presence may change. Throws std::invalid_argument for settings
  /// the detector refuses.
  void Update(const LogSession& session, const DetectorSetup& setup);

  /// Forgets the run, for another log.
  void Reset();

  /// Events of every channel in time order (channel order at equal times).
  const std::vector<DetectorEvent>& Events() const { return m_events; }

  /// True when the threshold is in quiet RMS and a channel has no sample
  /// within the quiet spans: there are no events then.
  bool LacksQuietSpans() const { return m_lacksQuiet; }

 private:
  /// Whether the run must start again from the first frame for this update.
  bool MustRestart(const LogSession& session, const DetectorSetup& setup) const;
  /// Creates the detectors, after the quiet RMS of each channel over all of
  /// `ac` (the frames [0, Frames())); false when a channel lacks quiet samples.
  bool Start(const std::vector<std::vector<double>>& ac, const std::vector<double>& times);

  std::optional<DetectorSetup> m_setup;
  std::vector<Detector> m_detectors;  ///< one per channel, fed frames [0, m_fed)
  uint64_t m_fed = 0;
  uint64_t m_frames = 0;  ///< frames of the session at the last update
  /// The quiet RMS was taken over frames that may still change (see MustRestart).
  bool m_quietUnsettled = false;
  bool m_lacksQuiet = false;
  std::vector<DetectorEvent> m_events;
};

}  // namespace analysis
