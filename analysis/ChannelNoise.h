#pragma once

#include <optional>
#include <vector>

#include "analysis/NoiseFigures.h"
#include "analysis/Report.h"

namespace analysis {

/// The noise figures of one channel over the user's quiet and walk spans,
/// as the report and the review window show them.
struct ChannelNoise {
  int channel = 1;
  SignalToNoise snr;              ///< the AC trace's quiet noise, walk swing and their ratios
  std::vector<Settling> settling;  ///< per segment; empty without quiet frames
  std::optional<double> drift;    ///< DC counts per degree; none without varying temperatures
};

/// SNR over the spans, settling (when the quiet spans hold frames) and DC
/// drift against temperature (when the recording has temperatures).
ChannelNoise ComputeChannelNoise(const ChannelRecording& channel, const std::vector<TimeSpan>& quiet,
                                 const std::vector<TimeSpan>& walks, const SettlingRule& rule);

}  // namespace analysis
