#include "tests/support/SimulatedRecording.h"

#include <cstdio>

#include "acquisition/TraceMath.h"
#include "tests/support/LogText.h"

namespace support {

std::vector<SimulatedChannel> SimulatedRecording(const sim::BoardConfig& board, const sim::KnownTruth& truth,
                                                 size_t frames) {
  sim::SignalModel model(board, truth);
  std::vector<SimulatedChannel> channels(static_cast<size_t>(model.Channels()));
  std::vector<acq::AcFilterState> filters(channels.size());
  std::vector<uint16_t> samples;
  std::vector<uint8_t> temperatures;
  for (size_t f = 0; f < frames; ++f) {
    const double t = model.Time();
    model.Next(samples, temperatures);
    for (size_t k = 0; k < channels.size(); ++k) {
      SimulatedChannel& c = channels[k];
      c.times.push_back(t);
      c.dc.push_back(samples[k]);
      c.ac.push_back(acq::AcFilterStep(filters[k], samples[k]));
      c.degrees.push_back(acq::TemperatureDegrees(temperatures[k]));
    }
  }
  return channels;
}

void WriteSimulatedLog(std::ostream& out, const sim::BoardConfig& board, const sim::KnownTruth& truth,
                       int32_t seconds) {
  constexpr int64_t kFirstSecond = 12 * 3600;
  sim::SignalModel model(board, truth);
  std::vector<uint16_t> samples;
  std::vector<uint8_t> temperatures;
  const std::vector<uint8_t> none;
  for (double t = model.Time(); t < seconds; t = model.Time()) {
    model.Next(samples, temperatures);
    // 0 <= t < seconds, so the conversion is in range.
    const int64_t second = kFirstSecond + static_cast<int64_t>(t);
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", static_cast<int>(second / 3600 % 24),
                  static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
    out << LogLineText(time, samples, board.temperatures ? temperatures : none);
  }
}

}  // namespace support
