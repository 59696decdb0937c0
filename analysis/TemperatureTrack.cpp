#include "analysis/TemperatureTrack.h"

#include <algorithm>

namespace analysis {

void TemperatureTrack::Append(int8_t degrees) {
  ++m_frames;
  if (m_dense) {
    m_values.push_back(degrees);
    return;
  }
  if (!m_runs.empty() && m_runs.back().degrees == degrees) return;
  m_runs.push_back({m_frames - 1, degrees});
  if (m_runs.capacity() * sizeof(Run) <= m_frames) return;
  // Runs now cost more than a byte a frame: keep a byte a frame instead.
  for (uint64_t f = 0; f < m_frames; ++f) m_values.push_back(At(f));
  m_dense = true;
  m_runs.clear();
  m_runs.shrink_to_fit();
}

std::vector<TemperatureTrack::Run>::const_iterator TemperatureTrack::RunOf(uint64_t frame) const {
  const auto after =
      std::upper_bound(m_runs.begin(), m_runs.end(), frame, [](uint64_t f, const Run& run) { return f < run.first; });
  return after - 1;
}

int8_t TemperatureTrack::At(uint64_t frame) const { return m_dense ? m_values[frame] : RunOf(frame)->degrees; }

void TemperatureTrack::CopyTo(uint64_t first, uint64_t end, std::vector<double>& out) const {
  if (first >= end) return;
  if (m_dense) {
    for (uint64_t f = first; f < end; ++f) out.push_back(m_values[f]);
    return;
  }
  auto run = RunOf(first);
  for (uint64_t f = first; f < end; ++f) {
    if (run + 1 != m_runs.end() && (run + 1)->first == f) ++run;
    out.push_back(run->degrees);
  }
}

uint64_t TemperatureTrack::Bytes() const { return m_runs.capacity() * sizeof(Run) + m_values.size(); }

}  // namespace analysis
