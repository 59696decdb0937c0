#include "analysis/SelectionStatistics.h"

#include <cmath>
#include <limits>

#include "analysis/SessionArrays.h"

namespace analysis {

void FramesWithin(const TimeLine& times, double from, double to, uint64_t& first, uint64_t& end) {
  first = end = 0;
  if (!(from <= to)) return;
  first = times.FirstFrameAtOrAfter(from);
  // The frame at exactly `to` belongs to the closed span: the end is the
  // first frame after it.
  end = times.FirstFrameAtOrAfter(std::nextafter(to, std::numeric_limits<double>::infinity()));
  if (end < first) end = first;
}

std::vector<StatisticsRow> SelectionStatistics(const LogSession& session, double from, double to,
                                               const std::array<bool, 8>& channels) {
  uint64_t first = 0;
  uint64_t end = 0;
  FramesWithin(session.Times(), from, to, first, end);
  const std::vector<double> times = FrameTimes(session, first, end);
  std::vector<StatisticsRow> rows;
  for (int channel = 1; channel <= session.Channels() && channel <= static_cast<int>(channels.size()); ++channel) {
    if (!channels[static_cast<size_t>(channel - 1)]) continue;
    for (const Trace trace : {Trace::Dc, Trace::Ac}) {
      const std::vector<double> values = session.Values(channel, trace, first, end);
      const SampleSeries<double> series{values.data(), times.data(), values.size()};
      rows.push_back({channel, trace == Trace::Dc ? "DC" : "AC", ComputeStatistics(series)});
    }
  }
  return rows;
}

}  // namespace analysis
