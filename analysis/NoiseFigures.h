#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "analysis/SampleSeries.h"

namespace analysis {

/// Peak-to-peak and RMS (about the mean, population) of the samples within
/// a set of spans, pooled: the spans' samples are taken together as one set.
struct PooledNoise {
  size_t count = 0;  ///< samples within the spans; 0 leaves the others 0
  double mean = 0;
  double peakToPeak = 0;
  double rms = 0;
};

/// Pools the AC samples of series that lie within any of spans (a sample in
/// two overlapping spans counts once).
PooledNoise PoolSpans(const SampleSeries<double>& series, const std::vector<TimeSpan>& spans);

/// Signal-to-noise figures of one channel: the walk spans' swing against the
/// quiet spans' noise, in dB (20 log10 of the ratio). A ratio is missing when
/// either side has no samples or the quiet figure is 0.
struct SignalToNoise {
  PooledNoise quiet;
  PooledNoise walk;
  std::optional<double> peakToPeakDb;
  std::optional<double> rmsDb;
};

/// SNR of a channel's AC series over the given quiet and walk spans.
SignalToNoise ComputeSignalToNoise(const SampleSeries<double>& series, const std::vector<TimeSpan>& quiet,
                                   const std::vector<TimeSpan>& walks);

/// Indices where the series starts afresh: 0, and every frame that follows
/// its predecessor by more than maxStepSeconds (a reconnect, a stop). Empty
/// for an empty series.
std::vector<size_t> SegmentStarts(const double* times, size_t size, double maxStepSeconds);

/// How one segment of the AC trace settles.
struct Settling {
  double start = 0;               ///< time of the segment's first frame, s
  std::optional<double> seconds;  ///< from start until it stays within the band for good; none if it never does
};

/// What counts as settled.
struct SettlingRule {
  double k = 3;                      ///< the band is quiet mean +- k x quiet sigma
  double gapSeconds = 1;             ///< a longer step between frames starts a segment
  double minExcursionSeconds = 0.1;  ///< shorter runs outside the band are noise, not an unsettled baseline
};

/// For each segment (see SegmentStarts with rule.gapSeconds), the time from
/// its first frame to the end of its last excursion: a run of frames with
/// |AC - quietMean| > k * quietSigma lasting at least minExcursionSeconds
/// (first to last frame outside). Frames within the walk spans count as
/// inside (a walk is motion, not an unsettled baseline). 0 without an
/// excursion; none when the segment ends in one.
std::vector<Settling> ComputeSettling(const SampleSeries<double>& series, double quietMean, double quietSigma,
                                      const SettlingRule& rule, const std::vector<TimeSpan>& walks = {});

/// DC drift against temperature: least-squares slope of the DC samples
/// against the frames' temperatures in counts per degree. Nothing when the
/// temperature does not vary.
std::optional<double> DriftPerDegree(const double* dc, const double* temperatures, size_t size);

}  // namespace analysis
