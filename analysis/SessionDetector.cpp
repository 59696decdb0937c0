#include "analysis/SessionDetector.h"

#include <algorithm>

#include "analysis/NoiseFigures.h"
#include "analysis/SessionArrays.h"

namespace analysis {

namespace {

bool SameSpans(const std::vector<TimeSpan>& a, const std::vector<TimeSpan>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const TimeSpan& x, const TimeSpan& y) { return x.from == y.from && x.to == y.to; });
}

/// The frames before the log's last stamped second: their times are final.
uint64_t SettledFrames(const LogSession& session) {
  if (session.Frames() == 0) return 0;
  uint64_t first = 0;
  uint64_t end = 0;
  session.Times().SecondOf(session.Frames() - 1, first, end);
  return first;
}

}  // namespace

void SessionDetector::Reset() {
  m_setup.reset();
  m_detectors.clear();
  m_fed = 0;
  m_frames = 0;
  m_quietUnsettled = false;
  m_lacksQuiet = false;
  m_events.clear();
}

bool SessionDetector::MustRestart(const LogSession& session, const DetectorSetup& setup) const {
  if (!m_setup || m_setup->settings != setup.settings) return true;
  if (setup.settings.inQuietRms && !SameSpans(m_setup->quiet, setup.quiet)) return true;
  if (session.Frames() < m_frames || SettledFrames(session) < m_fed) return true;
  // No detectors for the log's channels: the last update lacked quiet samples or saw no frames.
  if (m_detectors.size() != static_cast<size_t>(session.Channels())) return true;
  return m_quietUnsettled && session.Frames() != m_frames;
}

bool SessionDetector::Start(const std::vector<std::vector<double>>& ac, const std::vector<double>& times) {
  const DetectorSettings& settings = m_setup->settings;
  for (size_t k = 0; k < ac.size(); ++k) {
    double quietRms = 0;
    if (settings.inQuietRms) {
      const PooledNoise quiet = PoolSpans({ac[k].data(), times.data(), times.size()}, m_setup->quiet);
      if (quiet.count == 0) return false;
      quietRms = quiet.rms;
    }
    m_detectors.emplace_back(static_cast<int>(k + 1), ThresholdCounts(settings, quietRms), settings);
  }
  return true;
}

void SessionDetector::Update(const LogSession& session, const DetectorSetup& setup) {
  const bool restart = MustRestart(session, setup);
  if (!restart && session.Frames() == m_frames) return;
  const uint64_t frames = session.Frames();
  if (restart) {
    Reset();
    m_setup = setup;
  }
  m_frames = frames;
  m_events.clear();
  if (setup.settings.inQuietRms && setup.quiet.empty()) {
    m_lacksQuiet = true;
    return;
  }
  const uint64_t settled = SettledFrames(session);
  const std::vector<double> times = FrameTimes(session, m_fed, frames);
  std::vector<std::vector<double>> ac;
  for (int channel = 1; channel <= session.Channels(); ++channel) {
    ac.push_back(ReadChannel(session, channel, m_fed, frames, {false, true, false}).ac);
  }
  if (restart) {
    if (!Start(ac, times)) {
      m_detectors.clear();
      m_lacksQuiet = true;
      return;
    }
    // Frames from the first unsettled one on may still move in time, and
    // frames to come may fall into a quiet span reaching that far.
    const double unsettledFrom = settled < frames ? times[settled] : times.empty() ? 0 : times.back();
    m_quietUnsettled =
        setup.settings.inQuietRms &&
        std::any_of(setup.quiet.begin(), setup.quiet.end(), [&](const TimeSpan& s) { return s.to >= unsettledFrom; });
  }
  const size_t newSettled = static_cast<size_t>(settled - m_fed);
  for (size_t k = 0; k < m_detectors.size(); ++k) {
    m_detectors[k].Feed(ac[k].data(), times.data(), newSettled);
    Detector withTail = m_detectors[k];
    withTail.Feed(ac[k].data() + newSettled, times.data() + newSettled, times.size() - newSettled);
    m_events.insert(m_events.end(), withTail.Events().begin(), withTail.Events().end());
  }
  m_fed = settled;
  std::stable_sort(m_events.begin(), m_events.end(),
                   [](const DetectorEvent& a, const DetectorEvent& b) { return a.time < b.time; });
}

}  // namespace analysis
