#include "analysis/TimeLine.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {
constexpr int32_t kHalfDay = kSecondsPerDay / 2;
}

void TimeLine::Append(int32_t secondOfDay) {
  if (m_frames == 0) {
    m_day = m_start ? m_start->day : 0;
    // A log named just before midnight whose first line comes after it.
    if (m_start && secondOfDay + kHalfDay < m_start->secondOfDay) ++m_day;
    m_startSecond = m_day * kSecondsPerDay + secondOfDay;
    m_lastSecondOfDay = secondOfDay;
    m_runs.push_back({0, 0});
    ++m_frames;
    return;
  }
  if (secondOfDay + kHalfDay < m_lastSecondOfDay) ++m_day;
  m_lastSecondOfDay = secondOfDay;
  int64_t second = m_day * kSecondsPerDay + secondOfDay - m_startSecond + m_shift;
  const int64_t last = m_runs.back().second;
  if (second < last) {
    m_shift += last - second;
    second = last;
  }
  if (second > last) m_runs.push_back({second, m_frames});
  ++m_frames;
}

size_t TimeLine::RunOf(uint64_t frame) const {
  const auto after =
      std::upper_bound(m_runs.begin(), m_runs.end(), frame, [](uint64_t f, const Run& run) { return f < run.first; });
  return static_cast<size_t>(after - m_runs.begin()) - 1;
}

double TimeLine::FrameTime(uint64_t frame) const {
  const size_t run = RunOf(frame);
  const uint64_t count = RunEnd(run) - m_runs[run].first;
  return static_cast<double>(m_runs[run].second) +
         static_cast<double>(frame - m_runs[run].first) / static_cast<double>(count);
}

uint64_t TimeLine::FirstFrameAtOrAfter(double t) const {
  if (m_frames == 0 || std::isnan(t) || t <= 0) return 0;
  if (t >= Duration()) return m_frames;
  const auto after = std::upper_bound(m_runs.begin(), m_runs.end(), t, [](double time, const Run& run) {
    return time < static_cast<double>(run.second);
  });
  const size_t run = static_cast<size_t>(after - m_runs.begin()) - 1;
  const uint64_t first = m_runs[run].first;
  const uint64_t end = RunEnd(run);
  const double into = t - static_cast<double>(m_runs[run].second);
  if (into >= 1) return end;
  // An estimate from the even spacing (within 0..count, as into < 1, so its
  // conversion is exact), then corrected against FrameTime itself so both
  // agree at every boundary despite rounding.
  const double estimate = std::ceil(into * static_cast<double>(end - first));
  uint64_t frame = first + std::min(end - first, static_cast<uint64_t>(std::max(0.0, estimate)));
  while (frame > first && FrameTime(frame - 1) >= t) --frame;
  while (frame < end && FrameTime(frame) < t) ++frame;
  return frame;
}

double TimeLine::Duration() const { return m_frames == 0 ? 0 : static_cast<double>(m_runs.back().second + 1); }

void TimeLine::SecondOf(uint64_t frame, uint64_t& first, uint64_t& end) const {
  const size_t run = RunOf(frame);
  first = m_runs[run].first;
  end = RunEnd(run);
}

}  // namespace analysis
