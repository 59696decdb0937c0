#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/LogSession.h"
#include "analysis/WelchDensity.h"

namespace analysis {

/// What the spectrum of a span is computed with.
struct DensitySettings {
  double resolution = 0.1;  ///< wanted bin spacing in Hz, finite and > 0
  double bandFrom = 0.1;    ///< lower edge of the band RMS, Hz (included)
  double bandTo = 10;       ///< upper edge of the band RMS, Hz (excluded); above it starts the RMS above the band
};

/// The spectrum of one channel's AC trace over a span.
struct ChannelDensity {
  int channel = 1;               ///< 1..8
  Spectrum spectrum;             ///< Welch's estimate; no averages when the span was too short
  double bandRms = 0;            ///< counts, over [bandFrom, bandTo); 0 for an empty band
  double aboveRms = 0;           ///< counts, from bandTo up to the Nyquist frequency, both included
  std::vector<MainsPeak> mains;  ///< the mains lines that stand out (flagged), in FindMainsPeaks' order
};

/// The spectra of the shown channels over a span of a loaded log.
struct SpanDensities {
  uint64_t frames = 0;                    ///< frames in the span
  double frameRate = 0;                   ///< frames per second measured from the log's frame times; 0 when unknown
  std::vector<ChannelDensity> channels;  ///< one per shown channel, channel 1 first; empty without a rate
};

/// The spectra of the AC traces over the frames whose times lie within
/// [from, to] seconds from the log's start, for each channel of the log
/// marked in `channels` (channel 1 first). The sample rate is the whole
/// log's (LogFrameRate); a log too short to measure it gives no spectra. Throws std::invalid_argument for a resolution that is not
/// finite and > 0.
SpanDensities SpanDensity(const LogSession& session, double from, double to, const std::array<bool, 8>& channels,
                         const DensitySettings& settings);

/// The amplitude densities as comma-separated text: a header
/// "frequency_hz,channel_N..." then one line per bin from the first
/// non-zero one to the Nyquist frequency, densities in counts/sqrt(Hz);
/// numbers in the shortest form that reads back exactly; lines end in "\n".
/// Only the header for spectra without averages.
std::string DensityCsv(const SpanDensities& spectra);

}  // namespace analysis
