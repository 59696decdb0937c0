#include "analysis/SpanDensity.h"

#include <limits>

#include "analysis/SampleSeries.h"
#include "analysis/SelectionStatistics.h"
#include "analysis/SessionArrays.h"
#include "analysis/SpanStatistics.h"

namespace analysis {

SpanDensities SpanDensity(const LogSession& session, double from, double to, const std::array<bool, 8>& channels,
                         const DensitySettings& settings) {
  SpanDensities result;
  uint64_t first = 0;
  uint64_t end = 0;
  FramesWithin(session.Times(), from, to, first, end);
  result.frames = end - first;
  // The whole log reads the board's clock over many more seconds than a
  // selection does, which holds only a few whole seconds of jittery counts.
  result.frameRate = LogFrameRate(session).value_or(0);
  if (result.frameRate <= 0) return result;
  const TracesWanted acOnly{false, true, false};
  for (int channel = 1; channel <= session.Channels() && channel <= static_cast<int>(channels.size()); ++channel) {
    if (!channels[static_cast<size_t>(channel - 1)]) continue;
    const ChannelArrays arrays = ReadChannel(session, channel, first, end, acOnly);
    ChannelDensity c;
    c.channel = channel;
    c.spectrum = WelchSpectrum(arrays.ac.data(), arrays.ac.size(), result.frameRate, settings.resolution);
    c.bandRms = BandRms(c.spectrum, settings.bandFrom, settings.bandTo);
    // Past the Nyquist bin's frequency, so that bin counts too.
    c.aboveRms = BandRms(c.spectrum, settings.bandTo, std::numeric_limits<double>::infinity());
    for (const MainsPeak& peak : FindMainsPeaks(c.spectrum)) {
      if (peak.flagged) c.mains.push_back(peak);
    }
    result.channels.push_back(std::move(c));
  }
  return result;
}

std::string DensityCsv(const SpanDensities& spectra) {
  std::string csv = "frequency_hz";
  for (const ChannelDensity& c : spectra.channels) csv += ",channel_" + std::to_string(c.channel);
  csv += '\n';
  if (spectra.channels.empty() || spectra.channels.front().spectrum.averages == 0) return csv;
  // Every channel of a span has the same frames, so the same bins.
  const Spectrum& bins = spectra.channels.front().spectrum;
  for (size_t k = 1; k < bins.psd.size(); ++k) {
    csv += FormatNumber(bins.Frequency(k));
    for (const ChannelDensity& c : spectra.channels) csv += ',' + FormatNumber(c.spectrum.Density(k));
    csv += '\n';
  }
  return csv;
}

}  // namespace analysis
