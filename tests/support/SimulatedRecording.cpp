#include "tests/support/SimulatedRecording.h"

#include "acquisition/TraceMath.h"

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

}  // namespace support
