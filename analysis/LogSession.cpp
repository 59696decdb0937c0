#include "analysis/LogSession.h"

#include <cmath>
#include <limits>

namespace analysis {

namespace {

/// The nearest floats at or below and at or above y, so the float range
/// still holds the double value. y is an output of the high-pass filter on
/// 16-bit samples, within 2.5 times 65535 of zero, so it converts to float
/// without leaving its range.
ValueRange<float> FloatsAround(double y) {
  float low = static_cast<float>(y);
  float high = low;
  if (static_cast<double>(low) > y) low = std::nextafter(low, -std::numeric_limits<float>::infinity());
  if (static_cast<double>(high) < y) high = std::nextafter(high, std::numeric_limits<float>::infinity());
  return {low, high};
}

template <class T>
ValueRange<double> ToDouble(ValueRange<T> range) {
  return {static_cast<double>(range.low), static_cast<double>(range.high)};
}

}  // namespace

void LogSession::Append(const LogFrame& frame, int32_t secondOfDay, uint64_t offset) {
  if (m_channels.empty()) {
    m_channels.resize(frame.channels);
    m_hasTemperatures = frame.hasTemperatures;
  }
  const uint64_t index = m_times.Frames();
  if (index % kOffsetFrames == 0) m_offsets.push_back(offset);
  const bool checkpoint = index % kCheckpointFrames == 0;
  for (size_t k = 0; k < m_channels.size(); ++k) {
    Channel& channel = m_channels[k];
    const uint16_t sample = frame.samples[k];
    channel.samples.push_back(sample);
    channel.dc.Append(sample, sample);
    if (checkpoint) channel.checkpoints.push_back(channel.filter);
    const auto ac = FloatsAround(acq::AcFilterStep(channel.filter, sample));
    channel.ac.Append(ac.low, ac.high);
    const auto degrees = static_cast<int8_t>(acq::TemperatureDegrees(frame.temperatures[k]));
    if (!m_hasTemperatures) continue;
    channel.temperature.Append(degrees, degrees);
    channel.temperatures.Append(degrees);
  }
  m_times.Append(secondOfDay);
}

uint16_t LogSession::Sample(int channel, uint64_t frame) const {
  return m_channels[static_cast<size_t>(channel - 1)].samples[frame];
}

std::vector<double> LogSession::Values(int channel, Trace trace, uint64_t first, uint64_t end) const {
  const Channel& c = m_channels[static_cast<size_t>(channel - 1)];
  std::vector<double> values;
  if (first >= end) return values;
  values.reserve(end - first);
  switch (trace) {
    case Trace::Dc:
      for (uint64_t f = first; f < end; ++f) values.push_back(c.samples[f]);
      break;
    case Trace::Ac: {
      // The filter restarts from the last checkpoint before the span, which
      // holds exactly the state the whole run had there.
      const uint64_t from = first / kCheckpointFrames;
      acq::AcFilterState state = c.checkpoints[from];
      for (uint64_t f = from * kCheckpointFrames; f < end; ++f) {
        const double y = acq::AcFilterStep(state, c.samples[f]);
        if (f >= first) values.push_back(y);
      }
      break;
    }
    case Trace::Temperature:
      c.temperatures.CopyTo(first, end, values);
      break;
  }
  return values;
}

ValueRange<double> LogSession::Range(int channel, Trace trace, uint64_t first, uint64_t end,
                                     uint64_t blockFrames) const {
  const Channel& c = m_channels[static_cast<size_t>(channel - 1)];
  switch (trace) {
    case Trace::Dc:
      return ToDouble(c.dc.QueryCoarse(first, end, blockFrames));
    case Trace::Ac:
      return ToDouble(c.ac.QueryCoarse(first, end, blockFrames));
    case Trace::Temperature:
      break;
  }
  return ToDouble(c.temperature.QueryCoarse(first, end, blockFrames));
}

void LogSession::OffsetBefore(uint64_t frame, uint64_t& known, uint64_t& offset) const {
  const uint64_t index = frame / kOffsetFrames;
  known = index * kOffsetFrames;
  offset = m_offsets[index];
}

uint64_t LogSession::Bytes() const {
  uint64_t bytes = m_offsets.size() * sizeof(uint64_t);
  for (const Channel& c : m_channels) {
    bytes += c.samples.size() * sizeof(uint16_t) + c.dc.Bytes() + c.ac.Bytes() + c.temperature.Bytes() + c.temperatures.Bytes() +
             c.checkpoints.size() * sizeof(acq::AcFilterState);
  }
  return bytes;
}

}  // namespace analysis
