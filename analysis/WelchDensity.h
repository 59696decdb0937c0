#pragma once

#include <cstddef>
#include <vector>

namespace analysis {

/// A one-sided power spectral density by Welch's method.
struct Spectrum {
  double sampleRate = 0;     ///< frames per second
  double resolution = 0;     ///< bin spacing in Hz (sampleRate / segmentLength)
  size_t segmentLength = 0;  ///< samples per segment
  size_t averages = 0;       ///< segments averaged; 0 when the input was too short
  std::vector<double> psd;   ///< counts^2/Hz at bin k = k * resolution, k = 0..segmentLength/2

  /// Frequency of a bin in Hz.
  double Frequency(size_t bin) const { return static_cast<double>(bin) * resolution; }
  /// Amplitude density of a bin in counts/sqrt(Hz).
  double Density(size_t bin) const;
};

/// Welch's estimate over the samples: segments of a length that gives at
/// least the wanted resolution (the next length the transform handles fast,
/// at most the whole input), 50 % overlap, each segment's mean removed and
/// a Hann window applied; one-sided, with bins other than 0 and Nyquist
/// doubled, so the PSD summed over every bin times the resolution is the
/// mean square of the windowed segments. Fewer than 4 samples give no
/// segments. Throws std::invalid_argument for a sample rate or resolution
/// that is not finite and > 0.
Spectrum WelchSpectrum(const double* values, size_t size, double sampleRate, double wantedResolution);

/// RMS in counts of the band [fromHz, toHz): the square root of the PSD
/// summed over the bins whose frequency lies within it, times the resolution.
double BandRms(const Spectrum& spectrum, double fromHz, double toHz);

/// A line read off the spectrum.
struct ToneReading {
  double frequency = 0;  ///< frequency of its largest bin, Hz
  double amplitude = 0;  ///< sine amplitude (half its peak-to-peak), counts
};

/// The largest line within searchHz of nearHz: its amplitude from the power
/// of its bin and the three on each side (where a Hann window spreads it).
ToneReading ReadTone(const Spectrum& spectrum, double nearHz, double searchHz);

/// Where a mains frequency's harmonic appears at the board's sample rate.
struct MainsPeak {
  double mainsHz = 0;       ///< 50 or 60
  int harmonic = 1;         ///< 1 = the mains frequency itself
  double apparentHz = 0;    ///< where it falls after folding back at the Nyquist frequency
  double amplitude = 0;     ///< counts, of the largest line within a bin of apparentHz (ReadTone)
  double prominenceDb = 0;  ///< its bin's PSD over the median PSD around it; 0 when no bin lies around it
  bool flagged = false;     ///< prominence at least the flagging level
};

/// The 50 and 60 Hz lines and their harmonics up to maxHarmonic that fall
/// within the spectrum, each flagged when it stands minProminenceDb or more
/// above its surroundings.
std::vector<MainsPeak> FindMainsPeaks(const Spectrum& spectrum, int maxHarmonic = 6, double minProminenceDb = 10);

/// The frequency (0..sampleRate/2) at which a tone of frequencyHz appears
/// when sampled at sampleRate.
double FoldedFrequency(double frequencyHz, double sampleRate);

/// |H(f)| of the live AC trace's high-pass filter at sampleRate. Its
/// difference equation (y = x - level/512 - rate/256; level += rate/256;
/// rate += y) has the transfer function
/// H(z) = 131072 (z-1)^2 / (131072 (z-1)^2 + 512 (z-1) + 1),
/// a double zero at z = 1 and poles at z = 1 + (-1 +- j)/512.
double AcFilterMagnitude(double frequencyHz, double sampleRate);

}  // namespace analysis
