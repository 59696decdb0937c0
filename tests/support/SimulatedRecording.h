#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
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

/// Writes the simulated board's frames of the first `seconds` seconds as a
/// log in a 24-hour locale, from 12:00:00, each line stamped with the whole
/// second its frame falls in, as the window stamps the frames it receives.
void WriteSimulatedLog(std::ostream& out, const sim::BoardConfig& board, const sim::KnownTruth& truth, int32_t seconds);

}  // namespace support
