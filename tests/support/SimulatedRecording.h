#pragma once

#include <cstddef>
#include <vector>

#include "tools/SignalModel.h"

namespace support {

/// One channel of the simulated board's frames as a recording holds them.
struct SimulatedChannel {
  std::vector<double> times;    ///< seconds from the first frame, one frame period apart
  std::vector<double> dc;       ///< the samples
  std::vector<double> ac;       ///< the live high-pass of the samples, from a resting filter
  std::vector<double> degrees;  ///< the temperature bytes read as degrees
};

/// frames frames of the simulated board with the given known truth, one
/// entry per channel.
std::vector<SimulatedChannel> SimulatedRecording(const sim::BoardConfig& board, const sim::KnownTruth& truth,
                                                 size_t frames);

}  // namespace support
