#include "analysis/SessionArrays.h"

#include <cmath>

namespace analysis {

std::vector<double> FrameTimes(const LogSession& session, uint64_t first, uint64_t end) {
  std::vector<double> times;
  if (first >= end) return times;
  times.reserve(end - first);
  for (uint64_t f = first; f < end; ++f) times.push_back(session.Times().FrameTime(f));
  return times;
}

ChannelArrays ReadChannel(const LogSession& session, int channel, uint64_t first, uint64_t end,
                          const TracesWanted& wanted) {
  ChannelArrays arrays;
  arrays.channel = channel;
  if (wanted.dc) arrays.dc = session.Values(channel, Trace::Dc, first, end);
  if (wanted.ac) arrays.ac = session.Values(channel, Trace::Ac, first, end);
  if (wanted.temperatures && session.HasTemperatures())
    arrays.temperatures = session.Values(channel, Trace::Temperature, first, end);
  return arrays;
}

std::optional<double> LogFrameRate(const LogSession& session) {
  const TimeLine& times = session.Times();
  if (times.Frames() < 2) return std::nullopt;
  // A boundary is the first frame of a later whole second: the first one
  // after the first frame's second, and the first frame of the last second.
  const double firstSecond = std::floor(times.FrameTime(0));
  const uint64_t first = times.FirstFrameAtOrAfter(firstSecond + 1);
  const uint64_t last = times.FirstFrameAtOrAfter(std::floor(times.FrameTime(times.Frames() - 1)));
  if (first >= last || last >= times.Frames()) return std::nullopt;
  const double seconds = std::floor(times.FrameTime(last)) - std::floor(times.FrameTime(first));
  if (!(seconds > 0)) return std::nullopt;
  return static_cast<double>(last - first) / seconds;
}

ChannelRecording Recording(const ChannelArrays& arrays, const std::vector<double>& times) {
  auto data = [&](const std::vector<double>& values) { return values.empty() ? nullptr : values.data(); };
  return {arrays.channel, times.size(), times.data(), data(arrays.dc), data(arrays.ac), data(arrays.temperatures)};
}

}  // namespace analysis
