#include "analysis/ChannelNoise.h"

namespace analysis {

ChannelNoise ComputeChannelNoise(const ChannelRecording& channel, const std::vector<TimeSpan>& quiet,
                                 const std::vector<TimeSpan>& walks, const SettlingRule& rule) {
  ChannelNoise noise;
  noise.channel = channel.channel;
  const SampleSeries<double> ac{channel.ac, channel.times, channel.size};
  noise.snr = ComputeSignalToNoise(ac, quiet, walks);
  if (noise.snr.quiet.count > 0) noise.settling = ComputeSettling(ac, noise.snr.quiet.mean, noise.snr.quiet.rms, rule, walks);
  if (channel.temperatures) noise.drift = DriftPerDegree(channel.dc, channel.temperatures, channel.size);
  return noise;
}

}  // namespace analysis
